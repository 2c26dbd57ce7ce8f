// Reading a filter's token sequence into AND groups joined by OR, and checking objects
// against it.
#include "FilterEvaluation.h"

#include "client/common/Names.h"
#include "directory/ResultCodes.h"
#include "directory/SyntaxClasses.h"

#include <algorithm>

namespace search {
namespace {

enum class ValueFamily { Text, Number, Other };

ValueFamily familyOf(std::uint32_t syntax) {
    if (isTextSyntax(syntax))
        return ValueFamily::Text;
    if (syntax == SYN_BOOLEAN || isIntegerSyntax(syntax))
        return ValueFamily::Number;
    return ValueFamily::Other;
}

// A number value in the wire form of its syntax, re-encoded in the attribute's syntax.
std::optional<std::string> asNumberOf(std::uint32_t attrSyntax, std::uint32_t valueSyntax,
                                      std::string_view wireValue) {
    std::uint32_t v = 0;
    if (valueSyntax == SYN_BOOLEAN && wireValue.size() == 1)
        v = std::uint8_t(wireValue[0]);
    else if (valueSyntax != SYN_BOOLEAN && wireValue.size() == 4)
        v = std::uint32_t(std::uint8_t(wireValue[0])) |
            std::uint32_t(std::uint8_t(wireValue[1])) << 8 |
            std::uint32_t(std::uint8_t(wireValue[2])) << 16 |
            std::uint32_t(std::uint8_t(wireValue[3])) << 24;
    else
        return std::nullopt;
    if (attrSyntax == SYN_BOOLEAN)
        return std::string(1, v != 0 ? '\1' : '\0');
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i)
        out[std::size_t(i)] = char(v >> (8 * i));
    return out;
}

class Reader {
public:
    Reader(const std::vector<FilterToken>& tokens, const Schema& schema,
           std::string_view nameContext)
        : tokens_(tokens), schema_(schema), nameContext_(nameContext) {}

    NWDSCCODE read(CompiledFilter& out) {
        out.anyOf.clear();
        if (tokens_.empty() || tokens_.back().token != FTOK_END)
            return ERR_INVALID_REQUEST;
        if (tokens_.size() == 1)
            return 0; // an empty filter: every object
        std::vector<Criterion> group;
        for (;;) {
            Criterion c;
            if (auto rc = criterion(c); rc != 0)
                return rc;
            group.push_back(std::move(c));
            const FilterToken* joint = next();
            if (joint == nullptr)
                return ERR_INVALID_REQUEST;
            if (joint->token == FTOK_AND)
                continue;
            out.anyOf.push_back(std::move(group));
            group.clear();
            if (joint->token == FTOK_OR)
                continue;
            if (joint->token == FTOK_END && at_ == tokens_.size())
                return 0;
            return ERR_INVALID_REQUEST;
        }
    }

private:
    const FilterToken* next() { return at_ < tokens_.size() ? &tokens_[at_++] : nullptr; }

    NWDSCCODE attributeNamed(const FilterToken& t, const AttributeDefinition*& out) {
        out = schema_.findAttribute(t.value);
        return out == nullptr ? ERR_NO_SUCH_ATTRIBUTE : 0;
    }

    NWDSCCODE criterion(Criterion& c) {
        const FilterToken* first = next();
        if (first == nullptr)
            return ERR_INVALID_REQUEST;
        switch (first->token) {
        case FTOK_ANAME:
            return comparison(*first, c);
        case FTOK_PRESENT:
        case FTOK_RDN:
        case FTOK_BASECLS: {
            const FilterToken* name = next();
            if (name == nullptr || name->token != FTOK_ANAME)
                return ERR_ATTR_TYPE_EXPECTED;
            if (first->token == FTOK_PRESENT) {
                c.kind = Criterion::Kind::Present;
                return attributeNamed(*name, c.attribute);
            }
            if (first->token == FTOK_RDN) {
                c.kind = Criterion::Kind::NamingValue;
                c.key = namingKey(name->value);
            } else {
                c.kind = Criterion::Kind::BaseClass;
                c.key = names::fold(name->value);
            }
            return 0;
        }
        default:
            return ERR_EXPECTED_IDENTIFIER;
        }
    }

