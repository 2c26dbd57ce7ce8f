#pragma once

#include <cstdint>
#include <string_view>

// The number a user typed, as every form reads it: leading blanks skipped, one optional sign,
// decimal digits up to the first non-digit, 0 when there are none, wrapping in 32 bits; never
// an error ("12abc" is 12, "" is 0).
std::int32_t decimalValue(std::string_view text);
