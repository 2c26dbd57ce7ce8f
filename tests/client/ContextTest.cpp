// Contexts, connections, the tree scan, and arguments the client must refuse.
#include "DemoFixture.h"

#include <cstring>

TEST_F(DemoDirectory, NewContextsStartFromTheClientsDefaults) {
    NWDSContextHandle c = NO_CONTEXT;
    ASSERT_EQ(dir->NWDSCreateContextHandle(&c), 0);
    std::uint32_t flags = 0, conn = 0;
    char text[MAX_DN_BYTES];
    ASSERT_EQ(dir->NWDSGetContext(c, DCK_FLAGS, &flags, sizeof flags), 0);
    EXPECT_EQ(flags, 0x0013u);
    ASSERT_EQ(dir->NWDSGetContext(c, DCK_NAME_CONTEXT, text, sizeof text), 0);
    EXPECT_STREQ(text, "Acme");
    ASSERT_EQ(dir->NWDSGetContext(c, DCK_TREE_NAME, text, sizeof text), 0);
    EXPECT_STREQ(text, "ACME_TREE");
    ASSERT_EQ(dir->NWDSGetContext(c, DCK_LAST_CONNECTION, &conn, sizeof conn), 0);
    char server[CONN_INFO_SERVER_NAME_BYTES];
    ASSERT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof server, server), 0);
    EXPECT_STREQ(server, "ACME-FS1");

    // A new default name context applies to contexts created after it.
    ASSERT_EQ(dir->NWDSSetDefNameContext(c, 10, "Sales.AcmeIGNORED"), 0);
    ASSERT_EQ(dir->NWDSGetContext(c, DCK_NAME_CONTEXT, text, sizeof text), 0);
    EXPECT_STREQ(text, "Acme");
    NWDSContextHandle later = NO_CONTEXT;
    ASSERT_EQ(dir->NWDSCreateContextHandle(&later), 0);
    ASSERT_EQ(dir->NWDSGetContext(later, DCK_NAME_CONTEXT, text, sizeof text), 0);
    EXPECT_STREQ(text, "Sales.Acme");
    EXPECT_EQ(dir->NWDSSetDefNameContext(c, 11, "Sales..Acme"), ERR_INVALID_OBJECT_NAME);

    EXPECT_EQ(dir->outstandingResources().contexts, 3);
    EXPECT_EQ(dir->outstandingResources().connections, 0); // a context's own connection
    dir->NWDSFreeContext(c);
    dir->NWDSFreeContext(later);
    EXPECT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof server, server),
              ERR_NO_SUCH_CONNECTION);
}

