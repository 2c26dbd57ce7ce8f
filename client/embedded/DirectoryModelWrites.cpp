// Creating, removing, renaming and moving the objects of one tree. Every rule is checked
// before the first change, so a refused write leaves the tree as it was.
#include "DirectoryModel.h"
#include "client/common/CreateRules.h"
#include "client/common/Names.h"
#include "client/common/NewObjectClass.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cctype>

namespace {

// The tag an object named by this attribute carries ("CN"), as the tree files it.
std::string namingTagOf(const AttributeDefinition& def) {
    std::string tag = def.name;
    if (!def.ldapName.empty() && def.ldapName.size() <= 2)
        tag = def.ldapName;
    for (char& c : tag)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    return tag;
}

} // namespace

NWDSCCODE DirectoryModel::checkNameValue(const AttributeDefinition& naming,
                                         std::string_view name) const {
    return createrules::checkName(naming, name);
}

const AttributeDefinition* DirectoryModel::namingAttributeOf(const Entry& e) const {
    if (e.baseClass == nullptr)
        return nullptr;
    const auto& naming = schema_.effectiveList(*e.baseClass, ClassDefinition::Naming);
    const AttributeDefinition* first = nullptr;
    for (const auto& n : naming) {
        const AttributeDefinition* def = schema_.findAttribute(n);
        if (def == nullptr)
            continue;
        if (first == nullptr)
            first = def;
        if (names::equalFolded(namingTagOf(*def), e.namingType))
            return def;
    }
    return first;
}

NWDSCCODE DirectoryModel::createEntry(EntryId parent, std::string_view name,
                                      const std::vector<request::Attribute>& attributes,
                                      EntryId* id) {
    const Entry* p = objects_.get(parent);
    if (p == nullptr)
        return ERR_NO_SUCH_ENTRY;
    if (auto rc = createrules::checkObjectName(name); rc != 0)
        return rc;

    const ClassDefinition* cls = nullptr;
    if (auto rc = request::classOfNewObject(schema_, attributes, cls); rc != 0)
        return rc;
    if (!containmentAllows(*cls, *p))
        return ERR_ILLEGAL_CONTAINMENT;

    const AttributeDefinition* namingAttr = createrules::namingAttribute(schema_, *cls);
    if (namingAttr == nullptr)
        return ERR_BAD_NAMING_ATTRIBUTES;
    if (auto rc = checkNameValue(*namingAttr, name); rc != 0)
        return rc;
    if (objects_.child(parent, name))
        return ERR_ENTRY_ALREADY_EXISTS;
    std::vector<createrules::Planned> planned;
    if (auto rc = createrules::plan(schema_, *cls, *namingAttr, name, attributes, planned); rc != 0)
        return rc;

    EntryId added = 0;
    if (auto rc = addEntry(parent, std::string(name), namingAttr, *cls, &added); rc != 0)
        return rc;
    for (auto& a : planned) {
        if (a.values.empty() || a.def == namingAttr)
            continue;
        // Checked above, so this cannot be refused now.
        addValues(added, *a.def, a.values);
    }
    if (id != nullptr)
        *id = added;
    return 0;
}

NWDSCCODE DirectoryModel::removeEntry(EntryId id) {
    if (id == kRootEntry)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    const Entry* e = objects_.get(id);
    if (e == nullptr)
        return ERR_NO_SUCH_ENTRY;
    if (e->liveChildren > 0)
        return ERR_ENTRY_IS_NOT_LEAF;
    objects_.remove(id);
    changed();
    return 0;
}

void DirectoryModel::replaceNamingValue(Entry& e, const AttributeDefinition& naming,
                                        const std::string& oldName, const std::string& newName,
                                        bool deleteOldName) {
    AttributeValues* a = e.find(&naming);
    if (a == nullptr) {
        e.attributes.push_back({&naming, {}});
        a = &e.attributes.back();
    }
    if (deleteOldName)
        a->values.erase(oldName);
    if (!a->values.contains(newName))
        a->values.push_back(newName);
}

NWDSCCODE DirectoryModel::checkNewName(const Entry& e, EntryId parent, std::string_view newName,
                                       const AttributeDefinition*& naming) const {
    if (auto rc = createrules::checkObjectName(newName); rc != 0)
        return rc;
    naming = namingAttributeOf(e);
    if (naming == nullptr)
        return ERR_BAD_NAMING_ATTRIBUTES;
    if (auto rc = checkNameValue(*naming, newName); rc != 0)
        return rc;
    if (auto same = objects_.child(parent, newName); same && *same != e.id)
        return ERR_ENTRY_ALREADY_EXISTS;
    return 0;
}

void DirectoryModel::placeEntry(Entry& e, EntryId parent, std::string_view newName,
                                const AttributeDefinition& naming, bool deleteOldName) {
    const std::string oldName = e.name;
    const EntryId id = e.id;
    objects_.detach(id);
    objects_.attach(id, parent, std::string(newName));
    replaceNamingValue(e, naming, oldName, e.name, deleteOldName);
    e.modified = clock_;
    changed();
}

NWDSCCODE DirectoryModel::renameEntry(EntryId id, std::string_view newName, bool deleteOldName) {
    if (id == kRootEntry)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    Entry* e = objects_.get(id);
    if (e == nullptr)
        return ERR_NO_SUCH_ENTRY;
    const AttributeDefinition* naming = nullptr;
    if (auto rc = checkNewName(*e, e->parent, newName, naming); rc != 0)
        return rc;
    if (!deleteOldName && (naming->flags & DS_SINGLE_VALUED_ATTR) && e->name != newName)
        return ERR_CANT_HAVE_MULTIPLE_VALUES;

    placeEntry(*e, e->parent, newName, *naming, deleteOldName);
    return 0;
}

NWDSCCODE DirectoryModel::moveEntry(EntryId id, EntryId newParent, std::string_view newName) {
    if (id == kRootEntry)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    Entry* e = objects_.get(id);
    if (e == nullptr)
        return ERR_NO_SUCH_ENTRY;
    const Entry* destination = objects_.get(newParent);
    if (destination == nullptr)
        return ERR_NO_SUCH_ENTRY;
    for (EntryId at = newParent; at != kRootEntry; at = objects_.get(at)->parent) {
        if (at == id)
            return ERR_INVALID_REQUEST; // a container cannot go below itself
    }
    if (e->baseClass == nullptr || !containmentAllows(*e->baseClass, *destination))
        return ERR_ILLEGAL_CONTAINMENT;
    const AttributeDefinition* naming = nullptr;
    if (auto rc = checkNewName(*e, newParent, newName, naming); rc != 0)
        return rc;

    placeEntry(*e, newParent, newName, *naming, true);
    return 0;
}
