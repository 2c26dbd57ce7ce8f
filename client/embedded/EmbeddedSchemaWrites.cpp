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
    if (attrDef == nullptr)
        return ERR_NULL_POINTER;
    AttributeDefinition def;
    def.name = attrName;
    def.flags = attrDef->attrFlags;
    def.syntax = attrDef->attrSyntaxID;
    def.lower = attrDef->attrLower;
    def.upper = attrDef->attrUpper;
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
    if (classInfo == nullptr)
        return ERR_NULL_POINTER;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(classItems, request); rc != 0)
        return rc;
    ClassDefinition def;
    def.name = className;
    def.flags = classInfo->classFlags;
    if (auto rc = request::classItemLists(*request, def.lists); rc != 0)
        return rc;
    return tree->defineClass(std::move(def));
}

NWDSCCODE EmbeddedDirectory::NWDSModifyClass(NWDSContextHandle context, const char* className,
                                             Buf_T* optionalAttrs) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, className, tree); rc != 0)
        return rc;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(optionalAttrs, request); rc != 0)
        return rc;
    std::vector<std::string> attributes;
    if (auto rc = requestNames(*request, {DSV_MODIFY_CLASS_DEF}, attributes); rc != 0)
        return rc;
    return tree->addOptionalAttributes(className, attributes);
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveClassDef(NWDSContextHandle context, const char* className) {
    DirectoryModel* tree = nullptr;
    if (auto rc = schemaTree(context, className, tree); rc != 0)
        return rc;
    return tree->removeClassDefinition(className);
}
