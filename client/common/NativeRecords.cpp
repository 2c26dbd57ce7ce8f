#include "NativeRecords.h"

#include "ValueWire.h"
#include "Wire.h"
#include "directory/Records.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <cstring>

namespace records {
namespace {

// Places the parts of one native record. In measuring mode nothing is written and only the
// size is counted; the same sequence of calls then fills a real allocation. Every store goes
// through memcpy, so a caller's record needs no particular alignment.
class Arena {
public:
    Arena(std::uint8_t* base, std::size_t size) : base_(base), size_(size) {}

    std::size_t alloc(std::size_t n, std::size_t align) {
        used_ = (used_ + align - 1) / align * align;
        const std::size_t at = used_;
        used_ += n;
        return at;
    }
    template <class T> void put(std::size_t at, const T& v) {
        if (base_ != nullptr && at + sizeof(T) <= size_)
            std::memcpy(base_ + at, &v, sizeof(T));
    }
    // Copies bytes (plus a NUL when `terminate`) and gives their address inside the record.
    void* copy(std::string_view bytes, bool terminate) {
        const std::size_t at = alloc(bytes.size() + (terminate ? 1 : 0), 1);
        if (base_ == nullptr)
            return nullptr;
        if (!bytes.empty())
            std::memcpy(base_ + at, bytes.data(), bytes.size());
        if (terminate)
            base_[at + bytes.size()] = 0;
        return base_ + at;
    }
    char* text(std::string_view s) { return static_cast<char*>(copy(s, true)); }
    void* address(std::size_t at) const { return base_ == nullptr ? nullptr : base_ + at; }
    std::size_t used() const { return used_; }

private:
    std::uint8_t* base_;
    std::size_t size_;
    std::size_t used_ = 0;
};

constexpr std::size_t kPtrAlign = alignof(void*);

void netAddress(Arena& a, std::size_t at, std::uint32_t type, std::string_view bytes) {
    a.put(at + offsetof(Net_Address_T, addressType), type);
    a.put(at + offsetof(Net_Address_T, addressLength), std::uint32_t(bytes.size()));
    a.put(at + offsetof(Net_Address_T, address), static_cast<std::uint8_t*>(a.copy(bytes, false)));
}

// Lays the record out; false when the wire value is malformed.
bool layout(std::uint32_t syntax, std::string_view value, Arena& a) {
    if (isTextSyntax(syntax)) {
        if (value.find('\0') != std::string_view::npos)
            return false; // the caller would see only part of the text
        a.text(value);
        return true;
    }
    wire::Reader r(value);
    switch (syntax) {
    case SYN_CI_LIST: {
        const std::uint32_t n = r.u32();
        if (!r.ok() || n > wire::kMaxListItems)
            return false;
        const std::size_t head = a.alloc(sizeof(CI_List_T) * (n == 0 ? 1 : n), kPtrAlign);
        if (n == 0) {
            a.put(head, CI_List_T{nullptr, nullptr});
            return r.atEnd();
        }
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::size_t at = head + i * sizeof(CI_List_T);
            auto* next =
                i + 1 < n ? static_cast<CI_List_T*>(a.address(at + sizeof(CI_List_T))) : nullptr;
            a.put(at + offsetof(CI_List_T, next), next);
            a.put(at + offsetof(CI_List_T, s), a.text(r.str()));
        }
        break;
    }
    case SYN_BOOLEAN:
        a.put(a.alloc(1, 1), r.u8());
        break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_TIME:
    case SYN_INTERVAL:
    case SYN_STREAM:
        a.put(a.alloc(4, 4), r.u32());
        break;
    case SYN_FAX_NUMBER: {
        const std::size_t at = a.alloc(sizeof(Fax_Number_T), kPtrAlign);
        const auto number = r.str();
        const std::uint32_t bits = r.u32();
        const auto bitBytes = r.str();
        a.put(at + offsetof(Fax_Number_T, telephoneNumber), a.text(number));
        a.put(at + offsetof(Fax_Number_T, parameters) + offsetof(Bit_String_T, numOfBits), bits);
        a.put(at + offsetof(Fax_Number_T, parameters) + offsetof(Bit_String_T, data),
              bitBytes.empty() ? nullptr : static_cast<std::uint8_t*>(a.copy(bitBytes, false)));
        break;
    }
    case SYN_NET_ADDRESS: {
        const std::size_t at = a.alloc(sizeof(Net_Address_T), kPtrAlign);
        const std::uint32_t type = r.u32();
        netAddress(a, at, type, r.str());
        break;
    }
    case SYN_OCTET_LIST: {
        const std::uint32_t n = r.u32();
        if (!r.ok() || n > wire::kMaxListItems)
            return false;
        const std::size_t head = a.alloc(sizeof(Octet_List_T) * (n == 0 ? 1 : n), kPtrAlign);
        if (n == 0)
            a.put(head, Octet_List_T{nullptr, 0, nullptr});
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::size_t at = head + i * sizeof(Octet_List_T);
            auto* next = i + 1 < n
                             ? static_cast<Octet_List_T*>(a.address(at + sizeof(Octet_List_T)))
                             : nullptr;
            const auto bytes = r.str();
            a.put(at + offsetof(Octet_List_T, next), next);
            a.put(at + offsetof(Octet_List_T, length), std::uint32_t(bytes.size()));
            a.put(at + offsetof(Octet_List_T, data),
                  static_cast<std::uint8_t*>(a.copy(bytes, false)));
        }
        break;
    }
    case SYN_EMAIL_ADDRESS: {
        const std::size_t at = a.alloc(sizeof(EMail_Address_T), kPtrAlign);
        a.put(at + offsetof(EMail_Address_T, type), r.u32());
        a.put(at + offsetof(EMail_Address_T, address), a.text(r.str()));
        break;
    }
    case SYN_PATH: {
        const std::size_t at = a.alloc(sizeof(Path_T), kPtrAlign);
        a.put(at + offsetof(Path_T, nameSpaceType), r.u32());
        const auto volume = r.str();
        const auto path = r.str();
        a.put(at + offsetof(Path_T, volumeName), a.text(volume));
        a.put(at + offsetof(Path_T, path), a.text(path));
        break;
    }
    case SYN_REPLICA_POINTER: {
        const auto server = r.str();
        const std::uint32_t type = r.u32();
        const std::uint32_t number = r.u32();
        const std::uint32_t n = r.u32();
        if (!r.ok() || n > wire::kMaxReplicaAddresses)
            return false;
        const std::size_t at = a.alloc(replicaPointerRecordSize(n), kPtrAlign);
        a.put(at + offsetof(Replica_Pointer_T, replicaType), type);
        a.put(at + offsetof(Replica_Pointer_T, replicaNumber), number);
        a.put(at + offsetof(Replica_Pointer_T, count), n);
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t addrType = r.u32();
            netAddress(
                a, at + offsetof(Replica_Pointer_T, replicaAddressHint) + i * sizeof(Net_Address_T),
                addrType, r.str());
        }
        a.put(at + offsetof(Replica_Pointer_T, serverName), a.text(server));
        break;
    }
    case SYN_OBJECT_ACL: {
        const std::size_t at = a.alloc(sizeof(Object_ACL_T), kPtrAlign);
        const auto prot = r.str();
        const auto subject = r.str();
        a.put(at + offsetof(Object_ACL_T, privileges), r.u32());
        a.put(at + offsetof(Object_ACL_T, protectedAttrName), a.text(prot));
        a.put(at + offsetof(Object_ACL_T, subjectName), a.text(subject));
        break;
    }
    case SYN_PO_ADDRESS: {
        const std::uint32_t n = r.u32();
        if (!r.ok() || n > wire::kPostalLines)
            return false;
        const std::size_t at = a.alloc(sizeof(PO_Address_T), kPtrAlign);
        for (std::uint32_t i = 0; i < wire::kPostalLines; ++i) {
            const std::string_view line = i < n ? r.str() : std::string_view();
            a.put(at + offsetof(PO_Address_T, line) + i * sizeof(char*), a.text(line));
        }
        break;
    }
    case SYN_TIMESTAMP: {
        const std::size_t at = a.alloc(sizeof(NWDS_TimeStamp_T), 4);
        a.put(at + offsetof(NWDS_TimeStamp_T, wholeSeconds), r.u32());
        a.put(at + offsetof(NWDS_TimeStamp_T, eventID), std::int32_t(r.u32()));
        break;
    }
    case SYN_BACK_LINK: {
        const std::size_t at = a.alloc(sizeof(Back_Link_T), kPtrAlign);
        a.put(at + offsetof(Back_Link_T, remoteID), r.u32());
        a.put(at + offsetof(Back_Link_T, objectName), a.text(r.str()));
        break;
    }
    case SYN_TYPED_NAME: {
        const std::size_t at = a.alloc(sizeof(Typed_Name_T), kPtrAlign);
        const auto name = r.str();
        a.put(at + offsetof(Typed_Name_T, level), r.u32());
        a.put(at + offsetof(Typed_Name_T, interval), r.u32());
        a.put(at + offsetof(Typed_Name_T, objectName), a.text(name));
        break;
    }
    case SYN_HOLD: {
        const std::size_t at = a.alloc(sizeof(Hold_T), kPtrAlign);
        const auto name = r.str();
        a.put(at + offsetof(Hold_T, amount), r.u32());
        a.put(at + offsetof(Hold_T, objectName), a.text(name));
        break;
    }
    case SYN_UNKNOWN:
        return false;
    case SYN_OCTET_STRING:
    default: { // octet strings, and values of syntaxes this client does not decode
        const std::size_t at = a.alloc(sizeof(Octet_String_T), kPtrAlign);
        a.put(at + offsetof(Octet_String_T, length), std::uint32_t(value.size()));
        a.put(at + offsetof(Octet_String_T, data),
              static_cast<std::uint8_t*>(a.copy(value, false)));
        return true;
    }
    }
    return r.ok() && r.atEnd();
}

} // namespace

std::size_t nativeSize(std::uint32_t syntax, std::string_view wireValue) {
    Arena measure(nullptr, 0);
    if (!layout(syntax, wireValue, measure))
        return 0;
    return measure.used();
}

NWDSCCODE buildNative(std::uint32_t syntax, std::string_view wireValue, void* out,
                      std::size_t outSize) {
    const std::size_t needed = nativeSize(syntax, wireValue);
    if (needed == 0)
        return ERR_INVALID_SERVER_RESPONSE;
    if (outSize < needed)
        return ERR_VALUE_TOO_SMALL;
    std::memset(out, 0, needed);
    Arena arena(static_cast<std::uint8_t*>(out), needed);
    layout(syntax, wireValue, arena);
    return 0;
}

} // namespace records
