// Taking replies apart: the gets of the seam, each reading at the buffer's cursor. A get
// that fails leaves the cursor where it was; items the caller did not take are skipped.
#include "BufferedClient.h"
#include "NativeRecords.h"
#include "ValueText.h"
#include "Wire.h"
#include "directory/ResultCodes.h"

#include <cstring>

namespace {

wire::Reader readerAt(const Buf_T& b) {
    const std::uint32_t at = b.cursor <= b.length ? b.cursor : b.length;
    return wire::Reader(b.data.data() + at, b.length - at);
}

void advance(Buf_T& b, const wire::Reader& r) {
    b.cursor += std::uint32_t(r.pos());
}

NWDSCCODE copyName(std::string_view name, char* out, std::size_t size) {
    if (out == nullptr)
        return ERR_NULL_POINTER;
    if (name.size() + 1 > size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(out, name.data(), name.size());
    out[name.size()] = '\0';
    return 0;
}

void readAsn1(wire::Reader& r, Asn1_ID_T& id) {
    id.length = r.u32();
    r.raw(id.data, sizeof id.data);
}

// Reads the count at the start of a reply.
NWDSCCODE takeCount(Buf_T& b, std::uint32_t* count) {
    wire::Reader r(b.data.data(), b.length);
    const std::uint32_t n = r.u32();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    b.cursor = 4;
    b.countTaken = true;
    b.itemsLeft = n;
    b.attrsLeft = b.valuesLeft = b.listsLeft = b.listItemsLeft = 0;
    if (count != nullptr)
        *count = n;
    return 0;
}

} // namespace

NWDSCCODE BufferedClient::checkedReply(NWDSContextHandle context, Buf_T* buffer, ReplyKind kind,
                                       Buf_T*& out) {
    if (findContext(context) == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = findBuffer(buffer, out); rc != 0)
        return rc;
    if (out->use == BufferUse::Unprepared)
        return ERR_BUFFER_EMPTY;
    if (out->use != BufferUse::Reply)
        return ERR_BAD_VERB;
    if (kind != ReplyKind::None && out->reply != kind)
        return ERR_BAD_VERB;
    if (!out->countTaken && out->reply != ReplyKind::None)
        takeCount(*out, nullptr);
    return 0;
}

void BufferedClient::beginReply(Buf_T& buffer, ReplyKind kind, bool definitions) {
    const std::uint32_t capacity = buffer.capacity;
    buffer.use = BufferUse::Reply;
    buffer.operation = 0;
    buffer.reply = kind;
    buffer.replyHasDefinitions = definitions;
    buffer.capacity = capacity;
    buffer.cursor = 0;
    buffer.countTaken = false;
    buffer.itemsLeft = buffer.attrsLeft = buffer.valuesLeft = 0;
    buffer.listsLeft = buffer.listItemsLeft = 0;
    buffer.itemCountAt = buffer.valueCountAt = buffer.listCountAt = buffer.listsBegun = 0;
    wire::Writer w(buffer.data.data(), buffer.capacity);
    w.u32(0);
    buffer.length = std::uint32_t(w.used());
}

// Skips the values of the current attribute and, in an Objects reply, the remaining
// attributes of the current object.
NWDSCCODE BufferedClient::skipToNextAttribute(Buf_T& b) {
    wire::Reader r = readerAt(b);
    for (; b.valuesLeft > 0; --b.valuesLeft)
        r.str();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    advance(b, r);
    return 0;
}

NWDSCCODE BufferedClient::skipToNextList(Buf_T& b) {
    wire::Reader r = readerAt(b);
    for (; b.listItemsLeft > 0; --b.listItemsLeft)
        r.str();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    advance(b, r);
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetObjectCount(NWDSContextHandle context, Buf_T* buffer,
                                             std::uint32_t* objectCount) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::Objects, b); rc != 0)
        return rc;
    if (objectCount == nullptr)
        return ERR_NULL_POINTER;
    return takeCount(*b, objectCount);
}

