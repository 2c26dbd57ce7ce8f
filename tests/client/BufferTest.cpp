// Request and reply buffers: what each put and get accepts, and what it refuses.
#include "DemoFixture.h"

#include <cstring>

TEST_F(DemoDirectory, BuffersAreAllocatedOnlyWithSensibleSizes) {
    Buf_T* b = nullptr;
    EXPECT_EQ(dir->NWDSAllocBuf(0, &b), ERR_BUFFER_ZERO_LENGTH);
    EXPECT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN + 1, &b), ERR_INVALID_REQUEST);
    EXPECT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, nullptr), ERR_NULL_POINTER);
    EXPECT_EQ(dir->outstandingResources().buffers, 0);
    ASSERT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &b), 0);
    EXPECT_EQ(dir->outstandingResources().buffers, 1);
    EXPECT_EQ(dir->NWDSFreeBuf(b), 0);
    EXPECT_EQ(dir->NWDSFreeBuf(nullptr), ERR_NULL_POINTER);
}

TEST_F(DemoDirectory, APutIntoAFullRequestFailsAndLeavesTheRequestWhole) {
    Buffer request(*dir), result(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, request), 0);
    int puts = 0;
    NWDSCCODE rc = 0;
    while ((rc = dir->NWDSPutAttrName(context, request, "Telephone Number")) == 0)
        ++puts;
    EXPECT_EQ(rc, ERR_BUFFER_FULL);
    EXPECT_EQ(puts, int((DEFAULT_MESSAGE_LEN - 4) / (4 + std::strlen("Telephone Number"))));
    EXPECT_EQ(dir->NWDSPutAttrName(context, request, "Telephone Number"), ERR_BUFFER_FULL);
    std::int32_t it = NO_MORE_ITERATIONS;
    ASSERT_EQ(
        dir->NWDSRead(context, "Demo.Sales.Acme", DS_ATTRIBUTE_VALUES, false, request, &it, result),
        0);
    std::uint32_t count = 0;
    ASSERT_EQ(dir->NWDSGetAttrCount(context, result, &count), 0);
    EXPECT_EQ(count, 1u); // the same name asked for many times is read once

    Buffer tiny(*dir, 64);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, tiny), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, tiny, "Description"), 0);
    const std::string longText(100, 'x');
    EXPECT_EQ(dir->NWDSPutAttrVal(context, tiny, SYN_CI_STRING, longText.c_str()), ERR_BUFFER_FULL);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, tiny, SYN_CI_STRING, "short"), 0);
}

TEST_F(DemoDirectory, EachPutChecksWhatTheBufferWasPreparedFor) {
    Buffer b(*dir);
    EXPECT_EQ(dir->NWDSPutAttrName(context, b, "CN"), ERR_BAD_VERB); // not prepared
    EXPECT_EQ(dir->NWDSInitBuf(context, 4, b), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSInitBuf(context, DSV_READ, nullptr), ERR_NULL_POINTER);

    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, b), 0);
    EXPECT_EQ(dir->NWDSPutClassItem(context, b, "User"), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSPutChange(context, b, DS_ADD_VALUE, "CN"), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, "x"), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSBeginClassItem(context, b), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSPutAttrName(context, b, std::string(33, 'n').c_str()), ERR_NAME_TOO_LONG);
    EXPECT_EQ(dir->NWDSPutAttrName(context, b, nullptr), ERR_NULL_POINTER);

    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, b), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, "x"), ERR_ATTR_TYPE_EXPECTED);
    ASSERT_EQ(dir->NWDSPutAttrName(context, b, "Surname"), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_UNKNOWN, "x"), ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, 99, "x"), ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, nullptr), ERR_NULL_POINTER);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, "Doe"), 0);

    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_MODIFY_ENTRY, b), 0);
    EXPECT_EQ(dir->NWDSPutChange(context, b, 6, "CN"), ERR_INVALID_REQUEST);
    ASSERT_EQ(dir->NWDSPutChange(context, b, DS_REMOVE_ATTRIBUTE, "Title"), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, "x"), ERR_ATTR_TYPE_EXPECTED);
    ASSERT_EQ(dir->NWDSPutChange(context, b, DS_ADD_VALUE, "Title"), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_CI_STRING, "Chief"), 0);

    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_DEFINE_CLASS, b), 0);
    EXPECT_EQ(dir->NWDSPutClassItem(context, b, "Top"), ERR_INVALID_REQUEST);
    for (int list = 0; list < 5; ++list)
        ASSERT_EQ(dir->NWDSBeginClassItem(context, b), 0);
    EXPECT_EQ(dir->NWDSBeginClassItem(context, b), ERR_INVALID_REQUEST);
    EXPECT_EQ(dir->NWDSPutClassItem(context, b, "Description"), 0);

    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ_CLASS_DEF, b), 0);
    EXPECT_EQ(dir->NWDSPutAttrName(context, b, "CN"), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSPutClassItem(context, b, "User"), 0);
    // A read given a request prepared for another operation refuses it.
    Buffer result(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    EXPECT_EQ(dir->NWDSRead(context, "Acme", 1, false, b, &it, result), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSReadAttrDef(context, 1, false, b, &it, result), ERR_BAD_VERB);
}

