// Writes to the directory and search. This directory does not take changes or searches
// yet: each operation checks its context and answers ERR_NOT_SUPPORTED, never a success.
#include "EmbeddedDirectory.h"
#include "directory/ResultCodes.h"

namespace {
constexpr NWDSCCODE kNotYet = ERR_NOT_SUPPORTED;
}

#define CHECK_CONTEXT(context)                                                                     \
    if (findContext(context) == nullptr)                                                           \
        return ERR_BAD_CONTEXT;

NWDSCCODE EmbeddedDirectory::NWDSAddObject(NWDSContextHandle context, const char*, std::int32_t*,
                                           bool, Buf_T*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveObject(NWDSContextHandle context, const char*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSModifyRDN(NWDSContextHandle context, const char*, const char*,
                                           bool) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSMoveObject(NWDSContextHandle context, const char*, const char*,
                                            const char*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSModifyObject(NWDSContextHandle context, const char*, std::int32_t*,
                                              bool, Buf_T*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSDefineAttr(NWDSContextHandle context, const char*,
                                            const Attr_Info_T*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveAttrDef(NWDSContextHandle context, const char*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSDefineClass(NWDSContextHandle context, const char*,
                                             const Class_Info_T*, Buf_T*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveClassDef(NWDSContextHandle context, const char*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}

NWDSCCODE EmbeddedDirectory::NWDSModifyClass(NWDSContextHandle context, const char*, Buf_T*) {
    CHECK_CONTEXT(context)
    return kNotYet;
}
