// The directory's rules for writes over LDAP that a server does not know, checked before a
// write is sent.
#include "LdapWriteChecks.h"

#include "LdapNaming.h"
#include "LdapObjects.h"
#include "LdapOutcome.h"
#include "LdapTree.h"
#include "client/common/CreateRules.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

namespace {

NWDSCCODE singleComponent(const char* name, std::string& component, std::string* tags = nullptr) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root || parsed.leadingDot || parsed.components.size() != 1)
        return ERR_INVALID_OBJECT_NAME;
    component = parsed.components.front();
    if (tags != nullptr)
        *tags = parsed.tags.front();
    return 0;
}

// The naming attribute's LDAP type of the entry at `dn` (its RDN's type).
std::string rdnTypeOf(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return {};
    return parts.front().type;
}

// The new name a rename or a move gives the entry at `dn`: one component, a valid object name
// and valid values of the naming attributes. A value written with a type tag
// ("Ann Lee+EMPLOYEENUMBER=4711") has that type; otherwise it keeps the type of the entry's RDN
// at its place when the new name has as many values as the RDN, the first value keeps the
// first type, and each further one takes the attribute of the entry that holds it (`holderOf`,
// "" for none).
NWDSCCODE newNameOf(const Schema& schema, std::string_view dn, const char* given,
                    const std::function<std::string(std::string_view)>& holderOf, std::string& type,
                    std::string& newName) {
    std::string tagged;
    if (auto rc = singleComponent(given, newName, &tagged); rc != 0)
        return rc;
    if (auto rc = createrules::checkObjectName(newName); rc != 0)
        return rc;
    const auto oldTypes = names::valuesOf(rdnTypeOf(dn));
    const auto values = names::valuesOf(newName);
    const auto tags = names::valuesOf(tagged);
    std::vector<std::string> types;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const AttributeDefinition* naming = nullptr;
        if (i < tags.size() && !tags[i].empty()) {
            naming = schema.findAttribute(tags[i]);
            if (naming == nullptr)
                naming = schema.findAttributeByLdapName(tags[i]);
        } else {
            const bool kept = i == 0 || values.size() == oldTypes.size();
            naming = schema.findAttributeByLdapName(kept ? oldTypes[i] : holderOf(values[i]));
        }
        if (naming == nullptr || naming->ldapName.empty())
            return ERR_BAD_NAMING_ATTRIBUTES;
        if (auto rc = createrules::checkName(*naming, values[i]); rc != 0)
            return rc;
        types.push_back(naming->ldapName);
    }
    type = names::joinValues(types);
    return 0;
}

} // namespace

NWDSCCODE LdapWriteChecks::classOfEntry(LdapTree& tree, const std::string& dn,
                                        const ClassDefinition*& cls) {
    cls = nullptr;
    LdapEntry e;
    if (auto rc = tree.session->readEntry(dn, {"structuralObjectClass", "objectClass"}, false,
                                          LdapSession::Deref::Never, e);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const Object_Info_T info = ldapobjects::infoOf(tree, e);
    cls = tree.schema->findClass(info.baseClass);
    return 0;
}

NWDSCCODE LdapWriteChecks::checkContainment(LdapTree& tree, const ClassDefinition& cls,
                                            const std::string& parentDn) {
    const ClassDefinition* parent = nullptr;
    if (!parentDn.empty()) {
        LdapTree::KnownClass& known = tree.lastContainer;
        if (known.schema == tree.schema.get() && known.cls != nullptr && known.dn == parentDn) {
            parent = known.cls;
        } else {
            if (auto rc = classOfEntry(tree, parentDn, parent); rc != 0)
                return rc;
            known = {parentDn, tree.schema.get(), parent};
        }
        if (parent == nullptr)
            return ERR_ILLEGAL_CONTAINMENT;
    }
    return createrules::containmentAllows(*tree.schema, cls, parent) ? 0 : ERR_ILLEGAL_CONTAINMENT;
}

NWDSCCODE LdapWriteChecks::resolveNew(const ContextState& ctx, LdapTree& tree, const char* name,
                                      std::string& parentDn, std::string& ownName) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    ownName = parsed.components.front();
    if (auto rc = createrules::checkObjectName(ownName); rc != 0)
        return rc;
    // A new object is named by its class's one naming attribute.
    if (names::isMultiValued(ownName))
        return ERR_BAD_NAMING_ATTRIBUTES;
    std::vector<std::string> above(parsed.components.begin() + 1, parsed.components.end());
    if (above.empty()) {
        // One component goes into the name context (".Name" at the top).
        if (parsed.leadingDot || ctx.nameContext.empty() || ctx.nameContext == ROOT_NAME) {
            parentDn.clear();
            return 0;
        }
        return naming_.resolve(ctx, tree, ("." + ctx.nameContext).c_str(), parentDn);
    }
    const std::string parentName = (parsed.leadingDot ? "." : "") + names::join(above);
    return naming_.resolve(ctx, tree, parentName.c_str(), parentDn);
}

NWDSCCODE LdapWriteChecks::newName(LdapTree& tree, const std::string& dn, const char* given,
                                   std::string& type, std::string& name) const {
    return newNameOf(*tree.schema, dn, given, naming_.holderIn(tree, dn), type, name);
}
