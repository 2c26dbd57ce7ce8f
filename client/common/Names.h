#pragma once

#include "directory/Codes.h"
#include "directory/NameRules.h"

#include <string>
#include <string_view>
#include <vector>

// Typeless dotted directory names ("Admin.Sales.Acme", leftmost component first, "[Root]"
// for the top), also accepted with type tags ("CN=Admin.OU=Sales.O=Acme"). A "\" makes the
// next character part of the component, so "A\.B" is one component; names are written with
// the escapes of directory/NameRules.h ("\.", "\\", "\=", "\+", a leading "\[").
//
// An unescaped "+" joins the values of a multi-valued RDN inside one component:
// "Ann Lee+4711.People" for cn=Ann Lee+employeeNumber=4711,ou=People ("CN=Ann Lee+
// EMPLOYEENUMBER=4711.OU=People" typed). Such a component keeps its values joined by
// kValueJoin, a byte no UTF-8 text holds (the pages' labels keep it, directory/NameRules.h),
// so that join writes the "+" back and a component never equals a plain one.
namespace names {

inline constexpr char kValueJoin = kNameValueJoin;

struct ParsedName {
    bool root = false;                   // "[Root]" itself
    bool leadingDot = false;             // ".Admin.Acme": counted from [Root], never relative
    std::vector<std::string> components; // leftmost first, tags and escapes removed
    // The type tag of each component as written ("" for none), joined per value as its
    // values are ("CN" + kValueJoin + "" for "CN=Ann Lee+4711").
    std::vector<std::string> tags;
};

// The values of a component, in their order (one for a plain component), and back.
std::vector<std::string> valuesOf(std::string_view component);
std::string joinValues(const std::vector<std::string>& values);
bool isMultiValued(std::string_view component);

// Splits a name; ERR_NULL_POINTER, ERR_NAME_TOO_LONG (more than MAX_DN_CHARS, or a component
// longer than MAX_RDN_CHARS) or ERR_INVALID_OBJECT_NAME (empty name, empty component,
// dangling "\", empty tag value, an empty value beside a "+", a component that is not UTF-8
// text).
NWDSCCODE parse(const char* name, ParsedName& out);
NWDSCCODE parse(std::string_view name, ParsedName& out);

// Joins components (leftmost first) back into a dotted name, each escaped, the values of a
// multi-valued one joined by "+"; "[Root]" for none.
std::string join(const std::vector<std::string>& components);

// Escapes one component for a dotted name.
std::string escapeComponent(std::string_view component);

// Whether a component's text can be a name here: 0, ERR_INVALID_OBJECT_NAME when one of its
// values is empty, holds a NUL byte or is not UTF-8 text, ERR_NAME_TOO_LONG beyond
// MAX_RDN_CHARS.
NWDSCCODE checkComponent(std::string_view component);
bool isUtf8(std::string_view text);
// Text as a message can show it: control bytes, and every byte beyond ASCII when the text is
// not UTF-8, written as hex escapes ("\00").
std::string printable(std::string_view text);

// The one conversion between LDAP DNs ("cn=a.b,o=Acme", RFC 4514) and typeless names
// ("a\.b.Acme"). fromDn gives "[Root]" for the empty DN; ERR_INVALID_OBJECT_NAME for a DN
// that is malformed or whose components checkComponent refuses, ERR_NAME_TOO_LONG when the
// name would be longer than MAX_DN_CHARS. toDn tags each value with its type ("cn" where
// none is given; the types of a multi-valued component joined as its values are).
NWDSCCODE fromDn(std::string_view dn, std::string& name);
// Whether text that may be either form is a DN: it parses as one and has a "," or no "."
// outside escapes ("cn=a.b,o=Acme", "cn=Admin"; not "Admin.Acme" or "CN=Admin.O=Acme").
bool isDn(std::string_view text);
std::string toDn(const std::vector<std::string>& components, const std::vector<std::string>& types);

// A schema name (class, attribute, syntax): ERR_NULL_POINTER, ERR_NAME_TOO_LONG or
// ERR_INVALID_REQUEST for an empty one.
NWDSCCODE checkSchemaName(const char* name);

// ASCII lower case, the key under which names are compared.
std::string fold(std::string_view s);
bool equalFolded(std::string_view a, std::string_view b);

} // namespace names
