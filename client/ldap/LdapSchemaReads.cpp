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

NWDSCCODE LdapDirectory::readSchema(SchemaItems items, NWDSContextHandle context,
                                    std::uint32_t infoType, bool all, Buf_T* requestNames,
                                    std::int32_t* iterationHandle, Buf_T* result) {
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
    const Pending::Kind kind = items == SchemaItems::Classes      ? Pending::ClassDefs
                               : items == SchemaItems::Attributes ? Pending::AttrDefs
                                                                  : Pending::Syntaxes;
    return runPass(pending_, context, kind, infoTypeValid, iterationHandle, result, start, fill);
}
