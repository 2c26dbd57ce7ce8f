// Listings handed over as the server sends them: the same objects in the same order however
// the pages and buffers fall, a listing left half way abandoned on the server, two listings
// on one connection, and a connection lost in the middle of a listing.
#include "LdapFixture.h"

#include <arpa/inet.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr std::size_t kBulk = 500; // the demo's Bulk.Acme

// The first buffer of a listing, its handle left for the caller to go on with.
NWDSCCODE listFirstBuffer(DirectoryClient& client, NWDSContextHandle ctx, const char* container,
                          std::int32_t& handle, std::vector<ListedItem>& out) {
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    handle = NO_MORE_ITERATIONS;
    NWDSCCODE rc = client.NWDSList(ctx, container, &handle, buf);
    std::uint32_t count = 0;
    if (rc == 0)
        client.NWDSGetObjectCount(ctx, buf, &count);
    for (std::uint32_t i = 0; i < count; ++i) {
        char name[MAX_DN_BYTES] = {};
        Object_Info_T info{};
        client.NWDSGetObjectName(ctx, buf, name, sizeof name, nullptr, &info);
        out.push_back({name, info.baseClass, (info.objectFlags & DS_CONTAINER_ENTRY) != 0});
    }
    client.NWDSFreeBuf(buf);
    return rc;
}

// Goes on with a listing from `handle` until its end or a failure.
NWDSCCODE listRest(DirectoryClient& client, NWDSContextHandle ctx, const char* container,
                   std::int32_t& handle, std::vector<ListedItem>& out) {
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    NWDSCCODE rc = 0;
    while (rc == 0 && handle != NO_MORE_ITERATIONS) {
        rc = client.NWDSList(ctx, container, &handle, buf);
        std::uint32_t count = 0;
        if (rc == 0)
            client.NWDSGetObjectCount(ctx, buf, &count);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            Object_Info_T info{};
            client.NWDSGetObjectName(ctx, buf, name, sizeof name, nullptr, &info);
            out.push_back({name, info.baseClass, (info.objectFlags & DS_CONTAINER_ENTRY) != 0});
        }
    }
    client.NWDSFreeBuf(buf);
    return rc;
}

// Cuts the reading half of this program's connections to `port`, as a failing network
// would: nothing more arrives on them. The number of connections cut.
int cutConnectionsTo(int port) {
    int cut = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        const int fd = std::atoi(entry.path().filename().c_str());
        sockaddr_in peer{};
        socklen_t length = sizeof peer;
        if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
            peer.sin_family == AF_INET && ntohs(peer.sin_port) == port &&
            shutdown(fd, SHUT_RD) == 0)
            ++cut;
    }
    return cut;
}

std::unique_ptr<LdapDirectory> openWithPages(const SlapdServer& server, int pageSize) {
    auto options = ldapOptionsFor(server);
    options.settings.pageSize = pageSize;
    std::string error;
    auto client = LdapDirectory::open(options, &error);
    EXPECT_NE(client, nullptr) << error;
    return client;
}

class LdapListingStream : public SharedSlapd<> {
protected:
    void SetUp() override { ASSERT_TRUE(server && server->running()); }
};

