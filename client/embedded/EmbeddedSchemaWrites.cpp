// Changing the schema: attribute and class definitions. Only a caller with the supervisor
// right on "[Root]" of the context's tree may change it; the rules are the tree's own
// (DirectoryModel, SchemaChanges.cpp).
#include "EmbeddedDirectory.h"
#include "client/common/Names.h"
#include "client/common/RequestDecoding.h"
#include "directory/ResultCodes.h"

NWDSCCODE EmbeddedDirectory::schemaTree(NWDSContextHandle context, const char* name,
                                        DirectoryModel*& tree) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = names::checkSchemaName(name); rc != 0)
        return rc;
    tree = treeOf(*ctx);
    if (tree == nullptr)
        return ERR_NO_SUCH_TREE;
    const std::uint32_t rights = tree->rights().entryRights(identitySubject(*tree), kRootEntry);
    return (rights & DS_ENTRY_SUPERVISOR) != 0 ? 0 : ERR_NO_ACCESS;
}

NWDSCCODE EmbeddedDirectory::NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                                            const Attr_Info_T* attrDef) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, attrName, tree); rc != 0)
        return rc;
    AttributeDefinition def;
    if (auto rc = attributeDefinitionRequest(attrName, attrDef, def); rc != 0)
        return rc;
    return tree->defineAttribute(std::move(def));
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, attrName, tree); rc != 0)
        return rc;
    return tree->removeAttributeDefinition(attrName);
}

NWDSCCODE EmbeddedDirectory::NWDSDefineClass(NWDSContextHandle context, const char* className,
                                             const Class_Info_T* classInfo, Buf_T* classItems) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, className, tree); rc != 0)
        return rc;
    ClassDefinition def;
    if (auto rc = classDefinitionRequest(className, classInfo, classItems, def); rc != 0)
        return rc;
    return tree->defineClass(std::move(def));
}

NWDSCCODE EmbeddedDirectory::NWDSModifyClass(NWDSContextHandle context, const char* className,
                                             Buf_T* optionalAttrs) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, className, tree); rc != 0)
        return rc;
    std::vector<std::string> attributes;
    if (auto rc = optionalAttributesRequest(optionalAttrs, attributes); rc != 0)
        return rc;
    return tree->addOptionalAttributes(className, attributes);
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveClassDef(NWDSContextHandle context, const char* className) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, className, tree); rc != 0)
        return rc;
    return tree->removeClassDefinition(className);
}