    NWDSCCODE comparison(const FilterToken& name, Criterion& c) {
        c.kind = Criterion::Kind::Compare;
        if (auto rc = attributeNamed(name, c.attribute); rc != 0)
            return rc;
        const FilterToken* relation = next();
        if (relation == nullptr || (relation->token != FTOK_EQ && relation->token != FTOK_GE &&
                                    relation->token != FTOK_LE))
            return ERR_INVALID_REQUEST;
        c.relation = relation->token;
        const FilterToken* value = next();
        if (value == nullptr || value->token != FTOK_AVAL)
            return ERR_INVALID_REQUEST;

        const std::uint32_t attrSyntax = c.attribute->syntax;
        const ValueFamily family = familyOf(attrSyntax);
        std::optional<std::string> wireValue;
        if (family == ValueFamily::Number && familyOf(value->syntax) == ValueFamily::Number)
            wireValue = asNumberOf(attrSyntax, value->syntax, value->value);
        else if ((family == ValueFamily::Text && familyOf(value->syntax) == ValueFamily::Text) ||
                 value->syntax == attrSyntax)
            wireValue = value->value;
        else
            return ERR_INVALID_COMPARISON;
        std::optional<std::string> key =
            wireValue ? matchKey(schema_, attrSyntax, *wireValue) : std::nullopt;
        if (!key)
            return ERR_SYNTAX_VIOLATION;
        c.key = std::move(*key);
        if (attrSyntax == SYN_DIST_NAME)
            c.relativeKey = relativeName(value->value);
        return 0;
    }

    // The name read below the caller's name context, or empty when that reading does not
    // apply (a name from [Root], or a context at [Root]).
    std::string relativeName(std::string_view name) const {
        if (name.empty() || name.front() == '.')
            return {};
        names::ParsedName base;
        if (names::parse(nameContext_, base) != 0 || base.root)
            return {};
        return nameKey(std::string(name) + "." + std::string(nameContext_)).value_or("");
    }

    const std::vector<FilterToken>& tokens_;
    const Schema& schema_;
    std::string_view nameContext_;
    std::size_t at_ = 0;
};

bool holds(const Criterion& c, std::string_view valueKey) {
    switch (c.relation) {
    case FTOK_GE:
        return valueKey >= c.key;
    case FTOK_LE:
        return valueKey <= c.key;
    default:
        return valueKey == c.key || (!c.relativeKey.empty() && valueKey == c.relativeKey);
    }
}

bool satisfies(const Criterion& c, const Schema& schema, const Entry& entry,
               const CompareAccess& mayCompare) {
    switch (c.kind) {
    case Criterion::Kind::NamingValue:
        return namingKey(entry.name) == c.key;
    case Criterion::Kind::BaseClass:
        return entry.baseClass != nullptr && names::fold(entry.baseClass->name) == c.key;
    case Criterion::Kind::Present:
    case Criterion::Kind::Compare:
        break;
    }
    const AttributeValues* values = entry.find(c.attribute);
    if (values == nullptr || values->values.empty() || !mayCompare(entry.id, *c.attribute))
        return false;
    if (c.kind == Criterion::Kind::Present)
        return true;
    return std::any_of(values->values.begin(), values->values.end(), [&](std::string_view v) {
        const auto key = matchKey(schema, c.attribute->syntax, v);
        return key && holds(c, *key);
    });
}

} // namespace

NWDSCCODE compile(const std::vector<FilterToken>& tokens, const Schema& schema,
                  std::string_view nameContext, CompiledFilter& out) {
    return Reader(tokens, schema, nameContext).read(out);
}

bool matches(const CompiledFilter& filter, const Schema& schema, const Entry& entry,
             const CompareAccess& mayCompare) {
    if (filter.anyOf.empty())
        return true;
    return std::any_of(filter.anyOf.begin(), filter.anyOf.end(), [&](const auto& group) {
        return std::all_of(group.begin(), group.end(), [&](const Criterion& c) {
            return satisfies(c, schema, entry, mayCompare);
        });
    });
}

} // namespace search
