// The caller's value records, turned into their wire form for a request buffer.
#include "NativeRecords.h"
#include "ValueWire.h"
#include "Wire.h"
#include "directory/Records.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <cstring>

namespace records {
namespace {

class Encoder {
public:
    explicit Encoder(std::size_t limit) : limit_(limit) {}

    // A NUL-terminated text, read no further than the limit allows.
    void text(const char* s) {
        if (s == nullptr) {
            fail(ERR_NULL_POINTER);
            return;
        }
        const std::size_t n = strnlen(s, limit_ + 1);
        if (n > limit_) {
            fail(ERR_BUFFER_FULL);
            return;
        }
        out_.str(std::string_view(s, n));
    }
    void bytes(const std::uint8_t* p, std::uint32_t n) {
        if (n > limit_) {
            fail(ERR_BUFFER_FULL);
            return;
        }
        if (p == nullptr && n != 0) {
            fail(ERR_NULL_POINTER);
            return;
        }
        out_.str(std::string_view(reinterpret_cast<const char*>(p), n));
    }
    void u32(std::uint32_t v) { out_.u32(v); }
    void u8(std::uint8_t v) { out_.u8(v); }
    void fail(NWDSCCODE code) {
        if (code_ == 0)
            code_ = code;
    }
    NWDSCCODE finish(std::string& result) {
        if (code_ == 0 && out_.bytes().size() > limit_)
            code_ = ERR_BUFFER_FULL;
        if (code_ == 0)
            result = out_.take();
        return code_;
    }
    // The wire form of the text syntaxes and octet strings carries no inner length.
    void rawText(const char* s) {
        text(s);
        if (code_ == 0) {
            std::string all = out_.take();
            out_.raw(all.data() + 4, all.size() - 4);
        }
    }

private:
    std::size_t limit_;
    wire::Builder out_;
    NWDSCCODE code_ = 0;
};

} // namespace

NWDSCCODE encodeNative(std::uint32_t syntax, const void* value, std::size_t limit,
                       std::string& wireValue) {
    if (value == nullptr)
        return ERR_NULL_POINTER;
    Encoder e(limit);
    if (isTextSyntax(syntax)) {
        e.rawText(static_cast<const char*>(value));
        return e.finish(wireValue);
    }
    switch (syntax) {
    case SYN_CI_LIST: {
        std::uint32_t n = 0;
        for (auto* p = static_cast<const CI_List_T*>(value); p != nullptr; p = p->next) {
            if (++n > wire::kMaxListItems)
                return ERR_SYNTAX_VIOLATION;
        }
        e.u32(n);
        for (auto* p = static_cast<const CI_List_T*>(value); p != nullptr; p = p->next)
            e.text(p->s);
        break;
    }
    case SYN_BOOLEAN:
        e.u8(*static_cast<const std::uint8_t*>(value));
        break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_TIME:
    case SYN_INTERVAL: {
        std::uint32_t v;
        std::memcpy(&v, value, 4);
        e.u32(v);
        break;
    }
    case SYN_OCTET_STRING: {
        auto* v = static_cast<const Octet_String_T*>(value);
        if (v->length > limit)
            return ERR_BUFFER_FULL;
        if (v->length != 0 && v->data == nullptr)
            return ERR_NULL_POINTER;
        wireValue.assign(reinterpret_cast<const char*>(v->data), v->length);
        return 0;
    }
    case SYN_FAX_NUMBER: {
        auto* v = static_cast<const Fax_Number_T*>(value);
        e.text(v->telephoneNumber);
        e.u32(v->parameters.numOfBits);
        e.bytes(v->parameters.data, (v->parameters.numOfBits + 7) / 8);
        break;
    }
    case SYN_NET_ADDRESS: {
        auto* v = static_cast<const Net_Address_T*>(value);
        e.u32(v->addressType);
        e.bytes(v->address, v->addressLength);
        break;
    }
    case SYN_OCTET_LIST: {
        std::uint32_t n = 0;
        for (auto* p = static_cast<const Octet_List_T*>(value); p != nullptr; p = p->next) {
            if (++n > wire::kMaxListItems)
                return ERR_SYNTAX_VIOLATION;
        }
        e.u32(n);
        for (auto* p = static_cast<const Octet_List_T*>(value); p != nullptr; p = p->next)
            e.bytes(p->data, p->length);
        break;
    }
    case SYN_EMAIL_ADDRESS: {
        auto* v = static_cast<const EMail_Address_T*>(value);
        e.u32(v->type);
        e.text(v->address);
        break;
    }
    case SYN_PATH: {
        auto* v = static_cast<const Path_T*>(value);
        e.u32(v->nameSpaceType);
        e.text(v->volumeName);
        e.text(v->path);
        break;
    }
    case SYN_REPLICA_POINTER: {
        auto* v = static_cast<const Replica_Pointer_T*>(value);
        if (v->count > wire::kMaxReplicaAddresses)
            return ERR_SYNTAX_VIOLATION;
        e.text(v->serverName);
        e.u32(v->replicaType);
        e.u32(v->replicaNumber);
        e.u32(v->count);
        for (std::uint32_t i = 0; i < v->count; ++i) {
            const Net_Address_T* a = v->replicaAddressHint + i;
            e.u32(a->addressType);
            e.bytes(a->address, a->addressLength);
        }
        break;
    }
    case SYN_OBJECT_ACL: {
        auto* v = static_cast<const Object_ACL_T*>(value);
        e.text(v->protectedAttrName);
        e.text(v->subjectName);
        e.u32(v->privileges);
        break;
    }
    case SYN_PO_ADDRESS: {
        auto* v = static_cast<const PO_Address_T*>(value);
        std::uint32_t n = wire::kPostalLines;
        while (n > 0 && v->line[n - 1] == nullptr)
            --n;
        e.u32(n);
        for (std::uint32_t i = 0; i < n; ++i)
            e.text(v->line[i]);
        break;
    }
    case SYN_TIMESTAMP: {
        auto* v = static_cast<const NWDS_TimeStamp_T*>(value);
        e.u32(v->wholeSeconds);
        e.u32(std::uint32_t(v->eventID));
        break;
    }
    case SYN_STREAM:
        // Stream content travels through NWDSOpenStream, never through a buffer.
        return ERR_SYNTAX_VIOLATION;
    case SYN_BACK_LINK: {
        auto* v = static_cast<const Back_Link_T*>(value);
        e.u32(v->remoteID);
        e.text(v->objectName);
        break;
    }
    case SYN_TYPED_NAME: {
        auto* v = static_cast<const Typed_Name_T*>(value);
        e.text(v->objectName);
        e.u32(v->level);
        e.u32(v->interval);
        break;
    }
    case SYN_HOLD: {
        auto* v = static_cast<const Hold_T*>(value);
        e.text(v->objectName);
        e.u32(v->amount);
        break;
    }
    case SYN_UNKNOWN:
        return ERR_BAD_SYNTAX;
    default: { // a syntax this client does not decode: an octet-string-shaped record
        auto* v = static_cast<const Octet_String_T*>(value);
        if (v->length > limit)
            return ERR_BUFFER_FULL;
        if (v->length != 0 && v->data == nullptr)
            return ERR_NULL_POINTER;
        wireValue.assign(reinterpret_cast<const char*>(v->data), v->length);
        return 0;
    }
    }
    return e.finish(wireValue);
}

} // namespace records
