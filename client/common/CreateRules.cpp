#include "CreateRules.h"

#include "ModifyRules.h"
#include "Names.h"
#include "NewObjectClass.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace createrules {

namespace {

// The syntaxes whose values can be an object's name.
bool isNameSyntax(std::uint32_t syntax) {
    switch (syntax) {
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
        return true;
    default:
        return false;
    }
}

bool listedByClass(const Schema& schema, const ClassDefinition& cls,
                   const AttributeDefinition& def) {
    for (const ClassDefinition* c : schema.lineage(cls)) {
        for (auto list :
             {ClassDefinition::Naming, ClassDefinition::Mandatory, ClassDefinition::Optional}) {
            for (const auto& n : c->lists[list]) {
                if (schema.findAttribute(n) == &def)
                    return true;
            }
        }
    }
    return false;
}

} // namespace

NWDSCCODE checkObjectName(std::string_view name) {
    if (name.empty() || name == ROOT_NAME)
        return ERR_INVALID_OBJECT_NAME;
    if (name.size() > MAX_RDN_CHARS)
        return ERR_NAME_TOO_LONG;
    return 0;
}

bool containmentAllows(const Schema& schema, const ClassDefinition& cls,
                       const ClassDefinition* parent) {
    const auto& allowed = schema.effectiveList(cls, ClassDefinition::Containment);
    if (parent == nullptr) {
        return std::any_of(allowed.begin(), allowed.end(), [&](const std::string& c) {
            const ClassDefinition* named = schema.findClass(c);
            return names::equalFolded(c, "Tree Root") ||
                   (named != nullptr && names::equalFolded(named->ldapName, "treeRoot"));
        });
    }
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const std::string& c) { return schema.isA(*parent, c); });
}

const AttributeDefinition* namingAttribute(const Schema& schema, const ClassDefinition& cls) {
    const auto& naming = schema.effectiveList(cls, ClassDefinition::Naming);
    return naming.empty() ? nullptr : schema.findAttribute(naming.front());
}

NWDSCCODE checkName(const AttributeDefinition& naming, std::string_view name) {
    if (!isNameSyntax(naming.syntax))
        return ERR_SYNTAX_INVALID_IN_NAME;
    return valuerules::checkValue(shapeOf(naming), name);
}

NWDSCCODE plan(const Schema& schema, const ClassDefinition& cls, const AttributeDefinition& naming,
               std::string_view name, const std::vector<request::Attribute>& attributes,
               std::vector<Planned>& out) {
    out.clear();
    out.push_back({&naming, {std::string(name)}});
    const AttributeDefinition* objectClass = schema.findAttribute(request::kObjectClass);
    for (const auto& a : attributes) {
        const AttributeDefinition* def = schema.findAttribute(a.name);
        if (def == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
        if (def == objectClass)
            continue; // the object's classes are its class and those above it
        if (!listedByClass(schema, cls, *def))
            return ERR_ILLEGAL_ATTRIBUTE;
        auto it =
            std::find_if(out.begin(), out.end(), [&](const Planned& p) { return p.def == def; });
        if (it == out.end()) {
            out.push_back({def, {}});
            it = out.end() - 1;
        }
        for (const auto& v : a.values) {
            if (v.syntax != def->syntax)
                return ERR_SYNTAX_VIOLATION;
            if (auto rc = valuerules::checkValue(shapeOf(*def), v.bytes); rc != 0)
                return rc;
            const bool twice =
                std::any_of(it->values.begin(), it->values.end(), [&](const auto& x) {
                    return modifyrules::sameValue(schema, *def, x, v.bytes);
                });
            if (!twice)
                it->values.push_back(v.bytes);
        }
        if ((def->flags & DS_SINGLE_VALUED_ATTR) && it->values.size() > 1)
            return ERR_CANT_HAVE_MULTIPLE_VALUES;
    }
    for (const ClassDefinition* c : schema.lineage(cls)) {
        for (const auto& n : c->lists[ClassDefinition::Mandatory]) {
            const AttributeDefinition* def = schema.findAttribute(n);
            if (def == nullptr || def == objectClass)
                continue;
            const bool present = std::any_of(out.begin(), out.end(), [&](const Planned& p) {
                return p.def == def && !p.values.empty();
            });
            if (!present)
                return ERR_MISSING_MANDATORY;
        }
    }
    return 0;
}

} // namespace createrules
