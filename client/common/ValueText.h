#pragma once

#include "directory/Codes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text form of attribute values, as LDIF and LDAP carry them, by syntax:
//   1 a DN (cn=Admin,o=Acme) or a dotted name     2-5, 10  the text
//   6  items separated by "$"                     7  TRUE or FALSE
//   8, 22, 27  decimal                            9 and unknown ids  the octets themselves
//   11 number[$bit count$hex bits]                12 type#hex address
//   13 hex$hex...                                 14 type#address
//   15 name space#volume DN#path                  16 server DN#type#number{#type:hex}
//   17 privileges#scope#subject#protected attribute (scope "entry" or "subtree")
//   18 lines separated by "$" (at most six)       19 YYYYMMDDHHMMSSZ#event id
//   20 a class name                               21 the stream's content
//   23 remote id#DN                               24 YYYYMMDDHHMMSSZ
//   25 level#interval#DN                          26 amount#DN
// Inside a field "\" escapes the next character, so "#" and "$" can be part of a value.
namespace valuetext {

// How names inside values are written: the directory's own names against their text form.
class NameMapping {
public:
    virtual ~NameMapping() = default;
    virtual std::optional<std::string> nameFromText(std::string_view text) const = 0;
    virtual std::string nameToText(std::string_view name) const = 0;
    virtual std::optional<std::string> classFromText(std::string_view text) const = 0;
    virtual std::string classToText(std::string_view name) const = 0;
    virtual std::optional<std::string> attrFromText(std::string_view text) const = 0;
    virtual std::string attrToText(std::string_view name) const = 0;
};

// Names written as the directory writes them: dotted names, schema names unchanged. DNs
// (with "=" in them) are turned into dotted names by their values.
class PlainNames : public NameMapping {
public:
    std::optional<std::string> nameFromText(std::string_view text) const override;
    std::string nameToText(std::string_view name) const override { return std::string(name); }
    std::optional<std::string> classFromText(std::string_view text) const override {
        return std::string(text);
    }
    std::string classToText(std::string_view name) const override { return std::string(name); }
    std::optional<std::string> attrFromText(std::string_view text) const override {
        return std::string(text);
    }
    std::string attrToText(std::string_view name) const override { return std::string(name); }
};

// Whether values of the syntax hold no object, class or attribute name, so that their text
// forms are the same whatever the names (the string syntaxes, numbers, times, addresses, ...).
bool namesNothing(std::uint32_t syntax);

// 0, or ERR_SYNTAX_VIOLATION / ERR_BAD_SYNTAX for text that is no value of the syntax.
NWDSCCODE parse(std::uint32_t syntax, std::string_view text, const NameMapping& names,
                std::string& wireValue);
NWDSCCODE format(std::uint32_t syntax, std::string_view wireValue, const NameMapping& names,
                 std::string& text);

// The components of an LDAP DN ("cn=Admin,ou=Sales,o=Acme"), leftmost first, with their
// attribute types; false when malformed. An empty DN has no components. The values of a
// multi-valued RDN ("cn=Ann Lee+employeeNumber=4711") are one component, its values and its
// types each joined by names::kValueJoin.
struct DnComponent {
    std::string type;
    std::string value;
};
bool splitDn(std::string_view dn, std::vector<DnComponent>& out);
std::string escapeDnValue(std::string_view value);
// Whether every escape of a DN is one RFC 4514 allows: a hex pair or one of the characters
// that need one ("cn=\\zz" is no name, whatever a lenient reading makes of it).
bool wellEscapedDn(std::string_view dn);
// One RDN from a component's type and value, each value escaped, "+" between values; "cn"
// for a type not given.
std::string rdnText(std::string_view type, std::string_view value);

// Seconds since 1970 from and to "YYYYMMDDHHMMSSZ".
std::optional<std::uint32_t> parseGeneralizedTime(std::string_view text);
std::string formatGeneralizedTime(std::uint32_t seconds);

// Hex digits (upper case on output).
std::optional<std::string> fromHex(std::string_view hex);
std::string toHex(std::string_view bytes);

} // namespace valuetext
