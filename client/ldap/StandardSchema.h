#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// How definitions of a server's standard schema, written without the directory's X-NDS-*
// extensions, are read as directory definitions.
namespace standardschema {

// The directory syntax id that stands for a standard LDAP syntax OID (RFC 4517 and the
// usual others); SYN_UNKNOWN for a syntax without a counterpart.
std::uint32_t syntaxIdOf(std::string_view ldapSyntaxOid);

// True for the string syntaxes whose attributes carry the STRING flag.
bool isStringSyntax(std::uint32_t syntaxId);

// True for the standard classes whose objects hold others (countries, localities,
// organizations, units, domains).
bool isContainerClass(std::string_view ldapName);

// The directory's syntax definitions, ids 0 to 27, with their matching flags, as
// "ldapsyntax" statements for a server that defines none of its own.
std::vector<std::string> defaultSyntaxStatements();
std::uint16_t defaultSyntaxFlags(std::uint32_t id);

// The flag words of the schema files for flag bits, in table order.
std::vector<std::string> attributeFlagWords(std::uint32_t flags);
std::vector<std::string> classFlagWords(std::uint32_t flags);
std::vector<std::string> syntaxFlagWords(std::uint16_t flags);

} // namespace standardschema
