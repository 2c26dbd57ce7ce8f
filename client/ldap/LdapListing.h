#pragma once

#include "LdapObjects.h"
#include "client/common/Buffer.h"
#include "client/common/BufferedClient.h"
#include "client/common/ValueText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

class LdapNaming;
struct LdapEntryView;
struct LdapOutcome;
struct LdapPending;
struct LdapTree;

// Listing a container over LDAP: one paged one-level search that brings what the object
// information needs and no more (an object's attribute names are read when the user asks for
// them), handed to the caller buffer by buffer as the entries arrive, so that the caller works
// on the first objects while the server still sends the rest. The names of the listed objects
// are kept in the tree, so that a names read that follows finds its object without a request.
class LdapListing {
public:
    // What a listing has looked up once for the thousands of entries that follow: the base
    // class of entries alike in their classes.
    struct Memo {
        struct Class {
            std::string structural;
            std::vector<std::string> classes; // as listed
            const ClassDefinition* cls;
            bool alias;
        };
        std::vector<Class> classes;
        std::string time; // the last modification time read, and its seconds
        std::uint32_t seconds = 0;
        std::string type, tag; // the last naming attribute's tag, for typed names
        // Reused from entry to entry.
        std::vector<valuetext::DnComponent> parts;
        std::string key;
        // The listed container's DN in parts, read when an entry's DN gives it otherwise than
        // the request did; and the names listed so far, to refuse one the server repeats.
        std::vector<valuetext::DnComponent> container, rest;
        std::unordered_set<std::uint64_t> seen;
        std::size_t repeatsInRow = 0; // names the listing had already, one after another
    };

    LdapListing(LdapNaming& naming, LdapOutcome& outcome) : naming_(naming), outcome_(outcome) {}

    // A new listing in `fresh` of the container at `dn` ("" lists [Root]: the naming
    // contexts), as `objectName` (whose components are `from`) names it in the context.
    NWDSCCODE start(const ContextState& ctx, NWDSContextHandle context, LdapTree& tree,
                    const char* objectName, const std::string& dn,
                    const std::vector<std::string>& from, LdapPending& fresh);
    // One pass: what has arrived, waiting only while the buffer holds nothing.
    NWDSCCODE fill(LdapPending& state, Buf_T& out, bool& done);

    // The DN of an object of the last listing, by the name a read gives; false when the name
    // is not one the listing can answer for (LdapListedObjects.cpp).
    bool listedDnOf(const ContextState& ctx, NWDSContextHandle context, const LdapTree& tree,
                    const char* name, std::string& dn) const;

private:
    NWDSCCODE listRoot(LdapTree& tree, LdapPending& out);
    NWDSCCODE startStream(const ContextState& ctx, LdapPending& out);
    // An object of a listing as it arrives: its names remembered for the reads that follow.
    // One the listing cannot take is counted in the refused answers instead.
    void admit(LdapPending& state, const LdapEntryView& e);
    // Whether a listed entry's DN names an object directly below the listed container, and
    // one not listed before; counted in the refused answers when not. memo.parts holds its
    // own part.
    bool accept(LdapPending& state, std::string_view dn);
    // Counts in the refused answers what the stream has passed over since the last look.
    void countPassedOver(LdapPending& state);

    // ---- Entries seen where they lie in the server's message (LdapListedObjects.cpp) ----
    // A name component that reads back as itself after "." and a container's name.
    static bool plainComponent(std::string_view value);
    // The object information of a listed entry.
    static Object_Info_T infoOf(const LdapTree& tree, const LdapEntryView& e, Memo& memo);

    LdapNaming& naming_;
    LdapOutcome& outcome_;
};
