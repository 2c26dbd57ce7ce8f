// Reading the schema: class, attribute and syntax definitions.
#include "EmbeddedDirectory.h"
#include "directory/ResultCodes.h"

NWDSCCODE EmbeddedDirectory::schemaOf(const ContextState& ctx, const Schema*& out) {
    DirectoryModel* tree = treeOf(ctx);
    if (tree == nullptr)
        return ERR_NO_SUCH_TREE;
    out = &tree->schema();
    return 0;
}

NWDSCCODE EmbeddedDirectory::readSchema(SchemaItems items, NWDSContextHandle context,
                                        std::uint32_t infoType, bool all, Buf_T* requestNames,
                                        std::int32_t* iterationHandle, Buf_T* result) {
    auto start = [&](const ContextState& ctx, Pending& fresh) -> NWDSCCODE {
        fresh.tree = treeOf(ctx);
        fresh.infoType = infoType;
        if (fresh.tree == nullptr)
            return ERR_NO_SUCH_TREE;
        return schemaNamesToRead(items, fresh.tree->schema(), all, requestNames, fresh.names);
    };
    auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
        return fillSchemaReply(items, pending.tree->schema(), pending.names, pending.position,
                               pending.infoType == DS_INFO_DEFS, out, done);
    };
    const bool infoTypeValid = infoType == DS_INFO_NAMES || infoType == DS_INFO_DEFS;
    const Pending::Kind kind = items == SchemaItems::Classes      ? Pending::ClassDefs
                               : items == SchemaItems::Attributes ? Pending::AttrDefs
                                                                  : Pending::Syntaxes;
    return runPass(pending_, context, kind, infoTypeValid, iterationHandle, result, start, fill);
}
