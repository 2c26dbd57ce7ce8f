#include "ResultValueText.h"

#include "directory/SyntaxClasses.h"

#include <cstring>

std::optional<QString> resultValueText(std::uint32_t syntaxId, const void* record,
                                       std::size_t size) {
    const auto* bytes = static_cast<const char*>(record);
    if (isTextSyntax(syntaxId))
        return QString::fromUtf8(bytes, qsizetype(strnlen(bytes, size)));
    if (syntaxId == SYN_BOOLEAN)
        return QString::asprintf("%s", size > 0 && bytes[0] != 0 ? "TRUE" : "FALSE");
    if (isIntegerSyntax(syntaxId)) {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes, std::min(size, sizeof value));
        return QString::asprintf("%lu", static_cast<unsigned long>(value));
    }
    return std::nullopt;
}
