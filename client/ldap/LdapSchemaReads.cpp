// The schema reads over the schema read from the server's subschema entry.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "directory/ResultCodes.h"

NWDSCCODE LdapDirectory::schemaOf(const ContextState& ctx, const Schema*& out) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    out = tree->schema.get();
    return 0;
}

NWDSCCODE LdapDirectory::readSchema(SchemaItems items, Pending::Kind kind,
                                    NWDSContextHandle context, std::uint32_t infoType, bool all,
                                    Buf_T* requestNames, std::int32_t* iterationHandle,
                                    Buf_T* result) {
    auto start = [&](const ContextState& ctx, Pending& fresh) {
        fresh.infoType = infoType;
        if (auto rc = treeOf(ctx, fresh.tree); rc != 0)
            return rc;
        return schemaNamesToRead(items, *fresh.tree->schema, all, requestNames, fresh.names);
    };
    auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
        return fillSchemaReply(items, *pending.tree->schema, pending.names, pending.position,
                               pending.infoType == DS_INFO_DEFS, out, done);
    };
    const bool infoTypeValid = infoType == DS_INFO_NAMES || infoType == DS_INFO_DEFS;
    return runPass(pending_, context, kind, infoTypeValid, iterationHandle, result, start, fill);
}

NWDSCCODE LdapDirectory::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                          bool allClasses, Buf_T* classNames,
                                          std::int32_t* iterationHandle, Buf_T* classDefs) {
    return readSchema(SchemaItems::Classes, Pending::ClassDefs, context, infoType, allClasses,
                      classNames, iterationHandle, classDefs);
}

NWDSCCODE LdapDirectory::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                         bool allAttrs, Buf_T* attrNames,
                                         std::int32_t* iterationHandle, Buf_T* attrDefs) {
    return readSchema(SchemaItems::Attributes, Pending::AttrDefs, context, infoType, allAttrs,
                      attrNames, iterationHandle, attrDefs);
}

NWDSCCODE LdapDirectory::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                          bool allSyntaxes, Buf_T* syntaxNames,
                                          std::int32_t* iterationHandle, Buf_T* syntaxDefs) {
    return readSchema(SchemaItems::Syntaxes, Pending::Syntaxes, context, infoType, allSyntaxes,
                      syntaxNames, iterationHandle, syntaxDefs);
}
