// The object reads that take one step, the same for every client: the checks of the call and
// the answer in the caller's records, around what the directory finds.
#include "BufferedClient.h"
#include "StreamFile.h"
#include "directory/ResultCodes.h"

NWDSCCODE BufferedClient::NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                             char* distinguishedName,
                                             std::size_t distinguishedNameSize,
                                             Object_Info_T* objectInfo) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (objectInfo == nullptr)
        return ERR_NULL_POINTER;
    Object_Info_T info{};
    std::string fullName;
    if (auto rc = readObjectInfo(*ctx, objectName,
                                 distinguishedName != nullptr ? &fullName : nullptr, info);
        rc != 0)
        return rc;
    if (distinguishedName != nullptr) {
        if (auto rc = copyOut(fullName, distinguishedName, distinguishedNameSize); rc != 0)
            return rc;
    }
    *objectInfo = info;
    return 0;
}

NWDSCCODE BufferedClient::NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                                         const char* attrName, std::uint32_t flags,
                                         NWFILE_HANDLE* fileHandle) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = streamRequest(attrName, flags, fileHandle); rc != 0)
        return rc;
    std::string content;
    if (auto rc = readStream(*ctx, objectName, attrName, content); rc != 0)
        return rc;
    return openStreamFile(content, fileHandle);
}
