#include "schema/SchemaTables.h"

#include "directory/Codes.h"

#include <gtest/gtest.h>
#include <set>

namespace {

// Each syntax constant of the seam paired with its own spelling, so the table is checked
// against the seam's constants rather than against itself.
#define SYNTAX_ENTRY(name) std::pair<std::uint32_t, std::string_view>(name, #name)
const std::pair<std::uint32_t, std::string_view> SeamSyntaxes[] = {
    SYNTAX_ENTRY(SYN_UNKNOWN),
    SYNTAX_ENTRY(SYN_DIST_NAME),
    SYNTAX_ENTRY(SYN_CE_STRING),
    SYNTAX_ENTRY(SYN_CI_STRING),
    SYNTAX_ENTRY(SYN_PR_STRING),
    SYNTAX_ENTRY(SYN_NU_STRING),
    SYNTAX_ENTRY(SYN_CI_LIST),
    SYNTAX_ENTRY(SYN_BOOLEAN),
    SYNTAX_ENTRY(SYN_INTEGER),
    SYNTAX_ENTRY(SYN_OCTET_STRING),
    SYNTAX_ENTRY(SYN_TEL_NUMBER),
    SYNTAX_ENTRY(SYN_FAX_NUMBER),
    SYNTAX_ENTRY(SYN_NET_ADDRESS),
    SYNTAX_ENTRY(SYN_OCTET_LIST),
    SYNTAX_ENTRY(SYN_EMAIL_ADDRESS),
    SYNTAX_ENTRY(SYN_PATH),
    SYNTAX_ENTRY(SYN_REPLICA_POINTER),
    SYNTAX_ENTRY(SYN_OBJECT_ACL),
    SYNTAX_ENTRY(SYN_PO_ADDRESS),
    SYNTAX_ENTRY(SYN_TIMESTAMP),
    SYNTAX_ENTRY(SYN_CLASS_NAME),
    SYNTAX_ENTRY(SYN_STREAM),
    SYNTAX_ENTRY(SYN_COUNTER),
    SYNTAX_ENTRY(SYN_BACK_LINK),
    SYNTAX_ENTRY(SYN_TIME),
    SYNTAX_ENTRY(SYN_TYPED_NAME),
    SYNTAX_ENTRY(SYN_HOLD),
    SYNTAX_ENTRY(SYN_INTERVAL),
    SYNTAX_ENTRY(SYNTAX_COUNT),
};
#undef SYNTAX_ENTRY

TEST(SyntaxConstantName, NamesEverySeamSyntaxId) {
    for (const auto& [id, name] : SeamSyntaxes)
        EXPECT_EQ(syntaxConstantName(id), name) << "id " << id;
}

TEST(SyntaxConstantName, UsesOnlyTheLow16BitsAndNeverReadsPastTheTable) {
    const struct {
        std::uint32_t id;
        const char* shown;
    } cases[] = {
        {28, "SYNTAX_COUNT"},
        {0x00010007, "SYN_BOOLEAN"},
        {0xFFFF0000, "SYN_UNKNOWN"},
        {29, "Syntax 29"},
        {31, "Syntax 31"},
        {0xFFFF, "Syntax 65535"},
        {0xFFFFFFFF, "Syntax 65535"},
        {0x0002001D, "Syntax 29"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(syntaxConstantName(c.id), c.shown) << std::hex << c.id;
}

TEST(SyntaxIdForName, MapsDirectoryNamesExactly) {
    const struct {
        const char* name;
        std::optional<std::uint32_t> id;
    } cases[] = {
        {"Unknown", SYN_UNKNOWN},
        {"Distinguished Name", SYN_DIST_NAME},
        {"Case Exact String", SYN_CE_STRING},
        {"Case Ignore String", SYN_CI_STRING},
        {"Printable String", SYN_PR_STRING},
        {"Numeric String", SYN_NU_STRING},
        {"Case Ignore List", SYN_CI_LIST},
        {"Boolean", SYN_BOOLEAN},
        {"Integer", SYN_INTEGER},
        {"Octet String", SYN_OCTET_STRING},
        {"Telephone Number", SYN_TEL_NUMBER},
        {"Facsimile Telephone Number", SYN_FAX_NUMBER},
        {"Net Address", SYN_NET_ADDRESS},
        {"Octet List", SYN_OCTET_LIST},
        {"EMail Address", SYN_EMAIL_ADDRESS},
        {"Path", SYN_PATH},
        {"Replica Pointer", SYN_REPLICA_POINTER},
        {"Object ACL", SYN_OBJECT_ACL},
        {"Postal Address", SYN_PO_ADDRESS},
        {"Timestamp", SYN_TIMESTAMP},
        {"Class Name", SYN_CLASS_NAME},
        {"Stream", SYN_STREAM},
        {"Counter", SYN_COUNTER},
        {"Back Link", SYN_BACK_LINK},
        {"Time", SYN_TIME},
        {"Typed Name", SYN_TYPED_NAME},
        {"Hold", SYN_HOLD},
        {"Interval", SYN_INTERVAL},
        // Near misses are not found.
        {"E-Mail Address", std::nullopt},
        {"boolean", std::nullopt},
        {"Boolean ", std::nullopt},
        {"Bool", std::nullopt},
        {"", std::nullopt},
        {"SYN_BOOLEAN", std::nullopt},
        {"SYNTAX_COUNT", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(syntaxIdForName(c.name), c.id) << '"' << c.name << '"';
}

TEST(AttributeFlagLabels, CoverEveryAttributeFlagOnceInBitOrder) {
    const std::pair<std::uint32_t, std::string_view> expected[] = {
        {DS_SINGLE_VALUED_ATTR, "Single Valued"},
        {DS_SIZED_ATTR, "Sized Attribute"},
        {DS_NONREMOVABLE_ATTR, "Non-Removeable Attribute"},
        {DS_READ_ONLY_ATTR, "Read Only Attribute"},
        {DS_HIDDEN_ATTR, "Hidden Attribute"},
        {DS_STRING_ATTR, "String Attribute"},
        {DS_SYNC_IMMEDIATE, "Synchronize Immediate"},
        {DS_PUBLIC_READ, "Public Read"},
        {DS_SERVER_READ, "Server Read"},
        {DS_WRITE_MANAGED, "Write Managed"},
        {DS_PER_REPLICA, "Per Replica : Not Synchronized"},
    };
    ASSERT_EQ(AttributeFlagLabels.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(AttributeFlagLabels[i].bit, expected[i].first) << i;
        EXPECT_EQ(AttributeFlagLabels[i].text, expected[i].second) << i;
    }
}

TEST(ClassFlagLabels, CoverEveryClassFlagOnceInBitOrder) {
    const std::pair<std::uint32_t, std::string_view> expected[] = {
        {DS_CONTAINER_CLASS, "Container Class"},
        {DS_EFFECTIVE_CLASS, "Effective Class : Object can be instantiated."},
        {DS_NONREMOVABLE_CLASS, "Non-Removeable Class"},
        {DS_AMBIGUOUS_NAMING, "Ambiguous Naming"},
        {DS_AMBIGUOUS_CONTAINMENT, "Ambiguous Containment"},
    };
    ASSERT_EQ(ClassFlagLabels.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(ClassFlagLabels[i].bit, expected[i].first) << i;
        EXPECT_EQ(ClassFlagLabels[i].text, expected[i].second) << i;
    }
}

TEST(AttributeFlagBit, OffersEightChoosableFlagsByExactName) {
    const struct {
        const char* name;
        std::optional<std::uint32_t> bit;
    } cases[] = {
        {"Public Read", DS_PUBLIC_READ},
        {"Per Replica", DS_PER_REPLICA},
        {"Single Valued", DS_SINGLE_VALUED_ATTR},
        {"String", DS_STRING_ATTR},
        {"Sync Immediate", DS_SYNC_IMMEDIATE},
        {"Sized Attribute", DS_SIZED_ATTR},
        {"Read Only", DS_READ_ONLY_ATTR},
        {"Hidden", DS_HIDDEN_ATTR},
        // The viewer's labels and the flags that cannot be chosen are not offered.
        {"Hidden Attribute", std::nullopt},
        {"Per Replica : Not Synchronized", std::nullopt},
        {"Non-Removeable Attribute", std::nullopt},
        {"Server Read", std::nullopt},
        {"Write Managed", std::nullopt},
        {"hidden", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(attributeFlagBit(c.name), c.bit) << '"' << c.name << '"';

    std::set<std::uint32_t> bits;
    for (const FlagText& choice : AttributeFlagChoices)
        bits.insert(choice.bit);
    EXPECT_EQ(bits.size(), AttributeFlagChoices.size());
    EXPECT_FALSE(bits.count(DS_NONREMOVABLE_ATTR) || bits.count(DS_SERVER_READ) ||
                 bits.count(DS_WRITE_MANAGED));
}

TEST(ClassFlagBit, OffersFourChoosableFlagsByExactName) {
    const struct {
        const char* name;
        std::optional<std::uint32_t> bit;
    } cases[] = {
        {"Ambiguous Containment", DS_AMBIGUOUS_CONTAINMENT},
        {"Ambiguous Naming", DS_AMBIGUOUS_NAMING},
        {"Container Class", DS_CONTAINER_CLASS},
        {"Effective Class", DS_EFFECTIVE_CLASS},
        {"Effective Class : Object can be instantiated.", std::nullopt},
        {"Non-Removeable Class", std::nullopt},
        {"container class", std::nullopt},
        {"Container", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(classFlagBit(c.name), c.bit) << '"' << c.name << '"';
    EXPECT_EQ(ClassFlagChoices.size(), 4u);
}

} // namespace
