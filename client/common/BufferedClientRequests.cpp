// The checks of a request that come before any client looks at its directory.
#include "BufferedClient.h"
#include "FilterDecoding.h"
#include "Names.h"
#include "RequestDecoding.h"
#include "Schema.h"
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

NWDSCCODE BufferedClient::filterRequest(Buf_T* filter, std::vector<FilterToken>& tokens) const {
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(filter, request); rc != 0)
        return rc;
    return request::searchFilter(*request, tokens);
}

NWDSCCODE BufferedClient::addEntryRequest(NWDSContextHandle context, std::int32_t* iterationHandle,
                                          bool more, Buf_T* objectInfo, const ContextState*& ctx,
                                          std::vector<request::Attribute>& attributes) const {
    ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(objectInfo, request); rc != 0)
        return rc;
    // A new object comes in one request buffer.
    if (more)
        return ERR_INVALID_REQUEST;
    if (iterationHandle != nullptr && *iterationHandle != NO_MORE_ITERATIONS)
        return ERR_INVALID_ITERATION;
    return request::addEntryAttributes(*request, attributes);
}

NWDSCCODE BufferedClient::modifyRequest(NWDSContextHandle context, std::int32_t* iterationHandle,
                                        bool more, Buf_T* changes, const ContextState*& ctx,
                                        std::vector<request::Change>& decoded) const {
    ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (more || (iterationHandle != nullptr && *iterationHandle != NO_MORE_ITERATIONS))
        return ERR_NOT_SUPPORTED;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(changes, request); rc != 0)
        return rc;
    return request::modifyChanges(*request, decoded);
}

NWDSCCODE BufferedClient::effectiveRightsRequest(NWDSContextHandle context, const char* subjectName,
                                                 const char* attrName,
                                                 const std::uint32_t* privileges,
                                                 const ContextState*& ctx) const {
    ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (privileges == nullptr || subjectName == nullptr || attrName == nullptr)
        return ERR_NULL_POINTER;
    return 0;
}

NWDSCCODE BufferedClient::rightsReportRequest(NWDSContextHandle context, const char* subjectName,
                                              RightsReport& report,
                                              const ContextState*& ctx) const {
    report = {};
    ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (subjectName == nullptr)
        return ERR_NULL_POINTER;
    return 0;
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

NWDSCCODE BufferedClient::attributeDefinitionRequest(const char* attrName,
                                                     const Attr_Info_T* attrDef,
                                                     AttributeDefinition& def) {
    if (attrDef == nullptr)
        return ERR_NULL_POINTER;
    def.name = attrName;
    def.flags = attrDef->attrFlags;
    def.syntax = attrDef->attrSyntaxID;
    def.lower = attrDef->attrLower;
    def.upper = attrDef->attrUpper;
    return 0;
}

NWDSCCODE BufferedClient::classDefinitionRequest(const char* className,
                                                 const Class_Info_T* classInfo, Buf_T* classItems,
                                                 ClassDefinition& def) const {
    if (classInfo == nullptr)
        return ERR_NULL_POINTER;
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(classItems, request); rc != 0)
        return rc;
    def.name = className;
    def.flags = classInfo->classFlags;
    return request::classItemLists(*request, def.lists);
}

NWDSCCODE BufferedClient::optionalAttributesRequest(Buf_T* optionalAttrs,
                                                    std::vector<std::string>& attributes) const {
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(optionalAttrs, request); rc != 0)
        return rc;
    return requestNames(*request, {DSV_MODIFY_CLASS_DEF}, attributes);
}