TEST_F(DemoDirectory, ContextKeysAreCheckedAndTheTreeKeyMovesTheConnection) {
    char text[MAX_DN_BYTES];
    std::uint32_t conn = 0;
    EXPECT_EQ(dir->NWDSSetContext(context, DCK_TREE_NAME, "NO_SUCH_TREE"), ERR_NO_SUCH_TREE);
    EXPECT_EQ(dir->NWDSGetContext(context, 99, text, sizeof text), ERR_BAD_KEY);
    EXPECT_EQ(dir->NWDSSetContext(context, 99, text), ERR_BAD_KEY);
    EXPECT_EQ(dir->NWDSGetContext(context, DCK_TREE_NAME, text, 9), ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(dir->NWDSGetContext(context, DCK_FLAGS, &conn, 2), ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(dir->NWDSGetContext(context, DCK_FLAGS, nullptr, 4), ERR_NULL_POINTER);
    const std::uint32_t bogus = 0xBADu;
    EXPECT_EQ(dir->NWDSSetContext(context, DCK_LAST_CONNECTION, &bogus), ERR_NO_SUCH_CONNECTION);
    EXPECT_EQ(dir->NWDSSetContext(context, DCK_NAME_CONTEXT, "A..B"), ERR_INVALID_OBJECT_NAME);

    ASSERT_EQ(dir->NWDSSetContext(context, DCK_TREE_NAME, "TEST_TREE"), 0);
    ASSERT_EQ(dir->NWDSGetContext(context, DCK_LAST_CONNECTION, &conn, sizeof conn), 0);
    char server[CONN_INFO_SERVER_NAME_BYTES];
    ASSERT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof server, server), 0);
    EXPECT_STREQ(server, "TEST-FS1");
    EXPECT_EQ(listAll("[Root]"), (std::vector<std::string>{"Test"}));
    std::vector<ReadAttribute> attrs;
    EXPECT_EQ(read("Tester.Test", attrs, DS_ATTRIBUTE_VALUES, {"Telephone Number"}), 0);
    EXPECT_EQ(read("Demo.Sales.Acme", attrs), ERR_NO_SUCH_ENTRY);

    // The browser's way: open a connection to the tree, then write keys 11 and 8.
    NWCONN_HANDLE opened = 0;
    ASSERT_EQ(dir->NWCCOpenConnByName(0, "ACME_TREE", NWCC_NAME_FORMAT_NDS_TREE, NWCC_OPEN_LICENSED,
                                      NWCC_TRAN_TYPE_WILD, &opened),
              0);
    ASSERT_EQ(dir->NWDSSetContext(context, DCK_TREE_NAME, "ACME_TREE"), 0);
    ASSERT_EQ(dir->NWDSSetContext(context, DCK_LAST_CONNECTION, &opened), 0);
    ASSERT_EQ(dir->NWDSGetContext(context, DCK_LAST_CONNECTION, &conn, sizeof conn), 0);
    EXPECT_EQ(conn, opened);
    EXPECT_EQ(listAll("[Root]").size(), 2u);
    EXPECT_EQ(dir->NWCCCloseConn(opened), 0);
    ASSERT_EQ(dir->NWDSGetContext(context, DCK_LAST_CONNECTION, &conn, sizeof conn), 0);
    EXPECT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof server, server), 0);
}

TEST_F(DemoDirectory, TreeScanListsEveryAdvertisedTreePadded) {
    NWCCConnRef ref = 0;
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(dir->NWCCGetPrimConnRef(&ref), 0);
    ASSERT_EQ(dir->NWCCOpenConnByRef(ref, NWCC_OPEN_LICENSED, 0, &conn), 0);
    EXPECT_EQ(dir->outstandingResources().connections, 1);
    std::uint32_t id = BINDERY_SCAN_START;
    std::vector<std::string> trees;
    char name[MAX_BINDERY_NAME_BYTES];
    NWDSCCODE rc;
    while ((rc = dir->NWScanObject(conn, "*", OT_TREE_NAME, &id, name, sizeof name)) == 0)
        trees.push_back(name);
    EXPECT_EQ(rc, ERR_NO_MORE_ENTRIES);
    ASSERT_EQ(trees.size(), 3u);
    const std::string acme = "ACME_TREE" + std::string(23, '_');
    EXPECT_EQ(trees[0], acme);
    EXPECT_EQ(trees[1], acme); // advertised by a second server
    EXPECT_EQ(trees[2], "TEST_TREE" + std::string(23, '_'));

    id = BINDERY_SCAN_START;
    ASSERT_EQ(dir->NWScanObject(conn, "TEST*", OT_TREE_NAME, &id, name, sizeof name), 0);
    EXPECT_EQ(std::string(name).substr(0, 9), "TEST_TREE");
    id = BINDERY_SCAN_START;
    EXPECT_EQ(dir->NWScanObject(conn, "*", OT_TREE_NAME, &id, name, 32), ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(dir->NWScanObject(conn + 1000, "*", OT_TREE_NAME, &id, name, sizeof name),
              ERR_NO_SUCH_CONNECTION);
    EXPECT_EQ(dir->NWCCCloseConn(conn), 0);
    EXPECT_EQ(dir->NWCCCloseConn(conn), ERR_NO_SUCH_CONNECTION);
    EXPECT_EQ(dir->NWCCOpenConnByRef(ref + 7, NWCC_OPEN_LICENSED, 0, &conn),
              ERR_NO_SUCH_CONNECTION);
}

TEST_F(DemoDirectory, ConnectionsByTreeName) {
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(dir->NWCCOpenConnByName(0, "test_tree", NWCC_NAME_FORMAT_NDS_TREE, NWCC_OPEN_LICENSED,
                                      NWCC_TRAN_TYPE_WILD, &conn),
              0);
    char server[CONN_INFO_SERVER_NAME_BYTES];
    ASSERT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof server, server), 0);
    EXPECT_STREQ(server, "TEST-FS1");
    EXPECT_EQ(dir->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, 8, server),
              ERR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(dir->NWCCGetConnInfo(conn, 3, sizeof server, server), ERR_NOT_SUPPORTED);
    EXPECT_EQ(dir->NWCCOpenConnByName(0, "NOWHERE", NWCC_NAME_FORMAT_NDS_TREE, NWCC_OPEN_LICENSED,
                                      NWCC_TRAN_TYPE_WILD, &conn + 0),
              ERR_NO_SUCH_TREE);
    EXPECT_EQ(dir->NWCCCloseConn(conn), 0);
    EXPECT_EQ(dir->outstandingResources().connections, 0);
}

