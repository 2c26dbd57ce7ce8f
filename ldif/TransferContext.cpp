#include "TransferContext.h"

#include <cstdio>

TransferContext::~TransferContext() {
    if (context_ != NO_CONTEXT)
        client_.NWDSFreeContext(context_);
}

CallFailure TransferContext::open(NWDSContextHandle page, bool pageNameContext) {
    char tree[MAX_TREE_NAME_BYTES] = {};
    if (auto rc = client_.NWDSGetContext(page, DCK_TREE_NAME, tree, sizeof tree); rc != 0)
        return {"NWDSGetContext", rc};
    char nameContext[MAX_DN_BYTES] = {};
    if (pageNameContext) {
        if (auto rc =
                client_.NWDSGetContext(page, DCK_NAME_CONTEXT, nameContext, sizeof nameContext);
            rc != 0)
            return {"NWDSGetContext", rc};
    } else {
        std::snprintf(nameContext, sizeof nameContext, "%s", ROOT_NAME);
    }
    std::uint32_t flags = 0;
    if (auto rc = client_.NWDSGetContext(page, DCK_FLAGS, &flags, sizeof flags); rc != 0)
        return {"NWDSGetContext", rc};
    flags =
        (flags | DCV_TYPELESS_NAMES) & ~std::uint32_t(DCV_CANONICALIZE_NAMES | DCV_DEREF_ALIASES);
    NWDSContextHandle context = NO_CONTEXT;
    if (auto rc = client_.NWDSCreateContextHandle(&context); rc != 0)
        return {"NWDSCreateContextHandle", rc};
    context_ = context;
    if (auto rc = client_.NWDSSetContext(context_, DCK_FLAGS, &flags); rc != 0)
        return {"NWDSSetContext", rc};
    if (auto rc = client_.NWDSSetContext(context_, DCK_TREE_NAME, tree); rc != 0)
        return {"NWDSSetContext", rc};
    if (auto rc = client_.NWDSSetContext(context_, DCK_NAME_CONTEXT, nameContext); rc != 0)
        return {"NWDSSetContext", rc};
    return {};
}
