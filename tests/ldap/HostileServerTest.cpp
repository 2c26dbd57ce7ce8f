// The LDAP client against a server that misbehaves in every way the table names: a listing of
// o=Acme (or the opening before it) ends with the expected code and message, hands over what
// arrived before the trouble, holds bounded memory, ends in bounded time, abandons what it
// stops early and leaves no connection, descriptor or search behind.
#include "HostileServer.h"

#include "LdapFixture.h"
#include "ProcessGauges.h"

#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using hostile::Behaviour;

// The client's limits for these tests: small, so that every row ends in seconds.
constexpr int kPageSize = 100;
constexpr int kWaitSeconds = 2;
constexpr int kOperationSeconds = 4;
constexpr std::size_t kMaxEntries = 3000;
// Bounds on one row as a whole (opening, listing, closing).
constexpr double kRowSeconds = kOperationSeconds + kWaitSeconds + 2;
constexpr std::size_t kMemoryGrowth = 100u << 20;
// A listing still going after this is abandoned by the test itself.
constexpr double kGiveUpSeconds = kRowSeconds + 2;

// ---- Calls of the client that may not be there yet: with them missing, the rows that need
// ---- them fail rather than the build.

template <class Settings> void setLimits(Settings& s) {
    s.pageSize = kPageSize;
    s.timeoutSeconds = kWaitSeconds;
    if constexpr (requires { s.operationSeconds; })
        s.operationSeconds = kOperationSeconds;
    if constexpr (requires { s.maxEntries; })
        s.maxEntries = kMaxEntries;
}

template <class Client> std::string refusedNote(Client& client) {
    if constexpr (requires { client.takeRefusedNote(); })
        return client.takeRefusedNote();
    else
        return {};
}

template <class Client> std::string limitNote(const Client& client, NWDSCCODE code) {
    if constexpr (requires { client.limitReached(code); })
        return client.limitReached(code);
    else
        return {};
}

// ---- The table ----

struct Expected {
    NWDSCCODE code = 0;
    std::size_t fewest = 0, most = 0; // objects handed over
    const char* refused = "";         // found in the refused note; "" when none may be given
    const char* limit = nullptr;      // found in limitReached(code); nullptr: not looked at
    bool stopsEarly = false;          // the client must abandon the search or close
    const char* openFails = nullptr;  // opening fails with this in its message
};
struct Row {
    Behaviour behaviour;
    Expected expected;
};
void PrintTo(const Row& row, std::ostream* os) {
    *os << hostile::nameOf(row.behaviour);
}

constexpr const char* kBelow = "not directly below";
constexpr const char* kUndecoded = "does not decode";
constexpr const char* kMaxEntriesSetting = "OSTREL_LDAP_MAX_ENTRIES";
constexpr std::size_t kPage = kPageSize;

