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

NWDSCCODE EmbeddedDirectory::startSchemaRead(const ContextState& ctx, Pending& fresh) {
    fresh.tree = treeOf(ctx);
    return fresh.tree == nullptr ? ERR_NO_SUCH_TREE : 0;
}

const Schema& EmbeddedDirectory::schemaRead(const Pending& state) const {
    return state.tree->schema();
}
