#include "FaultInjectingClient.h"

#include <vector>

void FaultInjectingClient::failCall(std::string_view operation, int nth, NWDSCCODE code) {
    if (nth < 1)
        return;
    faults_.push_back({std::string(operation), nth, code, false});
}

void FaultInjectingClient::failFrom(std::string_view operation, int nth, NWDSCCODE code) {
    if (nth < 1)
        return;
    faults_.push_back({std::string(operation), nth, code, true});
}

int FaultInjectingClient::callCount(std::string_view operation) const {
    auto it = calls_.find(operation);
    return it == calls_.end() ? 0 : it->second;
}

ClientResourceCounts FaultInjectingClient::outstandingResources() const {
    if (auto* accounting = dynamic_cast<const ResourceAccounting*>(&inner_))
        return accounting->outstandingResources();
    return {};
}

std::optional<NWDSCCODE> FaultInjectingClient::fault(std::string_view operation) {
    auto it = calls_.find(operation);
    if (it == calls_.end())
        it = calls_.emplace(std::string(operation), 0).first;
    ++it->second;
    std::optional<NWDSCCODE> result;
    for (auto& f : faults_) {
        if (f.operation != operation)
            continue;
        if (f.callsLeft > 0)
            --f.callsLeft;
        if (f.callsLeft == 0 && !result)
            result = f.code;
    }
    // A one-time fault is used up once it has fired.
    std::erase_if(faults_, [&](const Fault& f) {
        return f.operation == operation && f.callsLeft == 0 && !f.onward;
    });
    return result;
}

NWDSCCODE FaultInjectingClient::NWCallsInit(void* reserved1, void* reserved2) {
    if (auto code = fault("NWCallsInit"))
        return *code;
    return inner_.NWCallsInit(reserved1, reserved2);
}

NWDSCCODE FaultInjectingClient::NWDSCreateContextHandle(NWDSContextHandle* context) {
    if (auto code = fault("NWDSCreateContextHandle"))
        return *code;
    return inner_.NWDSCreateContextHandle(context);
}

NWDSCCODE FaultInjectingClient::NWDSFreeContext(NWDSContextHandle context) {
    if (auto code = fault("NWDSFreeContext"))
        return *code;
    return inner_.NWDSFreeContext(context);
}

NWDSCCODE FaultInjectingClient::NWDSGetContext(NWDSContextHandle context, int key, void* value,
                                               std::size_t valueSize) {
    if (auto code = fault("NWDSGetContext"))
        return *code;
    return inner_.NWDSGetContext(context, key, value, valueSize);
}

NWDSCCODE FaultInjectingClient::NWDSSetContext(NWDSContextHandle context, int key,
                                               const void* value) {
    if (auto code = fault("NWDSSetContext"))
        return *code;
    return inner_.NWDSSetContext(context, key, value);
}

NWDSCCODE FaultInjectingClient::NWDSSetDefNameContext(NWDSContextHandle context,
                                                      std::uint32_t nameLength, const char* name) {
    if (auto code = fault("NWDSSetDefNameContext"))
        return *code;
    return inner_.NWDSSetDefNameContext(context, nameLength, name);
}

NWDSCCODE FaultInjectingClient::NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                           std::size_t objectNameSize) {
    if (auto code = fault("NWDSWhoAmI"))
        return *code;
    return inner_.NWDSWhoAmI(context, objectName, objectNameSize);
}

NWDSCCODE FaultInjectingClient::NWDSAllocBuf(std::size_t size, Buf_T** buffer) {
    if (auto code = fault("NWDSAllocBuf"))
        return *code;
    return inner_.NWDSAllocBuf(size, buffer);
}

NWDSCCODE FaultInjectingClient::NWDSFreeBuf(Buf_T* buffer) {
    if (auto code = fault("NWDSFreeBuf"))
        return *code;
    return inner_.NWDSFreeBuf(buffer);
}

NWDSCCODE FaultInjectingClient::NWDSInitBuf(NWDSContextHandle context, std::uint32_t operation,
                                            Buf_T* buffer) {
    if (auto code = fault("NWDSInitBuf"))
        return *code;
    return inner_.NWDSInitBuf(context, operation, buffer);
}

NWDSCCODE FaultInjectingClient::NWDSPutAttrName(NWDSContextHandle context, Buf_T* buffer,
                                                const char* attrName) {
    if (auto code = fault("NWDSPutAttrName"))
        return *code;
    return inner_.NWDSPutAttrName(context, buffer, attrName);
}

