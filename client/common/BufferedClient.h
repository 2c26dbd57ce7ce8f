#pragma once

#include "Buffer.h"
#include "Filter.h"
#include "IterationTable.h"
#include "directory/DirectoryClient.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Schema;
struct AttributeDefinition;
struct ClassDefinition;
namespace request {
struct Attribute;
struct Change;
} // namespace request
namespace valuetext {
class NameMapping;
}

// What one of the three schema listings goes through.
enum class SchemaItems : std::uint8_t { Classes, Attributes, Syntaxes };

// One directory context as the client keeps it.
struct ContextState {
    std::uint32_t flags = 0;
    std::string nameContext;
    std::string treeName;
    NWCONN_HANDLE connection = 0;    // key 8: the connection the context last used
    NWCONN_HANDLE ownConnection = 0; // opened with the context, closed with it
};

// What the workstation knows of one server, and of one open connection to it.
struct ServerEntry {
    std::string name; // "ACME-FS1"
    std::string tree; // the tree it serves
};
struct ConnectionState {
    std::size_t server = 0; // index into the server table
    bool counted = true;    // handed to the caller (false: owned by a context)
};

// The part of a directory client that does not depend on where the directory lives: the
// buffer encoding with every put and get of the seam, contexts, connections to known servers
// and the tree scan, filter cursors, and the count of everything handed out. Each handle the
// caller passes back is looked up among the live ones, so a released or made-up handle is
// answered with a code.
class BufferedClient : public DirectoryClient, public ResourceAccounting {
public:
    static constexpr std::uint32_t kDefaultContextFlags =
        DCV_DEREF_ALIASES | DCV_XLATE_STRINGS | DCV_CANONICALIZE_NAMES;

    BufferedClient();
    ~BufferedClient() override;
    BufferedClient(const BufferedClient&) = delete;
    BufferedClient& operator=(const BufferedClient&) = delete;

    ClientResourceCounts outstandingResources() const override;

    // Empties the buffer for a reply of the given kind (count placeholder written), for the
    // parts of a client that fill replies.
    static void beginReply(Buf_T& buffer, ReplyKind kind, bool definitions);

    NWDSCCODE NWCallsInit(void* reserved1, void* reserved2) override;

    // ---- Contexts ----
    NWDSCCODE NWDSCreateContextHandle(NWDSContextHandle* context) override;
    NWDSCCODE NWDSFreeContext(NWDSContextHandle context) override;
    NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void* value,
                             std::size_t valueSize) override;
    NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void* value) override;
    NWDSCCODE NWDSSetDefNameContext(NWDSContextHandle context, std::uint32_t nameLength,
                                    const char* name) override;
    NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                         std::size_t objectNameSize) override;

    // ---- Object reads in one step (BufferedClientObjects.cpp): the checks and the answer
    // ---- here, the object's information or stream content from the directory ----
    NWDSCCODE NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                 char* distinguishedName, std::size_t distinguishedNameSize,
                                 Object_Info_T* objectInfo) final;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                             const char* attrName, std::uint32_t flags,
                             NWFILE_HANDLE* fileHandle) final;

    // ---- Buffers ----
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

    // ---- The schema reads, over the schema of the context's tree ----
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

    // ---- Filters ----
    NWDSCCODE NWDSAllocFilter(Filter_Cursor_T** cursor) override;
    NWDSCCODE NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token, const void* value,
                                 std::uint32_t syntaxID) override;
    NWDSCCODE NWDSPutFilter(NWDSContextHandle context, Buf_T* buffer, Filter_Cursor_T* cursor,
                            FilterValueRelease releaseValue) override;
    NWDSCCODE NWDSFreeFilter(Filter_Cursor_T* cursor, FilterValueRelease releaseValue) override;

    // ---- Connections ----
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

    NWDSCCODE NWDSCloseIteration(NWDSContextHandle context, std::int32_t iterationHandle,
                                 std::uint32_t operation) override;
    // ---- Text forms, through the names of withTextNames (BufferedClientText.cpp) ----
    NWDSCCODE nameToText(NWDSContextHandle context, NamedItem item, const char* name,
                         std::string& text) override;
    NWDSCCODE nameFromText(NWDSContextHandle context, NamedItem item, std::string_view text,
                           std::string& name) override;
    NWDSCCODE getAttrValText(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             std::string& text) override;
    NWDSCCODE putAttrValText(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                             std::string_view text) override;

