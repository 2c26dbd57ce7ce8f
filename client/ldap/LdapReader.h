#pragma once

#include "LdapObjects.h"
#include "client/common/BufferedClientPasses.h"

#include <string>
#include <vector>

class LdapListing;
class LdapNaming;
class LdapRightsProbe;
struct LdapOutcome;
struct LdapPending;
struct LdapTree;

// Reading objects over LDAP: an object's attributes and values over as many passes as they
// take, its object information, the content of a stream attribute. The names read that
// follows a listing is answered from what the listing brought.
class LdapReader {
public:
    LdapReader(LdapNaming& naming, LdapListing& listing, LdapRightsProbe& rights,
               LdapOutcome& outcome)
        : naming_(naming), listing_(listing), rights_(rights), outcome_(outcome) {}

    // A new read of the object the request names in the tree, kept in `fresh`.
    NWDSCCODE start(const ContextState& ctx, LdapTree& tree, const ReadRequest& request,
                    LdapPending& fresh);
    NWDSCCODE fill(LdapPending& state, Buf_T& out, bool& done);
    // The object information of the object at `dn` ("" for [Root]), and its full name.
    NWDSCCODE objectInfo(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                         std::string* fullName, Object_Info_T& info);
    // The content of a stream attribute of the object at `dn`.
    NWDSCCODE stream(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                     const char* attrName, std::string& content);

private:
    // ERR_NO_ACCESS when an attribute asked for by a values read, but not answered, is held by
    // the object: the server withheld its values. 0 otherwise.
    NWDSCCODE withheldNames(LdapTree& tree, const std::string& dn,
                            const std::vector<const AttributeDefinition*>& asked,
                            const LdapObjectData& answered, const ContextState& ctx);

    LdapNaming& naming_;
    LdapListing& listing_;
    LdapRightsProbe& rights_;
    LdapOutcome& outcome_;
};