NWDSCCODE FaultInjectingClient::NWDSPutAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                               std::uint32_t syntaxID, const void* attrVal) {
    if (auto code = fault("NWDSPutAttrVal"))
        return *code;
    return inner_.NWDSPutAttrVal(context, buffer, syntaxID, attrVal);
}

NWDSCCODE FaultInjectingClient::NWDSPutChange(NWDSContextHandle context, Buf_T* buffer,
                                              std::uint32_t changeType, const char* attrName) {
    if (auto code = fault("NWDSPutChange"))
        return *code;
    return inner_.NWDSPutChange(context, buffer, changeType, attrName);
}

NWDSCCODE FaultInjectingClient::NWDSBeginClassItem(NWDSContextHandle context, Buf_T* buffer) {
    if (auto code = fault("NWDSBeginClassItem"))
        return *code;
    return inner_.NWDSBeginClassItem(context, buffer);
}

NWDSCCODE FaultInjectingClient::NWDSPutClassItem(NWDSContextHandle context, Buf_T* buffer,
                                                 const char* itemName) {
    if (auto code = fault("NWDSPutClassItem"))
        return *code;
    return inner_.NWDSPutClassItem(context, buffer, itemName);
}

NWDSCCODE FaultInjectingClient::NWDSGetObjectCount(NWDSContextHandle context, Buf_T* buffer,
                                                   std::uint32_t* objectCount) {
    if (auto code = fault("NWDSGetObjectCount"))
        return *code;
    return inner_.NWDSGetObjectCount(context, buffer, objectCount);
}

NWDSCCODE FaultInjectingClient::NWDSGetObjectName(NWDSContextHandle context, Buf_T* buffer,
                                                  char* objectName, std::size_t objectNameSize,
                                                  std::uint32_t* attrCount,
                                                  Object_Info_T* objectInfo) {
    if (auto code = fault("NWDSGetObjectName"))
        return *code;
    return inner_.NWDSGetObjectName(context, buffer, objectName, objectNameSize, attrCount,
                                    objectInfo);
}

NWDSCCODE FaultInjectingClient::NWDSGetAttrCount(NWDSContextHandle context, Buf_T* buffer,
                                                 std::uint32_t* attrCount) {
    if (auto code = fault("NWDSGetAttrCount"))
        return *code;
    return inner_.NWDSGetAttrCount(context, buffer, attrCount);
}

NWDSCCODE FaultInjectingClient::NWDSGetAttrName(NWDSContextHandle context, Buf_T* buffer,
                                                char* attrName, std::size_t attrNameSize,
                                                std::uint32_t* attrValCount,
                                                std::uint32_t* syntaxID) {
    if (auto code = fault("NWDSGetAttrName"))
        return *code;
    return inner_.NWDSGetAttrName(context, buffer, attrName, attrNameSize, attrValCount, syntaxID);
}

NWDSCCODE FaultInjectingClient::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T* buffer,
                                                       std::uint32_t syntaxID,
                                                       std::uint32_t* attrValSize) {
    if (auto code = fault("NWDSComputeAttrValSize"))
        return *code;
    return inner_.NWDSComputeAttrValSize(context, buffer, syntaxID, attrValSize);
}

NWDSCCODE FaultInjectingClient::NWDSGetAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                               std::uint32_t syntaxID, void* attrVal,
                                               std::size_t attrValSize) {
    if (auto code = fault("NWDSGetAttrVal"))
        return *code;
    return inner_.NWDSGetAttrVal(context, buffer, syntaxID, attrVal, attrValSize);
}

NWDSCCODE FaultInjectingClient::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T* buffer,
                                                     std::uint32_t* classDefCount) {
    if (auto code = fault("NWDSGetClassDefCount"))
        return *code;
    return inner_.NWDSGetClassDefCount(context, buffer, classDefCount);
}

NWDSCCODE FaultInjectingClient::NWDSGetClassDef(NWDSContextHandle context, Buf_T* buffer,
                                                char* className, std::size_t classNameSize,
                                                Class_Info_T* classInfo) {
    if (auto code = fault("NWDSGetClassDef"))
        return *code;
    return inner_.NWDSGetClassDef(context, buffer, className, classNameSize, classInfo);
}

NWDSCCODE FaultInjectingClient::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T* buffer,
                                                      std::uint32_t* itemCount) {
    if (auto code = fault("NWDSGetClassItemCount"))
        return *code;
    return inner_.NWDSGetClassItemCount(context, buffer, itemCount);
}

