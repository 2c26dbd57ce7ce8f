// The layouts that span several values or columns: the hex dump and the replica pointer.
#include "RenderedList.h"
#include "directory/Records.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <numeric>

namespace {

TestRecord octetString(const std::vector<std::uint8_t>& bytes) {
    return RecordBuilder(SYN_OCTET_STRING, sizeof(Octet_String_T))
        .u32(offsetof(Octet_String_T, length), static_cast<std::uint32_t>(bytes.size()))
        .bytes(offsetof(Octet_String_T, data), bytes)
        .build();
}

std::vector<std::uint8_t> byteRun(std::uint8_t first, std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

std::vector<Column> dumpColumns() {
    std::vector<Column> columns{{"HEX", 35}, {"|", 0}};
    const QString digits = QStringLiteral("0123456789ABCDEF");
    for (QChar digit : digits)
        columns.emplace_back(QStringLiteral(" ") + digit, 27);
    columns.emplace_back("PRN", 40);
    for (QChar digit : digits)
        columns.emplace_back(QString(digit), 27);
    return columns;
}

// A dump row from its label, its sixteen hex cells and its sixteen character cells.
Row dumpRow(const QString& label, const QStringList& hex, const QStringList& chars) {
    return Row{label, "|"} + hex + Row{"  "} + chars;
}

QStringList repeated(const QString& text, int count) {
    QStringList cells;
    for (int i = 0; i < count; ++i)
        cells << text;
    return cells;
}

QStringList hexCells(std::uint8_t first, int count) {
    QStringList cells;
    for (int i = 0; i < count; ++i)
        cells << QString::asprintf("%02X", first + i);
    return cells;
}

QStringList charCells(char first, int count) {
    QStringList cells;
    for (int i = 0; i < count; ++i)
        cells << QString(QChar(first + i));
    return cells;
}

TEST(HexDump, TwentyLettersMakeTwoRows) {
    RenderedList rendered;
    rendered.render("Photo", {octetString(byteRun(0x41, 20))});
    EXPECT_EQ(rendered.columns(), dumpColumns());
    EXPECT_EQ(rendered.columns().size(), 35u);
    const std::vector<Row> expected{
        dumpRow("00", hexCells(0x41, 16), charCells('A', 16)),
        dumpRow("10", hexCells(0x51, 4) + repeated("00", 12),
                charCells('Q', 4) + repeated(".", 12)),
    };
    EXPECT_EQ(rendered.rows(), expected);
    EXPECT_EQ(rendered.output, ".");
}

TEST(HexDump, EmptyOctetStringHasHeadersAndNoRows) {
    RenderedList rendered;
    rendered.render("Photo", {octetString({})});
    EXPECT_EQ(rendered.columns(), dumpColumns());
    EXPECT_EQ(rendered.list.topLevelItemCount(), 0);
}

TEST(HexDump, OnlyBytesFrom20To7EArePrintable) {
    RenderedList rendered;
    rendered.render("Photo", {octetString({0x1F, 0x20, 0x7E, 0x7F, 0x80, 0xFF, 0x00})});
    ASSERT_EQ(rendered.rows().size(), 1u);
    const Row row = rendered.rows()[0];
    EXPECT_EQ(row.mid(2, 7), (QStringList{"1F", "20", "7E", "7F", "80", "FF", "00"}));
    EXPECT_EQ(row.mid(19, 7), (QStringList{".", " ", "~", ".", ".", ".", "."}));
}

TEST(HexDump, RowLabelsRunOnAcrossValuesAndPastF0) {
    RenderedList rendered;
    rendered.render("Photo", {octetString(byteRun(0, 17 * 16)), octetString({0xAA})});
    const std::vector<Row> rows = rendered.rows();
    ASSERT_EQ(rows.size(), 18u);
    EXPECT_EQ(rows[1][0], "10");
    EXPECT_EQ(rows[10][0], "A0");
    EXPECT_EQ(rows[15][0], "F0");
    EXPECT_EQ(rows[16][0], "100");
    EXPECT_EQ(rows[17][0], "110"); // the second value's first row
    EXPECT_EQ(rows[17][2], "AA");
    EXPECT_EQ(rendered.columns().size(), 35u);
}

TEST(HexDump, LengthBeyondTheRecordIsNotRead) {
    TestRecord record = octetString(byteRun(0x30, 5));
    const std::uint32_t claimed = 64;
    std::memcpy(record.bytes.data() + offsetof(Octet_String_T, length), &claimed, sizeof claimed);
    RenderedList rendered;
    rendered.render("Photo", {record});
    ASSERT_EQ(rendered.rows().size(), 1u);
    EXPECT_EQ(rendered.rows()[0].mid(2, 6), (QStringList{"30", "31", "32", "33", "34", "00"}));
}

struct Address {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

TestRecord replicaPointer(std::string_view server, std::uint32_t type, std::uint32_t number,
                          const std::vector<Address>& addresses) {
    const auto count = static_cast<std::uint32_t>(addresses.size());
    RecordBuilder builder(SYN_REPLICA_POINTER, replicaPointerRecordSize(count));
    builder.text(offsetof(Replica_Pointer_T, serverName), server)
        .u32(offsetof(Replica_Pointer_T, replicaType), type)
        .u32(offsetof(Replica_Pointer_T, replicaNumber), number)
        .u32(offsetof(Replica_Pointer_T, count), count);
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const std::size_t at =
            offsetof(Replica_Pointer_T, replicaAddressHint) + i * sizeof(Net_Address_T);
        builder.u32(at + offsetof(Net_Address_T, addressType), addresses[i].type)
            .u32(at + offsetof(Net_Address_T, addressLength),
                 static_cast<std::uint32_t>(addresses[i].bytes.size()))
            .bytes(at + offsetof(Net_Address_T, address), addresses[i].bytes);
    }
    return builder.build();
}

const std::vector<std::uint8_t> kAddress1 = {0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
const std::vector<std::uint8_t> kAddress2 = {0xC0, 0xA8, 0, 2, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

TEST(ReplicaPointer, AddressColumnsGrowToTheLargestValue) {
    RenderedList rendered;
    rendered.render("Replica", {replicaPointer("FS1.Acme", 0, 1, {{0, kAddress1}})});
    EXPECT_EQ(rendered.list.columnCount(), 5);
    rendered.render(
        "Replica",
        {replicaPointer("FS2.Acme", 1, 2, {{0, kAddress1}, {1, kAddress2}, {9, {0xAB}}}),
         replicaPointer("FS3.Acme", 2, 3, {{1, kAddress2}})},
        1);
    EXPECT_EQ(rendered.columns(), (std::vector<Column>{{"Server Name", 150},
                                                       {"Replica Type", 40},
                                                       {"Replica Number", 40},
                                                       {"Count", 40},
                                                       {"Address", 227},
                                                       {"Address", 227},
                                                       {"Address", 227}}));
    const std::vector<Row> expected{
        {"FS1.Acme", "0", "1", "1", "Type:0 : 00000001:000000000001", "", ""},
        {"FS2.Acme", "1", "2", "3", "Type:0 : 00000001:000000000001",
         "Type:1 : C0A80002:112233445566", "Type:9 : AB"},
        {"FS3.Acme", "2", "3", "1", "Type:1 : C0A80002:112233445566", "", ""},
    };
    EXPECT_EQ(rendered.rows(), expected);
    EXPECT_EQ(rendered.output, "Type:1 : C0A80002:112233445566");
}

TEST(ReplicaPointer, CountBeyondTheRecordReadsOnlyAddressesInside) {
    // Claims four addresses but holds the one slot that every replica pointer has.
    const std::size_t slot = offsetof(Replica_Pointer_T, replicaAddressHint);
    RenderedList rendered;
    rendered.render("Replica", {RecordBuilder(SYN_REPLICA_POINTER, replicaPointerRecordSize(1))
                                    .u32(offsetof(Replica_Pointer_T, count), 4)
                                    .u32(slot + offsetof(Net_Address_T, addressType), 7)
                                    .u32(slot + offsetof(Net_Address_T, addressLength), 10)
                                    .build()});
    EXPECT_EQ(rendered.list.columnCount(), 5);
    EXPECT_EQ(rendered.rows(), (std::vector<Row>{{"", "0", "0", "4", "Type:7 : "}}));
}

} // namespace
