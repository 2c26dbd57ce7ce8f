#pragma once

#include "SchemaStatements.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Directory definitions as an LDAP server stores them: the seed of a private server and the
// schema changes of the LDAP client write them through these, so both write the same text.
namespace storeddefinitions {

// The extension in which a class keeps its super classes when the server takes fewer.
constexpr const char* kSuperiorsExtension = "X-NDS-SUPERIORS";

// The standard syntax a directory syntax is stored as, and the matching rules that go with it.
struct Storage {
    const char* syntax;
    const char* equality;
    const char* ordering; // nullptr: none
};
Storage storageOf(std::uint32_t syntaxId);

// An attribute description with its X-NDS-SYNTAX: SYNTAX becomes the standard syntax the
// server stores values in, and the matching rules of that syntax are added where missing.
void storeAttribute(schemastatements::Definition& d);

// A class description: the server takes no auxiliary super class of a structural or abstract
// class, so such a class gets the auxiliary's attributes as optional ones instead, and its
// own list of super classes is kept in kSuperiorsExtension. `auxiliary` gives the description
// of an auxiliary class by LDAP name (nullptr for a class that is not auxiliary).
void storeClass(
    schemastatements::Definition& d,
    const std::function<const schemastatements::Definition*(std::string_view)>& auxiliary);

// A list field written "( a $ b )", dropped when empty.
void setList(schemastatements::Definition& d, const std::string& key,
             const std::vector<std::string>& values);

} // namespace storeddefinitions
