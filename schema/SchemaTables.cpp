#include "SchemaTables.h"

namespace {
template <typename Table>
std::optional<std::uint32_t> bitOf(const Table& table, std::string_view name) {
    for (const FlagText& entry : table) {
        if (entry.text == name)
            return entry.bit;
    }
    return std::nullopt;
}
} // namespace

std::string syntaxConstantName(std::uint32_t syntaxID) {
    const std::uint32_t index = syntaxID & 0xFFFFu;
    if (index < SyntaxConstantNames.size())
        return std::string(SyntaxConstantNames[index]);
    return "Syntax " + std::to_string(index);
}

std::optional<std::uint32_t> syntaxIdForName(std::string_view syntaxName) {
    for (std::size_t id = 0; id < SyntaxNames.size(); ++id) {
        if (SyntaxNames[id] == syntaxName)
            return std::uint32_t(id);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> attributeFlagBit(std::string_view choiceName) {
    return bitOf(AttributeFlagChoices, choiceName);
}

std::optional<std::uint32_t> classFlagBit(std::string_view choiceName) {
    return bitOf(ClassFlagChoices, choiceName);
}
