#pragma once

#include "client/common/Schema.h"

#include <string>
#include <vector>

// The directory schema of an LDAP server, from the values of its subschema entry. Definitions
// carrying the X-NDS-* extensions are read as the schema files write them; those without are
// completed first: from the hints schema when it defines the same OID (a server's built-in
// definitions of standard attributes and classes), else by the standard mapping (syntax OIDs
// to syntax ids, SINGLE-VALUE and the other flags, STRUCTURAL to EFFECTIVE). When the server
// holds directory definitions, only those and what they refer to are taken; a server with none
// gives its whole user schema.
namespace serverschema {

struct SubschemaValues {
    std::vector<std::string> ldapSyntaxes;
    std::vector<std::string> attributeTypes;
    std::vector<std::string> objectClasses;
};

// The schema file text the values amount to (statements separated by blank lines). Values
// that do not parse as definitions are left out, and given in `unreadable`.
std::string directoryStatements(const SubschemaValues& values, const Schema* hints,
                                std::vector<std::string>* unreadable = nullptr);

// Builds `out` from the values; false with a message when they do not make a schema.
bool build(const SubschemaValues& values, const Schema* hints, Schema& out, std::string* error,
           std::vector<std::string>* unreadable = nullptr);

// "2 definitions of the server's schema do not parse: ( 1.2 NAME ...; ( 1.3 ..." with the
// first few shown (control bytes escaped) and how many more.
std::string unreadableNote(const std::vector<std::string>& unreadable);

} // namespace serverschema
