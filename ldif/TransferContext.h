#pragma once

#include "directory/DirectoryClient.h"

#include <string>

// A seam call that failed: its name as messages give it and its code.
struct CallFailure {
    std::string call;
    NWDSCCODE code = 0;
    explicit operator bool() const { return code != 0; }
};

// The directory context an export or an import works in, its own and released when it goes:
// on the tree of the page's context, names typeless and not made canonical, aliases not
// followed (an alias is written and read as itself), and the page's name context or [Root].
class TransferContext {
public:
    explicit TransferContext(DirectoryClient& client) : client_(client) {}
    ~TransferContext();
    TransferContext(const TransferContext&) = delete;
    TransferContext& operator=(const TransferContext&) = delete;

    // Makes the context like `page`; the failed call otherwise.
    CallFailure open(NWDSContextHandle page, bool pageNameContext);
    NWDSContextHandle handle() const { return context_; }

private:
    DirectoryClient& client_;
    NWDSContextHandle context_ = NO_CONTEXT;
};
