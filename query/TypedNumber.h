#pragma once

#include <cstdint>
#include <string_view>

// A number typed by the user: leading white space skipped, one optional sign, then decimal
// digits up to the first other character; no digits give 0, and the value wraps in 32 bits.
// Never an error.
inline std::int32_t typedNumberToInt32(std::string_view text) {
    std::size_t at = 0;
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (at < text.size() && isSpace(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = value * 10u + std::uint32_t(text[at] - '0');
    return std::int32_t(negative ? 0u - value : value);
}