TEST_F(DemoDirectory, ValuesOfEverySyntaxCanBePut) {
    Buffer b(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, b), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, b, "Anything"), 0);
    std::uint8_t bytes[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    char server[] = "ACME-FS1.Acme", prot[] = "[Entry Rights]", subject[] = "Admin.Acme";
    char line[] = "line";
    const std::uint8_t yes = 1;
    const std::uint32_t number = 42;
    CI_List_T second{nullptr, line}, first{&second, line};
    Octet_String_T octets{12, bytes};
    Fax_Number_T fax{line, {0, nullptr}};
    Net_Address_T net{0, 12, bytes};
    Octet_List_T ol2{nullptr, 2, bytes}, ol1{&ol2, 3, bytes};
    EMail_Address_T mail{0, line};
    Path_T path{0, server, line};
    alignas(Replica_Pointer_T) unsigned char replica[replicaPointerRecordSize(2)] = {};
    auto* rp = reinterpret_cast<Replica_Pointer_T*>(replica);
    rp->serverName = server;
    rp->count = 2;
    rp->replicaAddressHint[0] = net;
    reinterpret_cast<Net_Address_T*>(replica + offsetof(Replica_Pointer_T, replicaAddressHint))[1] =
        net;
    Object_ACL_T acl{prot, subject, 0x1F};
    PO_Address_T postal{{line, line, line, nullptr, nullptr, nullptr}};
    NWDS_TimeStamp_T stamp{1, -1};
    Back_Link_T link{7, server};
    Typed_Name_T typed{server, 1, 2};
    Hold_T hold{server, 3};
    const void* records[] = {nullptr, "Admin.Acme", "Exact", "Ignore", "Printable", "123",
                             &first,  &yes,         &number, &octets,  "+1 555",    &fax,
                             &net,    &ol1,         &mail,   &path,    replica,     &acl,
                             &postal, &stamp,       "User",  nullptr,  &number,     &link,
                             &number, &typed,       &hold,   &number};
    for (std::uint32_t s = SYN_DIST_NAME; s <= SYN_INTERVAL; ++s) {
        if (s == SYN_STREAM) // stream content goes through NWDSOpenStream, not a buffer
            EXPECT_EQ(dir->NWDSPutAttrVal(context, b, s, &number), ERR_SYNTAX_VIOLATION);
        else
            EXPECT_EQ(dir->NWDSPutAttrVal(context, b, s, records[s]), 0) << "syntax " << s;
    }
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, 31, &octets), 0); // a vendor syntax
    Object_ACL_T broken{nullptr, subject, 1};
    EXPECT_EQ(dir->NWDSPutAttrVal(context, b, SYN_OBJECT_ACL, &broken), ERR_NULL_POINTER);
}

