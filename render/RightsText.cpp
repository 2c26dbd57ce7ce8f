#include "RightsText.h"

#include <array>
#include <utility>

namespace {

using Letter = std::pair<std::uint32_t, char>;

constexpr std::array<Letter, 5> kEntryRights{
    {{0x01, 'B'}, {0x02, 'A'}, {0x04, 'D'}, {0x08, 'R'}, {0x10, 'S'}}};
constexpr std::array<Letter, 6> kSmsRights{
    {{0x01, 'S'}, {0x02, 'B'}, {0x04, 'R'}, {0x08, 'C'}, {0x10, 'D'}, {0x20, 'A'}}};
// Bit 0x10 of attribute rights has no letter.
constexpr std::array<Letter, 5> kAttributeRights{
    {{0x01, 'C'}, {0x02, 'R'}, {0x04, 'W'}, {0x08, 'A'}, {0x20, 'S'}}};

template <std::size_t N>
void appendLetters(std::string& text, const std::array<Letter, N>& letters, std::uint32_t bits) {
    for (const auto& [bit, letter] : letters)
        if (bits & bit)
            text += letter;
}

} // namespace

std::string RightsText(std::string_view protectedAttrName, std::uint32_t privileges) {
    const std::uint32_t bits = privileges & 0xFF;
    std::string text = "[";
    if (protectedAttrName == "[Entry Rights]")
        appendLetters(text, kEntryRights, bits);
    else if (protectedAttrName == "[SMS Rights]")
        appendLetters(text, kSmsRights, bits);
    else
        appendLetters(text, kAttributeRights, bits);
    text += ']';
    return text;
}
