#include "SearchCriterion.h"

#include "directory/SyntaxClasses.h"

#include <array>

namespace {
struct OperatorRow {
    const char* text;
    std::uint32_t token;
};
// "LESSER THAN" is the less-or-equal comparison, "GREATER THAN" the greater-or-equal one.
constexpr std::array<OperatorRow, 4> kOperators = {{
    {"EQUALS", FTOK_EQ},
    {"LESSER THAN", FTOK_LE},
    {"GREATER THAN", FTOK_GE},
    {"Present", FTOK_PRESENT},
}};
} // namespace

bool isSearchableSyntax(std::uint32_t syntaxId) {
    return isTextSyntax(syntaxId) || syntaxId == SYN_BOOLEAN || isIntegerSyntax(syntaxId);
}

CriterionForm criterionForm(std::string_view attributeName, std::uint32_t syntaxId,
                            std::uint32_t operatorToken) {
    if (operatorToken == FTOK_PRESENT)
        return CriterionForm::Present;
    const bool objectClass = attributeName == "Object Class";
    switch (syntaxId) {
    case SYN_CI_STRING:
        if (attributeName == "CN" || attributeName == "Common Name")
            return CriterionForm::NamingValue;
        return objectClass ? CriterionForm::BaseClass : CriterionForm::TextComparison;
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        return objectClass ? CriterionForm::BaseClass : CriterionForm::TextComparison;
    case SYN_DIST_NAME:
    case SYN_CE_STRING:
        return CriterionForm::TextComparison;
    case SYN_BOOLEAN:
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL:
        return CriterionForm::IntegerComparison;
    default:
        return CriterionForm::Unsearchable;
    }
}

std::optional<std::uint32_t> operatorTokenFor(std::string_view operatorText) {
    for (const auto& row : kOperators) {
        if (operatorText == row.text)
            return row.token;
    }
    return std::nullopt;
}

const std::vector<std::string>& operatorTexts() {
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> out;
        out.reserve(kOperators.size());
        for (const auto& row : kOperators)
            out.emplace_back(row.text);
        return out;
    }();
    return texts;
}

std::vector<FilterTokenCall> criterionTokens(const SearchCriterion& c) {
    const std::uint32_t syntax = c.syntaxId;
    switch (criterionForm(c.attributeName, syntax, c.operatorToken)) {
    case CriterionForm::Present:
        return {{FTOK_PRESENT, nullptr, 0}, {FTOK_ANAME, c.attributeName.c_str(), syntax}};
    case CriterionForm::NamingValue:
        return {{FTOK_RDN, nullptr, 0}, {FTOK_ANAME, c.text.c_str(), syntax}};
    case CriterionForm::BaseClass:
        return {{FTOK_BASECLS, nullptr, 0}, {FTOK_ANAME, c.text.c_str(), syntax}};
    case CriterionForm::TextComparison:
        return {{FTOK_ANAME, c.attributeName.c_str(), syntax},
                {c.operatorToken, nullptr, 0},
                {FTOK_AVAL, c.text.c_str(), syntax}};
    case CriterionForm::IntegerComparison:
        return {{FTOK_ANAME, c.attributeName.c_str(), syntax},
                {c.operatorToken, nullptr, 0},
                {FTOK_AVAL, &c.integer, syntax}};
    case CriterionForm::Unsearchable:
        break;
    }
    return {};
}
