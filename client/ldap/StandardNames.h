#pragma once

#include <cstdint>
#include <string_view>

// What the directory knows of the standard LDAP schema (RFC 4519, 4524, 2798, 2307 and the
// container classes servers define themselves), for servers whose definitions carry none of
// the directory's X-NDS-* extensions. The server's own definitions stay the truth for
// syntaxes, single values, effectiveness and attribute lists; this adds only what the server
// cannot say: the directory's name, the flags the directory alone keeps, bounds, containment
// and naming.
namespace standardnames {

struct Attribute {
    std::string_view ldapName;
    std::string_view name;   // the directory's name
    std::uint32_t flags = 0; // NONREMOVABLE, SYNC-IMMEDIATE (DS_* bits)
    std::uint32_t lower = 0; // bounds, when upper is not 0
    std::uint32_t upper = 0;
};

struct Class {
    std::string_view ldapName;
    std::string_view name;        // the directory's name
    std::uint32_t flags = 0;      // CONTAINER, NONREMOVABLE, AMBIGUOUS-* (DS_* bits)
    std::string_view containment; // LDAP class names, blank separated
    std::string_view naming;      // LDAP attribute names, blank separated
};

// By any LDAP name, case ignored; nullptr for a definition the table does not hold.
const Attribute* attribute(std::string_view ldapName);
const Class* objectClass(std::string_view ldapName);

// Every entry, for tests and for the checks that the table is sound.
std::size_t attributeCount();
const Attribute& attributeAt(std::size_t i);
std::size_t classCount();
const Class& classAt(std::size_t i);

// The attributes that name objects where a class says nothing, in the order they are tried.
inline constexpr std::string_view kNamingTypes[] = {"cn", "uid", "ou", "o", "dc", "l", "st", "c"};

} // namespace standardnames
