#include "QStringPrinter.h"
#include "RenderedList.h"
#include "directory/Records.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <ostream>

namespace {

// One value of a syntax: the columns it creates, its row, and the output text it leaves.
struct SingleValueCase {
    const char* name;
    std::string attrName;
    TestRecord record;
    std::vector<Column> columns;
    Row row;
    std::string output;
};

void PrintTo(const SingleValueCase& c, std::ostream* os) {
    *os << c.name;
}

template <class Record> RecordBuilder builderFor(std::uint32_t syntaxID) {
    return RecordBuilder(syntaxID, sizeof(Record));
}

TestRecord acl(std::string_view protectedAttr, std::string_view subject, std::uint32_t rights) {
    return builderFor<Object_ACL_T>(SYN_OBJECT_ACL)
        .text(offsetof(Object_ACL_T, protectedAttrName), protectedAttr)
        .text(offsetof(Object_ACL_T, subjectName), subject)
        .u32(offsetof(Object_ACL_T, privileges), rights)
        .build();
}

TestRecord typedName(std::string_view name, std::uint32_t level, std::uint32_t interval) {
    return builderFor<Typed_Name_T>(SYN_TYPED_NAME)
        .text(offsetof(Typed_Name_T, objectName), name)
        .u32(offsetof(Typed_Name_T, level), level)
        .u32(offsetof(Typed_Name_T, interval), interval)
        .build();
}

// An address record; `claimedLength` overrides the length field when non-zero.
TestRecord netAddress(std::uint32_t type, const std::vector<std::uint8_t>& address,
                      std::uint32_t claimedLength = 0) {
    const auto length = static_cast<std::uint32_t>(address.size());
    return builderFor<Net_Address_T>(SYN_NET_ADDRESS)
        .u32(offsetof(Net_Address_T, addressType), type)
        .u32(offsetof(Net_Address_T, addressLength), claimedLength ? claimedLength : length)
        .bytes(offsetof(Net_Address_T, address), address)
        .build();
}

TestRecord timeStamp(std::uint32_t seconds, std::int32_t eventID) {
    return builderFor<NWDS_TimeStamp_T>(SYN_TIMESTAMP)
        .u32(offsetof(NWDS_TimeStamp_T, wholeSeconds), seconds)
        .u32(offsetof(NWDS_TimeStamp_T, eventID), static_cast<std::uint32_t>(eventID))
        .build();
}

TestRecord ciList(std::string_view first, std::string_view second) {
    constexpr std::size_t next = sizeof(CI_List_T);
    return RecordBuilder(SYN_CI_LIST, 2 * sizeof(CI_List_T))
        .reference(offsetof(CI_List_T, next), next)
        .text(offsetof(CI_List_T, s), first)
        .text(next + offsetof(CI_List_T, s), second)
        .build();
}

TestRecord postalAddress(const std::vector<std::string_view>& lines) {
    RecordBuilder builder = builderFor<PO_Address_T>(SYN_PO_ADDRESS);
    for (std::size_t i = 0; i < lines.size(); ++i)
        builder.text(offsetof(PO_Address_T, line) + i * sizeof(char*), lines[i]);
    return builder.build();
}

TestRecord boolean(std::uint8_t byte) {
    return RecordBuilder(SYN_BOOLEAN, 1).u8(0, byte).build();
}

Column attr(const char* name) {
    return {name, 497};
}

const std::vector<Column> kAddressColumns{
    {"Address Type", 85}, {"Address Length", 140}, {"Address", 272}};
const std::vector<Column> kAclColumns{
    {"Protected Attribute", 150}, {"Rights", 75}, {"Subject", 272}};
const std::vector<Column> kTypedNameColumns{{"Object Name", 365}, {"Level", 65}, {"Interval", 67}};
const std::vector<std::uint8_t> kTenBytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0xAB};
const std::vector<std::uint8_t> kTwelveBytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 0xAB, 0xEE, 0xFF};
const char* const kEpoch = "Thu Jan 01 00:00:00 1970\n";
const char* const kUtf8 = "Gr\xC3\xBC\xC3\x9F"
                          "e";

