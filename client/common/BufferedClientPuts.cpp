// Preparing request buffers and putting names, values, changes and class items into them.
#include "BufferedClient.h"
#include "Names.h"
#include "NativeRecords.h"
#include "ValueText.h"
#include "Wire.h"
#include "directory/ResultCodes.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

namespace {

bool isKnownOperation(std::uint32_t op) {
    switch (op) {
    case DSV_READ:
    case DSV_SEARCH:
    case DSV_ADD_ENTRY:
    case DSV_MODIFY_ENTRY:
    case DSV_DEFINE_CLASS:
    case DSV_READ_CLASS_DEF:
    case DSV_MODIFY_CLASS_DEF:
    case DSV_SEARCH_FILTER:
        return true;
    default:
        return false;
    }
}

std::uint32_t readU32(const Buf_T& b, std::size_t at) {
    wire::Reader r(b.data.data() + at, b.length - at);
    return r.u32();
}

void writeU32(Buf_T& b, std::size_t at, std::uint32_t v) {
    wire::Writer w(b.data.data(), b.capacity, b.length);
    w.patchU32(at, v);
}

void increment(Buf_T& b, std::size_t at) {
    writeU32(b, at, readU32(b, at) + 1);
}

// Appends to a request; on overflow nothing changes and ERR_BUFFER_FULL is returned.
template <class F> NWDSCCODE append(Buf_T& b, F&& write) {
    wire::Writer w(b.data.data(), b.capacity, b.length);
    write(w);
    if (!w.ok())
        return ERR_BUFFER_FULL;
    b.length = std::uint32_t(w.used());
    return 0;
}

} // namespace

NWDSCCODE BufferedClient::checkedRequest(NWDSContextHandle context, Buf_T* buffer, Buf_T*& out) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = findBuffer(buffer, out); rc != 0)
        return rc;
    if (out->use != BufferUse::Request)
        return ERR_BAD_VERB;
    return 0;
}

namespace {
// A buffer handed out again starts as a new one: fresh state, and its content zeroed. Only the
// bytes in use are cleared, not all 4 KiB: nothing is read past `length`, so what an earlier
// use left beyond it is never seen.
void resetAsNew(Buf_T& b) {
    static_assert(std::is_trivially_copyable_v<Buf_T> && std::is_standard_layout_v<Buf_T>);
    static const Buf_T fresh{};
    const std::uint32_t used = b.length;
    std::memcpy(static_cast<void*>(&b), &fresh, offsetof(Buf_T, data));
    std::memset(b.data.data(), 0, used);
}
} // namespace

NWDSCCODE BufferedClient::NWDSAllocBuf(std::size_t size, Buf_T** buffer) {
    if (buffer == nullptr)
        return ERR_NULL_POINTER;
    if (size == 0)
        return ERR_BUFFER_ZERO_LENGTH;
    if (size > DEFAULT_MESSAGE_LEN)
        return ERR_INVALID_REQUEST;
    std::unique_ptr<Buf_T> owned;
    if (!releasedBuffers_.empty()) {
        owned = std::move(releasedBuffers_.back());
        releasedBuffers_.pop_back();
        resetAsNew(*owned);
    } else {
        owned = std::make_unique<Buf_T>();
    }
    owned->capacity = std::uint32_t(size);
    *buffer = owned.get();
    buffers_.emplace(owned.get(), std::move(owned));
    return 0;
}

NWDSCCODE BufferedClient::NWDSFreeBuf(Buf_T* buffer) {
    if (buffer == nullptr)
        return ERR_NULL_POINTER;
    auto it = buffers_.find(buffer);
    if (it == buffers_.end())
        return ERR_INVALID_BUFFER;
    // A few released buffers are kept for the next allocations: the browser allocates and
    // releases one for every object of a listing.
    if (releasedBuffers_.size() < kReleasedBuffersKept)
        releasedBuffers_.push_back(std::move(it->second));
    buffers_.erase(it);
    return 0;
}

