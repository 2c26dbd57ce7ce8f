#pragma once

#include "LdapObjects.h"
#include "LdapSearchStream.h"
#include "LdapSession.h"
#include "client/common/BufferedClientPasses.h"
#include "client/common/ValueText.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

struct LdapTree;

// What a listing has looked up once for the thousands of entries that follow: schema
// definitions by the LDAP names the server writes them with, and what entries alike in
// their classes or attribute names show.
struct LdapListingMemo {
    struct Class {
        std::string structural;
        std::vector<std::string> classes; // as listed
        const ClassDefinition* cls;
        bool alias;
    };
    std::vector<Class> classes;
    std::vector<std::pair<std::string, const AttributeDefinition*>> attributes;
    struct Shown {
        std::vector<std::string> ldapNames; // an entry's attribute names, in its order
        std::shared_ptr<const LdapAttributeList> attributes;
    };
    std::vector<Shown> shown;
    std::string time; // the last modification time read, and its seconds
    std::uint32_t seconds = 0;
    std::string type, tag; // the last naming attribute's tag, for typed names
    // Reused from entry to entry.
    std::vector<valuetext::DnComponent> parts;
    std::string dn, key;
    // The listed container's DN in parts, read when an entry's DN gives it otherwise than
    // the request did; and the names listed so far, to refuse one the server repeats.
    std::vector<valuetext::DnComponent> container, rest;
    std::unordered_set<std::uint64_t> seen;
    std::size_t repeatsInRow = 0; // names the listing had already, one after another
};

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
    std::unique_ptr<LdapListingMemo> memo;    // List
    // List, Search: the failure that ended the search, told once what arrived before it is out.
    NWDSCCODE ended = 0;
    LdapFailure endedBecause;
    // What the stream has passed over so far, counted into the refused answers.
    std::size_t undecodableSeen = 0, referencesSeen = 0;
};
