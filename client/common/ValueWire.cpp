#include "ValueWire.h"

#include "Wire.h"
#include "directory/SyntaxClasses.h"

namespace wire {
namespace {

bool strings(Reader& r, std::uint32_t limit) {
    const std::uint32_t n = r.u32();
    if (n > limit)
        return false;
    for (std::uint32_t i = 0; i < n && r.ok(); ++i)
        r.str();
    return true;
}

} // namespace

bool isWellFormed(std::uint32_t syntax, std::string_view bytes) {
    if (isTextSyntax(syntax))
        return bytes.find('\0') == std::string_view::npos;
    Reader r(bytes);
    switch (syntax) {
    case SYN_UNKNOWN:
        return false;
    case SYN_CI_LIST:
    case SYN_OCTET_LIST:
        if (!strings(r, kMaxListItems))
            return false;
        break;
    case SYN_BOOLEAN:
        r.u8();
        break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_TIME:
    case SYN_INTERVAL:
    case SYN_STREAM:
        r.u32();
        break;
    case SYN_FAX_NUMBER: {
        r.str();
        const std::uint32_t bits = r.u32();
        if (r.str().size() * 8 < bits)
            return false;
        break;
    }
    case SYN_NET_ADDRESS:
    case SYN_EMAIL_ADDRESS:
        r.u32();
        r.str();
        break;
    case SYN_PATH:
        r.u32();
        r.str();
        r.str();
        break;
    case SYN_REPLICA_POINTER: {
        r.str();
        r.u32();
        r.u32();
        const std::uint32_t n = r.u32();
        if (n > kMaxReplicaAddresses)
            return false;
        for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
            r.u32();
            r.str();
        }
        break;
    }
    case SYN_OBJECT_ACL:
        r.str();
        r.str();
        r.u32();
        break;
    case SYN_PO_ADDRESS:
        if (!strings(r, kPostalLines))
            return false;
        break;
    case SYN_TIMESTAMP:
        r.u32();
        r.u32();
        break;
    case SYN_BACK_LINK:
        r.u32();
        r.str();
        break;
    case SYN_TYPED_NAME:
        r.str();
        r.u32();
        r.u32();
        break;
    case SYN_HOLD:
        r.str();
        r.u32();
        break;
    case SYN_OCTET_STRING:
    default:
        return true;
    }
    return r.ok() && r.atEnd();
}

std::string aclValue(std::string_view protectedAttr, std::string_view subject,
                     std::uint32_t privileges) {
    Builder b;
    b.str(protectedAttr);
    b.str(subject);
    b.u32(privileges);
    return b.take();
}

std::string u32Value(std::uint32_t v) {
    Builder b;
    b.u32(v);
    return b.take();
}

bool decodeAcl(std::string_view bytes, AclView& out) {
    Reader r(bytes);
    out.protectedAttr = r.str();
    out.subject = r.str();
    out.privileges = r.u32();
    return r.ok() && r.atEnd();
}

} // namespace wire
