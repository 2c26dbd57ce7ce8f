#pragma once

#include "client/common/Buffer.h"
#include "client/common/Filter.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Search filters as LDAP writes them (RFC 4515), from the tokens of a filter request.
namespace ldapfilter {

// A value inside a filter: "*", "(", ")", "\" and NUL (and every byte outside printable
// ASCII) written as "\" and two hex digits.
std::string escapeValue(std::string_view value);

// Objects of a class and of none of its subclasses: the class is their base class (an
// object class filter also holds for every class above the object's own).
std::string baseClassFilter(std::string_view ldapClass,
                            const std::vector<std::string>& ldapSubclasses);

// What the translation needs of the directory: LDAP names of attributes and classes, a
// value's text by its syntax, and the attributes that name objects.
struct Directory {
    // The LDAP name of a directory attribute; nothing when the schema has no such attribute.
    std::function<std::optional<std::string>(std::string_view attr)> attributeName;
    // The filter that holds for objects whose base class is the named class.
    std::function<std::string(std::string_view cls)> baseClassFilter;
    std::function<NWDSCCODE(std::uint32_t syntax, std::string_view wireValue, std::string& text)>
        valueText;
    std::vector<std::string> namingTypes;
};

// The filter string of the tokens: criteria joined by AND bind tighter than OR, as the
// directory evaluates them, so "a OR b AND c" becomes (|(a)(&(b)(c))). No criterion gives
// "(objectClass=*)". ERR_EXPECTED_IDENTIFIER and friends for a malformed sequence,
// ERR_NO_SUCH_ATTRIBUTE for an attribute the schema lacks.
NWDSCCODE translate(const std::vector<FilterToken>& tokens, const Directory& directory,
                    std::string& out);

} // namespace ldapfilter
