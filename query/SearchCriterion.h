#pragma once

#include "directory/Codes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One criterion of a search filter as the "Search Criteria:" list holds it: the record its
// tokens point at, owned by its row.
struct SearchCriterion {
    enum class ValueKind : std::uint8_t { Integer = 0, Text = 1, Present = 3 };

    std::string attributeName; // at most 31 characters
    std::uint32_t syntaxId = 0;
    std::uint32_t operatorToken = FTOK_EQ; // FTOK_EQ, FTOK_GE, FTOK_LE or FTOK_PRESENT
    ValueKind kind = ValueKind::Text;
    std::string text;         // kind Text: at most 1023 characters
    std::int32_t integer = 0; // kind Integer
};

// How a criterion turns into tokens, decided by the operator, the attribute's syntax and,
// for two special cases, its name.
enum class CriterionForm {
    Present,           // token 15, then the attribute name
    NamingValue,       // "CN" / "Common Name": token 16, then the value as a name
    BaseClass,         // "Object Class": token 17, then the value as a name
    TextComparison,    // name, operator, text value
    IntegerComparison, // name, operator, 32-bit integer value
    Unsearchable,      // a syntax the filter cannot compare
};
CriterionForm criterionForm(std::string_view attributeName, std::uint32_t syntaxId,
                            std::uint32_t operatorToken);

// The syntaxes offered for searching: 1-5, 7, 8, 10, 20, 22 and 27.
bool isSearchableSyntax(std::uint32_t syntaxId);

// The token of an operator text ("EQUALS", "LESSER THAN", "GREATER THAN", "Present"),
// compared exactly; nullopt for any other text.
std::optional<std::uint32_t> operatorTokenFor(std::string_view operatorText);
// The operator texts in the order they are offered.
const std::vector<std::string>& operatorTexts();

// One NWDSAddFilterToken call; `value` points into the criterion.
struct FilterTokenCall {
    std::uint32_t token;
    const void* value;
    std::uint32_t syntaxId;
};
// The calls that put a criterion into a filter, after any connector.
std::vector<FilterTokenCall> criterionTokens(const SearchCriterion& criterion);