const SingleValueCase kSingleValueCases[] = {
    {"CaseIgnoreString",
     "CN",
     textRecord(SYN_CI_STRING, "Admin"),
     {attr("CN")},
     {"Admin"},
     "Admin"},
    {"Utf8Text",
     "CN",
     textRecord(SYN_CI_STRING, kUtf8),
     {attr("CN")},
     {QString::fromUtf8(kUtf8)},
     kUtf8},
    {"CaseIgnoreListShowsFirstElement",
     "Language",
     ciList("English", "French"),
     {attr("Language")},
     {"English"},
     "English"},
    {"BooleanOne", "Locked", boolean(0x01), {attr("Locked")}, {"TRUE"}, "TRUE"},
    {"BooleanZero", "Locked", boolean(0x00), {attr("Locked")}, {"FALSE"}, "FALSE"},
    {"BooleanTwo", "Locked", boolean(0x02), {attr("Locked")}, {"TRUE"}, "TRUE"},
    {"IntegerMinusOne",
     "Logins",
     numberRecord(SYN_INTEGER, 0xFFFFFFFF),
     {attr("Logins")},
     {"4294967295"},
     "4294967295"},
    {"CounterMinusOne",
     "Revision",
     numberRecord(SYN_COUNTER, 0xFFFFFFFF),
     {attr("Revision")},
     {"4294967295"},
     "4294967295"},
    {"IntervalMinusOne",
     "Interval",
     numberRecord(SYN_INTERVAL, 0xFFFFFFFF),
     {attr("Interval")},
     {"4294967295"},
     "4294967295"},
    {"FaxNumber",
     "Fax",
     builderFor<Fax_Number_T>(SYN_FAX_NUMBER)
         .text(offsetof(Fax_Number_T, telephoneNumber), "555-0199")
         .build(),
     {attr("Fax")},
     {"555-0199"},
     "555-0199"},
    {"NetAddressTenBytes",
     "Address",
     netAddress(0, kTenBytes),
     kAddressColumns,
     {"0", "10", "01020304:0506070809AB"},
     "01020304:0506070809AB"},
    {"NetAddressShowsTenOfTwelve",
     "Address",
     netAddress(1, kTwelveBytes),
     kAddressColumns,
     {"1", "12", "01020304:0506070809AB"},
     "01020304:0506070809AB"},
    {"NetAddressShortShowsItsBytes",
     "Address",
     netAddress(9, {0xDE, 0xAD, 0xBE, 0xEF, 1, 2}),
     kAddressColumns,
     {"9", "6", "DEADBEEF:0102"},
     "DEADBEEF:0102"},
    {"OctetList",
     "Octets",
     builderFor<Octet_List_T>(SYN_OCTET_LIST).build(),
     {attr("Octets")},
     {"SYN_OCTET_LIST Syntax is not handled."},
     "SYN_OCTET_LIST Syntax is not handled."},
    {"EmailAddress",
     "EMail",
     builderFor<EMail_Address_T>(SYN_EMAIL_ADDRESS)
         .u32(offsetof(EMail_Address_T, type), 2)
         .text(offsetof(EMail_Address_T, address), "admin@acme.example")
         .build(),
     {{"E-Mail Type", 100}, {"E-Mail Address", 397}},
     {"2", "admin@acme.example"},
     "admin@acme.example"},
    {"Path",
     "Home Directory",
     builderFor<Path_T>(SYN_PATH)
         .u32(offsetof(Path_T, nameSpaceType), 4)
         .text(offsetof(Path_T, volumeName), "SYS.Acme")
         .text(offsetof(Path_T, path), "HOME")
         .build(),
     {{"Name Space Type", 50}, {"Volume Name", 275}, {"Path", 172}},
     {"4", "SYS.Acme", "HOME"},
     "HOME"},
    {"AclEntryRights",
     "ACL",
     acl("[Entry Rights]", "Admin.Acme", 0x03),
     kAclColumns,
     {"[Entry Rights]", "[BA] ", "Admin.Acme"},
     "Admin.Acme"},
    {"AclSmsRights",
     "ACL",
     acl("[SMS Rights]", "[Public]", 0x30),
     kAclColumns,
     {"[SMS Rights]", "[DA] ", "[Public]"},
     "[Public]"},
    {"AclAttributeRightsNoLetter",
     "ACL",
     acl("Telephone Number", "Bob", 0x10),
     kAclColumns,
     {"Telephone Number", "[] ", "Bob"},
     "Bob"},
    {"PostalAddress",
     "Postal Address",
     postalAddress({"Acme", "1 Main", "Town", "IL", "627", "x"}),
     {{"Line 1", 82},
      {"Line 2", 82},
      {"Line 3", 82},
      {"Line 4", 82},
      {"Line 5", 82},
      {"Line 6", 82}},
     {"Acme", "1 Main", "Town", "IL", "627", "x"},
     "x"},
    {"TimeStampZero",
     "Stamp",
     timeStamp(0, -5),
     {{"Time Stamp", 250}, {"Event ID", 247}},
     {kEpoch, "-5"},
     "-5"},
    {"TimeStampBefore1970",
     "Stamp",
     timeStamp(0xFFFFFFFF, 3),
     {{"Time Stamp", 250}, {"Event ID", 247}},
     {"Wed Dec 31 23:59:59 1969\n", "3"},
     "3"},
    {"BackLink",
     "Back Link",
     builderFor<Back_Link_T>(SYN_BACK_LINK)
         .u32(offsetof(Back_Link_T, remoteID), 0xFFFFFFFE)
         .text(offsetof(Back_Link_T, objectName), "FS1.Acme")
         .build(),
     {{"Remote Object ID", 100}, {"Object Name", 397}},
     {"4294967294", "FS1.Acme"},
     "FS1.Acme"},
    {"TimeZero", "Login Time", numberRecord(SYN_TIME, 0), {attr("Login Time")}, {kEpoch}, kEpoch},
    {"TimeBefore1970",
     "Login Time",
     numberRecord(SYN_TIME, 0x80000000),
     {attr("Login Time")},
     {"Fri Dec 13 20:45:52 1901\n"},
     "Fri Dec 13 20:45:52 1901\n"},
    {"TypedName",
     "Notify",
     typedName("Admin.Acme", 0x1F, 0x12345),
     kTypedNameColumns,
     {"Admin.Acme", "001F", "12345"},
     "12345"},
    {"PartitionControl",
     "Partition Control",
     typedName("FS1.Acme", 0xFFFFFFFE, 0x2A),
     {{"Type", 124}, {"Function", 124}, {"State", 124}, {"Partner Partition ID", 125}},
     {"-2", "002A", "", "FS1.Acme"},
     "FS1.Acme"},
    {"PartitionControlIsCaseSensitive",
     "partition control",
     typedName("FS1", 2, 3),
     kTypedNameColumns,
     {"FS1", "0002", "0003"},
     "0003"},
    {"Hold",
     "Holds",
     builderFor<Hold_T>(SYN_HOLD)
         .text(offsetof(Hold_T, objectName), "Admin.Acme")
         .u32(offsetof(Hold_T, amount), 0xFFFFFFFF)
         .build(),
     {{"Object Name", 397}, {"Amount", 100}},
     {"Admin.Acme", "4294967295"},
     "4294967295"},
    {"UnknownSyntaxZero",
     "Mystery",
     RecordBuilder(SYN_UNKNOWN, 8).build(),
     {},
     {},
     "Syntax Not Decoded\r\n"},
    {"SyntaxTwentyEight",
     "Mystery",
     RecordBuilder(28, 8).build(),
     {},
     {},
     "Syntax Not Decoded\r\n"},
    // Records smaller than their syntax needs are not read past their end.
    {"TextWithoutNul",
     "CN",
     TestRecord(SYN_CI_STRING, {'a', 'b', 'c'}),
     {attr("CN")},
     {"abc"},
     "abc"},
    {"AclHalfAReference",
     "ACL",
     TestRecord(SYN_OBJECT_ACL, {1, 2, 3, 4}),
     kAclColumns,
     {"", "[] ", ""},
     ""},
    {"TypedNameWithoutNumbers",
     "Notify",
     RecordBuilder(SYN_TYPED_NAME, 8).text(0, "AB").build(),
     kTypedNameColumns,
     {"AB", "0000", "0000"},
     "0000"},
    {"NetAddressLengthBeyondTheRecord",
     "Address",
     netAddress(0, {0x11, 0x22, 0x33, 0x44, 0x55}, 10),
     kAddressColumns,
     {"0", "10", "11223344:55"},
     "11223344:55"},
};

