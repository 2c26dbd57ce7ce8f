#include "ResultValueText.h"

#include "directory/Codes.h"

#include <cstring>

std::optional<QString> resultValueText(std::uint32_t syntaxId, const void* record,
                                       std::size_t size) {
    const auto* bytes = static_cast<const char*>(record);
    switch (syntaxId) {
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        return QString::fromUtf8(bytes, qsizetype(strnlen(bytes, size)));
    case SYN_BOOLEAN:
        return QString::asprintf("%s", size > 0 && bytes[0] != 0 ? "TRUE" : "FALSE");
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL: {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes, std::min(size, sizeof value));
        return QString::asprintf("%lu", static_cast<unsigned long>(value));
    }
    default:
        return std::nullopt;
    }
}
