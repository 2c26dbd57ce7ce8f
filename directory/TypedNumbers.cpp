#include "TypedNumbers.h"

std::int32_t decimalValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::uint32_t value = 0; // unsigned, so that wrapping is defined
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = value * 10u + std::uint32_t(text[i] - '0');
    if (negative)
        value = 0u - value;
    return static_cast<std::int32_t>(value);
}

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool hexBytes(std::string_view text, std::int32_t count, std::uint8_t* out) {
    for (std::int32_t i = 0; i < count; ++i) {
        const std::size_t at = std::size_t(i) * 2;
        if (text.size() < at + 2)
            return false; // a text shorter than 2 x count fails at its end
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0)
            return false;
        out[i] = std::uint8_t(high * 16 + low);
    }
    return true;
}
