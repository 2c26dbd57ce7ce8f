// Native value records: built in one allocation of exactly the computed size, and encoded
// back from the caller's records into the same wire form.
#include "directory/Records.h"

#include "client/common/NativeRecords.h"
#include "client/common/ValueText.h"
#include "client/common/ValueWire.h"
#include "directory/ResultCodes.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TextValue {
    std::uint32_t syntax;
    const char* text;
};

// One value of every syntax in its text form.
const TextValue kValues[] = {
    {SYN_DIST_NAME, "Admin.Acme"},
    {SYN_CE_STRING, "Case Exact"},
    {SYN_CI_STRING, ""},
    {SYN_PR_STRING, "Printable"},
    {SYN_NU_STRING, "0815"},
    {SYN_CI_LIST, "one$two$three"},
    {SYN_BOOLEAN, "TRUE"},
    {SYN_INTEGER, "-1"},
    {SYN_OCTET_STRING, "ABCDEFGHIJKLMNOPQRST"},
    {SYN_TEL_NUMBER, "+1 555 0100"},
    {SYN_FAX_NUMBER, "+1 555 0101$12$ABC0"},
    {SYN_NET_ADDRESS, "0#0A0000010000001B2C3D4E0451"},
    {SYN_OCTET_LIST, "0102$$FFFE"},
    {SYN_EMAIL_ADDRESS, "1#someone@example.org"},
    {SYN_PATH, "0#SYS.Acme#\\PUBLIC"},
    {SYN_REPLICA_POINTER, "FS1.Acme#1#2#0:0A00000100000001#1:C0A8010A#9:00"},
    {SYN_OBJECT_ACL, "31#subtree#[Public]#[Entry Rights]"},
    {SYN_PO_ADDRESS, "a$b$c$d$e$f"},
    {SYN_TIMESTAMP, "19960817123000Z#5"},
    {SYN_CLASS_NAME, "User"},
    {SYN_COUNTER, "4294967295"},
    {SYN_BACK_LINK, "7#FS1.Acme"},
    {SYN_TIME, "20240115083000Z"},
    {SYN_TYPED_NAME, "1#2#Admin.Acme"},
    {SYN_HOLD, "250#FS1.Acme"},
    {SYN_INTERVAL, "3600"},
    {31, "\x01\x02\x03"},
};

std::string wireOf(std::uint32_t syntax, const char* text) {
    std::string w;
    EXPECT_EQ(valuetext::parse(syntax, text, valuetext::PlainNames(), w), 0) << text;
    return w;
}

} // namespace

TEST(NativeRecords, EveryRecordIsBuiltInPlaceAndEncodesBackToTheSameValue) {
    for (const auto& v : kValues) {
        const std::string w = wireOf(v.syntax, v.text);
        const std::size_t size = records::nativeSize(v.syntax, w);
        ASSERT_GT(size, 0u) << v.text;
        auto record = std::make_unique<std::byte[]>(size);
        ASSERT_EQ(records::buildNative(v.syntax, w, record.get(), size), 0) << v.text;
        std::string back;
        ASSERT_EQ(records::encodeNative(v.syntax, record.get(), 4096, back), 0) << v.text;
        EXPECT_EQ(back, w) << "syntax " << v.syntax;
    }
}