const Row kRows[] = {
    // Well-formed
    {Behaviour::WellFormed, {0, 4, 4}},
    {Behaviour::SeveralPages, {0, 250, 250}},
    {Behaviour::NoPagedControl, {0, 2500, 2500}},
    {Behaviour::ManyLargeEntries, {0, 600, 600}},
    {Behaviour::BadSubschema, {.openFails = "definitions of the server's schema do not parse"}},
    // Endless
    {Behaviour::EndlessEntries,
     {ERR_MAXIMUM_ENTRIES_EXIST, kPage, kPage + 1, "", "more entries in one page", true}},
    {Behaviour::EndlessEntriesUnpaged,
     {ERR_MAXIMUM_ENTRIES_EXIST, kMaxEntries, kMaxEntries + 1, "", kMaxEntriesSetting, true}},
    {Behaviour::EndlessPagesFreshDns,
     {ERR_MAXIMUM_ENTRIES_EXIST, kMaxEntries, kMaxEntries + 1, "", kMaxEntriesSetting, true}},
    {Behaviour::EndlessPagesSameDns,
     {ERR_MAXIMUM_ENTRIES_EXIST, kPage, kPage, "listed twice", nullptr, true}},
    // Nothing is asked after the third empty page: nothing to abandon.
    {Behaviour::EndlessEmptyPages, {ERR_MAXIMUM_ENTRIES_EXIST, 3, 3, "", "without sending"}},
    // A server may give every page the same cookie (389 Directory Server does): with fresh
    // names on each page, only the limit on entries ends it.
    {Behaviour::RepeatedCookie,
     {ERR_MAXIMUM_ENTRIES_EXIST, kMaxEntries, kMaxEntries, "", kMaxEntriesSetting, true}},
    // Slow
    {Behaviour::Drip, {ERR_TIMEOUT, 20, 199, "", "OSTREL_LDAP_OPERATION_TIMEOUT", true}},
    {Behaviour::FallsSilent, {ERR_TIMEOUT, 2, 2, "", "OSTREL_LDAP_TIMEOUT", true}},
    {Behaviour::ClosesMidListing, {ERR_UNREACHABLE_SERVER, 2, 2}},
    // Oversized
    {Behaviour::HugeValue, {ERR_NOT_ENOUGH_MEMORY, 2, 2, "", "for one entry", true}},
    {Behaviour::LengthBeyondSent, {ERR_NOT_ENOUGH_MEMORY, 2, 2, "", "for one entry", true}},
    // Malformed
    {Behaviour::BadDnLength, {0, 3, 3, kUndecoded}},
    {Behaviour::BadValueLength, {0, 3, 3, kUndecoded}},
    {Behaviour::WrongTags, {0, 3, 3, kUndecoded}},
    {Behaviour::TruncatedAttributes, {0, 3, 3, kUndecoded}},
    {Behaviour::UndecodableResult, {ERR_INVALID_SERVER_RESPONSE, 2, 2}},
    {Behaviour::GarbageForBind, {.openFails = "is not LDAP"}},
    {Behaviour::BindWrongMessageId, {.openFails = "OSTREL_LDAP_TIMEOUT"}},
    {Behaviour::BindRefused, {.openFails = "refused"}},
    {Behaviour::SilentAtBind, {.openFails = "OSTREL_LDAP_TIMEOUT"}},
    // Names to refuse
    {Behaviour::EmptyDn, {0, 3, 3, "without a name"}},
    {Behaviour::ForeignParent, {0, 3, 3, kBelow}},
    {Behaviour::SemicolonDn, {0, 3, 3, "does not parse"}},
    {Behaviour::ContainerItself, {0, 3, 3, kBelow}},
    {Behaviour::DnTwice, {0, 3, 3, "listed twice"}},
    {Behaviour::BadEscape, {0, 3, 3, "does not parse"}},
    {Behaviour::NotUtf8, {0, 3, 3, "not UTF-8"}},
    {Behaviour::TwoBelow, {0, 3, 3, kBelow}},
    {Behaviour::OnlyReferences, {0, 0, 0, "search reference"}},
};

// ---- Running a row ----

LdapDirectory::Options anonymousOptions(const HostileServer& server) {
    LdapDirectory::Options options;
    options.settings.trees = {{"ACME_TREE", server.uri(), {std::string(hostile::kContainer)}}};
    setLimits(options.settings);
    return options;
}

struct Listing {
    NWDSCCODE code = 0;
    std::size_t objects = 0;
    bool ended = true; // false: still going when the test gave up
    std::vector<ListedItem> first;
};

Listing listContainer(DirectoryClient& client, NWDSContextHandle ctx, Clock::time_point giveUp) {
    Listing out;
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t it = NO_MORE_ITERATIONS;
    do {
        if (Clock::now() > giveUp) {
            out.ended = false;
            break;
        }
        out.code = client.NWDSList(ctx, "Acme", &it, buf);
        std::uint32_t count = 0;
        if (out.code == 0)
            client.NWDSGetObjectCount(ctx, buf, &count);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            Object_Info_T info{};
            if (client.NWDSGetObjectName(ctx, buf, name, sizeof name, nullptr, &info) != 0)
                break;
            if (out.first.size() < 16)
                out.first.push_back(
                    {name, info.baseClass, (info.objectFlags & DS_CONTAINER_ENTRY) != 0});
        }
        out.objects += count;
    } while (out.code == 0 && it != NO_MORE_ITERATIONS);
    client.NWDSFreeBuf(buf);
    return out;
}

// Everything a row looks at.
struct Outcome {
    bool opened = false;
    std::string openError;
    Listing listing;
    std::size_t listingsAsked = 0; // listing requests the server saw
    std::string refused, limit;
    std::size_t openSearches = 0;
    ClientResourceCounts leftInClient;
    bool abandonedOrClosed = false; // seen by the server right after the listing
    bool allClosed = false;         // every connection, once the client is gone
    double seconds = 0;
    std::size_t memoryGrowth = 0;
    std::size_t descriptorsBefore = 0, descriptorsAfter = 0;
};

