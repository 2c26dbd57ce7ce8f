#include "ModifyRules.h"

#include "Names.h"
#include "ValueRules.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <algorithm>

namespace modifyrules {

bool sameValue(const Schema& schema, const AttributeDefinition& def, std::string_view a,
               std::string_view b) {
    if (isTextSyntax(def.syntax)) {
        const SyntaxDefinition* syntax = schema.findSyntax(def.syntax);
        if (syntax != nullptr && (syntax->flags & SYNTAX_IGNORE_CASE))
            return names::equalFolded(a, b);
    }
    return a == b;
}

bool allowedByClass(const Schema& schema, const ClassDefinition* cls,
                    const AttributeDefinition& def) {
    if (cls == nullptr)
        return false;
    for (const ClassDefinition* c : schema.lineage(*cls)) {
        for (auto list : {ClassDefinition::Mandatory, ClassDefinition::Optional}) {
            for (const std::string& name : c->lists[list]) {
                if (names::equalFolded(name, def.name))
                    return true;
            }
        }
    }
    return false;
}

namespace {

using Values = std::vector<std::string>;

class Modification {
public:
    Modification(const Schema& schema, const Target& target, Outcome& out)
        : schema_(schema), target_(target), out_(out) {}

    NWDSCCODE applyOne(const request::Change& change) {
        const AttributeDefinition* def = schema_.findAttribute(change.name);
        if (def == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
        if (change.type > DS_OVERWRITE_VALUE)
            return ERR_INVALID_REQUEST;
        if (target_.mayWrite && !target_.mayWrite(*def))
            return ERR_NO_ACCESS;
        Values values;
        if (change.type != DS_REMOVE_ATTRIBUTE) {
            if (change.values.empty())
                return ERR_INVALID_REQUEST;
            for (const request::Value& value : change.values) {
                if (auto rc = checkValue(*def, value); rc != 0)
                    return rc;
                std::string formed = value.bytes;
                if (target_.form) {
                    if (auto rc = target_.form(*def, value.bytes, formed); rc != 0)
                        return rc;
                }
                values.push_back(std::move(formed));
            }
        }
        Values& held = heldOf(*def);
        const bool adds = change.type != DS_REMOVE_ATTRIBUTE && change.type != DS_REMOVE_VALUE;
        if (adds && !allowedByClass(schema_, target_.baseClass, *def))
            return ERR_ILLEGAL_ATTRIBUTE;

        switch (change.type) {
        case DS_ADD_ATTRIBUTE:
            if (!held.empty())
                return ERR_ATTRIBUTE_ALREADY_EXISTS;
            return add(*def, held, values, Duplicates::Refuse);
        case DS_ADD_VALUE:
            return add(*def, held, values, Duplicates::Refuse);
        case DS_ADDITIONAL_VALUE:
            return add(*def, held, values, Duplicates::Skip);
        case DS_OVERWRITE_VALUE:
            if (def->flags & DS_SINGLE_VALUED_ATTR) {
                if (auto rc = namingKept(*def, held, values); rc != 0)
                    return rc;
                held.clear();
                if (auto rc = addValues(*def, held, values, Duplicates::Skip); rc != 0)
                    return rc;
                out_.effects.push_back({Effect::Replace, def, held});
                return 0;
            }
            return add(*def, held, values, Duplicates::Skip);
        case DS_REMOVE_ATTRIBUTE:
            if (held.empty())
                return ERR_NO_SUCH_ATTRIBUTE;
            if (auto rc = namingKept(*def, held, {}); rc != 0)
                return rc;
            held.clear();
            out_.effects.push_back({Effect::RemoveAttribute, def, {}});
            return 0;
        case DS_REMOVE_VALUE:
            for (const std::string& value : values) {
                auto it = std::find_if(held.begin(), held.end(), [&](const std::string& v) {
                    return sameValue(schema_, *def, v, value);
                });
                if (it == held.end())
                    return ERR_NO_SUCH_VALUE;
                if (target_.isNamingValue && target_.isNamingValue(*def, *it))
                    return ERR_CANT_REMOVE_NAMING_VALUE;
                held.erase(it);
            }
            out_.effects.push_back({Effect::RemoveValues, def, std::move(values)});
            return 0;
        }
        return ERR_INVALID_REQUEST;
    }

    // Only what the request changed: objects loaded without a mandatory value stay writable.
    NWDSCCODE checkMandatory() const {
        if (target_.baseClass == nullptr)
            return 0;
        for (const auto& [def, values] : out_.attributes) {
            if (!values.empty())
                continue;
            for (const ClassDefinition* c : schema_.lineage(*target_.baseClass)) {
                for (const std::string& name : c->lists[ClassDefinition::Mandatory]) {
                    if (names::equalFolded(name, def->name))
                        return ERR_MISSING_MANDATORY;
                }
            }
        }
        return 0;
    }

private:
    enum class Duplicates { Refuse, Skip };

    NWDSCCODE checkValue(const AttributeDefinition& def, const request::Value& value) const {
        if (value.syntax != def.syntax)
            return ERR_SYNTAX_VIOLATION;
        if (def.syntax == SYN_STREAM)
            return ERR_INVALID_REQUEST; // stream content is written through a stream
        const valuerules::AttributeShape shape{def.syntax, def.flags, def.lower, def.upper};
        return valuerules::checkValue(shape, value.bytes);
    }

    // Adds the values and records what was added.
    NWDSCCODE add(const AttributeDefinition& def, Values& held, const Values& values,
                  Duplicates duplicates) {
        const std::size_t before = held.size();
        if (auto rc = addValues(def, held, values, duplicates); rc != 0)
            return rc;
        if (held.size() > before)
            out_.effects.push_back({Effect::AddValues, &def,
                                    Values(held.begin() + std::ptrdiff_t(before), held.end())});
        return 0;
    }

    NWDSCCODE addValues(const AttributeDefinition& def, Values& held, const Values& values,
                        Duplicates duplicates) const {
        for (const std::string& value : values) {
            const bool there = std::any_of(held.begin(), held.end(), [&](const std::string& v) {
                return sameValue(schema_, def, v, value);
            });
            if (there) {
                if (duplicates == Duplicates::Refuse)
                    return ERR_DUPLICATE_VALUE;
                continue;
            }
            if ((def.flags & DS_SINGLE_VALUED_ATTR) && !held.empty())
                return ERR_CANT_HAVE_MULTIPLE_VALUES;
            held.push_back(value);
        }
        return 0;
    }

    // Refuses to drop the naming value unless `kept` holds it again.
    NWDSCCODE namingKept(const AttributeDefinition& def, const Values& held,
                         const Values& kept) const {
        if (!target_.isNamingValue)
            return 0;
        for (const std::string& v : held) {
            if (!target_.isNamingValue(def, v))
                continue;
            const bool again = std::any_of(kept.begin(), kept.end(), [&](const std::string& k) {
                return sameValue(schema_, def, v, k);
            });
            if (!again)
                return ERR_CANT_REMOVE_NAMING_VALUE;
        }
        return 0;
    }

    Values& heldOf(const AttributeDefinition& def) {
        for (auto& [d, values] : out_.attributes) {
            if (d == &def)
                return values;
        }
        out_.attributes.emplace_back(&def, target_.held ? target_.held(def) : Values{});
        return out_.attributes.back().second;
    }

    const Schema& schema_;
    const Target& target_;
    Outcome& out_;
};

} // namespace

NWDSCCODE apply(const Schema& schema, const Target& target,
                const std::vector<request::Change>& changes, Outcome& out) {
    out = {};
    Modification modification(schema, target, out);
    for (const request::Change& change : changes) {
        if (auto rc = modification.applyOne(change); rc != 0)
            return rc;
    }
    return modification.checkMandatory();
}

} // namespace modifyrules