NWDSCCODE BufferedClient::NWDSInitBuf(NWDSContextHandle context, std::uint32_t operation,
                                      Buf_T* buffer) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    Buf_T* b = nullptr;
    if (auto rc = findBuffer(buffer, b); rc != 0)
        return rc;
    if (!isKnownOperation(operation))
        return ERR_BAD_VERB;
    const std::uint32_t capacity = b->capacity;
    *b = Buf_T{};
    b->capacity = capacity;
    b->use = BufferUse::Request;
    b->operation = operation;
    if (operation != DSV_DEFINE_CLASS) {
        if (b->capacity < 4)
            return ERR_INSUFFICIENT_BUFFER;
        b->length = 4; // the item count, 0
    }
    return 0;
}

NWDSCCODE BufferedClient::NWDSPutAttrName(NWDSContextHandle context, Buf_T* buffer,
                                          const char* attrName) {
    Buf_T* b = nullptr;
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    const std::string_view name(attrName);
    switch (b->operation) {
    case DSV_READ:
    case DSV_SEARCH:
        if (auto rc = append(*b, [&](wire::Writer& w) { w.str(name); }); rc != 0)
            return rc;
        b->valueCountAt = 0;
        break;
    case DSV_ADD_ENTRY: {
        std::uint32_t countAt = 0;
        auto rc = append(*b, [&](wire::Writer& w) {
            w.str(name);
            countAt = std::uint32_t(w.used());
            w.u32(0);
        });
        if (rc != 0)
            return rc;
        b->valueCountAt = countAt;
        break;
    }
    default:
        return ERR_BAD_VERB;
    }
    increment(*b, b->itemCountAt);
    return 0;
}

NWDSCCODE BufferedClient::valuePutRequest(NWDSContextHandle context, Buf_T* buffer,
                                          std::uint32_t syntaxID, const void* value, Buf_T*& b) {
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (b->operation != DSV_ADD_ENTRY && b->operation != DSV_MODIFY_ENTRY)
        return ERR_BAD_VERB;
    if (b->valueCountAt == 0)
        return ERR_ATTR_TYPE_EXPECTED; // no attribute or value-carrying change put before
    if (!isKnownSyntax(syntaxID))
        return ERR_BAD_SYNTAX;
    if (value == nullptr)
        return ERR_NULL_POINTER;
    if (b->capacity - b->length < 8)
        return ERR_BUFFER_FULL;
    return 0;
}

NWDSCCODE BufferedClient::appendValue(Buf_T& b, std::uint32_t syntaxID,
                                      std::string_view wireValue) {
    if (auto rc = append(b,
                         [&](wire::Writer& w) {
                             w.u32(syntaxID);
                             w.str(wireValue);
                         });
        rc != 0)
        return rc;
    increment(b, b.valueCountAt);
    return 0;
}

NWDSCCODE BufferedClient::NWDSPutAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t syntaxID, const void* attrVal) {
    Buf_T* b = nullptr;
    if (auto rc = valuePutRequest(context, buffer, syntaxID, attrVal, b); rc != 0)
        return rc;
    std::string value;
    if (auto rc = records::encodeNative(syntaxID, attrVal, b->capacity - b->length - 8, value);
        rc != 0)
        return rc;
    return appendValue(*b, syntaxID, value);
}

NWDSCCODE BufferedClient::putAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t syntaxID, std::string_view text) {
    Buf_T* b = nullptr;
    if (auto rc = valuePutRequest(context, buffer, syntaxID, &text, b); rc != 0)
        return rc;
    std::string value;
    if (auto rc = withTextNames(*findContext(context),
                                [&](const valuetext::NameMapping& names) {
                                    return valuetext::parse(syntaxID, text, names, value);
                                });
        rc != 0)
        return rc;
    return appendValue(*b, syntaxID, value);
}