TEST_F(LdapListingStream, SmallPagesAndSmallBuffersGiveTheSameObjectsInTheSameOrder) {
    auto whole = openWithPages(*server, 1000);
    auto parts = openWithPages(*server, 7);
    ASSERT_TRUE(whole && parts);
    NWDSContextHandle wholeCtx = pageContext(*whole);
    NWDSContextHandle partsCtx = pageContext(*parts);

    std::vector<ListedItem> expected, listed;
    ASSERT_EQ(listAll(*whole, wholeCtx, "Bulk.Acme", expected), 0);
    Object_Info_T info{}; // the container's name looked up first
    ASSERT_EQ(parts->NWDSReadObjectInfo(partsCtx, "Bulk.Acme", nullptr, 0, &info), 0);
    readNamesOnce(*parts, partsCtx);
    const auto before = parts->roundTrips();
    int passes = 0;
    ASSERT_EQ(listAll(*parts, partsCtx, "Bulk.Acme", listed, &passes, 512), 0);
    EXPECT_EQ(expected.size(), kBulk);
    EXPECT_EQ(listed, expected);
    EXPECT_GT(passes, 10);
    // One request per page, each asked for as the one before ended.
    EXPECT_EQ(parts->roundTrips() - before, (kBulk + 6) / 7);
    EXPECT_EQ(parts->openSearches(), 0u);

    // The names reads that follow find their objects by what the pages brought: one request
    // each, no name looked up.
    const auto afterListing = parts->roundTrips();
    std::uint64_t reads = 0;
    for (std::size_t i = 0; i < listed.size(); i += 37, ++reads) {
        std::map<std::string, ReadItem> attrs;
        ASSERT_EQ(
            readAll(*parts, partsCtx, listed[i].name + ".Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs), 0);
        EXPECT_TRUE(attrs.count("Surname")) << listed[i].name;
    }
    EXPECT_EQ(parts->roundTrips() - afterListing, reads);

    // A container with nothing below it, and one that is not there.
    std::vector<ListedItem> none;
    EXPECT_EQ(listAll(*parts, partsCtx, "Admin.Acme", none), 0);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(listAll(*parts, partsCtx, "Nowhere.Acme", none), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(parts->openSearches(), 0u);

    whole->NWDSFreeContext(wholeCtx);
    parts->NWDSFreeContext(partsCtx);
    EXPECT_EQ(parts->outstandingResources(), ClientResourceCounts{});
}

// Cancelling a listing closes its iteration: the server's search is abandoned at once, the
// handle is spent, and the next listing is whole.
TEST_F(LdapListingStream, AClosedListingIsAbandonedOnTheServer) {
    auto client = openWithPages(*server, 50);
    ASSERT_TRUE(client);
    NWDSContextHandle ctx = pageContext(*client);
    std::vector<ListedItem> first;
    std::int32_t left = NO_MORE_ITERATIONS;
    ASSERT_EQ(listFirstBuffer(*client, ctx, "Bulk.Acme", left, first), 0);
    ASSERT_NE(left, NO_MORE_ITERATIONS);
    EXPECT_EQ(client->openSearches(), 1u);
    EXPECT_EQ(client->NWDSCloseIteration(ctx, left, DSV_LIST), 0);
    EXPECT_EQ(client->openSearches(), 0u);
    std::vector<ListedItem> rest;
    EXPECT_EQ(listRest(*client, ctx, "Bulk.Acme", left, rest), ERR_INVALID_ITERATION);
    EXPECT_EQ(client->NWDSCloseIteration(ctx, NO_MORE_ITERATIONS, DSV_LIST), 0);
    EXPECT_EQ(client->NWDSCloseIteration(ctx, 12345, DSV_LIST), ERR_INVALID_ITERATION);
    std::vector<ListedItem> again;
    ASSERT_EQ(listAll(*client, ctx, "Bulk.Acme", again), 0);
    EXPECT_EQ(again.size(), kBulk);
    client->NWDSFreeContext(ctx);
    EXPECT_EQ(client->outstandingResources(), ClientResourceCounts{});
}

TEST_F(LdapListingStream, AListingLeftHalfWayIsAbandonedAndTheNextOneIsComplete) {
    auto client = openWithPages(*server, 50);
    ASSERT_TRUE(client);
    NWDSContextHandle ctx = pageContext(*client);
    std::vector<ListedItem> first;
    std::int32_t left = NO_MORE_ITERATIONS;
    ASSERT_EQ(listFirstBuffer(*client, ctx, "Bulk.Acme", left, first), 0);
    ASSERT_NE(left, NO_MORE_ITERATIONS);
    ASSERT_LT(first.size(), kBulk);
    EXPECT_EQ(client->openSearches(), 1u);

    // A new listing in the context ends the one left there, on the server too.
    std::vector<ListedItem> again;
    ASSERT_EQ(listAll(*client, ctx, "Bulk.Acme", again), 0);
    EXPECT_EQ(again.size(), kBulk);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), again.begin()));
    EXPECT_EQ(client->openSearches(), 0u);
    std::vector<ListedItem> rest;
    EXPECT_EQ(listRest(*client, ctx, "Bulk.Acme", left, rest), ERR_INVALID_ITERATION);

    // Releasing the context ends a listing left in it.
    ASSERT_EQ(listFirstBuffer(*client, ctx, "Bulk.Acme", left, first), 0);
    EXPECT_EQ(client->openSearches(), 1u);
    client->NWDSFreeContext(ctx);
    EXPECT_EQ(client->openSearches(), 0u);
    // The connection is clean for what follows.
    ctx = pageContext(*client);
    again.clear();
    ASSERT_EQ(listAll(*client, ctx, "Bulk.Acme", again), 0);
    EXPECT_EQ(again.size(), kBulk);
    client->NWDSFreeContext(ctx);
    EXPECT_EQ(client->outstandingResources(), ClientResourceCounts{});

    // A client closed with a listing half way leaves nothing behind either (the leak
    // checker of the sanitized build watches the connection's buffers).
    ctx = pageContext(*client);
    ASSERT_EQ(listFirstBuffer(*client, ctx, "Bulk.Acme", left, first), 0);
    ASSERT_NE(left, NO_MORE_ITERATIONS);
    client.reset();
}

