#pragma once

#include "LdapWriteChecks.h"
#include "client/common/BufferedClient.h"
#include "client/common/RequestDecoding.h"

#include <string>
#include <vector>

class LdapNaming;
struct LdapOutcome;
struct LdapTree;

// Object writes over LDAP: adding an object from an add-entry request, removing, renaming,
// moving and modifying one. The server enforces its own schema and access; the directory's
// rules it does not know are checked first (LdapWriteChecks), so a refused write sends
// nothing, and what the client knows of the names changed follows each write.
class LdapObjectWriter {
public:
    LdapObjectWriter(LdapNaming& naming, LdapOutcome& outcome)
        : naming_(naming), outcome_(outcome), checks_(naming, outcome) {}

    NWDSCCODE add(const ContextState& ctx, LdapTree& tree, const char* objectName,
                  const std::vector<request::Attribute>& attributes);
    // The entry at `dn` ("" is [Root], which takes no change).
    NWDSCCODE remove(LdapTree& tree, const std::string& dn);
    NWDSCCODE rename(LdapTree& tree, const std::string& dn, const char* newName,
                     bool deleteOldName);
    NWDSCCODE move(const ContextState& ctx, LdapTree& tree, const char* objectName,
                   const char* destParentName, const char* destName);
    // Every change of the request in one modify request (LdapModify.cpp), so the server
    // applies all of them or none.
    NWDSCCODE modify(LdapTree& tree, const std::string& dn,
                     const std::vector<request::Change>& changes);

private:
    LdapNaming& naming_;
    LdapOutcome& outcome_;
    LdapWriteChecks checks_;
};