protected:
    // Hands `use` how names inside values are written in the text forms on the context's tree
    // (DNs for objects, LDAP names for schema items), and gives its result; ERR_NOT_SUPPORTED
    // where the directory has no such names.
    using TextNamesUse = std::function<NWDSCCODE(const valuetext::NameMapping&)>;
    virtual NWDSCCODE withTextNames(const ContextState& ctx, const TextNamesUse& use) {
        (void)ctx;
        (void)use;
        return ERR_NOT_SUPPORTED;
    }

    // ---- What the directory behind the client tells this layer ----
    // The logged-in object, as NWDSWhoAmI gives it.
    void setIdentity(std::string identity) { identity_ = std::move(identity); }
    const std::string& identity() const { return identity_; }
    // The name context of contexts created from now on.
    void setDefaultNameContext(std::string name) { defaultNameContext_ = std::move(name); }
    // Servers the workstation sees; the first one added is the primary connection's.
    void addServer(std::string name, std::string tree);
    // The tree scan lists one entry per (tree, advertising server) pair, in this order.
    void advertiseTree(std::string tree, std::string_view server);
    bool isKnownTree(std::string_view tree) const;
    // True for a syntax id the directory defines (for puts of values); 1-27 by default.
    virtual bool isKnownSyntax(std::uint32_t syntaxID) const;

    // ---- Looking up what the caller passes ----
    ContextState* findContext(NWDSContextHandle context);
    const ContextState* findContext(NWDSContextHandle context) const;
    // 0 and the buffer, or ERR_NULL_POINTER / ERR_INVALID_BUFFER.
    NWDSCCODE findBuffer(Buf_T* buffer, Buf_T*& out) const;
    const ConnectionState* findConnection(NWCONN_HANDLE conn) const;
    const std::vector<ServerEntry>& servers() const { return servers_; }

    // Called when a context is released, so that the directory forgets its pending reads.
    virtual void contextReleased(NWDSContextHandle /*context*/) {}
    // Forgets the unfinished read of the context under `handle`; false when there is none.
    virtual bool closeIteration(NWDSContextHandle context, std::int32_t handle) = 0;

    // ---- What the directory answers for the one-step object reads ----
    // The object information of the object a call names, and, when `fullName` is given, its
    // full name (typed as the context's names are).
    virtual NWDSCCODE readObjectInfo(const ContextState& ctx, const char* objectName,
                                     std::string* fullName, Object_Info_T& info) = 0;
    // The content of a stream attribute of the object a call names (checked well formed).
    virtual NWDSCCODE readStream(const ContextState& ctx, const char* objectName,
                                 const char* attrName, std::string& content) = 0;

    // Copies text with its NUL into a caller's array; ERR_INSUFFICIENT_BUFFER when it does
    // not fit.
    static NWDSCCODE copyOut(std::string_view text, char* out, std::size_t size);

    // ---- Filling replies ----
    // The names of a request prepared for one of the given operations (3, 6, 15, 16): 0, or
    // ERR_BAD_VERB for a buffer prepared otherwise.
    static NWDSCCODE requestNames(const Buf_T& request, std::initializer_list<std::uint32_t> ops,
                                  std::vector<std::string>& names);

    // ---- Checks of a request every client makes first (BufferedClientRequests.cpp) ----
    // A search's scope and info type, and the attribute names it asks for (none: all).
    NWDSCCODE searchRequest(std::int32_t scope, std::uint32_t infoType, bool allAttrs,
                            Buf_T* attrNames, std::vector<std::string>& wantedNames) const;
    // The tokens of a search's filter request (request::searchFilter's codes).
    NWDSCCODE filterRequest(Buf_T* filter, std::vector<FilterToken>& tokens) const;
    // The context and the attributes of an add request, which must come whole in one buffer.
    NWDSCCODE addEntryRequest(NWDSContextHandle context, std::int32_t* iterationHandle, bool more,
                              Buf_T* objectInfo, const ContextState*& ctx,
                              std::vector<request::Attribute>& attributes) const;
    // The context and the changes of a modify request, which must come whole in one buffer.
    NWDSCCODE modifyRequest(NWDSContextHandle context, std::int32_t* iterationHandle, bool more,
                            Buf_T* changes, const ContextState*& ctx,
                            std::vector<request::Change>& decoded) const;
    // The context of a rights question, with what it must name.
    NWDSCCODE effectiveRightsRequest(NWDSContextHandle context, const char* subjectName,
                                     const char* attrName, const std::uint32_t* privileges,
                                     const ContextState*& ctx) const;
    // The context of a rights report, which starts empty.
    NWDSCCODE rightsReportRequest(NWDSContextHandle context, const char* subjectName,
                                  RightsReport& report, const ContextState*& ctx) const;
    // The definition a define-attribute or define-class request describes (not yet checked
    // against the schema), and the names of a modify-class request.
    static NWDSCCODE attributeDefinitionRequest(const char* attrName, const Attr_Info_T* attrDef,
                                                AttributeDefinition& def);
    NWDSCCODE classDefinitionRequest(const char* className, const Class_Info_T* classInfo,
                                     Buf_T* classItems, ClassDefinition& def) const;
    NWDSCCODE optionalAttributesRequest(Buf_T* optionalAttrs,
                                        std::vector<std::string>& attributes) const;
    // A stream open: the attribute name well formed, reading only (writing is not offered).
    static NWDSCCODE streamRequest(const char* attrName, std::uint32_t flags,
                                   NWFILE_HANDLE* fileHandle);

    // ---- One pass of a multi-pass read ----
    // The checks every such read makes, then `start` (a new read: fills a fresh state) or
    // the state the handle continues, then `fill` (this pass's reply; done after the last).
    // An unfinished read is kept under a handle given to the caller; a failed pass leaves a
    // continued read as it was, so the caller may try again with a larger buffer, unless
    // `failureEnds`: then nothing of the read stays behind.
    template <class State, class Start, class Fill>
    NWDSCCODE runPass(IterationTable<State>& table, NWDSContextHandle context,
                      decltype(State::kind) kind, bool infoTypeValid, std::int32_t* iterationHandle,
                      Buf_T* result, Start&& start, Fill&& fill, bool failureEnds = false) {
        const ContextState* ctx = findContext(context);
        if (ctx == nullptr)
            return ERR_BAD_CONTEXT;
        if (iterationHandle == nullptr)
            return ERR_NULL_POINTER;
        if (!infoTypeValid)
            return ERR_INVALID_REQUEST;
        Buf_T* out = nullptr;
        if (auto rc = findBuffer(result, out); rc != 0)
            return rc;
        State* pending = nullptr;
        if (auto rc = table.claim(*iterationHandle, kind, context, pending); rc != 0)
            return rc;
        State fresh;
        if (pending == nullptr) {
            if (auto rc = start(*ctx, fresh); rc != 0)
                return rc;
            fresh.kind = kind;
            fresh.context = context;
            pending = &fresh;
        }
        bool done = false;
        if (auto rc = fill(*ctx, *pending, *out, done); rc != 0) {
            if (failureEnds && pending != &fresh)
                table.finish(*iterationHandle);
            return rc;
        }
        table.finishPass(done, *pending, iterationHandle);
        return 0;
    }

    // ---- The schema listings (BufferedClientSchemaReads.cpp) ----
    // The schema of the context's tree: 0, or the code why there is none.
    virtual NWDSCCODE schemaOf(const ContextState& ctx, const Schema*& out) = 0;
    // One pass of a schema listing, kept pending by the client between passes.
    virtual NWDSCCODE readSchema(SchemaItems items, NWDSContextHandle context,
                                 std::uint32_t infoType, bool all, Buf_T* requestNames,
                                 std::int32_t* iterationHandle, Buf_T* result) = 0;
    // The names a listing goes through: every item, or those of the request buffer, each of
    // which must be defined (ERR_NO_SUCH_CLASS / ERR_NO_SUCH_ATTRIBUTE / ERR_BAD_SYNTAX).
    NWDSCCODE schemaNamesToRead(SchemaItems items, const Schema& schema, bool all,
                                Buf_T* requestNames, std::vector<std::string>& names) const;
    // One pass of a listing: from names[position] on, as many items as fit; `done` once the
    // last is written. An item gone since the listing began is skipped.
    static NWDSCCODE fillSchemaReply(SchemaItems items, const Schema& schema,
                                     const std::vector<std::string>& names, std::size_t& position,
                                     bool definitions, Buf_T& out, bool& done);

