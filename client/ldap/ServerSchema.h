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

// The schema file text the values amount to (statements separated by blank lines).
std::string directoryStatements(const SubschemaValues& values, const Schema* hints);

// Builds `out` from the values; false with a message when they do not make a schema.
bool build(const SubschemaValues& values, const Schema* hints, Schema& out, std::string* error);

} // namespace serverschema
