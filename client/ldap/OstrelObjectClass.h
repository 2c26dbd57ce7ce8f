#pragma once

#include "SchemaStatements.h"

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The auxiliary class by which an LDAP server lets an entry hold what the directory lets every
// object hold and the server's own built-in classes do not: the optional attributes of Top
// (ACL, Revision, Replica, ...) and the naming attributes of an alias. A private server gets it
// from the seed, on every entry; the client puts it on the entries it adds and on an entry a
// change gives such an attribute, where the server defines it. It is never shown: not among
// an object's classes, not in the schema.
namespace ostrelobject {

constexpr std::string_view kLdapName = "ostrelObject";
constexpr std::string_view kOid = "2.25.14728172303297623532114484959978199139.5.1";
// Where the class lists the optional attributes the schema read gives back to Top.
constexpr const char* kTopExtension = "X-NDS-TOP-MAY";

// Whether a class name or OID is this class.
bool isThisClass(std::string_view nameOrOid);

// Its description, allowing `attributes` (LDAP names), of which `topOptional` are the ones
// the schema read gives back to Top (kTopExtension).
std::string description(const std::vector<std::string>& attributes,
                        const std::vector<std::string>& topOptional = {});

// What the class allows on a server whose objectClasses values these are (folded LDAP names
// and OIDs of its MUST and MAY), or nothing when the server does not define it.
std::optional<std::set<std::string>> allowedBy(const std::vector<std::string>& objectClasses);

// The attributes the directory's definitions of the server's built-in classes name (mandatory,
// optional and naming) besides objectClass: what the class must allow.
std::vector<std::string> attributesFor(const std::vector<schemastatements::Definition>& defs,
                                       const std::set<std::string>& builtInOids);

// The optional attributes added to Top on the server: it takes no change of its own built-in
// class, so they go into this class (which every entry holds) and are listed apart in
// kTopExtension, which the schema read gives back to Top.
void addToTop(schemastatements::Definition& d, const std::vector<std::string>& attributes);
std::vector<std::string> addedToTop(const std::vector<std::string>& objectClasses);

} // namespace ostrelobject