NWDSCCODE FaultInjectingClient::NWDSGetClassItem(NWDSContextHandle context, Buf_T* buffer,
                                                 char* itemName, std::size_t itemNameSize) {
    if (auto code = fault("NWDSGetClassItem"))
        return *code;
    return inner_.NWDSGetClassItem(context, buffer, itemName, itemNameSize);
}

NWDSCCODE FaultInjectingClient::NWDSGetAttrDef(NWDSContextHandle context, Buf_T* buffer,
                                               char* attrName, std::size_t attrNameSize,
                                               Attr_Info_T* attrInfo) {
    if (auto code = fault("NWDSGetAttrDef"))
        return *code;
    return inner_.NWDSGetAttrDef(context, buffer, attrName, attrNameSize, attrInfo);
}

NWDSCCODE FaultInjectingClient::NWDSGetSyntaxCount(NWDSContextHandle context, Buf_T* buffer,
                                                   std::uint32_t* syntaxCount) {
    if (auto code = fault("NWDSGetSyntaxCount"))
        return *code;
    return inner_.NWDSGetSyntaxCount(context, buffer, syntaxCount);
}

NWDSCCODE FaultInjectingClient::NWDSGetSyntaxDef(NWDSContextHandle context, Buf_T* buffer,
                                                 char* syntaxName, std::size_t syntaxNameSize,
                                                 Syntax_Info_T* syntaxDef) {
    if (auto code = fault("NWDSGetSyntaxDef"))
        return *code;
    return inner_.NWDSGetSyntaxDef(context, buffer, syntaxName, syntaxNameSize, syntaxDef);
}

NWDSCCODE FaultInjectingClient::NWDSList(NWDSContextHandle context, const char* objectName,
                                         std::int32_t* iterationHandle, Buf_T* subordinates) {
    if (auto code = fault("NWDSList"))
        return *code;
    return inner_.NWDSList(context, objectName, iterationHandle, subordinates);
}

NWDSCCODE FaultInjectingClient::NWDSRead(NWDSContextHandle context, const char* objectName,
                                         std::uint32_t infoType, bool allAttrs, Buf_T* attrNames,
                                         std::int32_t* iterationHandle, Buf_T* objectInfo) {
    if (auto code = fault("NWDSRead"))
        return *code;
    return inner_.NWDSRead(context, objectName, infoType, allAttrs, attrNames, iterationHandle,
                           objectInfo);
}

NWDSCCODE FaultInjectingClient::NWDSReadObjectInfo(NWDSContextHandle context,
                                                   const char* objectName, char* distinguishedName,
                                                   std::size_t distinguishedNameSize,
                                                   Object_Info_T* objectInfo) {
    if (auto code = fault("NWDSReadObjectInfo"))
        return *code;
    return inner_.NWDSReadObjectInfo(context, objectName, distinguishedName, distinguishedNameSize,
                                     objectInfo);
}

NWDSCCODE FaultInjectingClient::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                                 bool allClasses, Buf_T* classNames,
                                                 std::int32_t* iterationHandle, Buf_T* classDefs) {
    if (auto code = fault("NWDSReadClassDef"))
        return *code;
    return inner_.NWDSReadClassDef(context, infoType, allClasses, classNames, iterationHandle,
                                   classDefs);
}

NWDSCCODE FaultInjectingClient::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                                bool allAttrs, Buf_T* attrNames,
                                                std::int32_t* iterationHandle, Buf_T* attrDefs) {
    if (auto code = fault("NWDSReadAttrDef"))
        return *code;
    return inner_.NWDSReadAttrDef(context, infoType, allAttrs, attrNames, iterationHandle,
                                  attrDefs);
}

NWDSCCODE FaultInjectingClient::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                                 bool allSyntaxes, Buf_T* syntaxNames,
                                                 std::int32_t* iterationHandle, Buf_T* syntaxDefs) {
    if (auto code = fault("NWDSReadSyntaxes"))
        return *code;
    return inner_.NWDSReadSyntaxes(context, infoType, allSyntaxes, syntaxNames, iterationHandle,
                                   syntaxDefs);
}

NWDSCCODE FaultInjectingClient::NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                                                std::uint32_t* syntaxID) {
    if (auto code = fault("NWDSGetSyntaxID"))
        return *code;
    return inner_.NWDSGetSyntaxID(context, attrName, syntaxID);
}

NWDSCCODE FaultInjectingClient::NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                                  Syntax_Info_T* syntaxDef) {
    if (auto code = fault("NWDSReadSyntaxDef"))
        return *code;
    return inner_.NWDSReadSyntaxDef(context, syntaxID, syntaxDef);
}

