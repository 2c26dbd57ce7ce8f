#include "DirectoryModel.h"

#include "client/common/CreateRules.h"
#include "client/common/Names.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace {
constexpr std::string_view kObjectClass = "Object Class";
constexpr std::string_view kSecurityEquals = "Security Equals";
} // namespace

DirectoryModel::DirectoryModel(std::string treeName, std::uint32_t clock)
    : treeName_(std::move(treeName)), clock_(clock),
      rights_(std::make_unique<RightsEvaluator>(objects_, nullptr)) {}

void DirectoryModel::adoptSchema() {
    const AttributeDefinition* acl = schema_.findAttribute("ACL");
    if (acl != acl_) {
        acl_ = acl;
        rights_ = std::make_unique<RightsEvaluator>(objects_, acl_);
    }
}

NWDSCCODE DirectoryModel::addAttribute(AttributeDefinition def) {
    if (def.name.empty())
        return ERR_INVALID_REQUEST;
    if (def.name.size() > MAX_SCHEMA_NAME_CHARS)
        return ERR_NAME_TOO_LONG;
    if (def.syntax == SYN_UNKNOWN || schema_.findSyntax(def.syntax) == nullptr)
        return ERR_BAD_SYNTAX;
    if (schema_.findAttribute(def.name) != nullptr)
        return ERR_ATTRIBUTE_ALREADY_EXISTS;
    if (!schema_.addAttribute(std::move(def)))
        return ERR_ATTRIBUTE_ALREADY_EXISTS;
    adoptSchema();
    return 0;
}

NWDSCCODE DirectoryModel::addClass(ClassDefinition def) {
    if (def.name.empty())
        return ERR_INVALID_REQUEST;
    if (def.name.size() > MAX_SCHEMA_NAME_CHARS)
        return ERR_NAME_TOO_LONG;
    if (schema_.findClass(def.name) != nullptr)
        return ERR_CLASS_ALREADY_EXISTS;
    for (int list : {ClassDefinition::SuperClasses, ClassDefinition::Containment}) {
        for (const auto& n : def.lists[list]) {
            if (schema_.findClass(n) == nullptr && !names::equalFolded(n, def.name))
                return ERR_NO_SUCH_CLASS;
        }
    }
    for (int list :
         {ClassDefinition::Naming, ClassDefinition::Mandatory, ClassDefinition::Optional}) {
        for (const auto& n : def.lists[list]) {
            if (schema_.findAttribute(n) == nullptr)
                return ERR_NO_SUCH_ATTRIBUTE;
        }
    }
    return schema_.addClass(std::move(def)) ? 0 : ERR_CLASS_ALREADY_EXISTS;
}

bool DirectoryModel::isAliasClass(const ClassDefinition* cls) const {
    if (cls == nullptr)
        return false;
    auto it = aliasClasses_.find(cls);
    if (it == aliasClasses_.end())
        it = aliasClasses_.emplace(cls, schema_.isA(*cls, "Alias")).first;
    return it->second;
}

std::optional<EntryId> DirectoryModel::find(std::string_view fullName) const {
    names::ParsedName parsed;
    if (names::parse(fullName, parsed) != 0)
        return std::nullopt;
    if (parsed.root)
        return kRootEntry;
    return objects_.lookup(parsed.components);
}

bool DirectoryModel::containmentAllows(const ClassDefinition& cls, const Entry& parent) const {
    // The tree's own top, [Root], has no class of its own.
    if (parent.id == kRootEntry && parent.baseClass == nullptr)
        return createrules::containmentAllows(schema_, cls, nullptr);
    return parent.baseClass != nullptr &&
           createrules::containmentAllows(schema_, cls, parent.baseClass);
}

