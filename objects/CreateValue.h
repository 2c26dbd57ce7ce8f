#pragma once

#include <cstdint>
#include <string>

// The value of one pair of the create request, made from the pair's text by the attribute's
// syntax: the text itself for the string syntaxes, a 32-bit number for integers, counters and
// intervals, one byte (the number's low 8 bits) for a Boolean.
class CreateValue {
public:
    // False for a syntax whose values this page cannot make.
    bool make(std::uint32_t syntax, const std::string& text);
    // What the put-attribute-value operation takes: the NUL-terminated text or the number.
    const void* data() const;

private:
    enum class Kind { None, Text, Number, Flag } kind_ = Kind::None;
    std::string text_;
    std::int32_t number_ = 0;
    std::uint8_t flag_ = 0;
};
