#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

// The slapd access rules (olcAccess values) that give every identity on a private server the
// rights the embedded directory computes from the same ACL values (client/embedded/Rights.cpp):
// entry and all-attributes rights flow down the tree, a lower value for the same trustee
// replaces what came from above, a value naming one attribute counts on its own object only
// and replaces that trustee's all-attributes rights there, and the rights of every name an
// identity answers to add up (itself, every container above it, the objects it is security
// equal to, [Root] and [Public]).
//
// What slapd needs beyond the ACLs, and so grants on its own:
// - anyone may bind (auth on userPassword), nobody reads or changes a password;
// - the parent's side of an add, delete or rename (the `children` pseudo-attribute) is open:
//   the entry's own rights decide, as in the directory;
// - whoever may browse an object may search on its naming attributes and objectClass (names
//   are resolved and containers listed by filters) and read structuralObjectClass,
//   hasSubordinates and modifyTimestamp (the object's class, whether it holds others, when it
//   changed: what a listing shows);
// - a rename writes the new naming value and (when it drops the old one) deletes the old one,
//   which slapd checks as attribute writes where the object goes: Rename gives write on the
//   naming attributes, and an object whose own ACL values give it is found by those values
//   in its container;
// - attributes the schema marks public read are read and compared by everyone.
namespace accessrules {

// One object of a tree, as its LDIF gives it.
struct Object {
    std::string dn;                          // "" for [Root]
    std::vector<std::string> acl;            // ACL values in their text form
    std::vector<std::string> securityEquals; // DNs
};

// The attribute names the rules may use: all the server defines.
struct Attributes {
    // Directory name or LDAP name, folded, to the LDAP name.
    std::map<std::string, std::string> ldapNames;
    std::vector<std::string> naming;     // LDAP names of the naming attributes
    std::vector<std::string> publicRead; // LDAP names
};

// The olcAccess values of the database holding `suffix`, one of the top objects of the tree
// whose objects (its [Root] among them) are given.
std::vector<std::string> databaseRules(const std::vector<Object>& tree, std::string_view suffix,
                                       const Attributes& attributes);

// The frontend's: the root DSE and the subschema entry are read by everyone.
std::vector<std::string> frontendRules();

} // namespace accessrules