TEST(NativeRecords, SizesAreExact) {
    EXPECT_EQ(records::nativeSize(SYN_CI_STRING, wireOf(SYN_CI_STRING, "Demo")), 5u);
    EXPECT_EQ(records::nativeSize(SYN_BOOLEAN, wireOf(SYN_BOOLEAN, "FALSE")), 1u);
    EXPECT_EQ(records::nativeSize(SYN_INTEGER, wireOf(SYN_INTEGER, "7")), 4u);
    EXPECT_EQ(records::nativeSize(SYN_OCTET_STRING, std::string(20, 'x')),
              sizeof(Octet_String_T) + 20);
    EXPECT_EQ(records::nativeSize(SYN_OCTET_STRING, ""), sizeof(Octet_String_T));
    EXPECT_EQ(records::nativeSize(SYN_CI_LIST, wireOf(SYN_CI_LIST, "ab$c")),
              2 * sizeof(CI_List_T) + 3 + 2);
    EXPECT_EQ(records::nativeSize(SYN_REPLICA_POINTER,
                                  wireOf(SYN_REPLICA_POINTER, "S.A#0#1#0:0102#1:03#2:040506")),
              replicaPointerRecordSize(3) + 4 + 2 + 1 + 3);
    EXPECT_EQ(records::nativeSize(SYN_REPLICA_POINTER, wireOf(SYN_REPLICA_POINTER, "S.A#0#1")),
              replicaPointerRecordSize(0) + 4);
    EXPECT_EQ(records::nativeSize(SYN_PO_ADDRESS, wireOf(SYN_PO_ADDRESS, "x")),
              sizeof(PO_Address_T) + 2 + 5);
    EXPECT_EQ(records::nativeSize(SYN_OBJECT_ACL, wireOf(SYN_OBJECT_ACL, "1#entry#A.B#CN")),
              sizeof(Object_ACL_T) + 3 + 4);
    EXPECT_EQ(records::nativeSize(SYN_STREAM, wire::u32Value(5000)), sizeof(Stream_T));
    EXPECT_EQ(records::nativeSize(99, "raw"), sizeof(Octet_String_T) + 3);
}

TEST(NativeRecords, ShortRecordsAndMalformedValuesAreRefusedUntouched) {
    const std::string w = wireOf(SYN_TYPED_NAME, "1#2#Admin.Acme");
    const std::size_t size = records::nativeSize(SYN_TYPED_NAME, w);
    std::vector<unsigned char> record(size, 0xAA);
    EXPECT_EQ(records::buildNative(SYN_TYPED_NAME, w, record.data(), size - 1),
              ERR_VALUE_TOO_SMALL);
    for (unsigned char c : record)
        EXPECT_EQ(c, 0xAA);
    EXPECT_EQ(records::nativeSize(SYN_TYPED_NAME, w.substr(0, w.size() - 1)), 0u);
    EXPECT_EQ(records::buildNative(SYN_OBJECT_ACL, "\x05", record.data(), size),
              ERR_INVALID_SERVER_RESPONSE);
    EXPECT_EQ(records::nativeSize(SYN_UNKNOWN, "x"), 0u);
    EXPECT_EQ(records::nativeSize(SYN_CI_STRING, std::string("a\0b", 3)), 0u);
}

TEST(NativeRecords, CallerRecordsThatCannotBeValuesAreRefused) {
    std::string out;
    char name[] = "Name";
    Typed_Name_T noName{nullptr, 1, 2};
    EXPECT_EQ(records::encodeNative(SYN_TYPED_NAME, &noName, 4096, out), ERR_NULL_POINTER);
    CI_List_T loop{nullptr, name};
    loop.next = &loop;
    EXPECT_EQ(records::encodeNative(SYN_CI_LIST, &loop, 4096, out), ERR_SYNTAX_VIOLATION);
    std::uint8_t bytes[4] = {};
    Octet_String_T big{5000, bytes};
    EXPECT_EQ(records::encodeNative(SYN_OCTET_STRING, &big, 4096, out), ERR_BUFFER_FULL);
    Octet_String_T noData{3, nullptr};
    EXPECT_EQ(records::encodeNative(SYN_OCTET_STRING, &noData, 4096, out), ERR_NULL_POINTER);
    Replica_Pointer_T tooMany{name, 0, 0, 65, {}};
    EXPECT_EQ(records::encodeNative(SYN_REPLICA_POINTER, &tooMany, 4096, out),
              ERR_SYNTAX_VIOLATION);
    const std::string longText(200, 'x');
    EXPECT_EQ(records::encodeNative(SYN_CI_STRING, longText.c_str(), 100, out), ERR_BUFFER_FULL);
    EXPECT_EQ(records::encodeNative(SYN_CI_STRING, nullptr, 100, out), ERR_NULL_POINTER);
    EXPECT_EQ(records::encodeNative(SYN_UNKNOWN, name, 100, out), ERR_BAD_SYNTAX);
}
