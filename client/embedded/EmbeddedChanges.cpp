// Search. This directory does not search yet: the operation checks its context and answers
// ERR_NOT_SUPPORTED, never a success.
#include "EmbeddedDirectory.h"
#include "directory/ResultCodes.h"

NWDSCCODE EmbeddedDirectory::NWDSSearch(NWDSContextHandle context, const char*, std::int32_t, bool,
                                        Buf_T*, std::uint32_t, bool, Buf_T*, std::int32_t*,
                                        std::int32_t, std::int32_t*, Buf_T*) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    return ERR_NOT_SUPPORTED;
}
