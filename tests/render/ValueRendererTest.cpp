#include "RenderedList.h"
#include "directory/Records.h"

#include <cstddef>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

// One value of a syntax: the columns it creates, its row, and the output text it leaves.
struct SingleValueCase {
    const char* name;
    std::string attrName;
    std::function<TestRecord()> record;
    std::vector<Column> columns;
    Row row;
    std::string output;
};

void PrintTo(const SingleValueCase& c, std::ostream* os) {
    *os << c.name;
}

TestRecord aclRecord(std::string_view protectedAttr, std::string_view subject,
                     std::uint32_t rights) {
    return RecordBuilder(SYN_OBJECT_ACL, sizeof(Object_ACL_T))
        .text(offsetof(Object_ACL_T, protectedAttrName), protectedAttr)
        .text(offsetof(Object_ACL_T, subjectName), subject)
        .u32(offsetof(Object_ACL_T, privileges), rights)
        .build();
}

TestRecord typedNameRecord(std::string_view name, std::uint32_t level, std::uint32_t interval) {
    return RecordBuilder(SYN_TYPED_NAME, sizeof(Typed_Name_T))
        .text(offsetof(Typed_Name_T, objectName), name)
        .u32(offsetof(Typed_Name_T, level), level)
        .u32(offsetof(Typed_Name_T, interval), interval)
        .build();
}

TestRecord netAddressRecord(std::uint32_t type, const std::vector<std::uint8_t>& address) {
    return RecordBuilder(SYN_NET_ADDRESS, sizeof(Net_Address_T))
        .u32(offsetof(Net_Address_T, addressType), type)
        .u32(offsetof(Net_Address_T, addressLength), static_cast<std::uint32_t>(address.size()))
        .bytes(offsetof(Net_Address_T, address), address)
        .build();
}

TestRecord timeStampRecord(std::uint32_t seconds, std::int32_t eventID) {
    return RecordBuilder(SYN_TIMESTAMP, sizeof(NWDS_TimeStamp_T))
        .u32(offsetof(NWDS_TimeStamp_T, wholeSeconds), seconds)
        .u32(offsetof(NWDS_TimeStamp_T, eventID), static_cast<std::uint32_t>(eventID))
        .build();
}

const std::vector<std::uint8_t> kTenBytes = {0x01, 0x02, 0x03, 0x04, 0x05,
                                             0x06, 0x07, 0x08, 0x09, 0xAB};
const Column kAttrColumn(const char* attrName) {
    return {attrName, 497};
}