NWDSCCODE FaultInjectingClient::NWDSGetEffectiveRights(NWDSContextHandle context,
                                                       const char* subjectName,
                                                       const char* objectName, const char* attrName,
                                                       std::uint32_t* privileges) {
    if (auto code = fault("NWDSGetEffectiveRights"))
        return *code;
    return inner_.NWDSGetEffectiveRights(context, subjectName, objectName, attrName, privileges);
}

NWDSCCODE FaultInjectingClient::NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                                               const char* attrName, std::uint32_t flags,
                                               NWFILE_HANDLE* fileHandle) {
    if (auto code = fault("NWDSOpenStream"))
        return *code;
    return inner_.NWDSOpenStream(context, objectName, attrName, flags, fileHandle);
}

NWDSCCODE FaultInjectingClient::NWDSAddObject(NWDSContextHandle context, const char* objectName,
                                              std::int32_t* iterationHandle, bool more,
                                              Buf_T* objectInfo) {
    if (auto code = fault("NWDSAddObject"))
        return *code;
    return inner_.NWDSAddObject(context, objectName, iterationHandle, more, objectInfo);
}

NWDSCCODE FaultInjectingClient::NWDSRemoveObject(NWDSContextHandle context,
                                                 const char* objectName) {
    if (auto code = fault("NWDSRemoveObject"))
        return *code;
    return inner_.NWDSRemoveObject(context, objectName);
}

NWDSCCODE FaultInjectingClient::NWDSModifyRDN(NWDSContextHandle context, const char* objectName,
                                              const char* newDN, bool deleteOldRDN) {
    if (auto code = fault("NWDSModifyRDN"))
        return *code;
    return inner_.NWDSModifyRDN(context, objectName, newDN, deleteOldRDN);
}

NWDSCCODE FaultInjectingClient::NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                                               const char* destParentDN, const char* destRDN) {
    if (auto code = fault("NWDSMoveObject"))
        return *code;
    return inner_.NWDSMoveObject(context, objectName, destParentDN, destRDN);
}

NWDSCCODE FaultInjectingClient::NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                                                 std::int32_t* iterationHandle, bool more,
                                                 Buf_T* changes) {
    if (auto code = fault("NWDSModifyObject"))
        return *code;
    return inner_.NWDSModifyObject(context, objectName, iterationHandle, more, changes);
}

NWDSCCODE FaultInjectingClient::NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                                               const Attr_Info_T* attrDef) {
    if (auto code = fault("NWDSDefineAttr"))
        return *code;
    return inner_.NWDSDefineAttr(context, attrName, attrDef);
}

NWDSCCODE FaultInjectingClient::NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) {
    if (auto code = fault("NWDSRemoveAttrDef"))
        return *code;
    return inner_.NWDSRemoveAttrDef(context, attrName);
}

NWDSCCODE FaultInjectingClient::NWDSDefineClass(NWDSContextHandle context, const char* className,
                                                const Class_Info_T* classInfo, Buf_T* classItems) {
    if (auto code = fault("NWDSDefineClass"))
        return *code;
    return inner_.NWDSDefineClass(context, className, classInfo, classItems);
}

NWDSCCODE FaultInjectingClient::NWDSRemoveClassDef(NWDSContextHandle context,
                                                   const char* className) {
    if (auto code = fault("NWDSRemoveClassDef"))
        return *code;
    return inner_.NWDSRemoveClassDef(context, className);
}

NWDSCCODE FaultInjectingClient::NWDSModifyClass(NWDSContextHandle context, const char* className,
                                                Buf_T* optionalAttrs) {
    if (auto code = fault("NWDSModifyClass"))
        return *code;
    return inner_.NWDSModifyClass(context, className, optionalAttrs);
}

NWDSCCODE FaultInjectingClient::NWDSAllocFilter(Filter_Cursor_T** cursor) {
    if (auto code = fault("NWDSAllocFilter"))
        return *code;
    return inner_.NWDSAllocFilter(cursor);
}

NWDSCCODE FaultInjectingClient::NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token,
                                                   const void* value, std::uint32_t syntaxID) {
    if (auto code = fault("NWDSAddFilterToken"))
        return *code;
    return inner_.NWDSAddFilterToken(cursor, token, value, syntaxID);
}

NWDSCCODE FaultInjectingClient::NWDSPutFilter(NWDSContextHandle context, Buf_T* buffer,
                                              Filter_Cursor_T* cursor,
                                              FilterValueRelease releaseValue) {
    if (auto code = fault("NWDSPutFilter"))
        return *code;
    return inner_.NWDSPutFilter(context, buffer, cursor, releaseValue);
}