TEST_F(DemoDirectory, ReleasedOrMadeUpHandlesAreAnsweredWithCodes) {
    NWDSContextHandle gone = NO_CONTEXT;
    ASSERT_EQ(dir->NWDSCreateContextHandle(&gone), 0);
    ASSERT_EQ(dir->NWDSFreeContext(gone), 0);
    Buffer buf(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    std::uint32_t word = 0;
    char text[MAX_DN_BYTES];
    for (NWDSContextHandle c : {gone, NWDSContextHandle(0), NWDSContextHandle(777)}) {
        EXPECT_EQ(dir->NWDSFreeContext(c), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSGetContext(c, DCK_FLAGS, &word, sizeof word), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSWhoAmI(c, text, sizeof text), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSInitBuf(c, DSV_READ, buf), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSList(c, "Acme", &it, buf), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSRead(c, "Acme", 0, true, nullptr, &it, buf), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSReadClassDef(c, 1, true, nullptr, &it, buf), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSGetSyntaxID(c, "CN", &word), ERR_BAD_CONTEXT);
        EXPECT_EQ(dir->NWDSGetObjectCount(c, buf, &word), ERR_BAD_CONTEXT);
    }

    Buf_T* freed = nullptr;
    ASSERT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &freed), 0);
    ASSERT_EQ(dir->NWDSFreeBuf(freed), 0);
    Buf_T* never = reinterpret_cast<Buf_T*>(&word);
    for (Buf_T* b : {freed, never}) {
        EXPECT_EQ(dir->NWDSFreeBuf(b), ERR_INVALID_BUFFER);
        EXPECT_EQ(dir->NWDSList(context, "Acme", &it, b), ERR_INVALID_BUFFER);
        EXPECT_EQ(dir->NWDSGetAttrCount(context, b, &word), ERR_INVALID_BUFFER);
        EXPECT_EQ(dir->NWDSPutAttrName(context, b, "CN"), ERR_INVALID_BUFFER);
    }
    // A buffer handed out again after its release holds nothing of its last reply.
    Buf_T* listed = nullptr;
    ASSERT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &listed), 0);
    it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSList(context, "Acme", &it, listed), 0);
    ASSERT_EQ(dir->NWDSFreeBuf(listed), 0);
    Buf_T* again = nullptr;
    ASSERT_EQ(dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &again), 0);
    EXPECT_EQ(dir->NWDSGetObjectCount(context, again, &word), ERR_BUFFER_EMPTY);
    EXPECT_EQ(dir->NWDSFreeBuf(again), 0);
    it = NO_MORE_ITERATIONS;
    EXPECT_EQ(dir->NWDSList(context, "Acme", &it, nullptr), ERR_NULL_POINTER);
    EXPECT_EQ(dir->NWDSList(context, "Acme", nullptr, buf), ERR_NULL_POINTER);

    // Iteration handles: never issued, or issued for another read or another context.
    it = 12345;
    EXPECT_EQ(dir->NWDSList(context, "Bulk.Acme", &it, buf), ERR_INVALID_ITERATION);
    it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSList(context, "Bulk.Acme", &it, buf), 0);
    ASSERT_NE(it, NO_MORE_ITERATIONS);
    std::int32_t listing = it;
    EXPECT_EQ(dir->NWDSRead(context, "Acme", 0, true, nullptr, &listing, buf),
              ERR_INVALID_ITERATION);
    NWDSContextHandle other = pageContext();
    listing = it;
    EXPECT_EQ(dir->NWDSList(other, "Bulk.Acme", &listing, buf), ERR_INVALID_ITERATION);
    dir->NWDSFreeContext(other);
    listing = it;
    EXPECT_EQ(dir->NWDSList(context, "Bulk.Acme", &listing, buf), 0); // still good here
}

