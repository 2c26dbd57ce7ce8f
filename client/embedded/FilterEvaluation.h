#pragma once

#include "ObjectStore.h"
#include "client/common/Filter.h"
#include "client/common/Schema.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Search filters of the embedded directory. A filter arrives as the flat token sequence the
// caller built; it is read with the directory's precedence (AND binds tighter than OR), so
// it becomes an OR of AND groups of single criteria, each checked against one object.
namespace search {

struct Criterion {
    enum class Kind {
        Compare,     // attribute name, relation, value
        Present,     // the attribute has a value
        NamingValue, // the object's own name equals the text
        BaseClass,   // the object's base class is the named class
    };
    Kind kind = Kind::Compare;
    const AttributeDefinition* attribute = nullptr; // Compare and Present
    std::uint32_t relation = FTOK_EQ;               // Compare: FTOK_EQ, FTOK_GE or FTOK_LE
    // Compare: the value in the attribute's comparable form (MatchKey); NamingValue: the
    // name in the naming form; BaseClass: the class name folded.
    std::string key;
    // Compare on a distinguished name: the value relative to the caller's name context too.
    std::string relativeKey;
};

struct CompiledFilter {
    std::vector<std::vector<Criterion>> anyOf; // no groups: every object matches
};

// Reads the token sequence (ending in FTOK_END) against the schema of the tree searched.
// `nameContext` is the caller's name context, against which distinguished names are also
// read. 0, or ERR_ATTR_TYPE_EXPECTED / ERR_EXPECTED_IDENTIFIER / ERR_INVALID_REQUEST for a
// sequence out of order, ERR_NO_SUCH_ATTRIBUTE for an attribute the schema lacks,
// ERR_INVALID_COMPARISON for a value of a syntax the attribute cannot be compared with,
// ERR_SYNTAX_VIOLATION for a malformed value.
NWDSCCODE compile(const std::vector<FilterToken>& tokens, const Schema& schema,
                  std::string_view nameContext, CompiledFilter& out);

// Whether the caller may compare the values of an attribute of an object.
using CompareAccess = std::function<bool(EntryId, const AttributeDefinition&)>;

bool matches(const CompiledFilter& filter, const Schema& schema, const Entry& entry,
             const CompareAccess& mayCompare);

// The form in which values of an attribute compare by the attribute's syntax: text with case,
// spaces and dashes dropped as the syntax's flags say, a name as its folded components,
// numbers as a sortable key. nullopt when the wire value is not one of the syntax.
std::optional<std::string> matchKey(const Schema& schema, std::uint32_t syntax,
                                    std::string_view wireValue);

// A dotted name as its folded components; nullopt when it is not a name.
std::optional<std::string> nameKey(std::string_view dotted);

// The object's own name as the naming-value criterion compares it.
std::string namingKey(std::string_view name);

} // namespace search
