// The LDAP client against a slapd holding the demo data and a few more objects: names that
// need escaping both ways, a 10,000-object container, what a listing costs in requests, and
// how a refused bind is reported.
#include "LdapFixture.h"
#include "client/common/Names.h"

#include <fstream>

namespace {

constexpr int kBigContainer = 10000;

std::string writeExtraLdif(const std::string& folder) {
    const std::string path = folder + "/extra.ldif";
    std::ofstream out(path);
    out << "dn: ou=Odd Names,o=Acme\nobjectClass: organizationalUnit\nou: Odd Names\n\n";
    for (const char* cn :
         {"Dot.Name", "Comma\\,Name", "Plus\\+Name", "Back\\\\Slash", "Star*Paren(s)"}) {
        std::string value = cn;
        std::string plain;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\')
                ++i;
            plain += value[i];
        }
        out << "dn: cn=" << cn << ",ou=Odd Names,o=Acme\nobjectClass: inetOrgPerson\ncn: " << plain
            << "\nsn: Odd\n\n";
    }
    out << "dn: ou=Big,o=Acme\nobjectClass: organizationalUnit\nou: Big\n\n";
    for (int i = 0; i < kBigContainer; ++i)
        out << "dn: cn=B" << i << ",ou=Big,o=Acme\nobjectClass: inetOrgPerson\nsn: Big\n\n";
    return path;
}

class LdapClient : public SharedSlapd<> {
protected:
    static void SetUpTestSuite() {
        serverOptions.extraLdif = {"ACME_TREE=" + writeExtraLdif(suiteFolder())};
        SharedSlapd::SetUpTestSuite();
    }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SharedSlapd::SetUp());
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        ctx = pageContext(*ldap);
    }
    void TearDown() override {
        if (ldap) {
            ldap->NWDSFreeContext(ctx);
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
        }
        ldap.reset();
        SharedSlapd::TearDown();
    }
    std::unique_ptr<LdapDirectory> ldap;
    NWDSContextHandle ctx = NO_CONTEXT;
};

TEST_F(LdapClient, NamesWithEveryCharacterRoundTripBetweenDottedNamesAndDns) {
    std::vector<ListedItem> listed;
    ASSERT_EQ(listAll(*ldap, ctx, "Odd Names.Acme", listed), 0);
    ASSERT_EQ(listed.size(), 5u);
    std::set<std::string> labels;
    for (const auto& item : listed) {
        // The listed name reads back as the same object, by its full dotted name.
        const std::string full = item.name + ".Odd Names.Acme";
        char dn[MAX_DN_BYTES] = {};
        Object_Info_T info{};
        ASSERT_EQ(ldap->NWDSReadObjectInfo(ctx, full.c_str(), dn, sizeof dn, &info), 0) << full;
        EXPECT_EQ(std::string(dn), full);
        EXPECT_STREQ(info.baseClass, "User");
        names::ParsedName parsed;
        ASSERT_EQ(names::parse(item.name, parsed), 0);
        labels.insert(parsed.components.front());
    }
    EXPECT_EQ(labels, (std::set<std::string>{"Dot.Name", "Comma,Name", "Plus+Name", "Back\\Slash",
                                             "Star*Paren(s)"}));
    // A fresh client, knowing nothing yet, finds the same objects by name.
    std::string error;
    auto other = LdapDirectory::open(ldapOptionsFor(*server), &error);
    ASSERT_NE(other, nullptr) << error;
    NWDSContextHandle c = pageContext(*other);
    Object_Info_T info{};
    EXPECT_EQ(other->NWDSReadObjectInfo(c, "Dot\\.Name.Odd Names.Acme", nullptr, 0, &info), 0);
    EXPECT_EQ(other->NWDSReadObjectInfo(c, "Star*Paren(s).Odd Names.Acme", nullptr, 0, &info), 0);
    EXPECT_EQ(other->NWDSReadObjectInfo(c, "Nobody.Odd Names.Acme", nullptr, 0, &info),
              ERR_NO_SUCH_ENTRY);
    other->NWDSFreeContext(c);
}

// The listing brings what the object information needs; each names read that follows is one
// request, the object found by the listing's names without a search.
TEST_F(LdapClient, AListingIsOneSearchAndEachNamesReadThatFollowsOneRequest) {
    readNamesOnce(*ldap, ctx);
    const auto before = ldap->roundTrips();
    std::vector<ListedItem> listed;
    ASSERT_EQ(listAll(*ldap, ctx, "Bulk.Acme", listed), 0);
    ASSERT_EQ(listed.size(), 500u);
    const auto afterListing = ldap->roundTrips();
    EXPECT_LE(afterListing - before, 2u); // the search (and its page, were it paged)
    for (const auto& item : listed) {
        std::map<std::string, ReadItem> attrs;
        ASSERT_EQ(readAll(*ldap, ctx, item.name + ".Bulk.Acme", DS_ATTRIBUTE_NAMES, attrs), 0);
        EXPECT_TRUE(attrs.count("Surname")) << item.name;
    }
    EXPECT_EQ(ldap->roundTrips() - afterListing, listed.size());
}

