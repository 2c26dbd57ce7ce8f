#pragma once

#include "client/common/Schema.h"
#include "directory/Codes.h"

#include <string>
#include <vector>

struct LdapOutcome;
struct LdapTree;
namespace schemaconfig {
struct ConfigSchema;
}

// Schema definitions written into an LDAP server's configuration, in the form the seed of a
// private server writes them, with the X-NDS-* extensions carrying what the directory needs.
// The rules are the embedded directory's (SchemaRules), asked of the schema the server gave;
// a definition still in use is kept, as the server's configuration might no longer load
// without it. After each change the tree's schema is read again.
class LdapSchemaWriter {
public:
    explicit LdapSchemaWriter(LdapOutcome& outcome) : outcome_(outcome) {}

    // The schema as the tree's server configuration stores it, where the bound identity may
    // see (and so change) it.
    NWDSCCODE readConfig(LdapTree& tree, schemaconfig::ConfigSchema& config);

    NWDSCCODE defineAttribute(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                              const AttributeDefinition& def);
    NWDSCCODE defineClass(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                          const ClassDefinition& def);
    // Optional attributes added to a class (the project's class on every entry for Top).
    NWDSCCODE addOptional(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                          const char* className, const std::vector<std::string>& attributes);
    NWDSCCODE removeAttribute(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                              const char* attrName);
    NWDSCCODE removeClass(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                          const char* className);

private:
    // The code of a change sent to the server; after a change the schema is read again.
    NWDSCCODE changed(LdapTree& tree, NWDSCCODE sent);
    // Whether any entry of the tree matches the filter (one entry is enough).
    NWDSCCODE anyEntry(LdapTree& tree, const std::string& filter, bool& found);

    LdapOutcome& outcome_;
};
