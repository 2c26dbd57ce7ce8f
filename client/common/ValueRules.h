#pragma once

#include "directory/Codes.h"

#include <cstdint>
#include <string_view>

// The rules every stored value of an attribute meets, whichever client stores it: well formed
// for its syntax, and, for a sized attribute, within its bounds. What a bound measures depends
// on the syntax: the characters of a string, the octets of an octet string, the number itself
// (as an unsigned 32-bit number) for integers, counters and intervals. Other syntaxes carry no
// bounds.
namespace valuerules {

struct AttributeShape {
    std::uint32_t syntax = 0;
    std::uint32_t flags = 0; // DS_SIZED_ATTR decides whether lower and upper apply
    std::uint32_t lower = 0;
    std::uint32_t upper = 0;
};

// 0, or ERR_SYNTAX_VIOLATION for a malformed value or one outside the bounds.
NWDSCCODE checkValue(const AttributeShape& attr, std::string_view wireValue);

// What the bounds compare for this syntax and value; false when the syntax has no bounds.
bool boundedMeasure(std::uint32_t syntax, std::string_view wireValue, std::int64_t& measure);

} // namespace valuerules