NWDSCCODE DirectoryModel::addEntry(EntryId parent, std::string name,
                                   const AttributeDefinition* namingAttr,
                                   const ClassDefinition& cls, EntryId* id) {
    Entry* p = objects_.get(parent);
    if (p == nullptr)
        return ERR_NO_SUCH_ENTRY;
    if (auto rc = createrules::checkObjectName(name); rc != 0)
        return rc;
    if (!containmentAllows(cls, *p))
        return ERR_ILLEGAL_CONTAINMENT;
    const auto& naming = schema_.effectiveList(cls, ClassDefinition::Naming);
    if (namingAttr == nullptr) {
        if (naming.empty())
            return ERR_BAD_NAMING_ATTRIBUTES;
        namingAttr = schema_.findAttribute(naming.front());
        if (namingAttr == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
    }
    // The tag of the name is the naming attribute's short form when it has one ("CN").
    std::string tag = namingAttr->name;
    if (!namingAttr->ldapName.empty() && namingAttr->ldapName.size() <= 2)
        tag = names::fold(namingAttr->ldapName);
    for (char& c : tag)
        c = char(std::toupper((unsigned char)c));
    auto added = objects_.add(parent, name, tag, &cls, clock_);
    if (!added)
        return ERR_ENTRY_ALREADY_EXISTS;
    // Object Class holds the class and every class above it.
    if (const AttributeDefinition* oc = schema_.findAttribute(kObjectClass))
        objects_.get(*added)->attributes.push_back({oc, objectClassValues(cls)});
    addValues(*added, *namingAttr, {name});
    if (id != nullptr)
        *id = *added;
    changed();
    return 0;
}

NWDSCCODE DirectoryModel::addValues(EntryId id, const AttributeDefinition& def,
                                    const std::vector<std::string>& wireValues) {
    Entry* e = objects_.get(id);
    if (e == nullptr)
        return ERR_NO_SUCH_ENTRY;
    const valuerules::AttributeShape shape{def.syntax, def.flags, def.lower, def.upper};
    for (const auto& v : wireValues) {
        if (auto rc = valuerules::checkValue(shape, v); rc != 0)
            return rc;
    }
    AttributeValues* a = e->find(&def);
    if (a == nullptr) {
        e->attributes.push_back({&def, {}});
        a = &e->attributes.back();
    }
    for (const auto& v : wireValues) {
        if (a->values.contains(v))
            continue;
        if ((def.flags & DS_SINGLE_VALUED_ATTR) && !a->values.empty())
            return ERR_CANT_HAVE_MULTIPLE_VALUES;
        a->values.push_back(v);
    }
    if (a->values.empty())
        e->attributes.erase(e->attributes.begin() + (a - e->attributes.data()));
    if (&def == acl_)
        changed();
    return 0;
}

const ValueList& DirectoryModel::objectClassValues(const ClassDefinition& cls) {
    const auto lineage = schema_.lineage(cls);
    ValueList& known = lineages_[&cls];
    bool same = known.size() == lineage.size();
    for (std::size_t i = 0; same && i < lineage.size(); ++i)
        same = known[i] == lineage[i]->name;
    if (!same) {
        // A class defined anew, or one whose super classes changed.
        std::vector<std::string> names;
        names.reserve(lineage.size());
        for (auto* c : lineage)
            names.push_back(c->name);
        known = ValueList(names);
    }
    return known;
}

NWDSCCODE DirectoryModel::addTextValues(EntryId id, const AttributeText& text,
                                        const valuetext::NameMapping& names) {
    const AttributeDefinition* def = schema_.findAttribute(text.name);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    std::vector<std::string> values;
    for (const auto& t : text.values) {
        std::string w;
        if (auto rc = valuetext::parse(def->syntax, t, names, w); rc != 0)
            return rc;
        values.push_back(std::move(w));
    }
    return addValues(id, *def, values);
}

NWDSCCODE DirectoryModel::addObject(std::string_view parent, std::string_view name,
                                    std::string_view className,
                                    const std::vector<AttributeText>& values, EntryId* id) {
    auto parentId = find(parent);
    if (!parentId)
        return ERR_NO_SUCH_ENTRY;
    const ClassDefinition* cls = schema_.findClass(className);
    if (cls == nullptr)
        return ERR_NO_SUCH_CLASS;
    EntryId added = 0;
    if (auto rc = addEntry(*parentId, std::string(name), nullptr, *cls, &added); rc != 0)
        return rc;
    const valuetext::PlainNames plain;
    for (const auto& v : values) {
        if (auto rc = addTextValues(added, v, plain); rc != 0)
            return rc;
    }
    if (id != nullptr)
        *id = added;
    return 0;
}

RightsSubject DirectoryModel::subjectFor(std::string_view subjectName) const {
    RightsSubject s;
    names::ParsedName parsed;
    if (names::parse(subjectName, parsed) == 0 && !parsed.root) {
        for (std::size_t i = 0; i < parsed.components.size(); ++i) {
            std::vector<std::string> tail(parsed.components.begin() + std::ptrdiff_t(i),
                                          parsed.components.end());
            s.matches.push_back(names::fold(names::join(tail)));
        }
        // Rights held by the objects the subject is security equivalent to.
        if (auto id = objects_.lookup(parsed.components)) {
            const AttributeDefinition* eq = schema_.findAttribute(kSecurityEquals);
            const Entry* e = objects_.get(*id);
            if (eq != nullptr && e != nullptr) {
                if (const AttributeValues* a = e->find(eq)) {
                    for (const auto& v : a->values)
                        s.matches.push_back(names::fold(v));
                }
            }
        }
    } else {
        s.matches.push_back(names::fold(subjectName));
    }
    s.matches.push_back(names::fold(ROOT_NAME));
    s.matches.push_back("[public]");
    for (const auto& m : s.matches)
        s.key += m + "\n";
    return s;
}