NWDSCCODE BufferedClient::NWDSGetObjectName(NWDSContextHandle context, Buf_T* buffer,
                                            char* objectName, std::size_t objectNameSize,
                                            std::uint32_t* attrCount, Object_Info_T* objectInfo) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::Objects, b); rc != 0)
        return rc;
    if (objectName == nullptr)
        return ERR_NULL_POINTER;
    // Skip what is left of the previous object.
    while (b->valuesLeft > 0 || b->attrsLeft > 0) {
        if (auto rc = skipToNextAttribute(*b); rc != 0)
            return rc;
        if (b->attrsLeft == 0)
            break;
        wire::Reader r = readerAt(*b);
        r.str();
        r.u32();
        b->valuesLeft = r.u32();
        if (!r.ok())
            return ERR_INVALID_SERVER_RESPONSE;
        advance(*b, r);
        --b->attrsLeft;
    }
    if (b->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    Object_Info_T info{};
    info.objectFlags = r.u32();
    info.subordinateCount = r.u32();
    info.modificationTime = r.u32();
    const auto base = r.str();
    const std::uint32_t attrs = r.u32();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, objectName, objectNameSize); rc != 0)
        return rc;
    std::memcpy(info.baseClass, base.data(), std::min(base.size(), MAX_SCHEMA_NAME_CHARS));
    if (objectInfo != nullptr)
        *objectInfo = info;
    if (attrCount != nullptr)
        *attrCount = attrs;
    advance(*b, r);
    --b->itemsLeft;
    b->attrsLeft = attrs;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetAttrCount(NWDSContextHandle context, Buf_T* buffer,
                                           std::uint32_t* attrCount) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::None, b); rc != 0)
        return rc;
    if (attrCount == nullptr)
        return ERR_NULL_POINTER;
    switch (b->reply) {
    case ReplyKind::Attributes:
    case ReplyKind::AttrDefs:
        return takeCount(*b, attrCount);
    case ReplyKind::Objects:
        *attrCount = b->attrsLeft;
        return 0;
    default:
        return ERR_BAD_VERB;
    }
}

NWDSCCODE BufferedClient::NWDSGetAttrName(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                                          std::size_t attrNameSize, std::uint32_t* attrValCount,
                                          std::uint32_t* syntaxID) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::None, b); rc != 0)
        return rc;
    if (b->reply != ReplyKind::Attributes && b->reply != ReplyKind::Objects)
        return ERR_BAD_VERB;
    if (attrName == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = skipToNextAttribute(*b); rc != 0)
        return rc;
    std::uint32_t& left = b->reply == ReplyKind::Attributes ? b->itemsLeft : b->attrsLeft;
    if (left == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    const std::uint32_t syntax = r.u32();
    const std::uint32_t values = r.u32();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, attrName, attrNameSize); rc != 0)
        return rc;
    if (attrValCount != nullptr)
        *attrValCount = values;
    if (syntaxID != nullptr)
        *syntaxID = syntax;
    advance(*b, r);
    --left;
    b->valuesLeft = values;
    b->valueSyntax = syntax;
    return 0;
}

NWDSCCODE BufferedClient::valueAtCursor(NWDSContextHandle context, Buf_T* buffer,
                                        std::uint32_t syntaxID, const void* out, Buf_T*& b,
                                        std::string_view& value, std::uint32_t& taken) {
    if (auto rc = checkedReply(context, buffer, ReplyKind::None, b); rc != 0)
        return rc;
    if (b->reply != ReplyKind::Attributes && b->reply != ReplyKind::Objects)
        return ERR_BAD_VERB;
    if (out == nullptr)
        return ERR_NULL_POINTER;
    if (b->valuesLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != b->valueSyntax)
        return ERR_BAD_SYNTAX;
    wire::Reader r = readerAt(*b);
    value = r.str();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    taken = std::uint32_t(r.pos());
    return 0;
}

NWDSCCODE BufferedClient::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T* buffer,
                                                 std::uint32_t syntaxID,
                                                 std::uint32_t* attrValSize) {
    Buf_T* b = nullptr;
    std::string_view value;
    std::uint32_t taken = 0;
    if (auto rc = valueAtCursor(context, buffer, syntaxID, attrValSize, b, value, taken); rc != 0)
        return rc;
    const std::size_t size = records::nativeSize(syntaxID, value);
    if (size == 0)
        return ERR_INVALID_SERVER_RESPONSE;
    *attrValSize = std::uint32_t(size);
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetAttrVal(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t syntaxID, void* attrVal,
                                         std::size_t attrValSize) {
    Buf_T* b = nullptr;
    std::string_view value;
    std::uint32_t taken = 0;
    if (auto rc = valueAtCursor(context, buffer, syntaxID, attrVal, b, value, taken); rc != 0)
        return rc;
    if (auto rc = records::buildNative(syntaxID, value, attrVal, attrValSize); rc != 0)
        return rc;
    b->cursor += taken;
    --b->valuesLeft;
    return 0;
}

NWDSCCODE BufferedClient::getAttrValText(NWDSContextHandle context, Buf_T* buffer,
                                         std::uint32_t syntaxID, std::string& text) {
    Buf_T* b = nullptr;
    std::string_view value;
    std::uint32_t taken = 0;
    if (auto rc = valueAtCursor(context, buffer, syntaxID, &text, b, value, taken); rc != 0)
        return rc;
    if (syntaxID == SYN_STREAM)
        return ERR_NOT_SUPPORTED; // the content is read through NWDSOpenStream
    // Most values name nothing: only those ask the directory how names are written.
    static const valuetext::PlainNames plain;
    const NWDSCCODE rc = valuetext::namesNothing(syntaxID)
                             ? valuetext::format(syntaxID, value, plain, text)
                             : withTextNames(*findContext(context), [&](const auto& names) {
                                   return valuetext::format(syntaxID, value, names, text);
                               });
    if (rc != 0)
        return rc;
    b->cursor += taken;
    --b->valuesLeft;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T* buffer,
                                               std::uint32_t* classDefCount) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::ClassDefs, b); rc != 0)
        return rc;
    if (classDefCount == nullptr)
        return ERR_NULL_POINTER;
    return takeCount(*b, classDefCount);
}

