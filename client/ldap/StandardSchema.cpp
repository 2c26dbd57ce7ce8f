#include "StandardSchema.h"

#include "SchemaStatements.h"
#include "client/common/Names.h"
#include "client/common/Schema.h"
#include "directory/SyntaxNames.h"

#include <array>
#include <utility>

namespace standardschema {
namespace {

constexpr std::string_view kLdapSyntaxPrefix = "1.3.6.1.4.1.1466.115.121.1.";

// Standard syntaxes by the last arc of 1.3.6.1.4.1.1466.115.121.1.N.
constexpr std::pair<int, std::uint32_t> kSyntaxByArc[] = {
    {4, SYN_OCTET_STRING},  // Audio
    {5, SYN_OCTET_STRING},  // Binary
    {6, SYN_OCTET_STRING},  // Bit String
    {7, SYN_BOOLEAN},       // Boolean
    {8, SYN_OCTET_STRING},  // Certificate
    {9, SYN_OCTET_STRING},  // Certificate List
    {10, SYN_OCTET_STRING}, // Certificate Pair
    {11, SYN_PR_STRING},    // Country String
    {12, SYN_DIST_NAME},    // DN
    {15, SYN_CI_STRING},    // Directory String
    {22, SYN_FAX_NUMBER},   // Facsimile Telephone Number
    {24, SYN_TIME},         // Generalized Time
    {26, SYN_CI_STRING},    // IA5 String
    {27, SYN_INTEGER},      // INTEGER
    {28, SYN_OCTET_STRING}, // JPEG
    {34, SYN_DIST_NAME},    // Name and Optional UID
    {36, SYN_NU_STRING},    // Numeric String
    {38, SYN_CLASS_NAME},   // OID
    {40, SYN_OCTET_STRING}, // Octet String
    {41, SYN_PO_ADDRESS},   // Postal Address
    {44, SYN_PR_STRING},    // Printable String
    {50, SYN_TEL_NUMBER},   // Telephone Number
};

constexpr std::pair<std::uint32_t, std::string_view> kAttrFlagWords[] = {
    {DS_SINGLE_VALUED_ATTR, "SINGLE-VALUED"},
    {DS_SIZED_ATTR, "SIZED"},
    {DS_NONREMOVABLE_ATTR, "NONREMOVABLE"},
    {DS_READ_ONLY_ATTR, "READ-ONLY"},
    {DS_HIDDEN_ATTR, "HIDDEN"},
    {DS_STRING_ATTR, "STRING"},
    {DS_SYNC_IMMEDIATE, "SYNC-IMMEDIATE"},
    {DS_PUBLIC_READ, "PUBLIC-READ"},
    {DS_SERVER_READ, "SERVER-READ"},
    {DS_WRITE_MANAGED, "WRITE-MANAGED"},
    {DS_PER_REPLICA, "PER-REPLICA"},
};
constexpr std::pair<std::uint32_t, std::string_view> kClassFlagWords[] = {
    {DS_CONTAINER_CLASS, "CONTAINER"},
    {DS_EFFECTIVE_CLASS, "EFFECTIVE"},
    {DS_NONREMOVABLE_CLASS, "NONREMOVABLE"},
    {DS_AMBIGUOUS_NAMING, "AMBIGUOUS-NAMING"},
    {DS_AMBIGUOUS_CONTAINMENT, "AMBIGUOUS-CONTAINMENT"},
};
constexpr std::pair<std::uint32_t, std::string_view> kSyntaxFlagWords[] = {
    {SYNTAX_STRING, "STRING"},
    {SYNTAX_SINGLE_VALUED, "SINGLE-VALUED"},
    {SYNTAX_ORDERED, "ORDERED"},
    {SYNTAX_EQUALITY, "EQUALITY"},
    {SYNTAX_IGNORE_CASE, "IGNORE-CASE"},
    {SYNTAX_IGNORE_SPACE, "IGNORE-SPACE"},
    {SYNTAX_IGNORE_DASH, "IGNORE-DASH"},
    {SYNTAX_DIGITS_ONLY, "DIGITS-ONLY"},
    {SYNTAX_PRINTABLE_ONLY, "PRINTABLE-ONLY"},
    {SYNTAX_SIZEABLE, "SIZEABLE"},
    {SYNTAX_BITWISE_EQUAL, "BITWISE-EQUAL"},
};

template <std::size_t N>
std::vector<std::string> wordsOf(std::uint32_t flags,
                                 const std::pair<std::uint32_t, std::string_view> (&table)[N]) {
    std::vector<std::string> words;
    for (const auto& [bit, word] : table) {
        if (flags & bit)
            words.emplace_back(word);
    }
    return words;
}

} // namespace

std::uint32_t syntaxIdOf(std::string_view oid) {
    // A length bound may follow the OID ("1.3.6.1.4.1.1466.115.121.1.15{64}").
    oid = oid.substr(0, oid.find('{'));
    if (oid.substr(0, kLdapSyntaxPrefix.size()) != kLdapSyntaxPrefix)
        return SYN_UNKNOWN;
    const std::string_view arc = oid.substr(kLdapSyntaxPrefix.size());
    for (const auto& [n, id] : kSyntaxByArc) {
        if (arc == std::to_string(n))
            return id;
    }
    return SYN_UNKNOWN;
}

bool isStringSyntax(std::uint32_t id) {
    return id == SYN_CE_STRING || id == SYN_CI_STRING || id == SYN_PR_STRING ||
           id == SYN_NU_STRING || id == SYN_TEL_NUMBER || id == SYN_CLASS_NAME;
}

bool isContainerClass(std::string_view ldapName) {
    static constexpr std::string_view kContainers[] = {
        "country", "locality", "organization", "organizationalunit", "domain", "dcobject"};
    const std::string folded = names::fold(ldapName);
    for (auto c : kContainers) {
        if (folded == c)
            return true;
    }
    return false;
}

std::uint16_t defaultSyntaxFlags(std::uint32_t id) {
    constexpr std::uint16_t S = SYNTAX_STRING, V = SYNTAX_SINGLE_VALUED, O = SYNTAX_ORDERED,
                            E = SYNTAX_EQUALITY, C = SYNTAX_IGNORE_CASE, W = SYNTAX_IGNORE_SPACE,
                            D = SYNTAX_IGNORE_DASH, N = SYNTAX_DIGITS_ONLY,
                            P = SYNTAX_PRINTABLE_ONLY, Z = SYNTAX_SIZEABLE,
                            B = SYNTAX_BITWISE_EQUAL;
    // The directory's matching rules of syntaxes 0 to 27, as the demo schema gives them.
    constexpr std::uint16_t kFlags[SYNTAX_COUNT] = {
        0,                         // Unknown
        E | C,                     // Distinguished Name
        S | E | O | Z,             // Case Exact String
        S | E | O | C | W | Z,     // Case Ignore String
        S | E | O | C | W | P | Z, // Printable String
        S | E | O | W | N | Z,     // Numeric String
        E | C | W,                 // Case Ignore List
        E | V,                     // Boolean
        E | O | Z,                 // Integer
        E | O | B | Z,             // Octet String
        S | E | W | D | Z,         // Telephone Number
        E | W | D,                 // Facsimile Telephone Number
        E | B,                     // Net Address
        E | B,                     // Octet List
        E | C,                     // EMail Address
        E | C,                     // Path
        E,                         // Replica Pointer
        E,                         // Object ACL
        E | C | W,                 // Postal Address
        E | O,                     // Timestamp
        S | E | C,                 // Class Name
        V,                         // Stream
        E | O | V,                 // Counter
        E,                         // Back Link
        E | O,                     // Time
        E,                         // Typed Name
        E,                         // Hold
        E | O,                     // Interval
    };
    return id < SYNTAX_COUNT ? kFlags[id] : 0;
}

std::vector<std::string> defaultSyntaxStatements() {
    std::vector<std::string> out;
    for (std::uint32_t id = 0; id < SYNTAX_COUNT; ++id) {
        schemastatements::Definition def;
        def.keyword = "ldapsyntax";
        def.oid = "ostrel.syntax." + std::to_string(id);
        def.setQuoted("DESC", {std::string(SyntaxNames[id])});
        def.setQuoted("X-NDS-ID", {std::to_string(id)});
        if (auto words = syntaxFlagWords(defaultSyntaxFlags(id)); !words.empty())
            def.setQuoted("X-NDS-FLAGS", words);
        out.push_back(schemastatements::statementText(def));
    }
    return out;
}

std::vector<std::string> attributeFlagWords(std::uint32_t flags) {
    return wordsOf(flags, kAttrFlagWords);
}
std::vector<std::string> classFlagWords(std::uint32_t flags) {
    return wordsOf(flags, kClassFlagWords);
}
std::vector<std::string> syntaxFlagWords(std::uint16_t flags) {
    return wordsOf(flags, kSyntaxFlagWords);
}

} // namespace standardschema
