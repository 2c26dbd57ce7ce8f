// Contexts, connections, filter cursors and the resource counts of BufferedClient.
#include "BufferedClient.h"

#include "Names.h"
#include "NativeRecords.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>

namespace {

// A glob with "*" and "?", compared without regard to case.
bool matches(std::string_view pattern, std::string_view text) {
    if (pattern.empty())
        return text.empty();
    if (pattern[0] == '*') {
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (matches(pattern.substr(1), text.substr(i)))
                return true;
        }
        return false;
    }
    if (text.empty())
        return false;
    if (pattern[0] != '?' && !names::equalFolded(pattern.substr(0, 1), text.substr(0, 1)))
        return false;
    return matches(pattern.substr(1), text.substr(1));
}

constexpr NWCCConnRef kConnRefBase = 0x1000;
constexpr std::uint16_t kBinderyFileServer = 0x0004;

} // namespace

BufferedClient::BufferedClient() = default;
BufferedClient::~BufferedClient() = default;

ClientResourceCounts BufferedClient::outstandingResources() const {
    ClientResourceCounts counts;
    counts.contexts = int(contexts_.size());
    counts.buffers = int(buffers_.size());
    counts.filters = int(filters_.size());
    counts.connections = int(std::count_if(connections_.begin(), connections_.end(),
                                           [](const auto& c) { return c.second.counted; }));
    return counts;
}

NWDSCCODE BufferedClient::NWCallsInit(void*, void*) {
    return 0;
}

// ---- Lookups ----

ContextState* BufferedClient::findContext(NWDSContextHandle context) {
    auto it = contexts_.find(context);
    return it == contexts_.end() ? nullptr : &it->second;
}

const ContextState* BufferedClient::findContext(NWDSContextHandle context) const {
    auto it = contexts_.find(context);
    return it == contexts_.end() ? nullptr : &it->second;
}

NWDSCCODE BufferedClient::findBuffer(Buf_T* buffer, Buf_T*& out) const {
    if (buffer == nullptr)
        return ERR_NULL_POINTER;
    if (buffers_.find(buffer) == buffers_.end())
        return ERR_INVALID_BUFFER;
    out = buffer;
    return 0;
}

const ConnectionState* BufferedClient::findConnection(NWCONN_HANDLE conn) const {
    auto it = connections_.find(conn);
    return it == connections_.end() ? nullptr : &it->second;
}

bool BufferedClient::isKnownSyntax(std::uint32_t syntaxID) const {
    return syntaxID >= SYN_DIST_NAME && syntaxID <= SYN_INTERVAL;
}

// ---- Servers and connections ----

void BufferedClient::addServer(std::string name, std::string tree) {
    servers_.push_back({std::move(name), std::move(tree)});
}

void BufferedClient::advertiseTree(std::string tree, std::string_view server) {
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        if (names::equalFolded(servers_[i].name, server)) {
            advertisements_.emplace_back(std::move(tree), i);
            return;
        }
    }
}

bool BufferedClient::isKnownTree(std::string_view tree) const {
    return serverForTree(tree).has_value();
}

std::optional<std::size_t> BufferedClient::serverForTree(std::string_view tree) const {
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        if (names::equalFolded(servers_[i].tree, tree))
            return i;
    }
    return std::nullopt;
}

NWCONN_HANDLE BufferedClient::openConnection(std::size_t server, bool counted) {
    while (nextConnection_ == 0 || connections_.count(nextConnection_) != 0)
        ++nextConnection_; // 0 stands for "no connection"
    const NWCONN_HANDLE handle = nextConnection_++;
    connections_.emplace(handle, ConnectionState{server, counted});
    return handle;
}

void BufferedClient::closeConnection(NWCONN_HANDLE conn) {
    connections_.erase(conn);
}

NWDSCCODE BufferedClient::NWCCGetPrimConnRef(NWCCConnRef* connRef) {
    if (connRef == nullptr)
        return ERR_NULL_POINTER;
    if (servers_.empty())
        return ERR_NO_CONNECTION;
    *connRef = kConnRefBase;
    return 0;
}