private:
    // The checks of a value get and a value put, in the seam's order, and the put itself.
    NWDSCCODE valueAtCursor(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                            const void* out, Buf_T*& b, std::string_view& value,
                            std::uint32_t& taken);
    NWDSCCODE valuePutRequest(NWDSContextHandle context, Buf_T* buffer, std::uint32_t syntaxID,
                              const void* value, Buf_T*& b);
    static NWDSCCODE appendValue(Buf_T& b, std::uint32_t syntaxID, std::string_view wireValue);
    NWDSCCODE checkedRequest(NWDSContextHandle context, Buf_T* buffer, Buf_T*& out);
    NWDSCCODE checkedReply(NWDSContextHandle context, Buf_T* buffer, ReplyKind kind, Buf_T*& out);
    NWCONN_HANDLE openConnection(std::size_t server, bool counted);
    void closeConnection(NWCONN_HANDLE conn);
    std::optional<std::size_t> serverForTree(std::string_view tree) const;
    NWDSCCODE skipToNextAttribute(Buf_T& b);
    NWDSCCODE skipToNextList(Buf_T& b);

    std::string identity_;
    std::string defaultNameContext_ = ROOT_NAME;
    std::unordered_map<NWDSContextHandle, ContextState> contexts_;
    NWDSContextHandle nextContext_ = 1;
    std::unordered_map<Buf_T*, std::unique_ptr<Buf_T>> buffers_;
    static constexpr std::size_t kReleasedBuffersKept = 4;
    std::vector<std::unique_ptr<Buf_T>> releasedBuffers_;
    std::unordered_map<Filter_Cursor_T*, std::unique_ptr<Filter_Cursor_T>> filters_;
    std::vector<ServerEntry> servers_;
    std::vector<std::pair<std::string, std::size_t>> advertisements_;
    std::unordered_map<NWCONN_HANDLE, ConnectionState> connections_;
    NWCONN_HANDLE nextConnection_ = 1;
};
