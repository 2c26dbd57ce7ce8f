// The rules a directory applies to new, extended and removed definitions, and the removal of a
// definition from the schema.
#include "SchemaRules.h"

#include "Names.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace {

constexpr std::uint32_t kDefinedAttributeFlags = 0x07FF;
constexpr std::uint32_t kDefinedClassFlags = 0x1F;

bool holds(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& n) { return names::equalFolded(n, name); });
}

bool hasDuplicate(const std::vector<std::string>& names) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        for (std::size_t j = i + 1; j < names.size(); ++j) {
            if (names::equalFolded(names[i], names[j]))
                return true;
        }
    }
    return false;
}

NWDSCCODE checkName(const std::string& name) {
    if (name.empty())
        return ERR_INVALID_REQUEST;
    return name.size() > MAX_SCHEMA_NAME_CHARS ? ERR_NAME_TOO_LONG : 0;
}

template <class Def, class Map>
bool eraseDefinition(std::vector<std::unique_ptr<Def>>& defs, Map& byName, Map& byLdap,
                     std::string_view name) {
    auto it = byName.find(names::fold(name));
    if (it == byName.end())
        return false;
    Def* def = it->second;
    if (!def->ldapName.empty())
        byLdap.erase(names::fold(def->ldapName));
    byName.erase(it);
    defs.erase(std::find_if(defs.begin(), defs.end(),
                            [&](const std::unique_ptr<Def>& d) { return d.get() == def; }));
    return true;
}

} // namespace

// ---- Schema ----

void Schema::markAllBase() {
    for (auto& c : classes_)
        c->base = true;
    for (auto& a : attributes_)
        a->base = true;
}

ClassDefinition* Schema::findClassToChange(std::string_view name) {
    auto it = classByName_.find(names::fold(name));
    return it == classByName_.end() ? nullptr : it->second;
}

bool Schema::removeClass(std::string_view name) {
    return eraseDefinition(classes_, classByName_, classByLdap_, name);
}

bool Schema::removeAttribute(std::string_view name) {
    return eraseDefinition(attributes_, attrByName_, attrByLdap_, name);
}

// ---- The directory's rules ----

namespace schemarules {

NWDSCCODE checkNewAttribute(const Schema& schema, const AttributeDefinition& def) {
    if (auto rc = checkName(def.name); rc != 0)
        return rc;
    if (schema.findAttribute(def.name) != nullptr)
        return ERR_ATTRIBUTE_ALREADY_EXISTS;
    if (def.syntax == SYN_UNKNOWN || schema.findSyntax(def.syntax) == nullptr)
        return ERR_BAD_SYNTAX;
    if ((def.flags & ~kDefinedAttributeFlags) != 0)
        return ERR_INVALID_REQUEST;
    if ((def.flags & DS_SIZED_ATTR) == 0) {
        if (def.lower != 0 || def.upper != 0)
            return ERR_BOUNDS_NOT_SIZED;
    } else if (def.lower > def.upper) {
        return ERR_LOWER_ABOVE_UPPER;
    }
    return 0;
}

NWDSCCODE checkNewClass(const Schema& schema, const ClassDefinition& def) {
    if (auto rc = checkName(def.name); rc != 0)
        return rc;
    if (schema.findClass(def.name) != nullptr)
        return ERR_CLASS_ALREADY_EXISTS;
    if ((def.flags & ~kDefinedClassFlags) != 0)
        return ERR_INVALID_REQUEST;
    const auto& supers = def.lists[ClassDefinition::SuperClasses];
    if (supers.empty())
        return ERR_NO_SUCH_CLASS;
    for (const auto& n : supers) {
        if (schema.findClass(n) == nullptr)
            return ERR_NO_SUCH_CLASS;
    }
    for (const auto& n : def.lists[ClassDefinition::Containment]) {
        // A container class may be placed in objects of its own class.
        if (names::equalFolded(n, def.name)) {
            if ((def.flags & DS_CONTAINER_CLASS) == 0)
                return ERR_ILLEGAL_CONTAINMENT;
            continue;
        }
        const ClassDefinition* container = schema.findClass(n);
        if (container == nullptr)
            return ERR_NO_SUCH_CLASS;
        if ((container->flags & DS_CONTAINER_CLASS) == 0)
            return ERR_ILLEGAL_CONTAINMENT;
    }
    for (int list :
         {ClassDefinition::Naming, ClassDefinition::Mandatory, ClassDefinition::Optional}) {
        for (const auto& n : def.lists[list]) {
            if (schema.findAttribute(n) == nullptr)
                return ERR_NO_SUCH_ATTRIBUTE;
        }
    }
    const auto& mandatory = def.lists[ClassDefinition::Mandatory];
    const auto& optional = def.lists[ClassDefinition::Optional];
    if (hasDuplicate(mandatory))
        return ERR_DUPLICATE_MANDATORY;
    if (hasDuplicate(optional) ||
        std::any_of(optional.begin(), optional.end(),
                    [&](const std::string& n) { return holds(mandatory, n); }))
        return ERR_DUPLICATE_OPTIONAL;
    return 0;
}

NWDSCCODE checkOptionalAdditions(const Schema& schema, std::string_view className,
                                 const std::vector<std::string>& attributes) {
    const ClassDefinition* cls = schema.findClass(className);
    if (cls == nullptr)
        return ERR_NO_SUCH_CLASS;
    for (const auto& n : attributes) {
        if (schema.findAttribute(n) == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
    }
    if (hasDuplicate(attributes))
        return ERR_DUPLICATE_OPTIONAL;
    for (const ClassDefinition* c : schema.lineage(*cls)) {
        for (const auto& n : attributes) {
            if (holds(c->lists[ClassDefinition::Mandatory], n) ||
                holds(c->lists[ClassDefinition::Optional], n))
                return ERR_DUPLICATE_OPTIONAL;
        }
    }
    return 0;
}

NWDSCCODE checkRemovable(const AttributeDefinition& def) {
    return def.base || (def.flags & DS_NONREMOVABLE_ATTR) != 0 ? ERR_SCHEMA_IS_NONREMOVABLE : 0;
}

NWDSCCODE checkRemovable(const ClassDefinition& def) {
    return def.base || (def.flags & DS_NONREMOVABLE_CLASS) != 0 ? ERR_SCHEMA_IS_NONREMOVABLE : 0;
}

std::vector<std::string> classesUsingAttribute(const Schema& schema,
                                               const AttributeDefinition& def) {
    std::vector<std::string> out;
    for (const auto& c : schema.classes()) {
        for (int list :
             {ClassDefinition::Naming, ClassDefinition::Mandatory, ClassDefinition::Optional}) {
            if (holds(c->lists[list], def.name)) {
                out.push_back(c->name);
                break;
            }
        }
    }
    return out;
}

std::vector<std::string> classesUsingClass(const Schema& schema, const ClassDefinition& def) {
    std::vector<std::string> out;
    for (const auto& c : schema.classes()) {
        if (c.get() != &def && (holds(c->lists[ClassDefinition::SuperClasses], def.name) ||
                                holds(c->lists[ClassDefinition::Containment], def.name)))
            out.push_back(c->name);
    }
    return out;
}

} // namespace schemarules