TEST_F(LdapListingStream, TwoListingsOnOneConnectionBothComplete) {
    auto client = openWithPages(*server, 50);
    ASSERT_TRUE(client);
    NWDSContextHandle a = pageContext(*client);
    NWDSContextHandle b = pageContext(*client);
    std::vector<ListedItem> fromA, fromB;
    std::int32_t handleA = NO_MORE_ITERATIONS;
    ASSERT_EQ(listFirstBuffer(*client, a, "Bulk.Acme", handleA, fromA), 0);
    ASSERT_NE(handleA, NO_MORE_ITERATIONS);
    // Another paged search on the connection (a listing elsewhere, and a name the client
    // has to look up) while the first is still arriving.
    ASSERT_EQ(listAll(*client, b, "Bulk.Acme", fromB), 0);
    Object_Info_T info{};
    EXPECT_EQ(client->NWDSReadObjectInfo(b, "Nobody.Sales.Acme", nullptr, 0, &info),
              ERR_NO_SUCH_ENTRY);
    ASSERT_EQ(listRest(*client, a, "Bulk.Acme", handleA, fromA), 0);
    EXPECT_EQ(fromA.size(), kBulk);
    EXPECT_EQ(fromA, fromB);
    EXPECT_EQ(client->openSearches(), 0u);
    client->NWDSFreeContext(a);
    client->NWDSFreeContext(b);
}