TEST_F(LdapClient, ATenThousandObjectContainerIsListedCompletelyOverSeveralPasses) {
    std::vector<ListedItem> listed;
    int passes = 0;
    ASSERT_EQ(listAll(*ldap, ctx, "Big.Acme", listed, &passes), 0);
    EXPECT_EQ(listed.size(), std::size_t(kBigContainer));
    EXPECT_GT(passes, 1);
    std::set<std::string> unique;
    for (const auto& item : listed)
        unique.insert(item.name);
    EXPECT_EQ(unique.size(), std::size_t(kBigContainer));
}

TEST_F(LdapClient, WhoAmIIsTheBoundIdentityAsADottedName) {
    char who[MAX_DN_BYTES] = {};
    ASSERT_EQ(ldap->NWDSWhoAmI(ctx, who, sizeof who), 0);
    EXPECT_STREQ(who, "Admin.Acme");
}

TEST_F(LdapClient, AWrongPasswordIsRefusedWithAClearMessageThatHoldsNoPassword) {
    const std::string secret = "not-the-password-4711";
    const std::string file = server->folder() + "/wrong-password";
    std::ofstream(file) << secret << "\n";
    auto options = ldapOptionsFor(*server);
    options.settings.passwordFile = file;
    std::string error;
    EXPECT_EQ(LdapDirectory::open(options, &error), nullptr);
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    EXPECT_NE(error.find("49"), std::string::npos) << error;
    EXPECT_EQ(error.find(secret), std::string::npos);

    // Asked in a dialog instead: the same, and cancelling is reported as such.
    options.settings.passwordFile.clear();
    options.askPassword = [&](const std::string&) { return std::optional<std::string>(secret); };
    EXPECT_EQ(LdapDirectory::open(options, &error), nullptr);
    EXPECT_EQ(error.find(secret), std::string::npos);
    options.askPassword = [](const std::string&) { return std::optional<std::string>(); };
    EXPECT_EQ(LdapDirectory::open(options, &error), nullptr);
    EXPECT_NE(error.find("no password"), std::string::npos) << error;
}

TEST_F(LdapClient, WithoutABindDnTheClientBindsBySaslExternalOverLdapi) {
    auto options = ldapOptionsFor(*server);
    options.settings.bindDn.clear();
    options.settings.passwordFile.clear();
    std::string socket;
    for (char c : server->folder() + "/ldapi")
        socket += c == '/' ? std::string("%2F") : std::string(1, c);
    for (auto& tree : options.settings.trees)
        tree.uri = "ldapi://" + socket;
    std::string error;
    auto external = LdapDirectory::open(options, &error);
    ASSERT_NE(external, nullptr) << error;
    NWDSContextHandle c = pageContext(*external);
    char who[MAX_DN_BYTES] = {};
    ASSERT_EQ(external->NWDSWhoAmI(c, who, sizeof who), 0);
    EXPECT_NE(std::string(who).find("cn=peercred"), std::string::npos) << who;
    std::vector<ListedItem> listed;
    EXPECT_EQ(listAll(*external, c, "Acme", listed), 0);
    EXPECT_FALSE(listed.empty());
    // The server name of a socket connection.
    char serverName[CONN_INFO_SERVER_NAME_BYTES] = {};
    std::uint32_t conn = 0;
    ASSERT_EQ(external->NWDSGetContext(c, DCK_LAST_CONNECTION, &conn, sizeof conn), 0);
    EXPECT_EQ(external->NWCCGetConnInfo(conn, NWCC_INFO_SERVER_NAME, sizeof serverName, serverName),
              0);
    EXPECT_STREQ(serverName, "localhost");
    external->NWDSFreeContext(c);
}

TEST_F(LdapClient, TheTreeScanListsEveryTreeOfTheSettingsPadded) {
    NWCCConnRef ref = 0;
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(ldap->NWCCGetPrimConnRef(&ref), 0);
    ASSERT_EQ(ldap->NWCCOpenConnByRef(ref, NWCC_OPEN_LICENSED, 0, &conn), 0);
    std::vector<std::string> trees;
    std::uint32_t id = BINDERY_SCAN_START;
    char name[MAX_BINDERY_NAME_BYTES] = {};
    while (ldap->NWScanObject(conn, "*", OT_TREE_NAME, &id, name, sizeof name) == 0)
        trees.push_back(name);
    ldap->NWCCCloseConn(conn);
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0], "ACME_TREE" + std::string(32 - 9, '_'));
    EXPECT_EQ(trees[1], "TEST_TREE" + std::string(32 - 9, '_'));
}

TEST_F(LdapClient, AMissingObjectAndAnUnreachableServerGiveTheirCodes) {
    std::vector<ListedItem> listed;
    EXPECT_EQ(listAll(*ldap, ctx, "Nowhere.Acme", listed), ERR_NO_SUCH_ENTRY);
    auto options = ldapOptionsFor(*server);
    options.settings.trees.front().uri =
        "ldap://127.0.0.1:" + std::to_string(SlapdServer::freePort());
    std::string error;
    EXPECT_EQ(LdapDirectory::open(options, &error), nullptr);
    EXPECT_NE(error.find("cannot be reached"), std::string::npos) << error;
}

} // namespace
