#pragma once

#include <cstdint>
#include <string_view>

// The number a user typed, as every form reads it: leading blanks skipped, one optional sign,
// decimal digits up to the first non-digit, 0 when there are none, wrapping in 32 bits; never
// an error ("12abc" is 12, "" is 0).
std::int32_t decimalValue(std::string_view text);

// The value of one hexadecimal digit (either case), or -1 for any other character.
int hexDigitValue(char c);

// `count` bytes from pairs of hexadecimal digits (either case); false when a pair is
// missing or not hexadecimal. A count of 0 or less converts nothing and succeeds.
bool hexBytes(std::string_view text, std::int32_t count, std::uint8_t* out);
