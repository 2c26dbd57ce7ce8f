// The checks of a request that come before any client looks at its directory.
#include "BufferedClient.h"
#include "Names.h"
#include "RequestDecoding.h"
#include "directory/ResultCodes.h"

NWDSCCODE BufferedClient::searchRequest(std::int32_t scope, std::uint32_t infoType, bool allAttrs,
                                        Buf_T* attrNames,
                                        std::vector<std::string>& wantedNames) const {
    if (scope != DS_SEARCH_ENTRY && scope != DS_SEARCH_SUBORDINATES && scope != DS_SEARCH_SUBTREE)
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    wantedNames.clear();
    if (allAttrs)
        return 0;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(attrNames, request); rc != 0)
        return rc;
    return requestNames(*request, {DSV_SEARCH}, wantedNames);
}

NWDSCCODE BufferedClient::modifyRequest(std::int32_t* iterationHandle, bool more, Buf_T* changes,
                                        std::vector<request::Change>& decoded) const {
    if (more || (iterationHandle != nullptr && *iterationHandle != NO_MORE_ITERATIONS))
        return ERR_NOT_SUPPORTED;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(changes, request); rc != 0)
        return rc;
    return request::modifyChanges(*request, decoded);
}

NWDSCCODE BufferedClient::streamRequest(const char* attrName, std::uint32_t flags,
                                        NWFILE_HANDLE* fileHandle) {
    if (fileHandle == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    if (flags & DS_WRITE_STREAM)
        return ERR_NOT_SUPPORTED;
    if (flags != DS_READ_STREAM)
        return ERR_INVALID_REQUEST;
    return 0;
}