NWDSCCODE FaultInjectingClient::NWDSFreeFilter(Filter_Cursor_T* cursor,
                                               FilterValueRelease releaseValue) {
    if (auto code = fault("NWDSFreeFilter"))
        return *code;
    return inner_.NWDSFreeFilter(cursor, releaseValue);
}

NWDSCCODE FaultInjectingClient::NWDSSearch(NWDSContextHandle context, const char* baseObjectName,
                                           std::int32_t scope, bool searchAliases, Buf_T* filter,
                                           std::uint32_t infoType, bool allAttrs, Buf_T* attrNames,
                                           std::int32_t* iterationHandle,
                                           std::int32_t countObjectsToSearch,
                                           std::int32_t* countObjectsSearched, Buf_T* objectInfo) {
    if (auto code = fault("NWDSSearch"))
        return *code;
    return inner_.NWDSSearch(context, baseObjectName, scope, searchAliases, filter, infoType,
                             allAttrs, attrNames, iterationHandle, countObjectsToSearch,
                             countObjectsSearched, objectInfo);
}

NWDSCCODE FaultInjectingClient::NWCCGetPrimConnRef(NWCCConnRef* connRef) {
    if (auto code = fault("NWCCGetPrimConnRef"))
        return *code;
    return inner_.NWCCGetPrimConnRef(connRef);
}

NWDSCCODE FaultInjectingClient::NWCCOpenConnByRef(NWCCConnRef connRef, std::uint32_t openState,
                                                  std::uint32_t reserved, NWCONN_HANDLE* conn) {
    if (auto code = fault("NWCCOpenConnByRef"))
        return *code;
    return inner_.NWCCOpenConnByRef(connRef, openState, reserved, conn);
}

NWDSCCODE FaultInjectingClient::NWCCOpenConnByName(NWCONN_HANDLE startConn, const char* name,
                                                   std::uint32_t nameFormat,
                                                   std::uint32_t openState, std::uint32_t tranType,
                                                   NWCONN_HANDLE* conn) {
    if (auto code = fault("NWCCOpenConnByName"))
        return *code;
    return inner_.NWCCOpenConnByName(startConn, name, nameFormat, openState, tranType, conn);
}

NWDSCCODE FaultInjectingClient::NWCCCloseConn(NWCONN_HANDLE conn) {
    if (auto code = fault("NWCCCloseConn"))
        return *code;
    return inner_.NWCCCloseConn(conn);
}

NWDSCCODE FaultInjectingClient::NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t infoType,
                                                std::uint32_t bufferLength, void* buffer) {
    if (auto code = fault("NWCCGetConnInfo"))
        return *code;
    return inner_.NWCCGetConnInfo(conn, infoType, bufferLength, buffer);
}

NWDSCCODE FaultInjectingClient::NWScanObject(NWCONN_HANDLE conn, const char* searchName,
                                             std::uint16_t objectType, std::uint32_t* objectID,
                                             char* objectName, std::size_t objectNameSize) {
    if (auto code = fault("NWScanObject"))
        return *code;
    return inner_.NWScanObject(conn, searchName, objectType, objectID, objectName, objectNameSize);
}

NWDSCCODE FaultInjectingClient::NWDSCloseIteration(NWDSContextHandle context,
                                                   std::int32_t iterationHandle,
                                                   std::uint32_t operation) {
    if (auto code = fault("NWDSCloseIteration"))
        return *code;
    return inner_.NWDSCloseIteration(context, iterationHandle, operation);
}

NWDSCCODE FaultInjectingClient::nameToText(NWDSContextHandle context, NamedItem item,
                                           const char* name, std::string& text) {
    if (auto code = fault("nameToText"))
        return *code;
    return inner_.nameToText(context, item, name, text);
}

NWDSCCODE FaultInjectingClient::nameFromText(NWDSContextHandle context, NamedItem item,
                                             std::string_view text, std::string& name) {
    if (auto code = fault("nameFromText"))
        return *code;
    return inner_.nameFromText(context, item, text, name);
}

NWDSCCODE FaultInjectingClient::getAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                               std::uint32_t syntaxID, std::string& text) {
    if (auto code = fault("getAttrValText"))
        return *code;
    return inner_.getAttrValText(context, buffer, syntaxID, text);
}

NWDSCCODE FaultInjectingClient::putAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                               std::uint32_t syntaxID, std::string_view text) {
    if (auto code = fault("putAttrValText"))
        return *code;
    return inner_.putAttrValText(context, buffer, syntaxID, text);
}
