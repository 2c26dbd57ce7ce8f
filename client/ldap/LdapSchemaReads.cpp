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

NWDSCCODE LdapDirectory::startSchemaRead(const ContextState& ctx, Pending& fresh) {
    return treeOf(ctx, fresh.tree);
}

const Schema& LdapDirectory::schemaRead(const Pending& state) const {
    return *state.tree->schema;
}
