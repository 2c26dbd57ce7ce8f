// Changing the schema of a loaded tree: defining, extending and removing definitions.
#include "DirectoryModel.h"
#include "client/common/SchemaRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>

NWDSCCODE DirectoryModel::defineAttribute(AttributeDefinition def) {
    if (auto rc = schemarules::checkNewAttribute(schema_, def); rc != 0)
        return rc;
    def.base = false;
    def.ldapName.clear();
    def.oid.clear();
    return addAttribute(std::move(def));
}

NWDSCCODE DirectoryModel::defineClass(ClassDefinition def) {
    if (auto rc = schemarules::checkNewClass(schema_, def); rc != 0)
        return rc;
    def.base = false;
    def.ldapName.clear();
    def.oid.clear();
    return addClass(std::move(def));
}

NWDSCCODE DirectoryModel::addOptionalAttributes(std::string_view className,
                                                const std::vector<std::string>& attributes) {
    if (auto rc = schemarules::checkOptionalAdditions(schema_, className, attributes); rc != 0)
        return rc;
    ClassDefinition* cls = schema_.findClassToChange(className);
    for (const auto& n : attributes)
        cls->lists[ClassDefinition::Optional].push_back(schema_.findAttribute(n)->name);
    return 0;
}

DirectoryModel::SchemaUse DirectoryModel::attributeUse(const AttributeDefinition& def) const {
    SchemaUse use;
    use.classes = schemarules::classesUsingAttribute(schema_, def);
    for (EntryId id = 0; id < objects_.size(); ++id) {
        const Entry* e = objects_.get(id); // null for a removed object
        if (e != nullptr && e->find(&def) != nullptr)
            ++use.objects;
    }
    return use;
}

DirectoryModel::SchemaUse DirectoryModel::classUse(const ClassDefinition& def) const {
    SchemaUse use;
    use.classes = schemarules::classesUsingClass(schema_, def);
    for (EntryId id = 0; id < objects_.size(); ++id) {
        const Entry* e = objects_.get(id);
        if (e != nullptr && e->baseClass == &def)
            ++use.objects;
    }
    return use;
}

NWDSCCODE DirectoryModel::removeAttributeDefinition(std::string_view name) {
    const AttributeDefinition* def = schema_.findAttribute(name);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (auto rc = schemarules::checkRemovable(*def); rc != 0)
        return rc;
    if (attributeUse(*def).any())
        return ERR_SCHEMA_IS_IN_USE;
    schema_.removeAttribute(name);
    return 0;
}

NWDSCCODE DirectoryModel::removeClassDefinition(std::string_view name) {
    const ClassDefinition* def = schema_.findClass(name);
    if (def == nullptr)
        return ERR_NO_SUCH_CLASS;
    if (auto rc = schemarules::checkRemovable(*def); rc != 0)
        return rc;
    if (classUse(*def).any())
        return ERR_SCHEMA_IS_IN_USE;
    // The address may be taken by a class defined later.
    aliasClasses_.erase(def);
    schema_.removeClass(name);
    return 0;
}