TEST_F(DemoDirectory, EachGetChecksTheReplyAndItsCursor) {
    Buffer b(*dir);
    std::uint32_t count = 0, values = 0, syntax = 0, size = 0;
    char name[MAX_DN_BYTES];
    EXPECT_EQ(dir->NWDSGetObjectCount(context, b, &count), ERR_BUFFER_EMPTY); // nothing yet
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, b), 0);
    EXPECT_EQ(dir->NWDSGetAttrCount(context, b, &count), ERR_BAD_VERB); // a request

    std::int32_t it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSList(context, "Sales.Acme", &it, b), 0);
    EXPECT_EQ(dir->NWDSGetClassDefCount(context, b, &count), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax),
              ERR_BUFFER_EMPTY); // a listed object has no attributes
    EXPECT_EQ(dir->NWDSGetObjectCount(context, b, nullptr), ERR_NULL_POINTER);
    char small[4];
    EXPECT_EQ(dir->NWDSGetObjectName(context, b, small, sizeof small, nullptr, nullptr),
              ERR_INSUFFICIENT_BUFFER);
    ASSERT_EQ(dir->NWDSGetObjectName(context, b, name, sizeof name, nullptr, nullptr), 0);
    EXPECT_STREQ(name, "Jane"); // the failed get did not move on

    it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSRead(context, "Demo.Sales.Acme", 1, true, nullptr, &it, b), 0);
    EXPECT_EQ(dir->NWDSComputeAttrValSize(context, b, SYN_CLASS_NAME, &size), ERR_BUFFER_EMPTY);
    ASSERT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax), 0);
    EXPECT_STREQ(name, "Object Class");
    EXPECT_EQ(dir->NWDSComputeAttrValSize(context, b, SYN_CI_STRING, &size), ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSGetAttrVal(context, b, syntax, nullptr, 100), ERR_NULL_POINTER);
    // Values not taken are skipped by the next attribute name.
    ASSERT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax), 0);
    EXPECT_STREQ(name, "CN");
    ASSERT_EQ(dir->NWDSComputeAttrValSize(context, b, syntax, &size), 0);
    EXPECT_EQ(size, 5u);
    char cn[5];
    ASSERT_EQ(dir->NWDSGetAttrVal(context, b, syntax, cn, sizeof cn), 0);
    EXPECT_STREQ(cn, "Demo");
    EXPECT_EQ(dir->NWDSGetAttrVal(context, b, syntax, cn, sizeof cn), ERR_BUFFER_EMPTY);
    // Asking for the count again starts over.
    ASSERT_EQ(dir->NWDSGetAttrCount(context, b, &count), 0);
    ASSERT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax), 0);
    EXPECT_STREQ(name, "Object Class");
    for (std::uint32_t i = 1; i < count; ++i)
        ASSERT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax), 0);
    EXPECT_EQ(dir->NWDSGetAttrName(context, b, name, sizeof name, &values, &syntax),
              ERR_BUFFER_EMPTY);
}

TEST_F(DemoDirectory, FilterCursorsAreCountedAndPutIntoAFilterBuffer) {
    Filter_Cursor_T* cursor = nullptr;
    ASSERT_EQ(dir->NWDSAllocFilter(&cursor), 0);
    EXPECT_EQ(dir->outstandingResources().filters, 1);
    char attr[] = "Title", value[] = "Manager";
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_ANAME, attr, SYN_CI_STRING), 0);
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_EQ, nullptr, 0), 0);
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_AVAL, value, SYN_CI_STRING), 0);
    EXPECT_EQ(dir->NWDSAddFilterToken(cursor, 42, nullptr, 0), ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_AVAL, value, 0), ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_ANAME, nullptr, 0), ERR_NULL_POINTER);

    Buffer filter(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_SEARCH_FILTER, filter), 0);
    EXPECT_EQ(dir->NWDSPutFilter(context, filter, cursor, nullptr), ERR_FILTER_TREE_EMPTY);
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), 0);
    static int released = 0;
    released = 0;
    ASSERT_EQ(dir->NWDSPutFilter(context, filter, cursor, [](std::uint32_t, void*) { ++released; }),
              0);
    EXPECT_EQ(released, 2); // the attribute name and the value
    EXPECT_EQ(dir->outstandingResources().filters, 0);
    EXPECT_EQ(dir->NWDSFreeFilter(cursor, nullptr), ERR_INVALID_HANDLE);
    EXPECT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), ERR_INVALID_HANDLE);

    ASSERT_EQ(dir->NWDSAllocFilter(&cursor), 0);
    EXPECT_EQ(dir->NWDSFreeFilter(cursor, nullptr), 0);
    EXPECT_EQ(dir->outstandingResources().filters, 0);
}
