#pragma once

#include "Codes.h"
#include "Records.h"
#include "ResultCodes.h"
#include "RightsReport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Buffers and filter cursors belong to the client; callers only pass them back.
struct Buf_T;
struct Filter_Cursor_T;

using FilterValueRelease = void (*)(std::uint32_t syntaxID, void* value);

// What a name handed to the text-form calls names.
enum class NamedItem : std::uint8_t { Object, Attribute, Class };

// The one seam between the pages and a directory-client library. Every operation
// returns 0 on success or a negative DirectoryError, never a positive value.
// Output strings are written NUL-terminated into caller arrays of the given size.
class DirectoryClient {
public:
    virtual ~DirectoryClient() = default;

    // ---- Start ----
    virtual NWDSCCODE NWCallsInit(void* reserved1, void* reserved2) = 0;

    // ---- Contexts ----
    virtual NWDSCCODE NWDSCreateContextHandle(NWDSContextHandle* context) = 0;
    virtual NWDSCCODE NWDSFreeContext(NWDSContextHandle context) = 0;
    // Keys 1 and 8 take a std::uint32_t; keys 3 and 11 a char array of valueSize bytes.
    virtual NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void* value,
                                     std::size_t valueSize) = 0;
    // Keys 1 and 8 read a std::uint32_t; keys 3 and 11 a NUL-terminated string.
    virtual NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void* value) = 0;
    virtual NWDSCCODE NWDSSetDefNameContext(NWDSContextHandle context, std::uint32_t nameLength,
                                            const char* name) = 0;
    virtual NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                 std::size_t objectNameSize) = 0;

    // ---- Buffers ----
    virtual NWDSCCODE NWDSAllocBuf(std::size_t size, Buf_T** buffer) = 0;
    virtual NWDSCCODE NWDSFreeBuf(Buf_T* buffer) = 0;
    virtual NWDSCCODE NWDSInitBuf(NWDSContextHandle context, std::uint32_t operation,
                                  Buf_T* buffer) = 0;
    virtual NWDSCCODE NWDSPutAttrName(NWDSContextHandle context, Buf_T* buffer,
                                      const char* attrName) = 0;
    // String syntaxes pass the text itself; every other syntax its value record.
    virtual NWDSCCODE NWDSPutAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                     std::uint32_t syntaxID, const void* attrVal) = 0;
    virtual NWDSCCODE NWDSPutChange(NWDSContextHandle context, Buf_T* buffer,
                                    std::uint32_t changeType, const char* attrName) = 0;
    virtual NWDSCCODE NWDSBeginClassItem(NWDSContextHandle context, Buf_T* buffer) = 0;
    virtual NWDSCCODE NWDSPutClassItem(NWDSContextHandle context, Buf_T* buffer,
                                       const char* itemName) = 0;

    virtual NWDSCCODE NWDSGetObjectCount(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t* objectCount) = 0;
    virtual NWDSCCODE NWDSGetObjectName(NWDSContextHandle context, Buf_T* buffer, char* objectName,
                                        std::size_t objectNameSize, std::uint32_t* attrCount,
                                        Object_Info_T* objectInfo) = 0;
    virtual NWDSCCODE NWDSGetAttrCount(NWDSContextHandle context, Buf_T* buffer,
                                       std::uint32_t* attrCount) = 0;
    virtual NWDSCCODE NWDSGetAttrName(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                                      std::size_t attrNameSize, std::uint32_t* attrValCount,
                                      std::uint32_t* syntaxID) = 0;
    virtual NWDSCCODE NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T* buffer,
                                             std::uint32_t syntaxID,
                                             std::uint32_t* attrValSize) = 0;
    // attrValSize is the size of the caller's record; NWDSComputeAttrValSize gives the one needed.
    virtual NWDSCCODE NWDSGetAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                     std::uint32_t syntaxID, void* attrVal,
                                     std::size_t attrValSize) = 0;
    virtual NWDSCCODE NWDSGetClassDefCount(NWDSContextHandle context, Buf_T* buffer,
                                           std::uint32_t* classDefCount) = 0;
    // classInfo may be null when the buffer holds names only.
    virtual NWDSCCODE NWDSGetClassDef(NWDSContextHandle context, Buf_T* buffer, char* className,
                                      std::size_t classNameSize, Class_Info_T* classInfo) = 0;
    virtual NWDSCCODE NWDSGetClassItemCount(NWDSContextHandle context, Buf_T* buffer,
                                            std::uint32_t* itemCount) = 0;
    virtual NWDSCCODE NWDSGetClassItem(NWDSContextHandle context, Buf_T* buffer, char* itemName,
                                       std::size_t itemNameSize) = 0;
    // attrInfo may be null when the buffer holds names only.
    virtual NWDSCCODE NWDSGetAttrDef(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                                     std::size_t attrNameSize, Attr_Info_T* attrInfo) = 0;
    virtual NWDSCCODE NWDSGetSyntaxCount(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t* syntaxCount) = 0;
    // syntaxDef may be null.
    virtual NWDSCCODE NWDSGetSyntaxDef(NWDSContextHandle context, Buf_T* buffer, char* syntaxName,
                                       std::size_t syntaxNameSize, Syntax_Info_T* syntaxDef) = 0;

    // ---- Reads ----
    virtual NWDSCCODE NWDSList(NWDSContextHandle context, const char* objectName,
                               std::int32_t* iterationHandle, Buf_T* subordinates) = 0;
    // Ends an unfinished multi-pass read (`operation` DSV_LIST, DSV_READ or DSV_SEARCH) before
    // its last pass: what the directory still holds for it is dropped (a server's search is
    // abandoned). A handle of -1 is nothing to close.
    virtual NWDSCCODE NWDSCloseIteration(NWDSContextHandle context, std::int32_t iterationHandle,
                                         std::uint32_t operation) = 0;
    // attrNames is used only when allAttrs is false.
    virtual NWDSCCODE NWDSRead(NWDSContextHandle context, const char* objectName,
                               std::uint32_t infoType, bool allAttrs, Buf_T* attrNames,
                               std::int32_t* iterationHandle, Buf_T* objectInfo) = 0;
    // distinguishedName may be null (no distinguished-name output).
    virtual NWDSCCODE NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                         char* distinguishedName, std::size_t distinguishedNameSize,
                                         Object_Info_T* objectInfo) = 0;
    virtual NWDSCCODE NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                       bool allClasses, Buf_T* classNames,
                                       std::int32_t* iterationHandle, Buf_T* classDefs) = 0;
    virtual NWDSCCODE NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                      bool allAttrs, Buf_T* attrNames,
                                      std::int32_t* iterationHandle, Buf_T* attrDefs) = 0;
    virtual NWDSCCODE NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                       bool allSyntaxes, Buf_T* syntaxNames,
                                       std::int32_t* iterationHandle, Buf_T* syntaxDefs) = 0;
    virtual NWDSCCODE NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                                      std::uint32_t* syntaxID) = 0;
    virtual NWDSCCODE NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                        Syntax_Info_T* syntaxDef) = 0;
    virtual NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                             const char* objectName, const char* attrName,
                                             std::uint32_t* privileges) = 0;
    // Gives an operating-system file handle holding the stream; the caller reads and closes it.
    virtual NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                                     const char* attrName, std::uint32_t flags,
                                     NWFILE_HANDLE* fileHandle) = 0;

    // ---- Changes ----
    virtual NWDSCCODE NWDSAddObject(NWDSContextHandle context, const char* objectName,
                                    std::int32_t* iterationHandle, bool more,
                                    Buf_T* objectInfo) = 0;
    virtual NWDSCCODE NWDSRemoveObject(NWDSContextHandle context, const char* objectName) = 0;
    virtual NWDSCCODE NWDSModifyRDN(NWDSContextHandle context, const char* objectName,
                                    const char* newDN, bool deleteOldRDN) = 0;
    virtual NWDSCCODE NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                                     const char* destParentDN, const char* destRDN) = 0;
    virtual NWDSCCODE NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                                       std::int32_t* iterationHandle, bool more,
                                       Buf_T* changes) = 0;
    virtual NWDSCCODE NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                                     const Attr_Info_T* attrDef) = 0;
    virtual NWDSCCODE NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) = 0;
    virtual NWDSCCODE NWDSDefineClass(NWDSContextHandle context, const char* className,
                                      const Class_Info_T* classInfo, Buf_T* classItems) = 0;
    virtual NWDSCCODE NWDSRemoveClassDef(NWDSContextHandle context, const char* className) = 0;
    virtual NWDSCCODE NWDSModifyClass(NWDSContextHandle context, const char* className,
                                      Buf_T* optionalAttrs) = 0;

    // ---- Search ----
    virtual NWDSCCODE NWDSAllocFilter(Filter_Cursor_T** cursor) = 0;
    virtual NWDSCCODE NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token,
                                         const void* value, std::uint32_t syntaxID) = 0;
    // On success the filter belongs to the buffer and the cursor is gone.
    virtual NWDSCCODE NWDSPutFilter(NWDSContextHandle context, Buf_T* buffer,
                                    Filter_Cursor_T* cursor, FilterValueRelease releaseValue) = 0;
    virtual NWDSCCODE NWDSFreeFilter(Filter_Cursor_T* cursor, FilterValueRelease releaseValue) = 0;
    virtual NWDSCCODE NWDSSearch(NWDSContextHandle context, const char* baseObjectName,
                                 std::int32_t scope, bool searchAliases, Buf_T* filter,
                                 std::uint32_t infoType, bool allAttrs, Buf_T* attrNames,
                                 std::int32_t* iterationHandle, std::int32_t countObjectsToSearch,
                                 std::int32_t* countObjectsSearched, Buf_T* objectInfo) = 0;

    // ---- Connections ----
    virtual NWDSCCODE NWCCGetPrimConnRef(NWCCConnRef* connRef) = 0;
    virtual NWDSCCODE NWCCOpenConnByRef(NWCCConnRef connRef, std::uint32_t openState,
                                        std::uint32_t reserved, NWCONN_HANDLE* conn) = 0;
    virtual NWDSCCODE NWCCOpenConnByName(NWCONN_HANDLE startConn, const char* name,
                                         std::uint32_t nameFormat, std::uint32_t openState,
                                         std::uint32_t tranType, NWCONN_HANDLE* conn) = 0;
    virtual NWDSCCODE NWCCCloseConn(NWCONN_HANDLE conn) = 0;
    virtual NWDSCCODE NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t infoType,
                                      std::uint32_t bufferLength, void* buffer) = 0;
    // Bindery object scan: objectID starts at BINDERY_SCAN_START and is advanced per call;
    // a non-zero result (ERR_NO_MORE_ENTRIES) ends the scan.
    virtual NWDSCCODE NWScanObject(NWCONN_HANDLE conn, const char* searchName,
                                   std::uint16_t objectType, std::uint32_t* objectID,
                                   char* objectName, std::size_t objectNameSize) = 0;

    // ---- Beyond the calls ----
    // A server's own words on the failure of the last change that returned `code`, where a
    // server refused it ("" where none did, as the embedded directory never does).
    virtual std::string serverReason(NWDSCCODE code) const {
        (void)code;
        return {};
    }
    // Why the client itself refused the last change that returned `code` before sending it
    // to a server ("" when it did not).
    virtual std::string clientReason(NWDSCCODE code) const {
        (void)code;
        return {};
    }
    // What the last modify that succeeded did not do as the embedded directory does ("" when
    // it did all): on a server whose access rules are its own, ACL values rule nothing.
    virtual std::string changeNote() const { return {}; }
    // Which of the client's own limits on what a server may send ended the last listing,
    // search or read with `code`, as a clause ("the limit of ... was reached"); "" when none.
    virtual std::string limitReached(NWDSCCODE code) const {
        (void)code;
        return {};
    }
    // The effective rights of `subjectName` on the object, entry rights first, then
    // "[All Attributes Rights]", then each attribute the object holds, with where each comes
    // from. ERR_NOT_SUPPORTED (with clientReason) where the directory cannot tell them for
    // that subject.
    virtual NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                                    const char* objectName, RightsReport& report) {
        (void)context;
        (void)subjectName;
        (void)objectName;
        report = {};
        return ERR_NOT_SUPPORTED;
    }
    // What the client could not take of the server's answers to the last listing, search or
    // read, said once ("3 entries from the server could not be shown: ..."); "" when nothing.
    virtual std::string takeRefusedNote() { return {}; }

    // ---- Text forms: names and values as LDIF and LDAP write them ----
    // Each gives ERR_NOT_SUPPORTED where the client has no text forms.
    // The text form of a name on the context's tree: an object's DN from its full name
    // ("cn=Jane,ou=Sales,o=Acme" for "Jane.Sales.Acme", "" for "[Root]"), the LDAP name of an
    // attribute or a class.
    virtual NWDSCCODE nameToText(NWDSContextHandle context, NamedItem item, const char* name,
                                 std::string& text) {
        (void)context;
        (void)item;
        (void)name;
        (void)text;
        return ERR_NOT_SUPPORTED;
    }
    // The directory's name for a text form: an object's full name from its DN ("[Root]" for
    // ""; ERR_INVALID_OBJECT_NAME for a DN that names nothing the directory can hold), an
    // attribute's or a class's own name (ERR_NO_SUCH_ATTRIBUTE, ERR_NO_SUCH_CLASS).
    virtual NWDSCCODE nameFromText(NWDSContextHandle context, NamedItem item, std::string_view text,
                                   std::string& name) {
        (void)context;
        (void)item;
        (void)text;
        (void)name;
        return ERR_NOT_SUPPORTED;
    }
    // The value at a reply's cursor in its text form, taken as NWDSGetAttrVal takes it. A
    // stream's content is read through NWDSOpenStream (ERR_NOT_SUPPORTED here).
    virtual NWDSCCODE getAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                     std::uint32_t syntaxID, std::string& text) {
        (void)context;
        (void)buffer;
        (void)syntaxID;
        (void)text;
        return ERR_NOT_SUPPORTED;
    }
    // Puts a value given in its text form into an add or modify request, as NWDSPutAttrVal
    // puts a record (ERR_SYNTAX_VIOLATION for text that is no value of the syntax). A stream's
    // text is its content, which a new object may carry.
    virtual NWDSCCODE putAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                     std::uint32_t syntaxID, std::string_view text) {
        (void)context;
        (void)buffer;
        (void)syntaxID;
        (void)text;
        return ERR_NOT_SUPPORTED;
    }
};

// What a client has handed out and not yet taken back. Tests compare these before and after.
struct ClientResourceCounts {
    int contexts = 0;
    int buffers = 0;
    int filters = 0;
    int connections = 0;
    bool operator==(const ClientResourceCounts&) const = default;
};

class ResourceAccounting {
public:
    virtual ~ResourceAccounting() = default;
    virtual ClientResourceCounts outstandingResources() const = 0;
};
