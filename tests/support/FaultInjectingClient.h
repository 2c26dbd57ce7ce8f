#pragma once

#include "directory/DirectoryClient.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Wraps any DirectoryClient and makes chosen calls fail: the nth call of a named operation
// (counted from when the fault was set) returns the given code without reaching the inner
// client. Every call is counted per operation. Resource counts are the inner client's when
// it keeps them.
class FaultInjectingClient : public DirectoryClient, public ResourceAccounting {
public:
    explicit FaultInjectingClient(DirectoryClient& inner) : inner_(inner) {}

    // The nth (1-based) next call of `operation` (its method name, "NWDSList") fails.
    void failCall(std::string_view operation, int nth, NWDSCCODE code);
    // The nth next call of `operation` and every one after it fail.
    void failFrom(std::string_view operation, int nth, NWDSCCODE code);
    void clearFaults() { faults_.clear(); }
    // Calls of `operation` made through this wrapper, failed ones included.
    int callCount(std::string_view operation) const;
    void resetCounts() { calls_.clear(); }

    ClientResourceCounts outstandingResources() const override;
    DirectoryClient& inner() { return inner_; }

    NWDSCCODE NWCallsInit(void* reserved1, void* reserved2) override;
    NWDSCCODE NWDSCreateContextHandle(NWDSContextHandle* context) override;
    NWDSCCODE NWDSFreeContext(NWDSContextHandle context) override;
    NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void* value,
                             std::size_t valueSize) override;
    NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void* value) override;
    NWDSCCODE NWDSSetDefNameContext(NWDSContextHandle context, std::uint32_t nameLength,
                                    const char* name) override;
    std::string serverReason(NWDSCCODE code) const override { return inner_.serverReason(code); }
    std::string limitReached(NWDSCCODE code) const override { return inner_.limitReached(code); }
    std::string clientReason(NWDSCCODE code) const override { return inner_.clientReason(code); }
    std::string changeNote() const override { return inner_.changeNote(); }
    std::string takeRefusedNote() override { return inner_.takeRefusedNote(); }
    NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                            const char* objectName, RightsReport& report) override {
        return inner_.explainRights(context, subjectName, objectName, report);
    }
    NWDSCCODE nameToText(NWDSContextHandle context, NamedItem item, const char* name,
                         std::string& text) override;
    NWDSCCODE nameFromText(NWDSContextHandle context, NamedItem item, std::string_view text,
                           std::string& name) override;
    NWDSCCODE getAttrValText(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             std::string& text) override;
    NWDSCCODE putAttrValText(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             std::string_view text) override;
    NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                         std::size_t objectNameSize) override;
    NWDSCCODE NWDSAllocBuf(std::size_t size, Buf_T** buffer) override;
    NWDSCCODE NWDSFreeBuf(Buf_T* buffer) override;
    NWDSCCODE NWDSInitBuf(NWDSContextHandle context, std::uint32_t operation,
                          Buf_T* buffer) override;
    NWDSCCODE NWDSPutAttrName(NWDSContextHandle context, Buf_T* buffer,
                              const char* attrName) override;
    NWDSCCODE NWDSPutAttrVal(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             const void* attrVal) override;
    NWDSCCODE NWDSPutChange(NWDSContextHandle context, Buf_T* buffer, std::uint32_t changeType,
                            const char* attrName) override;
    NWDSCCODE NWDSBeginClassItem(NWDSContextHandle context, Buf_T* buffer) override;
    NWDSCCODE NWDSPutClassItem(NWDSContextHandle context, Buf_T* buffer,
                               const char* itemName) override;
    NWDSCCODE NWDSGetObjectCount(NWDSContextHandle context, Buf_T* buffer,
                                 std::uint32_t* objectCount) override;
    NWDSCCODE NWDSGetObjectName(NWDSContextHandle context, Buf_T* buffer, char* objectName,
                                std::size_t objectNameSize, std::uint32_t* attrCount,
                                Object_Info_T* objectInfo) override;
    NWDSCCODE NWDSGetAttrCount(NWDSContextHandle context, Buf_T* buffer,
                               std::uint32_t* attrCount) override;
    NWDSCCODE NWDSGetAttrName(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                              std::size_t attrNameSize, std::uint32_t* attrValCount,
                              std::uint32_t* syntaxID) override;
    NWDSCCODE NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T* buffer,
                                     std::uint32_t syntaxID, std::uint32_t* attrValSize) override;
    NWDSCCODE NWDSGetAttrVal(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             void* attrVal, std::size_t attrValSize) override;
    NWDSCCODE NWDSGetClassDefCount(NWDSContextHandle context, Buf_T* buffer,
                                   std::uint32_t* classDefCount) override;
    NWDSCCODE NWDSGetClassDef(NWDSContextHandle context, Buf_T* buffer, char* className,
                              std::size_t classNameSize, Class_Info_T* classInfo) override;
    NWDSCCODE NWDSGetClassItemCount(NWDSContextHandle context, Buf_T* buffer,
                                    std::uint32_t* itemCount) override;
    NWDSCCODE NWDSGetClassItem(NWDSContextHandle context, Buf_T* buffer, char* itemName,
                               std::size_t itemNameSize) override;
    NWDSCCODE NWDSGetAttrDef(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                             std::size_t attrNameSize, Attr_Info_T* attrInfo) override;
    NWDSCCODE NWDSGetSyntaxCount(NWDSContextHandle context, Buf_T* buffer,
                                 std::uint32_t* syntaxCount) override;
    NWDSCCODE NWDSGetSyntaxDef(NWDSContextHandle context, Buf_T* buffer, char* syntaxName,
                               std::size_t syntaxNameSize, Syntax_Info_T* syntaxDef) override;
    NWDSCCODE NWDSList(NWDSContextHandle context, const char* objectName,
                       std::int32_t* iterationHandle, Buf_T* subordinates) override;
    NWDSCCODE NWDSCloseIteration(NWDSContextHandle context, std::int32_t iterationHandle,
                                 std::uint32_t operation) override;
    NWDSCCODE NWDSRead(NWDSContextHandle context, const char* objectName, std::uint32_t infoType,
                       bool allAttrs, Buf_T* attrNames, std::int32_t* iterationHandle,
                       Buf_T* objectInfo) override;
    NWDSCCODE NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                 char* distinguishedName, std::size_t distinguishedNameSize,
                                 Object_Info_T* objectInfo) override;
    NWDSCCODE NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType, bool allClasses,
                               Buf_T* classNames, std::int32_t* iterationHandle,
                               Buf_T* classDefs) override;
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType, bool allAttrs,
                              Buf_T* attrNames, std::int32_t* iterationHandle,
                              Buf_T* attrDefs) override;
    NWDSCCODE NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType, bool allSyntaxes,
                               Buf_T* syntaxNames, std::int32_t* iterationHandle,
                               Buf_T* syntaxDefs) override;
    NWDSCCODE NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                              std::uint32_t* syntaxID) override;
    NWDSCCODE NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                Syntax_Info_T* syntaxDef) override;
    NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                     const char* objectName, const char* attrName,
                                     std::uint32_t* privileges) override;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                             const char* attrName, std::uint32_t flags,
                             NWFILE_HANDLE* fileHandle) override;
    NWDSCCODE NWDSAddObject(NWDSContextHandle context, const char* objectName,
                            std::int32_t* iterationHandle, bool more, Buf_T* objectInfo) override;
    NWDSCCODE NWDSRemoveObject(NWDSContextHandle context, const char* objectName) override;
    NWDSCCODE NWDSModifyRDN(NWDSContextHandle context, const char* objectName, const char* newDN,
                            bool deleteOldRDN) override;
    NWDSCCODE NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                             const char* destParentDN, const char* destRDN) override;
    NWDSCCODE NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                               std::int32_t* iterationHandle, bool more, Buf_T* changes) override;
    NWDSCCODE NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                             const Attr_Info_T* attrDef) override;
    NWDSCCODE NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) override;
    NWDSCCODE NWDSDefineClass(NWDSContextHandle context, const char* className,
                              const Class_Info_T* classInfo, Buf_T* classItems) override;
    NWDSCCODE NWDSRemoveClassDef(NWDSContextHandle context, const char* className) override;
    NWDSCCODE NWDSModifyClass(NWDSContextHandle context, const char* className,
                              Buf_T* optionalAttrs) override;
    NWDSCCODE NWDSAllocFilter(Filter_Cursor_T** cursor) override;
    NWDSCCODE NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token, const void* value,
                                 std::uint32_t syntaxID) override;
    NWDSCCODE NWDSPutFilter(NWDSContextHandle context, Buf_T* buffer, Filter_Cursor_T* cursor,
                            FilterValueRelease releaseValue) override;
    NWDSCCODE NWDSFreeFilter(Filter_Cursor_T* cursor, FilterValueRelease releaseValue) override;
    NWDSCCODE NWDSSearch(NWDSContextHandle context, const char* baseObjectName, std::int32_t scope,
                         bool searchAliases, Buf_T* filter, std::uint32_t infoType, bool allAttrs,
                         Buf_T* attrNames, std::int32_t* iterationHandle,
                         std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                         Buf_T* objectInfo) override;
    NWDSCCODE NWCCGetPrimConnRef(NWCCConnRef* connRef) override;
    NWDSCCODE NWCCOpenConnByRef(NWCCConnRef connRef, std::uint32_t openState,
                                std::uint32_t reserved, NWCONN_HANDLE* conn) override;
    NWDSCCODE NWCCOpenConnByName(NWCONN_HANDLE startConn, const char* name,
                                 std::uint32_t nameFormat, std::uint32_t openState,
                                 std::uint32_t tranType, NWCONN_HANDLE* conn) override;
    NWDSCCODE NWCCCloseConn(NWCONN_HANDLE conn) override;
    NWDSCCODE NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t infoType,
                              std::uint32_t bufferLength, void* buffer) override;
    NWDSCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName, std::uint16_t objectType,
                           std::uint32_t* objectID, char* objectName,
                           std::size_t objectNameSize) override;

private:
    struct Fault {
        std::string operation;
        int callsLeft; // calls of the operation until the one that fails
        NWDSCCODE code;
        bool onward; // and every later call
    };
    std::optional<NWDSCCODE> fault(std::string_view operation);

    DirectoryClient& inner_;
    std::vector<Fault> faults_;
    std::map<std::string, int, std::less<>> calls_;
};