const SingleValueCase kSingleValueCases[] = {
    {"DistinguishedName",
     "Member",
     [] { return textRecord(SYN_DIST_NAME, "Admin.Sales.Acme"); },
     {kAttrColumn("Member")},
     {"Admin.Sales.Acme"},
     "Admin.Sales.Acme"},
    {"CaseExactString",
     "Title",
     [] { return textRecord(SYN_CE_STRING, "Mgr"); },
     {kAttrColumn("Title")},
     {"Mgr"},
     "Mgr"},
    {"CaseIgnoreString",
     "CN",
     [] { return textRecord(SYN_CI_STRING, "Admin"); },
     {kAttrColumn("CN")},
     {"Admin"},
     "Admin"},
    {"PrintableString",
     "Serial",
     [] { return textRecord(SYN_PR_STRING, "A-1"); },
     {kAttrColumn("Serial")},
     {"A-1"},
     "A-1"},
    {"NumericString",
     "Code",
     [] { return textRecord(SYN_NU_STRING, "0042"); },
     {kAttrColumn("Code")},
     {"0042"},
     "0042"},
    {"TelephoneNumber",
     "Telephone Number",
     [] { return textRecord(SYN_TEL_NUMBER, "555-0100"); },
     {kAttrColumn("Telephone Number")},
     {"555-0100"},
     "555-0100"},
    {"ClassName",
     "Object Class",
     [] { return textRecord(SYN_CLASS_NAME, "User"); },
     {kAttrColumn("Object Class")},
     {"User"},
     "User"},
    {"Utf8Text",
     "Description",
     [] {
         return textRecord(SYN_CI_STRING, "Gr\xC3\xBC\xC3\x9F"
                                          "e");
     },
     {kAttrColumn("Description")},
     {QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"
                        "e")},
     "Gr\xC3\xBC\xC3\x9F"
     "e"},
    {"CaseIgnoreListFirstElementOnly",
     "Language",
     [] {
         // Two elements: the first points to the second, which is not shown.
         constexpr std::size_t second = sizeof(CI_List_T);
         return RecordBuilder(SYN_CI_LIST, 2 * sizeof(CI_List_T))
             .reference(offsetof(CI_List_T, next), second)
             .text(offsetof(CI_List_T, s), "English")
             .text(second + offsetof(CI_List_T, s), "French")
             .build();
     },
     {kAttrColumn("Language")},
     {"English"},
     "English"},
    {"BooleanOne",
     "Locked",
     [] { return RecordBuilder(SYN_BOOLEAN, 1).u8(0, 0x01).build(); },
     {kAttrColumn("Locked")},
     {"TRUE"},
     "TRUE"},
    {"BooleanZero",
     "Locked",
     [] { return RecordBuilder(SYN_BOOLEAN, 1).u8(0, 0x00).build(); },
     {kAttrColumn("Locked")},
     {"FALSE"},
     "FALSE"},
    {"BooleanTwo",
     "Locked",
     [] { return RecordBuilder(SYN_BOOLEAN, 1).u8(0, 0x02).build(); },
     {kAttrColumn("Locked")},
     {"TRUE"},
     "TRUE"},
    {"IntegerMinusOne",
     "Grace Logins",
     [] { return numberRecord(SYN_INTEGER, 0xFFFFFFFF); },
     {kAttrColumn("Grace Logins")},
     {"4294967295"},
     "4294967295"},
    {"CounterMinusOne",
     "Revision",
     [] { return numberRecord(SYN_COUNTER, 0xFFFFFFFF); },
     {kAttrColumn("Revision")},
     {"4294967295"},
     "4294967295"},
    {"IntervalMinusOne",
     "Interval",
     [] { return numberRecord(SYN_INTERVAL, 0xFFFFFFFF); },
     {kAttrColumn("Interval")},
     {"4294967295"},
     "4294967295"},
    {"IntegerSeven",
     "Grace Logins",
     [] { return numberRecord(SYN_INTEGER, 7); },
     {kAttrColumn("Grace Logins")},
     {"7"},
     "7"},
    {"FaxNumber",
     "Fax",
     [] {
         return RecordBuilder(SYN_FAX_NUMBER, sizeof(Fax_Number_T))
             .text(offsetof(Fax_Number_T, telephoneNumber), "555-0199")
             .u32(offsetof(Fax_Number_T, parameters) + offsetof(Bit_String_T, numOfBits), 8)
             .bytes(offsetof(Fax_Number_T, parameters) + offsetof(Bit_String_T, data), {0xFF})
             .build();
     },
     {kAttrColumn("Fax")},
     {"555-0199"},
     "555-0199"},
    {"NetAddressTenBytes",
     "Network Address",
     [] { return netAddressRecord(0, kTenBytes); },
     {{"Address Type", 85}, {"Address Length", 140}, {"Address", 272}},
     {"0", "10", "01020304:0506070809AB"},
     "01020304:0506070809AB"},
    {"NetAddressLongerShowsTen",
     "Network Address",
     [] {
         auto bytes = kTenBytes;
         bytes.insert(bytes.end(), {0xEE, 0xFF});
         return netAddressRecord(1, bytes);
     },
     {{"Address Type", 85}, {"Address Length", 140}, {"Address", 272}},
     {"1", "12", "01020304:0506070809AB"},
     "01020304:0506070809AB"},
    {"NetAddressShortShowsItsBytes",
     "Network Address",
     [] {
         return netAddressRecord(9, {0xDE, 0xAD, 0xBE, 0xEF, 0x01, 0x02});
     },
     {{"Address Type", 85}, {"Address Length", 140}, {"Address", 272}},
     {"9", "6", "DEADBEEF:0102"},
     "DEADBEEF:0102"},
    {"NetAddressNetworkOnly",
     "Network Address",
     [] {
         return netAddressRecord(9, {0x0A, 0x0B, 0x0C});
     },
     {{"Address Type", 85}, {"Address Length", 140}, {"Address", 272}},
     {"9", "3", "0A0B0C"},
     "0A0B0C"},
    {"OctetList",
     "Octets",
     [] { return RecordBuilder(SYN_OCTET_LIST, sizeof(Octet_List_T)).build(); },
     {kAttrColumn("Octets")},
     {"SYN_OCTET_LIST Syntax is not handled."},
     "SYN_OCTET_LIST Syntax is not handled."},
    {"EmailAddress",
     "EMail Address",
     [] {
         return RecordBuilder(SYN_EMAIL_ADDRESS, sizeof(EMail_Address_T))
             .u32(offsetof(EMail_Address_T, type), 2)
             .text(offsetof(EMail_Address_T, address), "admin@acme.example")
             .build();
     },
     {{"E-Mail Type", 100}, {"E-Mail Address", 397}},
     {"2", "admin@acme.example"},
     "admin@acme.example"},
    {"Path",
     "Home Directory",
     [] {
         return RecordBuilder(SYN_PATH, sizeof(Path_T))
             .u32(offsetof(Path_T, nameSpaceType), 4)
             .text(offsetof(Path_T, volumeName), "SYS.Acme")
             .text(offsetof(Path_T, path), "HOME\\ADMIN")
             .build();
     },
     {{"Name Space Type", 50}, {"Volume Name", 275}, {"Path", 172}},
     {"4", "SYS.Acme", "HOME\\ADMIN"},
     "HOME\\ADMIN"},
    {"AclEntryRights",
     "ACL",
     [] { return aclRecord("[Entry Rights]", "Admin.Acme", 0x03); },
     {{"Protected Attribute", 150}, {"Rights", 75}, {"Subject", 272}},
     {"[Entry Rights]", "[BA] ", "Admin.Acme"},
     "Admin.Acme"},
    {"AclSmsRights",
     "ACL",
     [] { return aclRecord("[SMS Rights]", "[Public]", 0x30); },
     {{"Protected Attribute", 150}, {"Rights", 75}, {"Subject", 272}},
     {"[SMS Rights]", "[DA] ", "[Public]"},
     "[Public]"},
    {"AclAttributeRightsNoLetter",
     "ACL",
     [] { return aclRecord("Telephone Number", "Bob", 0x10); },
     {{"Protected Attribute", 150}, {"Rights", 75}, {"Subject", 272}},
     {"Telephone Number", "[] ", "Bob"},
     "Bob"},
    {"PostalAddress",
     "Postal Address",
     [] {
         RecordBuilder builder(SYN_PO_ADDRESS, sizeof(PO_Address_T));
         const char* lines[6] = {"Acme", "1 Main St", "Springfield", "IL", "62701", ""};
         for (int i = 0; i < 6; ++i)
             builder.text(offsetof(PO_Address_T, line) + i * sizeof(char*), lines[i]);
         return builder.build();
     },
     {{"Line 1", 82},
      {"Line 2", 82},
      {"Line 3", 82},
      {"Line 4", 82},
      {"Line 5", 82},
      {"Line 6", 82}},
     {"Acme", "1 Main St", "Springfield", "IL", "62701", ""},
     ""},
    {"TimeStampZero",
     "Time Stamp",
     [] { return timeStampRecord(0, -5); },
     {{"Time Stamp", 250}, {"Event ID", 247}},
     {"Thu Jan 01 00:00:00 1970\n", "-5"},
     "-5"},
    {"TimeStampBefore1970",
     "Time Stamp",
     [] { return timeStampRecord(0xFFFFFFFF, 3); },
     {{"Time Stamp", 250}, {"Event ID", 247}},
     {"Wed Dec 31 23:59:59 1969\n", "3"},
     "3"},
    {"BackLink",
     "Back Link",
     [] {
         return RecordBuilder(SYN_BACK_LINK, sizeof(Back_Link_T))
             .u32(offsetof(Back_Link_T, remoteID), 0xFFFFFFFE)
             .text(offsetof(Back_Link_T, objectName), "FS1.Acme")
             .build();
     },
     {{"Remote Object ID", 100}, {"Object Name", 397}},
     {"4294967294", "FS1.Acme"},
     "FS1.Acme"},
    {"TimeZero",
     "Login Time",
     [] { return numberRecord(SYN_TIME, 0); },
     {kAttrColumn("Login Time")},
     {"Thu Jan 01 00:00:00 1970\n"},
     "Thu Jan 01 00:00:00 1970\n"},
    {"TimeEarliest",
     "Login Time",
     [] { return numberRecord(SYN_TIME, 0x80000000); },
     {kAttrColumn("Login Time")},
     {"Fri Dec 13 20:45:52 1901\n"},
     "Fri Dec 13 20:45:52 1901\n"},
    {"TypedName",
     "Notify",
     [] { return typedNameRecord("Admin.Acme", 0x1F, 0x12345); },
     {{"Object Name", 365}, {"Level", 65}, {"Interval", 67}},
     {"Admin.Acme", "001F", "12345"},
     "12345"},
    {"PartitionControl",
     "Partition Control",
     [] { return typedNameRecord("FS1.Acme", 0xFFFFFFFE, 0x2A); },
     {{"Type", 124}, {"Function", 124}, {"State", 124}, {"Partner Partition ID", 125}},
     {"-2", "002A", "", "FS1.Acme"},
     "FS1.Acme"},
    {"PartitionControlIsCaseSensitive",
     "partition control",
     [] { return typedNameRecord("FS1.Acme", 2, 3); },
     {{"Object Name", 365}, {"Level", 65}, {"Interval", 67}},
     {"FS1.Acme", "0002", "0003"},
     "0003"},
    {"Hold",
     "Server Holds",
     [] {
         return RecordBuilder(SYN_HOLD, sizeof(Hold_T))
             .text(offsetof(Hold_T, objectName), "Admin.Acme")
             .u32(offsetof(Hold_T, amount), 0xFFFFFFFF)
             .build();
     },
     {{"Object Name", 397}, {"Amount", 100}},
     {"Admin.Acme", "4294967295"},
     "4294967295"},
    // Records smaller than their syntax needs, and references that leave the record.
    {"TextWithoutNulEndsAtTheRecord",
     "CN",
     [] {
         return TestRecord{SYN_CI_STRING, {'a', 'b', 'c'}};
     },
     {kAttrColumn("CN")},
     {"abc"},
     "abc"},
    {"EmptyBooleanRecord",
     "Locked",
     [] {
         return TestRecord{SYN_BOOLEAN, {}};
     },
     {kAttrColumn("Locked")},
     {"FALSE"},
     "FALSE"},
    {"IntegerRecordTooShort",
     "Grace Logins",
     [] {
         return TestRecord{SYN_INTEGER, {1, 2}};
     },
     {kAttrColumn("Grace Logins")},
     {"0"},
     "0"},
    {"AclHalfAReference",
     "ACL",
     [] {
         return TestRecord{SYN_OBJECT_ACL, {1, 2, 3, 4}};
     },
     {{"Protected Attribute", 150}, {"Rights", 75}, {"Subject", 272}},
     {"", "[] ", ""},
     ""},
    {"TypedNameWithoutNumbers",
     "Notify",
     [] {
         // The reference and its text only: 11 bytes, where level and interval would follow.
         return RecordBuilder(SYN_TYPED_NAME, sizeof(char*)).text(0, "AB").build();
     },
     {{"Object Name", 365}, {"Level", 65}, {"Interval", 67}},
     {"AB", "0000", "0000"},
     "0000"},
    {"ReferenceOutsideTheRecord",
     "EMail Address",
     [] {
         static const char elsewhere[] = "not in the record";
         TestRecord record = RecordBuilder(SYN_EMAIL_ADDRESS, sizeof(EMail_Address_T)).build();
         const char* pointer = elsewhere;
         std::memcpy(record.bytes.data() + offsetof(EMail_Address_T, address), &pointer,
                     sizeof pointer);
         return record;
     },
     {{"E-Mail Type", 100}, {"E-Mail Address", 397}},
     {"0", ""},
     ""},
    {"NetAddressLengthBeyondTheRecord",
     "Network Address",
     [] {
         TestRecord record = netAddressRecord(0, {0x11, 0x22, 0x33, 0x44, 0x55});
         const std::uint32_t claimed = 10;
         std::memcpy(record.bytes.data() + offsetof(Net_Address_T, addressLength), &claimed,
                     sizeof claimed);
         return record;
     },
     {{"Address Type", 85}, {"Address Length", 140}, {"Address", 272}},
     {"0", "10", "11223344:55"},
     "11223344:55"},
    {"UnknownSyntaxZero",
     "Mystery",
     [] { return RecordBuilder(SYN_UNKNOWN, 8).build(); },
     {},
     {},
     "Syntax Not Decoded\r\n"},
    {"SyntaxTwentyEight",
     "Mystery",
     [] { return RecordBuilder(28, 8).build(); },
     {},
     {},
     "Syntax Not Decoded\r\n"},
    {"SyntaxFarOut",
     "Mystery",
     [] { return RecordBuilder(0xFFFFFFFF, 8).build(); },
     {},
     {},
     "Syntax Not Decoded\r\n"},
};

