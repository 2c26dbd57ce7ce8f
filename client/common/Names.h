#pragma once

#include "directory/Codes.h"

#include <string>
#include <string_view>
#include <vector>

// Typeless dotted directory names ("Admin.Sales.Acme", leftmost component first, "[Root]"
// for the top), also accepted with type tags ("CN=Admin.OU=Sales.O=Acme"). A "\" makes the
// next character part of the component, so "A\.B" is one component.
namespace names {

struct ParsedName {
    bool root = false;                   // "[Root]" itself
    bool leadingDot = false;             // ".Admin.Acme": counted from [Root], never relative
    std::vector<std::string> components; // leftmost first, tags and escapes removed
};

// Splits a name; ERR_NULL_POINTER, ERR_NAME_TOO_LONG (more than MAX_DN_CHARS, or a component
// longer than MAX_RDN_CHARS) or ERR_INVALID_OBJECT_NAME (empty name, empty component,
// dangling "\", empty tag value).
NWDSCCODE parse(const char* name, ParsedName& out);
NWDSCCODE parse(std::string_view name, ParsedName& out);

// Joins components (leftmost first) back into a dotted name, escaping "." and "\".
std::string join(const std::vector<std::string>& components);

// Escapes one component for a dotted name.
std::string escapeComponent(std::string_view component);

// A schema name (class, attribute, syntax): ERR_NULL_POINTER, ERR_NAME_TOO_LONG or
// ERR_INVALID_REQUEST for an empty one.
NWDSCCODE checkSchemaName(const char* name);

// ASCII lower case, the key under which names are compared.
std::string fold(std::string_view s);
bool equalFolded(std::string_view a, std::string_view b);

} // namespace names
