#pragma once

#include <set>
#include <string>
#include <vector>

// Turns a data folder of the embedded directory (directory.conf, its schema files and LDIF)
// into what a private slapd needs: a cn=config LDIF with the schema (syntaxes substituted by
// standard ones, matching rules added by syntax, definitions slapd holds itself left out) and
// one back-mdb database per top-level object with access rules made from the tree's ACL values,
// the LDIF of each database (every User with the password), and the tree settings of the LDAP
// client.
namespace slapdseed {

struct Options {
    std::string dataDir;
    std::string outDir;
    std::string passwordFile; // every User's password (first line), the administrator's too
    std::string administrator = "cn=Admin,o=Acme"; // who may change the schema
    std::string uri;                    // the server's URI, written into the tree settings
    std::set<std::string> builtInOids;  // definitions the server holds itself
    std::vector<std::string> extraLdif; // "TREE=file.ldif", loaded after the data folder's
    std::string externalRoot;           // the SASL EXTERNAL identity that manages cn=config
};

// Writes config.ldif, db<N>.ldif and trees.conf into outDir. false with a message.
bool write(const Options& options, std::string* error);

// The cn=config LDIF of a server with no schema and no database, to learn what it holds itself.
// (The seeded server's configuration lets the administrator, the root identity of its
// database, change the schema: cn=schema,cn=config.)
std::string bareConfig(const std::string& externalRoot);

// The OIDs of the definitions in an LDIF dump of a subschema entry.
std::set<std::string> oidsOfSubschemaDump(const std::string& ldif);

} // namespace slapdseed