TEST_F(LdapListingStream, NamesReadsAfterAListingFollowTheWrites) {
    auto own = std::make_unique<SlapdServer>(); // this test removes an object
    ASSERT_TRUE(own->running()) << own->failure();
    auto client = openWithPages(*own, 1000);
    ASSERT_TRUE(client);
    NWDSContextHandle ctx = pageContext(*client);
    readNamesOnce(*client, ctx);
    std::vector<ListedItem> listed;
    ASSERT_EQ(listAll(*client, ctx, "Bulk.Acme", listed), 0);
    ASSERT_EQ(listed.size(), kBulk);
    std::map<std::string, ReadItem> attrs;
    const auto afterListing = client->roundTrips();
    ASSERT_EQ(readAll(*client, ctx, "User001.Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs), 0);
    EXPECT_TRUE(attrs.count("Surname"));
    EXPECT_EQ(client->roundTrips(), afterListing + 1);

    // A changed object is read with its change.
    Buf_T* change = nullptr;
    client->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &change);
    client->NWDSInitBuf(ctx, DSV_MODIFY_ENTRY, change);
    ASSERT_EQ(client->NWDSPutChange(ctx, change, DS_ADD_ATTRIBUTE, "Title"), 0);
    ASSERT_EQ(client->NWDSPutAttrVal(ctx, change, SYN_CI_STRING, "Chief"), 0);
    ASSERT_EQ(client->NWDSModifyObject(ctx, "User004.Bulk.Acme", nullptr, false, change), 0);
    client->NWDSFreeBuf(change);
    attrs.clear();
    ASSERT_EQ(readAll(*client, ctx, "User004.Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs), 0);
    EXPECT_TRUE(attrs.count("Title"));

    // A removed object is not read from what the listing brought.
    ASSERT_EQ(client->NWDSRemoveObject(ctx, "User002.Bulk.Acme"), 0);
    attrs.clear();
    EXPECT_EQ(readAll(*client, ctx, "User002.Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs),
              ERR_NO_SUCH_ENTRY);
    attrs.clear();
    EXPECT_EQ(readAll(*client, ctx, "User003.Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs), 0);
    client->NWDSFreeContext(ctx);
}

TEST_F(LdapListingStream, AConnectionLostHalfWayIsReportedByTheListingCallThatMeetsIt) {
    auto client = openWithPages(*server, 1); // each entry a page of its own
    ASSERT_TRUE(client);
    NWDSContextHandle ctx = pageContext(*client);
    std::vector<ListedItem> listed;
    std::int32_t handle = NO_MORE_ITERATIONS;
    ASSERT_EQ(listFirstBuffer(*client, ctx, "Bulk.Acme", handle, listed), 0);
    ASSERT_NE(handle, NO_MORE_ITERATIONS);
    ASSERT_EQ(cutConnectionsTo(server->port()), 1);

    // What had arrived is handed over; then the listing fails rather than end short.
    EXPECT_EQ(listRest(*client, ctx, "Bulk.Acme", handle, listed), ERR_UNREACHABLE_SERVER);
    EXPECT_LT(listed.size(), kBulk);
    EXPECT_LT(client->lastFailure().code, 0); // the library's own: the server is gone
    EXPECT_FALSE(client->lastFailure().text.empty());
    EXPECT_EQ(client->openSearches(), 0u);
    std::vector<ListedItem> rest;
    EXPECT_EQ(listRest(*client, ctx, "Bulk.Acme", handle, rest), ERR_INVALID_ITERATION);
    client->NWDSFreeContext(ctx);
    EXPECT_EQ(client->outstandingResources(), ClientResourceCounts{});
}

// Names reads that follow a listing, by the object's full name or by its own name relative to
// the name context, answer from what the listing brought only where the server would name the
// same object; otherwise they are the server's answer.
TEST_F(LdapListingStream, NamesReadsAfterAListingNameWhatTheServerWouldName) {
    // A container holding an object named as the top object is.
    const std::string ldif =
        std::filesystem::temp_directory_path() / ("ostrel-twins-" + std::to_string(getpid()));
    std::ofstream(ldif) << "dn: ou=Twins,o=Acme\nobjectClass: organizationalUnit\nou: Twins\n\n"
                           "dn: cn=Acme,ou=Twins,o=Acme\nobjectClass: inetOrgPerson\nsn: Twin\n\n"
                           "dn: cn=Solo,ou=Twins,o=Acme\nobjectClass: inetOrgPerson\nsn: Solo\n\n";
    SlapdServer::Options options;
    options.extraLdif = {"ACME_TREE=" + ldif};
    auto own = std::make_unique<SlapdServer>(options); // this test renames a container
    std::filesystem::remove(ldif);
    ASSERT_TRUE(own->running()) << own->failure();
    auto client = openWithPages(*own, 1000);
    auto fresh = openWithPages(*own, 1000); // lists nothing: every read goes to the server
    ASSERT_TRUE(client && fresh);
    NWDSContextHandle ctx = pageContext(*client, "ACME_TREE", "Twins.Acme");
    NWDSContextHandle direct = pageContext(*fresh);
    readNamesOnce(*client, ctx);
    std::vector<ListedItem> listed;
    ASSERT_EQ(listAll(*client, ctx, "Twins.Acme", listed), 0);
    ASSERT_EQ(listed.size(), 2u);
    std::map<std::string, ReadItem> got, want;
    const auto afterListing = client->roundTrips();

    // By own name: found by the listing, the read its one request.
    ASSERT_EQ(readAll(*client, ctx, "Solo", DS_ATTRIBUTE_NAMES, got), 0);
    ASSERT_EQ(readAll(*fresh, direct, "Solo.Twins.Acme", DS_ATTRIBUTE_NAMES, want), 0);
    EXPECT_EQ(got, want);
    EXPECT_TRUE(got.count("Surname"));
    EXPECT_EQ(client->roundTrips(), afterListing + 1);

    // Tried from [Root] first, "Acme" is the top object, not the listed one of that name.
    got.clear();
    want.clear();
    ASSERT_EQ(readAll(*client, ctx, "Acme", DS_ATTRIBUTE_NAMES, got), 0);
    ASSERT_EQ(readAll(*fresh, direct, "Acme", DS_ATTRIBUTE_NAMES, want), 0);
    EXPECT_EQ(got, want);
    EXPECT_FALSE(got.count("Surname"));
    // Relative names first: the listed one.
    std::uint32_t flags = 0;
    client->NWDSGetContext(ctx, DCK_FLAGS, &flags, sizeof flags);
    flags |= DCV_CANONICALIZE_NAMES;
    client->NWDSSetContext(ctx, DCK_FLAGS, &flags);
    listed.clear();
    ASSERT_EQ(listAll(*client, ctx, "Twins.Acme", listed), 0);
    got.clear();
    want.clear();
    ASSERT_EQ(readAll(*client, ctx, "Acme", DS_ATTRIBUTE_NAMES, got), 0);
    ASSERT_EQ(readAll(*fresh, direct, "Acme.Twins.Acme", DS_ATTRIBUTE_NAMES, want), 0);
    EXPECT_EQ(got, want);
    EXPECT_TRUE(got.count("Surname"));

    // A name context other than the listed container: own names are not the listed objects.
    NWDSContextHandle elsewhere = pageContext(*client, "ACME_TREE", "Sales.Acme");
    listed.clear();
    ASSERT_EQ(listAll(*client, elsewhere, "Twins.Acme", listed), 0);
    got.clear();
    EXPECT_EQ(readAll(*client, elsewhere, "Solo", DS_ATTRIBUTE_NAMES, got), ERR_NO_SUCH_ENTRY);

    // Once the container is renamed, neither name reaches its objects.
    listed.clear();
    ASSERT_EQ(listAll(*client, ctx, "Twins.Acme", listed), 0);
    got.clear();
    const auto afterRelisting = client->roundTrips();
    ASSERT_EQ(readAll(*client, ctx, "Solo.Twins.Acme", DS_ATTRIBUTE_NAMES, got), 0);
    EXPECT_EQ(client->roundTrips(), afterRelisting + 1);
    ASSERT_EQ(client->NWDSModifyRDN(elsewhere, "Twins.Acme", "Pairs", true), 0);
    got.clear();
    EXPECT_EQ(readAll(*client, ctx, "Solo.Twins.Acme", DS_ATTRIBUTE_NAMES, got), ERR_NO_SUCH_ENTRY);
    got.clear();
    EXPECT_EQ(readAll(*client, ctx, "Solo", DS_ATTRIBUTE_NAMES, got), ERR_NO_SUCH_ENTRY);
    got.clear();
    EXPECT_EQ(readAll(*client, elsewhere, "Solo.Pairs.Acme", DS_ATTRIBUTE_NAMES, got), 0);
    client->NWDSFreeContext(ctx);
    client->NWDSFreeContext(elsewhere);
    fresh->NWDSFreeContext(direct);
}

} // namespace