class SingleValue : public ::testing::TestWithParam<SingleValueCase> {};

TEST_P(SingleValue, ColumnsRowAndOutputText) {
    const SingleValueCase& c = GetParam();
    RenderedList rendered;
    rendered.render(c.attrName, {c.record});

    EXPECT_EQ(rendered.columns(), c.columns);
    const std::vector<Row> expectedRows = c.row.isEmpty() ? std::vector<Row>{} : std::vector{c.row};
    EXPECT_EQ(rendered.rows(), expectedRows);
    EXPECT_EQ(rendered.output, c.output);
    for (int i = 0; i < rendered.list.columnCount(); ++i)
        EXPECT_EQ(rendered.list.headerItem()->textAlignment(i) & Qt::AlignHorizontal_Mask,
                  Qt::AlignLeft);
}

INSTANTIATE_TEST_SUITE_P(EverySyntax, SingleValue, ::testing::ValuesIn(kSingleValueCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(ValueRenderer, EveryTextSyntaxShowsItsText) {
    for (std::uint32_t syntax : {SYN_DIST_NAME, SYN_CE_STRING, SYN_CI_STRING, SYN_PR_STRING,
                                 SYN_NU_STRING, SYN_TEL_NUMBER, SYN_CLASS_NAME}) {
        RenderedList rendered;
        rendered.render("Name", {textRecord(syntax, "Admin.Acme")});
        EXPECT_EQ(rendered.columns(), std::vector<Column>{attr("Name")}) << syntax;
        EXPECT_EQ(rendered.rows(), std::vector<Row>{{"Admin.Acme"}}) << syntax;
    }
}

TEST(ValueRenderer, ColumnsForTheFirstValueAndRowsInTheOrderGiven) {
    RenderedList rendered;
    rendered.render("CN", {textRecord(SYN_CI_STRING, "Zed"), textRecord(SYN_CI_STRING, "Amy"),
                           textRecord(SYN_CI_STRING, "Max")});
    EXPECT_EQ(rendered.columns(), std::vector<Column>{attr("CN")});
    EXPECT_EQ(rendered.rows(), (std::vector<Row>{{"Zed"}, {"Amy"}, {"Max"}}));
    EXPECT_EQ(rendered.output, "Max");
}

} // namespace
