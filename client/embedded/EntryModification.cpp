#include "EntryModification.h"

#include "client/common/Names.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <algorithm>
#include <string_view>

namespace {

class Modification {
public:
    Modification(DirectoryModel& tree, const RightsSubject& subject, Entry& entry)
        : tree_(tree), schema_(tree.schema()), subject_(subject), entry_(entry),
          attributes_(entry.attributes) {}

    NWDSCCODE apply(const std::vector<request::Change>& changes) {
        for (const request::Change& change : changes) {
            if (auto rc = applyOne(change); rc != 0)
                return rc;
        }
        if (auto rc = checkMandatory(); rc != 0)
            return rc;
        entry_.attributes = std::move(attributes_);
        entry_.modified = tree_.clock();
        if (aclTouched_)
            tree_.changed();
        return 0;
    }

private:
    NWDSCCODE applyOne(const request::Change& change) {
        const AttributeDefinition* def = schema_.findAttribute(change.name);
        if (def == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
        if (change.type > DS_OVERWRITE_VALUE)
            return ERR_INVALID_REQUEST;
        if ((tree_.rights().attributeRights(subject_, entry_.id, def->name) & DS_ATTR_WRITE) == 0)
            return ERR_NO_ACCESS;
        if (change.type != DS_REMOVE_ATTRIBUTE) {
            if (change.values.empty())
                return ERR_INVALID_REQUEST;
            for (const request::Value& value : change.values) {
                if (auto rc = checkValue(*def, value); rc != 0)
                    return rc;
            }
        }
        if (def == tree_.aclDefinition())
            aclTouched_ = true;
        touched_.push_back(def);

        switch (change.type) {
        case DS_ADD_ATTRIBUTE:
            if (!allowedByClass(*def))
                return ERR_ILLEGAL_ATTRIBUTE;
            if (find(def) != nullptr)
                return ERR_ATTRIBUTE_ALREADY_EXISTS;
            return addValues(*def, change.values, Duplicates::Refuse);
        case DS_REMOVE_ATTRIBUTE:
            return removeAttribute(*def);
        case DS_ADD_VALUE:
            if (!allowedByClass(*def))
                return ERR_ILLEGAL_ATTRIBUTE;
            return addValues(*def, change.values, Duplicates::Refuse);
        case DS_REMOVE_VALUE:
            return removeValues(*def, change.values);
        case DS_ADDITIONAL_VALUE:
            if (!allowedByClass(*def))
                return ERR_ILLEGAL_ATTRIBUTE;
            return addValues(*def, change.values, Duplicates::Skip);
        case DS_OVERWRITE_VALUE:
            if (!allowedByClass(*def))
                return ERR_ILLEGAL_ATTRIBUTE;
            if (def->flags & DS_SINGLE_VALUED_ATTR) {
                if (AttributeValues* held = find(def)) {
                    if (auto rc = checkNamingKept(*def, *held, change.values); rc != 0)
                        return rc;
                    held->values.clear();
                }
            }
            return addValues(*def, change.values, Duplicates::Skip);
        }
        return ERR_INVALID_REQUEST;
    }

    NWDSCCODE checkValue(const AttributeDefinition& def, const request::Value& value) const {
        if (value.syntax != def.syntax)
            return ERR_SYNTAX_VIOLATION;
        if (def.syntax == SYN_STREAM)
            return ERR_INVALID_REQUEST; // stream content is written through a stream
        const valuerules::AttributeShape shape{def.syntax, def.flags, def.lower, def.upper};
        return valuerules::checkValue(shape, value.bytes);
    }

    enum class Duplicates { Refuse, Skip };

    NWDSCCODE addValues(const AttributeDefinition& def, const std::vector<request::Value>& values,
                        Duplicates duplicates) {
        AttributeValues* held = find(&def);
        if (held == nullptr) {
            attributes_.push_back({&def, {}});
            held = &attributes_.back();
        }
        for (const request::Value& value : values) {
            if (holds(def, *held, value.bytes)) {
                if (duplicates == Duplicates::Refuse)
                    return ERR_DUPLICATE_VALUE;
                continue;
            }
            if ((def.flags & DS_SINGLE_VALUED_ATTR) && !held->values.empty())
                return ERR_CANT_HAVE_MULTIPLE_VALUES;
            held->values.push_back(value.bytes);
        }
        return 0;
    }

    NWDSCCODE removeAttribute(const AttributeDefinition& def) {
        AttributeValues* held = find(&def);
        if (held == nullptr)
            return ERR_NO_SUCH_ATTRIBUTE;
        if (auto rc = checkNamingKept(def, *held, {}); rc != 0)
            return rc;
        erase(held);
        return 0;
    }

    NWDSCCODE removeValues(const AttributeDefinition& def,
                           const std::vector<request::Value>& values) {
        AttributeValues* held = find(&def);
        if (held == nullptr)
            return ERR_NO_SUCH_VALUE;
        for (const request::Value& value : values) {
            auto it = std::find_if(held->values.begin(), held->values.end(),
                                   [&](const std::string& v) { return same(def, v, value.bytes); });
            if (it == held->values.end())
                return ERR_NO_SUCH_VALUE;
            if (isNamingValue(def, *it))
                return ERR_CANT_REMOVE_NAMING_VALUE;
            held->values.erase(it);
        }
        if (held->values.empty())
            erase(held);
        return 0;
    }

    // Refuses to drop the naming value unless `kept` holds it again.
    NWDSCCODE checkNamingKept(const AttributeDefinition& def, const AttributeValues& held,
                              const std::vector<request::Value>& kept) const {
        for (const std::string& v : held.values) {
            if (!isNamingValue(def, v))
                continue;
            const bool again = std::any_of(kept.begin(), kept.end(), [&](const request::Value& k) {
                return same(def, v, k.bytes);
            });
            if (!again)
                return ERR_CANT_REMOVE_NAMING_VALUE;
        }
        return 0;
    }

    NWDSCCODE checkMandatory() const {
        if (entry_.baseClass == nullptr)
            return 0;
        // Only what this request changed: objects loaded without a mandatory value stay
        // writable.
        for (const ClassDefinition* cls : schema_.lineage(*entry_.baseClass)) {
            for (const std::string& name : cls->lists[ClassDefinition::Mandatory]) {
                const AttributeDefinition* def = schema_.findAttribute(name);
                if (def == nullptr ||
                    std::find(touched_.begin(), touched_.end(), def) == touched_.end())
                    continue;
                if (find(def) == nullptr)
                    return ERR_MISSING_MANDATORY;
            }
        }
        return 0;
    }

    bool allowedByClass(const AttributeDefinition& def) const {
        if (entry_.baseClass == nullptr)
            return false;
        for (const ClassDefinition* cls : schema_.lineage(*entry_.baseClass)) {
            for (auto list : {ClassDefinition::Mandatory, ClassDefinition::Optional}) {
                for (const std::string& name : cls->lists[list]) {
                    if (names::equalFolded(name, def.name))
                        return true;
                }
            }
        }
        return false;
    }

    bool isNamingValue(const AttributeDefinition& def, const std::string& value) const {
        if (entry_.baseClass == nullptr || !isTextSyntax(def.syntax))
            return false;
        const auto& naming = schema_.effectiveList(*entry_.baseClass, ClassDefinition::Naming);
        const bool namingAttr =
            std::any_of(naming.begin(), naming.end(),
                        [&](const std::string& n) { return names::equalFolded(n, def.name); });
        return namingAttr && names::equalFolded(value, entry_.name);
    }

    bool same(const AttributeDefinition& def, std::string_view a, std::string_view b) const {
        if (isTextSyntax(def.syntax)) {
            const SyntaxDefinition* syntax = schema_.findSyntax(def.syntax);
            if (syntax != nullptr && (syntax->flags & SYNTAX_IGNORE_CASE))
                return names::equalFolded(a, b);
        }
        return a == b;
    }

    bool holds(const AttributeDefinition& def, const AttributeValues& held,
               std::string_view value) const {
        return std::any_of(held.values.begin(), held.values.end(),
                           [&](const std::string& v) { return same(def, v, value); });
    }

    AttributeValues* find(const AttributeDefinition* def) {
        for (AttributeValues& a : attributes_) {
            if (a.def == def)
                return &a;
        }
        return nullptr;
    }
    const AttributeValues* find(const AttributeDefinition* def) const {
        return const_cast<Modification*>(this)->find(def);
    }
    void erase(AttributeValues* held) {
        attributes_.erase(attributes_.begin() + (held - attributes_.data()));
    }

    DirectoryModel& tree_;
    const Schema& schema_;
    const RightsSubject& subject_;
    Entry& entry_;
    std::vector<AttributeValues> attributes_; // the copy the changes go to
    std::vector<const AttributeDefinition*> touched_;
    bool aclTouched_ = false;
};

} // namespace

NWDSCCODE applyModification(DirectoryModel& tree, const RightsSubject& subject, EntryId id,
                            const std::vector<request::Change>& changes) {
    Entry* entry = tree.objects().get(id);
    if (entry == nullptr || !entry->live)
        return ERR_NO_SUCH_ENTRY;
    Modification modification(tree, subject, *entry);
    return modification.apply(changes);
}
