#pragma once

#include "client/common/BufferedClient.h"
#include "client/common/Schema.h"

#include <string>
#include <string_view>

class LdapNaming;
struct LdapOutcome;
struct LdapTree;

// The directory's rules a write over LDAP is checked against before anything is sent: those a
// server does not know (containment, names as the directory writes them), with the codes the
// embedded directory gives, so that a refused write sends nothing.
class LdapWriteChecks {
public:
    LdapWriteChecks(LdapNaming& naming, LdapOutcome& outcome)
        : naming_(naming), outcome_(outcome) {}

    // The base class of the entry at `dn` (nullptr when the schema does not know it).
    NWDSCCODE classOfEntry(LdapTree& tree, const std::string& dn, const ClassDefinition*& cls);
    // Whether an object of `cls` may live below the entry at `parentDn` ("" for [Root]).
    NWDSCCODE checkContainment(LdapTree& tree, const ClassDefinition& cls,
                               const std::string& parentDn);
    // The DN of the container a new object's name goes into, and its own name.
    NWDSCCODE resolveNew(const ContextState& ctx, LdapTree& tree, const char* name,
                         std::string& parentDn, std::string& ownName);
    // The new name a rename or a move gives the entry at `dn`: one component, a valid object
    // name and valid values of the naming attributes, and the LDAP type of each value.
    NWDSCCODE newName(LdapTree& tree, const std::string& dn, const char* given, std::string& type,
                      std::string& name) const;

private:
    LdapNaming& naming_;
    LdapOutcome& outcome_;
};
