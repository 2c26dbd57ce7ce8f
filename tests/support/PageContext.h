#pragma once

#include "directory/DirectoryClient.h"

#include <cstdint>

// The flags every page gives its context: names typeless ("Jane.Sales.Acme"), and not made
// canonical.
inline void usePageFlags(DirectoryClient& client, NWDSContextHandle context) {
    std::uint32_t flags = 0;
    client.NWDSGetContext(context, DCK_FLAGS, &flags, sizeof flags);
    flags = (flags | DCV_TYPELESS_NAMES) & ~std::uint32_t(DCV_CANONICALIZE_NAMES);
    client.NWDSSetContext(context, DCK_FLAGS, &flags);
}

// A context as the pages set theirs up, on a tree and a name context when given; NO_CONTEXT
// when none can be made.
inline NWDSContextHandle pageContextOn(DirectoryClient& client, const char* tree = nullptr,
                                       const char* nameContext = nullptr) {
    NWDSContextHandle context = NO_CONTEXT;
    if (client.NWDSCreateContextHandle(&context) != 0)
        return NO_CONTEXT;
    usePageFlags(client, context);
    if (tree != nullptr)
        client.NWDSSetContext(context, DCK_TREE_NAME, tree);
    if (nameContext != nullptr)
        client.NWDSSetContext(context, DCK_NAME_CONTEXT, nameContext);
    return context;
}