NWDSCCODE BufferedClient::NWDSPutChange(NWDSContextHandle context, Buf_T* buffer,
                                        std::uint32_t changeType, const char* attrName) {
    Buf_T* b = nullptr;
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (b->operation != DSV_MODIFY_ENTRY)
        return ERR_BAD_VERB;
    if (changeType > DS_OVERWRITE_VALUE)
        return ERR_INVALID_REQUEST;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    std::uint32_t countAt = 0;
    auto rc = append(*b, [&](wire::Writer& w) {
        w.u32(changeType);
        w.str(attrName);
        countAt = std::uint32_t(w.used());
        w.u32(0);
    });
    if (rc != 0)
        return rc;
    b->valueCountAt = changeType == DS_REMOVE_ATTRIBUTE ? 0 : countAt;
    increment(*b, b->itemCountAt);
    return 0;
}

NWDSCCODE BufferedClient::NWDSBeginClassItem(NWDSContextHandle context, Buf_T* buffer) {
    Buf_T* b = nullptr;
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (b->operation != DSV_DEFINE_CLASS)
        return ERR_BAD_VERB;
    if (b->listsBegun >= 5)
        return ERR_INVALID_REQUEST;
    const std::uint32_t at = b->length;
    if (auto rc = append(*b, [](wire::Writer& w) { w.u32(0); }); rc != 0)
        return rc;
    b->listCountAt = at;
    ++b->listsBegun;
    return 0;
}

NWDSCCODE BufferedClient::NWDSPutClassItem(NWDSContextHandle context, Buf_T* buffer,
                                           const char* itemName) {
    Buf_T* b = nullptr;
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (auto rc = names::checkSchemaName(itemName); rc != 0)
        return rc;
    std::uint32_t countAt = 0;
    switch (b->operation) {
    case DSV_DEFINE_CLASS:
        if (b->listsBegun == 0)
            return ERR_INVALID_REQUEST; // NWDSBeginClassItem comes first
        countAt = b->listCountAt;
        break;
    case DSV_READ_CLASS_DEF:
    case DSV_MODIFY_CLASS_DEF:
        countAt = b->itemCountAt;
        break;
    default:
        return ERR_BAD_VERB;
    }
    if (auto rc = append(*b, [&](wire::Writer& w) { w.str(itemName); }); rc != 0)
        return rc;
    increment(*b, countAt);
    return 0;
}

NWDSCCODE BufferedClient::NWDSPutFilter(NWDSContextHandle context, Buf_T* buffer,
                                        Filter_Cursor_T* cursor, FilterValueRelease release) {
    Buf_T* b = nullptr;
    if (auto rc = checkedRequest(context, buffer, b); rc != 0)
        return rc;
    if (b->operation != DSV_SEARCH_FILTER)
        return ERR_BAD_VERB;
    if (cursor == nullptr)
        return ERR_NULL_POINTER;
    auto it = filters_.find(cursor);
    if (it == filters_.end())
        return ERR_INVALID_HANDLE;
    if (cursor->tokens.empty() || cursor->tokens.back().token != FTOK_END)
        return ERR_FILTER_TREE_EMPTY;
    if (readU32(*b, b->itemCountAt) != 0)
        return ERR_INVALID_REQUEST; // a request carries one filter
    auto rc = append(*b, [&](wire::Writer& w) {
        for (const auto& t : cursor->tokens) {
            w.u32(t.token);
            w.u32(t.syntax);
            w.str(t.value);
        }
    });
    if (rc != 0)
        return rc;
    writeU32(*b, 0, std::uint32_t(cursor->tokens.size()));
    filter::releaseValues(*cursor, release);
    filters_.erase(it);
    return 0;
}

NWDSCCODE BufferedClient::requestNames(const Buf_T& request,
                                       std::initializer_list<std::uint32_t> ops,
                                       std::vector<std::string>& names) {
    if (request.use != BufferUse::Request)
        return ERR_BAD_VERB;
    bool allowed = false;
    for (auto op : ops)
        allowed = allowed || op == request.operation;
    if (!allowed)
        return ERR_BAD_VERB;
    wire::Reader r(request.data.data(), request.length);
    const std::uint32_t n = r.u32();
    names.clear();
    for (std::uint32_t i = 0; i < n && r.ok(); ++i)
        names.emplace_back(r.str());
    return r.ok() ? 0 : ERR_INVALID_REQUEST;
}