Outcome runAgainst(HostileServer& server, bool stopsEarly) {
    Outcome out;
    out.descriptorsBefore = gauges::openDescriptors();
    const auto start = Clock::now();
    gauges::PeakGrowth memory;
    {
        auto ldap = LdapDirectory::open(anonymousOptions(server), &out.openError);
        out.opened = ldap != nullptr;
        if (ldap) {
            NWDSContextHandle ctx = pageContext(*ldap);
            const auto giveUp = start + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(kGiveUpSeconds));
            out.listing = listContainer(*ldap, ctx, giveUp);
            out.refused = refusedNote(*ldap);
            out.limit = limitNote(*ldap, out.listing.code);
            out.openSearches = ldap->openSearches();
            const std::vector<int> listings = server.seen().listings;
            out.listingsAsked = listings.size();
            out.abandonedOrClosed =
                stopsEarly && server.waitFor(
                                  [&](const HostileServer::Seen& s) {
                                      return s.abandonedAny(listings) || s.closedByClient > 0;
                                  },
                                  std::chrono::seconds(2));
            ldap->NWDSFreeContext(ctx);
            out.leftInClient = ldap->outstandingResources();
        }
    }
    out.allClosed = server.waitFor([](const HostileServer::Seen& s) { return s.open == 0; },
                                   std::chrono::seconds(2));
    out.memoryGrowth = memory.stop();
    out.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    out.descriptorsAfter = gauges::openDescriptors();
    return out;
}

class HostileServerListing : public ::testing::TestWithParam<Row> {};

TEST_P(HostileServerListing, EndsAsExpectedWithinBoundsAndLeavesNothingOpen) {
    const Expected& want = GetParam().expected;
    HostileServer server(hostile::optionsFor(GetParam().behaviour));
    ASSERT_TRUE(server.listening());
    const Outcome got = runAgainst(server, want.stopsEarly);

    if (want.openFails != nullptr) {
        EXPECT_FALSE(got.opened);
        EXPECT_NE(got.openError.find(want.openFails), std::string::npos) << got.openError;
    } else {
        ASSERT_TRUE(got.opened) << got.openError;
        EXPECT_GE(got.listingsAsked, 1u);
        EXPECT_TRUE(got.listing.ended) << "still listing after " << kGiveUpSeconds << " s, "
                                       << got.listing.objects << " objects";
        EXPECT_EQ(got.listing.code, want.code);
        EXPECT_GE(got.listing.objects, want.fewest);
        EXPECT_LE(got.listing.objects, want.most);
        if (*want.refused == '\0') {
            EXPECT_EQ(got.refused, "");
        } else {
            EXPECT_NE(got.refused.find(want.refused), std::string::npos) << got.refused;
        }
        if (want.limit != nullptr) {
            EXPECT_NE(got.limit.find(want.limit), std::string::npos) << got.limit;
        } else if (want.code == 0) {
            EXPECT_EQ(got.limit, "");
        }
        EXPECT_EQ(got.openSearches, 0u);
        EXPECT_EQ(got.leftInClient, ClientResourceCounts{});
        if (want.stopsEarly) {
            EXPECT_TRUE(got.abandonedOrClosed) << "the server went on unaware";
        }
    }
    EXPECT_LT(got.seconds, kRowSeconds);
    EXPECT_LT(got.memoryGrowth, kMemoryGrowth);
    EXPECT_TRUE(got.allClosed) << server.seen().open << " connections left open";
    EXPECT_EQ(got.descriptorsAfter, got.descriptorsBefore);
}

INSTANTIATE_TEST_SUITE_P(Behaviours, HostileServerListing, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& row) {
                             return std::string(hostile::nameOf(row.param.behaviour));
                         });

TEST(HostileServer, AWellFormedServerOpensAnonymouslyAndListsItsContainer) {
    HostileServer server(hostile::optionsFor(Behaviour::WellFormed));
    ASSERT_TRUE(server.listening());
    std::string error;
    auto ldap = LdapDirectory::open(anonymousOptions(server), &error);
    ASSERT_NE(ldap, nullptr) << error;
    NWDSContextHandle ctx = pageContext(*ldap);
    const Listing listing = listContainer(*ldap, ctx, Clock::now() + std::chrono::seconds(10));
    ASSERT_EQ(listing.code, 0);
    std::set<ListedItem> listed(listing.first.begin(), listing.first.end());
    const std::set<ListedItem> expected = {{"Ann Lee", "Person", false},
                                           {"Bob Ray", "Person", false},
                                           {"Research", "Organizational Unit", true},
                                           {"Sales", "Organizational Unit", true}};
    EXPECT_EQ(listed, expected);
    // One bind, and the listing asked for in one page of the size set.
    const auto seen = server.seen();
    EXPECT_EQ(seen.binds, 1);
    EXPECT_EQ(seen.listings.size(), 1u);
    ldap->NWDSFreeContext(ctx);
}

} // namespace
