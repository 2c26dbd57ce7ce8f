// Typeless names and DNs: whatever parses prints back to a name that parses to the same
// components, and the two forms convert into each other without loss.
#include "FuzzCheck.h"
#include "client/common/Names.h"
#include "client/common/ValueText.h"
#include "directory/NameRules.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string restOf(const std::vector<std::string>& components) {
    return names::join(std::vector<std::string>(components.begin() + 1, components.end()));
}

// Components that are names here: joined, parsed, labelled and converted to a DN and back.
void checkComponents(const std::vector<std::string>& components) {
    for (const auto& c : components) {
        if (names::checkComponent(c) != 0)
            return;
    }
    const std::string joined = names::join(components);
    if (components.empty() || joined.size() > MAX_DN_CHARS)
        return;
    names::ParsedName parsed;
    FUZZ_CHECK(names::parse(joined, parsed) == 0);
    FUZZ_CHECK(!parsed.root && !parsed.leadingDot);
    FUZZ_CHECK(parsed.components == components);

    for (const auto& c : components)
        FUZZ_CHECK(names::joinValues(names::valuesOf(c)) == c);
    FUZZ_CHECK(labelOf(joined) == components.front());
    // What a page shows for a multi-valued name reads as that name.
    names::ParsedName shown;
    if (isMultiValuedLabel(components.front())) {
        FUZZ_CHECK(names::parse(labelText(labelOf(joined)), shown) == 0);
        FUZZ_CHECK(shown.components.size() == 1 && shown.components.front() == components.front());
    }
    FUZZ_CHECK(fullNameOf(components.front(), restOf(components)) == joined);
    FUZZ_CHECK(parentContextOf(joined) == restOf(components));
    FUZZ_CHECK(splitEscapedName(joined).size() == components.size());

    const std::string dn = names::toDn(components, {});
    std::vector<valuetext::DnComponent> parts;
    FUZZ_CHECK(valuetext::splitDn(dn, parts));
    FUZZ_CHECK(parts.size() == components.size());
    for (std::size_t i = 0; i < parts.size(); ++i)
        FUZZ_CHECK(parts[i].value == components[i]);
    std::string back;
    FUZZ_CHECK(names::fromDn(dn, back) == 0);
    FUZZ_CHECK(back == joined);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // The input as a dotted name.
    names::ParsedName parsed;
    if (names::parse(input, parsed) == 0 && !parsed.root)
        checkComponents(parsed.components);

    // The input as a DN: printed again with its own types, it reads back the same.
    std::vector<valuetext::DnComponent> parts;
    if (valuetext::splitDn(input, parts)) {
        std::vector<std::string> values;
        std::vector<std::string> types;
        for (const auto& p : parts) {
            values.push_back(p.value);
            types.push_back(p.type);
        }
        std::vector<valuetext::DnComponent> again;
        FUZZ_CHECK(valuetext::splitDn(names::toDn(values, types), again));
        FUZZ_CHECK(again.size() == parts.size());
        for (std::size_t i = 0; i < again.size(); ++i)
            FUZZ_CHECK(again[i].type == types[i] && again[i].value == values[i]);
        std::string name;
        if (names::fromDn(input, name) == 0 && !values.empty()) {
            names::ParsedName fromDn;
            FUZZ_CHECK(names::parse(name, fromDn) == 0);
            FUZZ_CHECK(fromDn.components == values);
        }
        checkComponents(values);
    }

    // The input as the raw texts of components, one a line.
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= input.size(); ++i) {
        if (i == input.size() || input[i] == '\n') {
            lines.emplace_back(input.substr(start, i - start));
            start = i + 1;
        }
    }
    checkComponents(lines);

    // Labels and parents of any text stay within it.
    FUZZ_CHECK(labelOf(input).size() <= input.size());
    FUZZ_CHECK(parentContextOf(input).size() <= std::max<std::size_t>(input.size(), 6));
    return 0;
}