NWDSCCODE BufferedClient::NWCCOpenConnByRef(NWCCConnRef connRef, std::uint32_t openState,
                                            std::uint32_t, NWCONN_HANDLE* conn) {
    if (conn == nullptr)
        return ERR_NULL_POINTER;
    if (openState != NWCC_OPEN_LICENSED && openState != 0)
        return ERR_INVALID_REQUEST;
    if (connRef < kConnRefBase || connRef - kConnRefBase >= servers_.size())
        return ERR_NO_SUCH_CONNECTION;
    *conn = openConnection(connRef - kConnRefBase, true);
    return 0;
}

NWDSCCODE BufferedClient::NWCCOpenConnByName(NWCONN_HANDLE startConn, const char* name,
                                             std::uint32_t nameFormat, std::uint32_t openState,
                                             std::uint32_t, NWCONN_HANDLE* conn) {
    if (name == nullptr || conn == nullptr)
        return ERR_NULL_POINTER;
    if (startConn != 0 && findConnection(startConn) == nullptr)
        return ERR_NO_SUCH_CONNECTION;
    if (openState != NWCC_OPEN_LICENSED && openState != 0)
        return ERR_INVALID_REQUEST;
    const std::size_t len = strnlen(name, MAX_DN_CHARS + 1);
    if (len > MAX_DN_CHARS)
        return ERR_NAME_TOO_LONG;
    const std::string_view wanted(name, len);
    if (nameFormat == NWCC_NAME_FORMAT_NDS_TREE) {
        if (len > MAX_TREE_NAME_CHARS)
            return ERR_NAME_TOO_LONG;
        auto server = serverForTree(wanted);
        if (!server)
            return ERR_NO_SUCH_TREE;
        *conn = openConnection(*server, true);
        return 0;
    }
    // Any other format names a server.
    for (std::size_t i = 0; i < servers_.size(); ++i) {
        if (names::equalFolded(servers_[i].name, wanted)) {
            *conn = openConnection(i, true);
            return 0;
        }
    }
    return ERR_NO_SUCH_CONNECTION;
}

NWDSCCODE BufferedClient::NWCCCloseConn(NWCONN_HANDLE conn) {
    auto it = connections_.find(conn);
    if (it == connections_.end() || !it->second.counted)
        return ERR_NO_SUCH_CONNECTION;
    // A context that last used this connection falls back to its own.
    for (auto& [handle, ctx] : contexts_) {
        if (ctx.connection == conn)
            ctx.connection = ctx.ownConnection;
    }
    connections_.erase(it);
    return 0;
}

NWDSCCODE BufferedClient::NWCCGetConnInfo(NWCONN_HANDLE conn, std::uint32_t infoType,
                                          std::uint32_t bufferLength, void* buffer) {
    const ConnectionState* c = findConnection(conn);
    if (c == nullptr)
        return ERR_NO_SUCH_CONNECTION;
    if (buffer == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != NWCC_INFO_SERVER_NAME)
        return ERR_NOT_SUPPORTED;
    return copyOut(servers_[c->server].name, static_cast<char*>(buffer), bufferLength);
}

NWDSCCODE BufferedClient::NWScanObject(NWCONN_HANDLE conn, const char* searchName,
                                       std::uint16_t objectType, std::uint32_t* objectID,
                                       char* objectName, std::size_t objectNameSize) {
    if (findConnection(conn) == nullptr)
        return ERR_NO_SUCH_CONNECTION;
    if (searchName == nullptr || objectID == nullptr || objectName == nullptr)
        return ERR_NULL_POINTER;
    const std::size_t patternLen = strnlen(searchName, MAX_BINDERY_NAME_BYTES);
    if (patternLen >= MAX_BINDERY_NAME_BYTES)
        return ERR_NAME_TOO_LONG;
    const std::string_view pattern(searchName, patternLen);

    // Object ids are positions in the list scanned, counted from 1.
    std::vector<std::string> scanned;
    if (objectType == OT_TREE_NAME) {
        for (const auto& [tree, server] : advertisements_) {
            std::string padded = tree;
            if (padded.size() < MAX_TREE_NAME_CHARS)
                padded.append(MAX_TREE_NAME_CHARS - padded.size(), '_');
            scanned.push_back(std::move(padded));
        }
    } else if (objectType == kBinderyFileServer) {
        for (const auto& s : servers_)
            scanned.push_back(s.name);
    }
    const std::uint32_t start = *objectID == BINDERY_SCAN_START ? 0 : *objectID;
    for (std::uint32_t i = start; i < scanned.size(); ++i) {
        std::string_view bare = scanned[i];
        if (objectType == OT_TREE_NAME)
            bare = bare.substr(0, bare.find_last_not_of('_') + 1);
        if (!matches(pattern, bare) && !matches(pattern, scanned[i]))
            continue;
        if (auto rc = copyOut(scanned[i], objectName, objectNameSize); rc != 0)
            return rc;
        *objectID = i + 1;
        return 0;
    }
    return ERR_NO_MORE_ENTRIES;
}

