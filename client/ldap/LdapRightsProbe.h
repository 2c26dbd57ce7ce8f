#pragma once

#include "client/common/BufferedClient.h"
#include "directory/RightsReport.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class LdapNaming;
struct LdapOutcome;
struct LdapTree;

// Effective rights over LDAP, found by asking the server: its get-effective-rights control
// where it has one, else changes tried with the no-op control, which the server checks (access
// included) and does not carry out. Tried changes tell only the bound identity's own rights.
class LdapRightsProbe {
public:
    // `identity` is the name the client is bound as, as the client keeps it.
    LdapRightsProbe(LdapNaming& naming, LdapOutcome& outcome, const std::string& identity)
        : naming_(naming), outcome_(outcome), identity_(identity) {}

    // The checks of a rights question made before its object is looked up: the attribute's
    // name well formed, and the subject the bound identity, the one the server answers for.
    NWDSCCODE checkQuestion(const char* subjectName, const char* attrName) const;
    // The bound identity's rights to the object at `dn` ("" for [Root]): to its entry, to all
    // its attributes or to the one named.
    NWDSCCODE effectiveRights(LdapTree& tree, const std::string& dn, std::string_view attrName,
                              std::uint32_t& privileges);
    // What a subject may do with the object at `dn`, line by line (LdapRightsReport.cpp).
    NWDSCCODE explain(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                      const char* subjectName, RightsReport& report);
    // Whether the bound identity reads every attribute of every object of the tree, so that a
    // listing's attribute names are all the objects hold; found once per tree.
    bool readsEverything(LdapTree& tree);

private:
    // Whether the bound identity may add below one of `parents` (and could read any).
    NWDSCCODE mayAddBelow(LdapTree& tree, const std::vector<std::string>& parents, bool& readable,
                          bool& mayAdd);
    // Whether a subject names the identity the client is bound as.
    bool isBoundIdentity(std::string_view subjectName) const;
    // The report from the server's get-effective-rights control, for any subject.
    NWDSCCODE reportedRights(const ContextState& ctx, LdapTree& tree, const char* subjectName,
                             const std::string& dn, RightsReport& report);
    // The report from changes tried with the no-op control, for the bound identity only.
    NWDSCCODE triedRights(LdapTree& tree, const std::string& dn, RightsReport& report);

    LdapNaming& naming_;
    LdapOutcome& outcome_;
    const std::string& identity_;
};
