// The fault-injecting wrapper, resource counts through it, the client settings, and the
// table of result codes.
#include "client/ClientFactory.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "directory/ResultCodes.h"
#include "tests/support/FaultInjectingClient.h"

#include <cstdlib>
#include <gtest/gtest.h>

class Faults : public ::testing::Test {
protected:
    void SetUp() override {
        dir = EmbeddedDirectory::openDemo();
        ASSERT_NE(dir, nullptr);
        client = std::make_unique<FaultInjectingClient>(*dir);
    }
    NWDSCCODE list(Buf_T* buf) {
        std::int32_t it = NO_MORE_ITERATIONS;
        return client->NWDSList(context, "Acme", &it, buf);
    }
    std::unique_ptr<EmbeddedDirectory> dir;
    std::unique_ptr<FaultInjectingClient> client;
    NWDSContextHandle context = NO_CONTEXT;
};

TEST_F(Faults, TheNthCallFailsWithoutReachingTheClient) {
    ASSERT_EQ(client->NWDSCreateContextHandle(&context), 0);
    Buf_T* buf = nullptr;
    client->failCall("NWDSAllocBuf", 1, ERR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(client->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf), ERR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(buf, nullptr);
    EXPECT_EQ(client->outstandingResources().buffers, 0);
    ASSERT_EQ(client->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf), 0);
    EXPECT_EQ(client->outstandingResources(), (ClientResourceCounts{1, 1, 0, 0}));

    EXPECT_EQ(list(buf), 0);
    client->failCall("NWDSList", 2, ERR_NO_SUCH_ENTRY); // counted from now on
    EXPECT_EQ(list(buf), 0);
    EXPECT_EQ(list(buf), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(list(buf), 0);
    EXPECT_EQ(client->callCount("NWDSList"), 4);
    EXPECT_EQ(client->callCount("NWDSAllocBuf"), 2);
    EXPECT_EQ(client->callCount("NWDSRead"), 0);

    client->failFrom("NWDSGetObjectCount", 2, ERR_BUFFER_EMPTY);
    std::uint32_t count = 0;
    EXPECT_EQ(client->NWDSGetObjectCount(context, buf, &count), 0);
    EXPECT_EQ(client->NWDSGetObjectCount(context, buf, &count), ERR_BUFFER_EMPTY);
    EXPECT_EQ(client->NWDSGetObjectCount(context, buf, &count), ERR_BUFFER_EMPTY);
    client->clearFaults();
    EXPECT_EQ(client->NWDSGetObjectCount(context, buf, &count), 0);

    // A failed release leaves the resource with the client, and the counts show it.
    client->failCall("NWDSFreeBuf", 1, ERR_INVALID_BUFFER);
    EXPECT_EQ(client->NWDSFreeBuf(buf), ERR_INVALID_BUFFER);
    EXPECT_EQ(client->outstandingResources().buffers, 1);
    EXPECT_EQ(client->NWDSFreeBuf(buf), 0);
    EXPECT_EQ(client->NWDSFreeContext(context), 0);
    EXPECT_EQ(client->outstandingResources(), ClientResourceCounts{});
}

TEST_F(Faults, EveryOperationCanBeMadeToFail) {
    // Names as the pages report them; each goes through the wrapper's own counter.
    const char* const operations[] = {
        "NWCallsInit", "NWDSCreateContextHandle", "NWDSGetContext",     "NWDSSetContext",
        "NWDSWhoAmI",  "NWCCGetConnInfo",         "NWCCOpenConnByName", "NWScanObject"};
    for (const char* op : operations)
        client->failCall(op, 1, ERR_FATAL);
    EXPECT_EQ(client->NWCallsInit(nullptr, nullptr), ERR_FATAL);
    EXPECT_EQ(client->NWDSCreateContextHandle(&context), ERR_FATAL);
    ASSERT_EQ(client->NWDSCreateContextHandle(&context), 0);
    std::uint32_t flags = 0;
    EXPECT_EQ(client->NWDSGetContext(context, DCK_FLAGS, &flags, sizeof flags), ERR_FATAL);
    EXPECT_EQ(client->NWDSSetContext(context, DCK_FLAGS, &flags), ERR_FATAL);
    char text[MAX_DN_BYTES];
    EXPECT_EQ(client->NWDSWhoAmI(context, text, sizeof text), ERR_FATAL);
    EXPECT_EQ(client->NWDSWhoAmI(context, text, sizeof text), 0);
    EXPECT_STREQ(text, "Admin.Acme");
    NWCONN_HANDLE conn = 0;
    EXPECT_EQ(client->NWCCGetConnInfo(1, NWCC_INFO_SERVER_NAME, sizeof text, text), ERR_FATAL);
    EXPECT_EQ(client->NWCCOpenConnByName(0, "ACME_TREE", NWCC_NAME_FORMAT_NDS_TREE, 1, 0, &conn),
              ERR_FATAL);
    std::uint32_t id = BINDERY_SCAN_START;
    EXPECT_EQ(client->NWScanObject(1, "*", OT_TREE_NAME, &id, text, sizeof text), ERR_FATAL);
    for (const char* op : operations)
        EXPECT_GE(client->callCount(op), 1) << op;
    EXPECT_EQ(client->NWDSFreeContext(context), 0);
}

TEST(ClientFactory, SettingsChooseTheClientIdentityAndData) {
    std::string error;
    unsetenv("OSTREL_CLIENT");
    unsetenv("OSTREL_DATA");
    setenv("OSTREL_IDENTITY", "Guest.Acme", 1);
    auto client = createDirectoryClient(&error);
    ASSERT_NE(client, nullptr) << error;
    NWDSContextHandle c = NO_CONTEXT;
    ASSERT_EQ(client->NWDSCreateContextHandle(&c), 0);
    char me[MAX_DN_BYTES];
    ASSERT_EQ(client->NWDSWhoAmI(c, me, sizeof me), 0);
    EXPECT_STREQ(me, "Guest.Acme");
    client->NWDSFreeContext(c);

    setenv("OSTREL_IDENTITY", "Nobody.Acme", 1);
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    EXPECT_NE(error.find("Nobody.Acme"), std::string::npos);
    unsetenv("OSTREL_IDENTITY");
    setenv("OSTREL_DATA", "/nonexistent", 1);
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    EXPECT_NE(error.find("/nonexistent"), std::string::npos);
    unsetenv("OSTREL_DATA");
    setenv("OSTREL_CLIENT", "carrier-pigeon", 1);
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    unsetenv("OSTREL_CLIENT");
    EXPECT_NE(createDirectoryClient(nullptr), nullptr);
}

// An installed program hands the data folder beside it; OSTREL_DATA still wins, and without
// either the embedded directory opens the compiled-in one.
TEST(ClientFactory, TheDataFolderIsTheSettingThenTheProgramsThenTheCompiledIn) {
    std::string error;
    unsetenv("OSTREL_CLIENT");
    unsetenv("OSTREL_DATA");
    EXPECT_EQ(embeddedDataFolder(), EmbeddedDirectory::demoDataDir());
    EXPECT_EQ(embeddedDataFolder("/usr/share/ostrel/data"), "/usr/share/ostrel/data");
    EXPECT_EQ(directoryClientOpener({}, "/nonexistent/installed")(&error), nullptr);
    EXPECT_NE(error.find("/nonexistent/installed"), std::string::npos) << error;

    setenv("OSTREL_DATA", EmbeddedDirectory::demoDataDir().c_str(), 1);
    EXPECT_EQ(embeddedDataFolder("/nonexistent/installed"), EmbeddedDirectory::demoDataDir());
    EXPECT_NE(directoryClientOpener({}, "/nonexistent/installed")(&error), nullptr) << error;
    unsetenv("OSTREL_DATA");

    setenv("OSTREL_CLIENT", "ldap", 1);
    EXPECT_EQ(embeddedDataFolder("/usr/share/ostrel/data"), "");
    unsetenv("OSTREL_CLIENT");
}

TEST(ResultCodes, NamesAndMeanings) {
    const auto info = describeDirectoryError(ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(info.name, "ERR_NO_SUCH_ENTRY");
    EXPECT_FALSE(info.meaning.empty());
    EXPECT_EQ(describeDirectoryError(ERR_NO_ACCESS).name, "ERR_NO_ACCESS");
    EXPECT_TRUE(describeDirectoryError(-1).name.empty());
    EXPECT_TRUE(describeDirectoryError(0).name.empty());
}
