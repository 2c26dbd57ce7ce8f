#include "schema/SchemaTables.h"

#include "directory/Codes.h"

#include <gtest/gtest.h>

// The flag label tables are checked where they show, on the Schema Viewer page; Table B
// against the directory's own syntax names in the reads tests.
namespace {

TEST(SyntaxConstantName, NamesEverySeamSyntaxIdAndNeverReadsPastTheTable) {
#define SPELLED(name)                                                                              \
    { name, #name }
    const std::pair<std::uint32_t, std::string_view> seam[] = {
        SPELLED(SYN_UNKNOWN),
        SPELLED(SYN_DIST_NAME),
        SPELLED(SYN_CE_STRING),
        SPELLED(SYN_CI_STRING),
        SPELLED(SYN_PR_STRING),
        SPELLED(SYN_NU_STRING),
        SPELLED(SYN_CI_LIST),
        SPELLED(SYN_BOOLEAN),
        SPELLED(SYN_INTEGER),
        SPELLED(SYN_OCTET_STRING),
        SPELLED(SYN_TEL_NUMBER),
        SPELLED(SYN_FAX_NUMBER),
        SPELLED(SYN_NET_ADDRESS),
        SPELLED(SYN_OCTET_LIST),
        SPELLED(SYN_EMAIL_ADDRESS),
        SPELLED(SYN_PATH),
        SPELLED(SYN_REPLICA_POINTER),
        SPELLED(SYN_OBJECT_ACL),
        SPELLED(SYN_PO_ADDRESS),
        SPELLED(SYN_TIMESTAMP),
        SPELLED(SYN_CLASS_NAME),
        SPELLED(SYN_STREAM),
        SPELLED(SYN_COUNTER),
        SPELLED(SYN_BACK_LINK),
        SPELLED(SYN_TIME),
        SPELLED(SYN_TYPED_NAME),
        SPELLED(SYN_HOLD),
        SPELLED(SYN_INTERVAL),
        SPELLED(SYNTAX_COUNT),
        // Only the low 16 bits count; past the table the number itself shows.
        {0x00010007, "SYN_BOOLEAN"},
        {29, "Syntax 29"},
        {0xFFFFFFFF, "Syntax 65535"},
    };
#undef SPELLED
    for (const auto& [id, name] : seam)
        EXPECT_EQ(syntaxConstantName(id), name) << std::hex << id;
}

TEST(NameLookups, AreExactAndCaseSensitive) {
    using Lookup = std::optional<std::uint32_t> (*)(std::string_view);
    const struct {
        Lookup lookup;
        const char* name;
        std::optional<std::uint32_t> result;
    } cases[] = {
        {syntaxIdForName, "EMail Address", 14},
        {syntaxIdForName, "E-Mail Address", {}},
        {syntaxIdForName, "Boolean", 7},
        {syntaxIdForName, "boolean", {}},
        {syntaxIdForName, "Interval", 27},
        {syntaxIdForName, "SYN_BOOLEAN", {}},
        {syntaxIdForName, "", {}},
        {attributeFlagBit, "Public Read", 0x0080},
        {attributeFlagBit, "Per Replica", 0x0400},
        {attributeFlagBit, "Single Valued", 0x0001},
        {attributeFlagBit, "String", 0x0020},
        {attributeFlagBit, "Sync Immediate", 0x0040},
        {attributeFlagBit, "Sized Attribute", 0x0002},
        {attributeFlagBit, "Read Only", 0x0008},
        {attributeFlagBit, "Hidden", 0x0010},
        {attributeFlagBit, "hidden", {}},
        {attributeFlagBit, "Hidden Attribute", {}},
        {attributeFlagBit, "Server Read", {}},
        {attributeFlagBit, "Write Managed", {}},
        {attributeFlagBit, "Non-Removeable Attribute", {}},
        {classFlagBit, "Ambiguous Containment", 0x10},
        {classFlagBit, "Ambiguous Naming", 0x08},
        {classFlagBit, "Container Class", 0x01},
        {classFlagBit, "Effective Class", 0x02},
        {classFlagBit, "container class", {}},
        {classFlagBit, "Non-Removeable Class", {}},
        {classFlagBit, "Effective Class : Object can be instantiated.", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lookup(c.name), c.result) << '"' << c.name << '"';
    EXPECT_EQ(AttributeFlagChoices.size(), 8u);
    EXPECT_EQ(ClassFlagChoices.size(), 4u);
}

} // namespace
