#pragma once

#include "LdapListing.h"
#include "LdapObjects.h"
#include "LdapSearchStream.h"
#include "LdapSession.h"
#include "client/common/BufferedClientPasses.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct LdapTree;

// Where an unfinished multi-pass read of the LDAP client goes on from.
struct LdapPending : PassState {
    LdapTree* tree = nullptr;
    bool typed = false;
    std::vector<LdapObjectData> objects; // List, Search: what the server gave
    LdapObjectData object;               // Read
    std::size_t attrPosition = 0;        // Search: the attribute of the object reached
    // ---- A listing still arriving (LdapListing.cpp) ----
    std::unique_ptr<LdapSearchStream> stream; // List: the server's answer still coming
    std::string dn;                           // List: the container's DN
    std::string containerName;                // List: as named to the listing
    std::unique_ptr<LdapListing::Memo> memo;  // List
    // List, Search: the failure that ended the search, told once what arrived before it is out.
    NWDSCCODE ended = 0;
    LdapFailure endedBecause;
    // What the stream has passed over so far, counted into the refused answers.
    std::size_t undecodableSeen = 0, referencesSeen = 0;
};
