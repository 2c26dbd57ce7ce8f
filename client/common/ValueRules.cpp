#include "ValueRules.h"

#include "ValueWire.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

namespace valuerules {
namespace {

std::int64_t utf8Characters(std::string_view s) {
    std::int64_t n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

std::uint32_t u32Of(std::string_view wireValue) {
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4 && i < wireValue.size(); ++i)
        v |= std::uint32_t(static_cast<unsigned char>(wireValue[i])) << (8 * i);
    return v;
}

} // namespace

bool boundedMeasure(std::uint32_t syntax, std::string_view wireValue, std::int64_t& measure) {
    if (isTextSyntax(syntax)) {
        measure = utf8Characters(wireValue);
        return true;
    }
    if (syntax == SYN_OCTET_STRING) {
        measure = std::int64_t(wireValue.size());
        return true;
    }
    if (isIntegerSyntax(syntax)) {
        // Bounds are unsigned 32-bit numbers, so a number is compared as one too.
        measure = u32Of(wireValue);
        return true;
    }
    return false;
}

NWDSCCODE checkValue(const AttributeShape& attr, std::string_view wireValue) {
    if (attr.syntax != SYN_STREAM && !wire::isWellFormed(attr.syntax, wireValue))
        return ERR_SYNTAX_VIOLATION;
    if ((attr.flags & DS_SIZED_ATTR) == 0)
        return 0;
    std::int64_t measure = 0;
    if (!boundedMeasure(attr.syntax, wireValue, measure))
        return 0;
    // An upper bound of 0xFFFFFFFF means no upper bound.
    if (measure < std::int64_t(attr.lower))
        return ERR_SYNTAX_VIOLATION;
    if (attr.upper != 0xFFFFFFFFu && measure > std::int64_t(attr.upper))
        return ERR_SYNTAX_VIOLATION;
    return 0;
}

} // namespace valuerules
