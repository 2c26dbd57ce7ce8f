#pragma once

#include "LdapSession.h"
#include "SchemaStatements.h"

#include <string>
#include <string_view>
#include <vector>

// Where a server takes schema definitions at run time: the schema entries of its
// configuration (cn=schema below the root DSE's configContext, as slapd keeps it),
// each holding olcAttributeTypes and olcObjectClasses values. New definitions go into the
// project's own schema entry (cn=ostrel), created when the server has none.
namespace schemaconfig {

// Definitions made at run time are numbered under this arc of the project's own
// (2.25.14728172303297623532114484959978199139): .4.2.N attributes, .4.3.N classes. The demo
// schema uses .1, .2 and .3 only, so the two never meet.
constexpr std::string_view kRunTimeArc = "2.25.14728172303297623532114484959978199139.4";
bool isRunTimeOid(std::string_view oid);

// One definition as the configuration stores it.
struct StoredDefinition {
    std::string entryDn;
    std::string attribute;    // "olcAttributeTypes" or "olcObjectClasses"
    std::string value;        // exactly as stored, with its "{n}" position
    std::size_t position = 0; // n
    schemastatements::Definition parsed;
};

struct ConfigSchema {
    std::string schemaDn;   // "cn=schema,cn=config", or the subschema entry itself
    std::string ownEntryDn; // the project's schema entry; empty while the server has none
    // A server without schema entries in its configuration that takes definitions as changes
    // of its subschema entry (attributeTypes and objectClasses values, as RFC 4512 allows).
    bool subschema = false;
    std::vector<StoredDefinition> stored;
    const StoredDefinition* find(std::string_view attribute, std::string_view oid) const;
    const char* attributeTypes() const {
        return subschema ? "attributeTypes" : "olcAttributeTypes";
    }
    const char* objectClasses() const { return subschema ? "objectClasses" : "olcObjectClasses"; }
};

// Reads the schema entries of the configuration, or where the server keeps none, the
// definitions of the subschema entry `subschemaDn` made at run time: ERR_NO_ACCESS when the
// bound identity may not see the configuration's.
NWDSCCODE read(LdapSession& session, const std::string& subschemaDn, ConfigSchema& out);

// Whether the bound identity may change the schema: a change that removes a value no schema
// holds is sent, and only a refusal for want of access says no.
NWDSCCODE mayChange(LdapSession& session, const ConfigSchema& config, bool& may);

// Adds a definition to the project's schema entry (creating the entry when missing).
NWDSCCODE add(LdapSession& session, const ConfigSchema& config, const std::string& attribute,
              const std::string& description);
// Replaces a stored definition in one request, keeping its position (definitions after it
// may refer to it, and the configuration is read in order when the server starts).
NWDSCCODE replace(LdapSession& session, const StoredDefinition& old,
                  const std::string& description);
// Deletes exactly the stored value.
NWDSCCODE remove(LdapSession& session, const StoredDefinition& old);

// The next free OID of the run-time arc for attributes (kind 2) or classes (kind 3), past
// every OID the descriptions use.
std::string newOid(int kind, const std::vector<std::string>& descriptions);
// An LDAP name for a directory name ("Badge Color" becomes badgeColor): letters, digits and
// "-", starting with a letter, and none of the names the descriptions use.
std::string newLdapName(std::string_view directoryName,
                        const std::vector<std::string>& descriptions);
// Whether a description's `keys` fields name `name` (an LDAP name or OID, any case).
bool refersTo(const schemastatements::Definition& d, std::initializer_list<const char*> keys,
              std::string_view name);

} // namespace schemaconfig