// ---- Contexts ----

NWDSCCODE BufferedClient::NWDSCreateContextHandle(NWDSContextHandle* context) {
    if (context == nullptr)
        return ERR_NULL_POINTER;
    if (servers_.empty())
        return ERR_NO_CONNECTION;
    ContextState state;
    state.flags = kDefaultContextFlags;
    state.nameContext = defaultNameContext_;
    state.treeName = servers_.front().tree;
    state.ownConnection = openConnection(0, false);
    state.connection = state.ownConnection;
    while (nextContext_ == NO_CONTEXT || contexts_.count(nextContext_) != 0)
        ++nextContext_;
    *context = nextContext_++;
    contexts_.emplace(*context, std::move(state));
    return 0;
}

NWDSCCODE BufferedClient::NWDSFreeContext(NWDSContextHandle context) {
    auto it = contexts_.find(context);
    if (it == contexts_.end())
        return ERR_BAD_CONTEXT;
    closeConnection(it->second.ownConnection);
    contexts_.erase(it);
    contextReleased(context);
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetContext(NWDSContextHandle context, int key, void* value,
                                         std::size_t valueSize) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (value == nullptr)
        return ERR_NULL_POINTER;
    auto number = [&](std::uint32_t v) -> NWDSCCODE {
        if (valueSize < sizeof v)
            return ERR_INSUFFICIENT_BUFFER;
        std::memcpy(value, &v, sizeof v);
        return 0;
    };
    switch (key) {
    case DCK_FLAGS:
        return number(ctx->flags);
    case DCK_LAST_CONNECTION:
        return number(ctx->connection);
    case DCK_NAME_CONTEXT:
        return copyOut(ctx->nameContext, static_cast<char*>(value), valueSize);
    case DCK_TREE_NAME:
        return copyOut(ctx->treeName, static_cast<char*>(value), valueSize);
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE BufferedClient::NWDSSetContext(NWDSContextHandle context, int key, const void* value) {
    ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (value == nullptr)
        return ERR_NULL_POINTER;
    switch (key) {
    case DCK_FLAGS:
        std::memcpy(&ctx->flags, value, sizeof ctx->flags);
        return 0;
    case DCK_LAST_CONNECTION: {
        NWCONN_HANDLE conn;
        std::memcpy(&conn, value, sizeof conn);
        if (findConnection(conn) == nullptr)
            return ERR_NO_SUCH_CONNECTION;
        ctx->connection = conn;
        return 0;
    }
    case DCK_NAME_CONTEXT: {
        names::ParsedName parsed;
        if (auto rc = names::parse(static_cast<const char*>(value), parsed); rc != 0)
            return rc;
        ctx->nameContext = parsed.root ? ROOT_NAME : names::join(parsed.components);
        return 0;
    }
    case DCK_TREE_NAME: {
        const char* tree = static_cast<const char*>(value);
        const std::size_t len = strnlen(tree, MAX_TREE_NAME_CHARS + 1);
        if (len > MAX_TREE_NAME_CHARS)
            return ERR_NAME_TOO_LONG;
        auto server = serverForTree(std::string_view(tree, len));
        if (!server)
            return ERR_NO_SUCH_TREE;
        // Moving to another tree moves the context's own connection to that tree's server.
        if (!names::equalFolded(ctx->treeName, std::string_view(tree, len))) {
            closeConnection(ctx->ownConnection);
            ctx->ownConnection = openConnection(*server, false);
            ctx->connection = ctx->ownConnection;
        }
        ctx->treeName = servers_[*server].tree;
        return 0;
    }
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE BufferedClient::NWDSSetDefNameContext(NWDSContextHandle context, std::uint32_t nameLength,
                                                const char* name) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    if (name == nullptr)
        return ERR_NULL_POINTER;
    if (nameLength > MAX_DN_CHARS)
        return ERR_NAME_TOO_LONG;
    const std::string text(name, strnlen(name, nameLength));
    names::ParsedName parsed;
    if (auto rc = names::parse(text, parsed); rc != 0)
        return rc;
    defaultNameContext_ = parsed.root ? ROOT_NAME : names::join(parsed.components);
    return 0;
}

NWDSCCODE BufferedClient::copyOut(std::string_view text, char* out, std::size_t size) {
    if (out == nullptr)
        return ERR_NULL_POINTER;
    if (text.size() + 1 > size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return 0;
}

NWDSCCODE BufferedClient::NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                     std::size_t objectNameSize) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    if (identity_.empty())
        return ERR_INCOMPLETE_AUTHENTICATION;
    return copyOut(identity_, objectName, objectNameSize);
}

// ---- Filters ----

namespace filter {
void releaseValues(Filter_Cursor_T& cursor, FilterValueRelease release) {
    if (release != nullptr) {
        for (auto& t : cursor.tokens) {
            if (t.callerValue != nullptr)
                release(t.syntax, t.callerValue);
        }
    }
    cursor.tokens.clear();
}
} // namespace filter

NWDSCCODE BufferedClient::NWDSAllocFilter(Filter_Cursor_T** cursor) {
    if (cursor == nullptr)
        return ERR_NULL_POINTER;
    auto owned = std::make_unique<Filter_Cursor_T>();
    *cursor = owned.get();
    filters_.emplace(owned.get(), std::move(owned));
    return 0;
}

NWDSCCODE BufferedClient::NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token,
                                             const void* value, std::uint32_t syntaxID) {
    if (cursor == nullptr)
        return ERR_NULL_POINTER;
    if (filters_.find(cursor) == filters_.end())
        return ERR_INVALID_HANDLE;
    if (cursor->tokens.size() >= filter::kMaxTokens)
        return ERR_TOO_MANY_TOKENS;
    FilterToken t;
    t.token = token;
    switch (token) {
    case FTOK_END:
    case FTOK_OR:
    case FTOK_AND:
    case FTOK_EQ:
    case FTOK_GE:
    case FTOK_LE:
    case FTOK_PRESENT:
    case FTOK_RDN:
    case FTOK_BASECLS:
        break;
    case FTOK_ANAME: { // an attribute name, or the naming value or class name of 16 and 17
        if (value == nullptr)
            return ERR_NULL_POINTER;
        const char* text = static_cast<const char*>(value);
        const std::size_t n = strnlen(text, MAX_DN_CHARS + 1);
        if (n > MAX_DN_CHARS)
            return ERR_NAME_TOO_LONG;
        if (n == 0)
            return ERR_EXPECTED_IDENTIFIER;
        t.syntax = syntaxID;
        t.value.assign(text, n);
        t.callerValue = const_cast<void*>(value);
        break;
    }
    case FTOK_AVAL:
        if (!isKnownSyntax(syntaxID))
            return ERR_BAD_SYNTAX;
        if (auto rc = records::encodeNative(syntaxID, value, DEFAULT_MESSAGE_LEN, t.value); rc != 0)
            return rc;
        t.syntax = syntaxID;
        t.callerValue = const_cast<void*>(value);
        break;
    default:
        return ERR_BAD_VERB;
    }
    cursor->tokens.push_back(std::move(t));
    return 0;
}

NWDSCCODE BufferedClient::NWDSFreeFilter(Filter_Cursor_T* cursor, FilterValueRelease release) {
    if (cursor == nullptr)
        return ERR_NULL_POINTER;
    auto it = filters_.find(cursor);
    if (it == filters_.end())
        return ERR_INVALID_HANDLE;
    filter::releaseValues(*cursor, release);
    filters_.erase(it);
    return 0;
}

NWDSCCODE BufferedClient::NWDSCloseIteration(NWDSContextHandle context,
                                             std::int32_t iterationHandle,
                                             std::uint32_t operation) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    if (operation != DSV_LIST && operation != DSV_READ && operation != DSV_SEARCH)
        return ERR_INVALID_REQUEST;
    if (iterationHandle == NO_MORE_ITERATIONS)
        return 0;
    return closeIteration(context, iterationHandle) ? 0 : ERR_INVALID_ITERATION;
}
