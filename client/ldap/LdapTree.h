#pragma once

#include "LdapObjects.h"
#include "LdapSession.h"
#include "LdapSettings.h"
#include "LdapTreeAccess.h"
#include "ServerSchema.h"
#include "client/common/BufferedClient.h"
#include "client/common/Names.h"
#include "client/common/Schema.h"
#include "client/common/ValueText.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ldapnames {
// ASCII case ignored, as names::equalFolded, quick where the texts are the same.
inline bool sameFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a == b || names::equalFolded(a, b));
}
// Keys compared with ASCII case ignored, as DNs are, without folding a copy of each.
struct FoldedHash {
    using is_transparent = void;
    // Eight bytes at a time, each of "A" to "Z" made lower case on the way.
    std::size_t operator()(std::string_view s) const {
        constexpr std::uint64_t ones = 0x0101010101010101ull, high = 0x8080808080808080ull;
        std::uint64_t h = 0x9E3779B97F4A7C15ull ^ s.size();
        for (std::size_t i = 0; i < s.size(); i += 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, s.data() + i, std::min<std::size_t>(8, s.size() - i));
            const std::uint64_t low = w & ~high;
            const std::uint64_t upper =
                (low + ones * (0x80 - 'A')) & ~(low + ones * (0x80 - 'Z' - 1)) & ~w & high;
            h = (h ^ (w | upper >> 2)) * 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        return std::size_t(h);
    }
};
struct FoldedEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return sameFolded(a, b); }
};
} // namespace ldapnames

// One tree of the settings: its server connection, bases, schema, and what the client has
// learnt of its names.
struct LdapTree {
    LdapTreeSetting setting;
    std::unique_ptr<LdapSession> session;
    KeptPassword password;          // a tree with access of its own: its password, once given
    std::vector<std::string> bases; // canonical DNs of the top objects
    // Each top object is one component below [Root], however many RDNs its DN has:
    // "example\.com" for dc=example,dc=com. baseValues holds that component (one item);
    // baseRdnValues the RDN values, leftmost first, as names written the long way give them.
    std::vector<std::vector<std::string>> baseValues;
    std::vector<std::vector<std::string>> baseRdnValues;
    std::vector<std::vector<valuetext::DnComponent>> baseParts;
    std::unique_ptr<Schema> schema;
    const Schema* hints = nullptr;              // the settings' schema file, read with the server's
    std::vector<std::string> namingTypes;       // LDAP names that name objects
    std::vector<std::string> supportedControls; // as the root DSE lists them
    std::optional<bool> readsEverything;        // found once, by the rights probe
    // The naming attribute of each known object, by fold(parent DN) + "\n" + fold(value).
    std::unordered_map<std::string, std::string> childType;
    // The same for objects a DN read in a text form named and the server did not hold then.
    std::unordered_map<std::string, std::string> hintedType;
    // The class of the last container an object was added to, read once for the adds that
    // follow into it (an import's); forgotten when any object is removed, renamed or moved.
    struct KnownClass {
        std::string dn;
        const Schema* schema = nullptr; // the schema it was found in
        const ClassDefinition* cls = nullptr;
    } lastContainer;
    // The classes entries list, as found once for the entries that list the same (a search
    // reads thousands alike); emptied when the schema is read again.
    std::vector<ldapobjects::KnownClasses> knownClasses;
    // The objects of the last search reply, by the name the reply gave each, with their DNs:
    // a reader that names them back (an export) gets the DN without a look-up.
    std::vector<std::pair<std::string, std::string>> lastReplyNames;
    // The attributes of listed objects, by DN (case ignored), answering names reads without a
    // request.
    std::unordered_map<std::string, std::shared_ptr<const LdapAttributeList>, ldapnames::FoldedHash,
                       ldapnames::FoldedEqual>
        listedNames;

    // Attributes with options ("userCertificate;binary", "description;lang-de"), each made
    // once from its attribute's definition and kept while the client lives (lists point at
    // them).
    std::deque<AttributeDefinition> withOptions;

    // ---- The schema as the server gives it, read again after each schema change ----
    std::string subschemaDn;
    serverschema::SubschemaValues subschemaValues;
    std::vector<std::unique_ptr<Schema>> retiredSchemas; // read before the last change

    // ---- The names of the last listing's objects (LdapListing.cpp) ----
    // The naming attribute and the attributes of each plainly named object of the last listing
    // by its own name,
    // for names read in the same context with the same name context and flags: the full
    // name its reader makes (its own name, ".", the container as named to the listing), or,
    // where the name context names the container the same way, its own name alone.
    struct ListedByName {
        NWDSContextHandle context = NO_CONTEXT;
        std::uint32_t flags = 0;
        std::string nameContext;
        std::string containerName; // as named to the listing
        std::string containerDn;
        bool relative = false; // an own name alone names the object
        struct Hash {
            using is_transparent = void;
            std::size_t operator()(std::string_view s) const {
                return std::hash<std::string_view>()(s);
            }
        };
        struct Listed {
            std::string type; // its naming attribute
        };
        // Emptied by every change to an object, as what it holds may no longer be so.
        std::unordered_map<std::string, Listed, Hash, std::equal_to<>> objects;
    } listedByName;
};

// Reads the tree's schema from its server (again after a schema change), with the hints of
// the settings' schema file; on failure the server's word in `failure`, and, where it cannot
// be read, a message for the user in *message.
NWDSCCODE loadTreeSchema(LdapTree& tree, LdapFailure& failure, std::string* message = nullptr);

namespace ldapnames {
// A DN written back from its parts, so that DNs the client builds and those the server
// gives compare equal; the text itself when it does not split.
std::string canonicalDn(std::string_view dn);
// The DN above a DN ("" above a top object).
std::string parentDn(std::string_view dn);
} // namespace ldapnames

namespace ldapreads {
// How aliases are followed for a context.
inline LdapSession::Deref derefOf(const ContextState& ctx) {
    return (ctx.flags & DCV_DEREF_ALIASES) ? LdapSession::Deref::Finding
                                           : LdapSession::Deref::Never;
}
// Every user attribute, and the URLs of a referral object, which some servers define as
// operational ("ref", RFC 3296) and "*" then leaves out.
inline std::vector<std::string> allAttributes() {
    return {"*", "ref"};
}
// The attributes asked for, with those the object information record is made from.
inline std::vector<std::string> withInfo(std::vector<std::string> attrs) {
    for (const char* a : {"structuralObjectClass", "modifyTimestamp", "hasSubordinates"})
        attrs.emplace_back(a);
    return attrs;
}
} // namespace ldapreads