TEST_F(DemoDirectory, MalformedNamesAreRefused) {
    const std::string tooLong(MAX_DN_CHARS + 1, 'a');
    const std::string longComponent = std::string(MAX_RDN_CHARS + 1, 'b') + ".Acme";
    struct Case {
        const char* name;
        NWDSCCODE code;
    };
    const Case cases[] = {
        {"Sales..Acme", ERR_INVALID_OBJECT_NAME},   {"", ERR_INVALID_OBJECT_NAME},
        {"Sales.Acme.", ERR_INVALID_OBJECT_NAME},   {"CN=.Acme", ERR_INVALID_OBJECT_NAME},
        {"Trailing\\", ERR_INVALID_OBJECT_NAME},    {tooLong.c_str(), ERR_NAME_TOO_LONG},
        {longComponent.c_str(), ERR_NAME_TOO_LONG}, {nullptr, ERR_NULL_POINTER},
        {"Nobody.Acme", ERR_NO_SUCH_ENTRY},
    };
    Buffer buf(*dir);
    for (const auto& c : cases) {
        const std::string shown = c.name == nullptr ? "(null)" : c.name;
        std::int32_t it = NO_MORE_ITERATIONS;
        EXPECT_EQ(dir->NWDSList(context, c.name, &it, buf), c.code) << shown;
        it = NO_MORE_ITERATIONS;
        EXPECT_EQ(dir->NWDSRead(context, c.name, 1, true, nullptr, &it, buf), c.code) << shown;
        Object_Info_T info{};
        EXPECT_EQ(dir->NWDSReadObjectInfo(context, c.name, nullptr, 0, &info), c.code) << shown;
    }
    const std::string longAttr(MAX_SCHEMA_NAME_CHARS + 1, 'x');
    std::uint32_t id = 0;
    EXPECT_EQ(dir->NWDSGetSyntaxID(context, longAttr.c_str(), &id), ERR_NAME_TOO_LONG);
    EXPECT_EQ(dir->NWDSGetSyntaxID(context, "", &id), ERR_INVALID_REQUEST);
    NWCONN_HANDLE conn = 0;
    EXPECT_EQ(dir->NWCCOpenConnByName(0, tooLong.c_str(), NWCC_NAME_FORMAT_NDS_TREE, 1, 0, &conn),
              ERR_NAME_TOO_LONG);
    EXPECT_EQ(dir->NWDSSetContext(context, DCK_TREE_NAME, longComponent.c_str()),
              ERR_NAME_TOO_LONG);
}

TEST_F(DemoDirectory, AbandonedReadsAreForgottenOldestFirst) {
    Buffer buf(*dir);
    std::vector<std::int32_t> handles;
    for (std::size_t i = 0; i <= IterationTable<int>::kMaxPending; ++i) {
        std::int32_t it = NO_MORE_ITERATIONS;
        ASSERT_EQ(dir->NWDSList(context, "Bulk.Acme", &it, buf), 0);
        ASSERT_GT(it, 0);
        handles.push_back(it);
    }
    std::int32_t oldest = handles.front(), newest = handles.back();
    EXPECT_EQ(dir->NWDSList(context, "Bulk.Acme", &oldest, buf), ERR_INVALID_ITERATION);
    EXPECT_EQ(dir->NWDSList(context, "Bulk.Acme", &newest, buf), 0);
    // Releasing the context forgets its reads at once.
    NWDSContextHandle other = pageContext();
    std::int32_t it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSList(other, "Bulk.Acme", &it, buf), 0);
    ASSERT_EQ(dir->NWDSFreeContext(other), 0);
    EXPECT_EQ(dir->NWDSList(other, "Bulk.Acme", &it, buf), ERR_BAD_CONTEXT);
}
