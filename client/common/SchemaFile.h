#pragma once

#include "Schema.h"

#include <string>
#include <string_view>

// Reads schema descriptions in the form of RFC 4512 (attributetype, objectclass and
// ldapsyntax statements, "#" comments) with these extensions carrying what the directory
// needs beyond LDAP:
//   ldapsyntax:    X-NDS-ID 'n' (the syntax id), DESC (the syntax name), X-NDS-FLAGS (...)
//   attributetype: X-NDS-NAME 'Telephone Number', X-NDS-SYNTAX 'n', X-NDS-FLAGS (...),
//                  X-NDS-LOWER-BOUND 'n', X-NDS-UPPER-BOUND 'n'
//   objectclass:   X-NDS-NAME, X-NDS-CONTAINMENT (...), X-NDS-NAMING (...), X-NDS-FLAGS (...)
// Lists (SUP, MUST, MAY, containment, naming) name classes and attributes by LDAP name.
// Flags are the words SINGLE-VALUED, SIZED, NONREMOVABLE, READ-ONLY, HIDDEN, STRING,
// SYNC-IMMEDIATE, PUBLIC-READ, SERVER-READ, WRITE-MANAGED, PER-REPLICA for attributes;
// CONTAINER, EFFECTIVE, NONREMOVABLE, AMBIGUOUS-NAMING, AMBIGUOUS-CONTAINMENT for classes;
// STRING, SINGLE-VALUED, ORDERED, EQUALITY, IGNORE-CASE, IGNORE-SPACE, IGNORE-DASH,
// DIGITS-ONLY, PRINTABLE-ONLY, SIZEABLE, BITWISE-EQUAL for syntaxes.
namespace schemafile {

// The character a backslash escape in a quoted string stands for, RFC 4512's "\27" and "\5C"
// (any two hex digits) or the character after the backslash; `i` is at the backslash and ends
// on the escape's last character.
char unescapeAt(std::string_view text, std::size_t& i);

// Adds the file's definitions to `schema`; false with a message naming the line on error.
bool load(std::string_view text, std::string_view fileName, Schema& schema, std::string* error);

} // namespace schemafile