class SingleValue : public ::testing::TestWithParam<SingleValueCase> {};

TEST_P(SingleValue, ColumnsRowAndOutputText) {
    const SingleValueCase& c = GetParam();
    RenderedList rendered;
    rendered.render(c.attrName, {c.record()});

    EXPECT_EQ(rendered.columns(), c.columns);
    if (c.row.isEmpty()) {
        EXPECT_EQ(rendered.list.topLevelItemCount(), 0);
    } else {
        ASSERT_EQ(rendered.rows().size(), 1u);
        EXPECT_EQ(rendered.rows()[0], c.row);
    }
    EXPECT_EQ(rendered.output, c.output);
    for (int i = 0; i < rendered.list.columnCount(); ++i)
        EXPECT_EQ(rendered.list.headerItem()->textAlignment(i) & Qt::AlignHorizontal_Mask,
                  Qt::AlignLeft);
}

INSTANTIATE_TEST_SUITE_P(EverySyntax, SingleValue, ::testing::ValuesIn(kSingleValueCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValueRenderer, ColumnsAreCreatedForTheFirstValueOnly) {
    RenderedList rendered;
    rendered.render("CN", {textRecord(SYN_CI_STRING, "Zed"), textRecord(SYN_CI_STRING, "Amy"),
                           textRecord(SYN_CI_STRING, "Max")});
    EXPECT_EQ(rendered.columns(), (std::vector<Column>{{"CN", 497}}));
    // In the order the directory returned them, not sorted.
    EXPECT_EQ(rendered.rows(), (std::vector<Row>{{"Zed"}, {"Amy"}, {"Max"}}));
    EXPECT_EQ(rendered.output, "Max");
}

TEST(ValueRenderer, RowGoesAtTheValueIndex) {
    RenderedList rendered;
    RenderTarget target{rendered.list, rendered.output, rendered.state};
    ValueRenderer(textRecord(SYN_CI_STRING, "first").value(), 0, "CN", target);
    ValueRenderer(textRecord(SYN_CI_STRING, "third").value(), 1, "CN", target);
    ValueRenderer(textRecord(SYN_CI_STRING, "second").value(), 1, "CN", target);
    // An index past the last row appends, as a list view does.
    ValueRenderer(textRecord(SYN_CI_STRING, "last").value(), 9, "CN", target);
    EXPECT_EQ(rendered.rows(), (std::vector<Row>{{"first"}, {"second"}, {"third"}, {"last"}}));
}

} // namespace
