// The comparable form of attribute values by syntax, for search filters.
#include "FilterEvaluation.h"
#include "client/common/Names.h"
#include "client/common/Wire.h"

namespace search {
namespace {

// Spaces at either end dropped and runs of spaces inside made one, or all dropped.
std::string withoutSpaces(std::string_view text, bool all) {
    std::string out;
    out.reserve(text.size());
    bool pendingSpace = false;
    for (char c : text) {
        if (c == ' ') {
            pendingSpace = !out.empty();
            continue;
        }
        if (pendingSpace && !all)
            out.push_back(' ');
        pendingSpace = false;
        out.push_back(c);
    }
    return out;
}

std::string textKey(std::uint16_t flags, std::string_view text) {
    std::string key(text);
    if (flags & SYNTAX_IGNORE_SPACE)
        key = withoutSpaces(key, (flags & (SYNTAX_DIGITS_ONLY | SYNTAX_IGNORE_DASH)) != 0);
    if (flags & SYNTAX_IGNORE_DASH)
        std::erase(key, '-');
    if (flags & SYNTAX_IGNORE_CASE)
        key = names::fold(key);
    return key;
}

// A signed 32-bit number as four bytes that sort as the numbers do.
std::string numberKey(std::int32_t v) {
    const std::uint32_t biased = std::uint32_t(v) ^ 0x80000000u;
    std::string key(4, '\0');
    for (int i = 0; i < 4; ++i)
        key[std::size_t(i)] = char(biased >> (8 * (3 - i)));
    return key;
}

} // namespace

std::optional<std::string> nameKey(std::string_view dotted) {
    names::ParsedName parsed;
    if (names::parse(dotted, parsed) != 0)
        return std::nullopt;
    if (parsed.root)
        return std::string(ROOT_NAME);
    for (auto& c : parsed.components)
        c = names::fold(c);
    return names::join(parsed.components);
}

std::optional<std::string> matchKey(const Schema& schema, std::uint32_t syntax,
                                    std::string_view wireValue) {
    switch (syntax) {
    case SYN_DIST_NAME:
        return nameKey(wireValue);
    case SYN_BOOLEAN:
        if (wireValue.size() != 1)
            return std::nullopt;
        return std::string(1, wireValue[0] != 0 ? '1' : '0');
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL: {
        if (wireValue.size() != 4)
            return std::nullopt;
        wire::Reader r(wireValue);
        return numberKey(std::int32_t(r.u32()));
    }
    default: {
        const SyntaxDefinition* def = schema.findSyntax(syntax);
        return textKey(def == nullptr ? 0 : def->flags, wireValue);
    }
    }
}

std::string namingKey(std::string_view name) {
    return names::fold(withoutSpaces(name, false));
}

} // namespace search
