#include "EntryModification.h"

#include "client/common/ModifyRules.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <algorithm>
#include <string_view>

NWDSCCODE applyModification(DirectoryModel& tree, const RightsSubject& subject, EntryId id,
                            const std::vector<request::Change>& changes) {
    Entry* entry = tree.objects().get(id);
    if (entry == nullptr || !entry->live)
        return ERR_NO_SUCH_ENTRY;
    const Schema& schema = tree.schema();
    modifyrules::Target target;
    target.baseClass = entry->baseClass;
    target.held = [&](const AttributeDefinition& def) {
        const AttributeValues* held = entry->find(&def);
        return held != nullptr ? held->values.strings() : std::vector<std::string>{};
    };
    target.isNamingValue = [&](const AttributeDefinition& def, std::string_view value) {
        if (entry->baseClass == nullptr || !isTextSyntax(def.syntax))
            return false;
        const auto& naming = schema.effectiveList(*entry->baseClass, ClassDefinition::Naming);
        return std::any_of(naming.begin(), naming.end(),
                           [&](const std::string& n) { return names::equalFolded(n, def.name); }) &&
               names::equalFolded(value, entry->name);
    };
    target.mayWrite = [&](const AttributeDefinition& def) {
        return (tree.rights().attributeRights(subject, id, def.name) & DS_ATTR_WRITE) != 0;
    };
    modifyrules::Outcome outcome;
    if (auto rc = modifyrules::apply(schema, target, changes, outcome); rc != 0)
        return rc;

    // The values afterwards replace the object's, each attribute where it was; new ones last.
    std::vector<AttributeValues> attributes = entry->attributes;
    bool aclTouched = false;
    for (auto& touched : outcome.attributes) {
        const AttributeDefinition* def = touched.first;
        std::vector<std::string>& values = touched.second;
        aclTouched = aclTouched || def == tree.aclDefinition();
        auto at = std::find_if(attributes.begin(), attributes.end(),
                               [&](const AttributeValues& a) { return a.def == def; });
        if (values.empty()) {
            if (at != attributes.end())
                attributes.erase(at);
        } else if (at != attributes.end()) {
            at->values = ValueList(values);
        } else {
            attributes.push_back({def, ValueList(values)});
        }
    }
    entry->attributes = std::move(attributes);
    entry->modified = tree.clock();
    if (aclTouched)
        tree.changed();
    return 0;
}
