// What a real server can do to a client: aliases that name each other, whose alias problem
// reaches the caller with the server's words; answers larger than the client takes.
#include "LdapFixture.h"

#include <fstream>

namespace {

std::unique_ptr<LdapSession> adminSession(const SlapdServer& server,
                                          const LdapLimits& limits = {}) {
    std::ifstream in(server.passwordFile());
    LdapSession::Credentials credentials;
    credentials.bindDn = "cn=Admin,o=Acme";
    std::getline(in, credentials.password);
    NWDSCCODE code = 0;
    std::string message;
    auto session = LdapSession::open(server.uri(), {}, credentials, 100, code, message, limits);
    EXPECT_NE(session, nullptr) << message;
    return session;
}

// One server for the suite: the aliases one test adds are nothing the other reads.
class LdapServerProblems : public SharedSlapd<> {};

TEST_F(LdapServerProblems, AnAnswerLargerThanTheLimitEndsTheReadAndSaysTheLimit) {
    LdapLimits limits;
    limits.maxMessageBytes = 4096; // the schema entry is far larger
    auto session = adminSession(*server, limits);
    ASSERT_NE(session, nullptr);
    LdapEntry small;
    EXPECT_EQ(session->readEntry("o=Acme", {"1.1"}, true, LdapSession::Deref::Never, small), 0);
    LdapEntry schema;
    EXPECT_EQ(session->readEntry("cn=Subschema", {"attributeTypes"}, false,
                                 LdapSession::Deref::Never, schema),
              ERR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(session->lastFailure().limit.code, ERR_NOT_ENOUGH_MEMORY);
    EXPECT_NE(session->lastFailure().limit.reason.find("limit of 4 KiB"), std::string::npos)
        << session->lastFailure().limit.reason;
    EXPECT_TRUE(session->connectionLost());
}

TEST_F(LdapServerProblems, ReadingThroughAnAliasLoopIsTheServersAliasProblem) {
    auto raw = adminSession(*server);
    ASSERT_NE(raw, nullptr);
    for (const auto& [own, other] : {std::pair{"LoopA", "LoopB"}, std::pair{"LoopB", "LoopA"}}) {
        const std::vector<LdapMod> attributes = {
            {LdapMod::Add, "objectClass", {"alias", "extensibleObject"}},
            {LdapMod::Add, "cn", {own}},
            {LdapMod::Add, "aliasedObjectName", {std::string("cn=") + other + ",o=Acme"}}};
        ASSERT_EQ(raw->add(std::string("cn=") + own + ",o=Acme", attributes), 0)
            << raw->lastFailure().text;
    }

    std::string error;
    auto ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
    ASSERT_NE(ldap, nullptr) << error;
    NWDSContextHandle ctx = pageContext(*ldap);
    std::uint32_t flags = 0;
    ldap->NWDSGetContext(ctx, DCK_FLAGS, &flags, sizeof flags);
    flags |= DCV_DEREF_ALIASES;
    ldap->NWDSSetContext(ctx, DCK_FLAGS, &flags);

    Buf_T* buf = nullptr;
    ldap->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    std::int32_t handle = NO_MORE_ITERATIONS;
    const NWDSCCODE rc =
        ldap->NWDSRead(ctx, "LoopA.Acme", DS_ATTRIBUTE_NAMES, true, nullptr, &handle, buf);
    EXPECT_EQ(rc, ERR_ALIAS_OF_AN_ALIAS);
    EXPECT_EQ(ldap->serverReason(rc).rfind("LDAP 33: ", 0), 0u) << ldap->serverReason(rc);

    // Listed, the aliases are themselves: nothing is read through.
    std::vector<ListedItem> listed;
    EXPECT_EQ(listAll(*ldap, ctx, "Acme", listed), 0);
    EXPECT_EQ(std::count_if(listed.begin(), listed.end(),
                            [](const ListedItem& i) { return i.name.rfind("Loop", 0) == 0; }),
              2);
    EXPECT_EQ(ldap->takeRefusedNote(), "");
    ldap->NWDSFreeBuf(buf);
    ldap->NWDSFreeContext(ctx);
}

} // namespace