NWDSCCODE BufferedClient::NWDSGetClassDef(NWDSContextHandle context, Buf_T* buffer, char* className,
                                          std::size_t classNameSize, Class_Info_T* classInfo) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::ClassDefs, b); rc != 0)
        return rc;
    if (className == nullptr)
        return ERR_NULL_POINTER;
    // Skip the item lists of the previous definition that were not taken.
    while (b->listItemsLeft > 0 || b->listsLeft > 0) {
        if (auto rc = skipToNextList(*b); rc != 0)
            return rc;
        if (b->listsLeft == 0)
            break;
        wire::Reader r = readerAt(*b);
        b->listItemsLeft = r.u32();
        if (!r.ok())
            return ERR_INVALID_SERVER_RESPONSE;
        advance(*b, r);
        --b->listsLeft;
    }
    if (b->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    Class_Info_T info{};
    if (b->replyHasDefinitions) {
        info.classFlags = r.u32();
        readAsn1(r, info.asn1ID);
    }
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, className, classNameSize); rc != 0)
        return rc;
    if (classInfo != nullptr)
        *classInfo = info;
    advance(*b, r);
    --b->itemsLeft;
    b->listsLeft = b->replyHasDefinitions ? 5 : 0;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T* buffer,
                                                std::uint32_t* itemCount) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::ClassDefs, b); rc != 0)
        return rc;
    if (itemCount == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = skipToNextList(*b); rc != 0)
        return rc;
    if (b->listsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const std::uint32_t n = r.u32();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    advance(*b, r);
    --b->listsLeft;
    b->listItemsLeft = n;
    *itemCount = n;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetClassItem(NWDSContextHandle context, Buf_T* buffer, char* itemName,
                                           std::size_t itemNameSize) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::ClassDefs, b); rc != 0)
        return rc;
    if (itemName == nullptr)
        return ERR_NULL_POINTER;
    if (b->listItemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, itemName, itemNameSize); rc != 0)
        return rc;
    advance(*b, r);
    --b->listItemsLeft;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetAttrDef(NWDSContextHandle context, Buf_T* buffer, char* attrName,
                                         std::size_t attrNameSize, Attr_Info_T* attrInfo) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::AttrDefs, b); rc != 0)
        return rc;
    if (attrName == nullptr)
        return ERR_NULL_POINTER;
    if (b->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    Attr_Info_T info{};
    if (b->replyHasDefinitions) {
        info.attrFlags = r.u32();
        info.attrSyntaxID = r.u32();
        info.attrLower = r.u32();
        info.attrUpper = r.u32();
        readAsn1(r, info.asn1ID);
    }
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, attrName, attrNameSize); rc != 0)
        return rc;
    if (attrInfo != nullptr)
        *attrInfo = info;
    advance(*b, r);
    --b->itemsLeft;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetSyntaxCount(NWDSContextHandle context, Buf_T* buffer,
                                             std::uint32_t* syntaxCount) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::Syntaxes, b); rc != 0)
        return rc;
    if (syntaxCount == nullptr)
        return ERR_NULL_POINTER;
    return takeCount(*b, syntaxCount);
}

NWDSCCODE BufferedClient::NWDSGetSyntaxDef(NWDSContextHandle context, Buf_T* buffer,
                                           char* syntaxName, std::size_t syntaxNameSize,
                                           Syntax_Info_T* syntaxDef) {
    Buf_T* b = nullptr;
    if (auto rc = checkedReply(context, buffer, ReplyKind::Syntaxes, b); rc != 0)
        return rc;
    if (syntaxName == nullptr)
        return ERR_NULL_POINTER;
    if (b->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    wire::Reader r = readerAt(*b);
    const auto name = r.str();
    const std::uint32_t id = r.u32();
    const std::uint16_t flags = r.u16();
    if (!r.ok())
        return ERR_INVALID_SERVER_RESPONSE;
    if (auto rc = copyName(name, syntaxName, syntaxNameSize); rc != 0)
        return rc;
    if (syntaxDef != nullptr) {
        *syntaxDef = Syntax_Info_T{};
        syntaxDef->ID = id;
        std::memcpy(syntaxDef->defStr, name.data(), std::min(name.size(), MAX_SCHEMA_NAME_CHARS));
        syntaxDef->flags = flags;
    }
    advance(*b, r);
    --b->itemsLeft;
    return 0;
}
