// What every directory object may hold (an ACL, a Revision, an alias's own name) on a slapd
// whose own classes allow none of it: held through the project's auxiliary class, which the
// client adds where a change needs it and never shows, and a server without that class still
// taking everything else.
#include "LdapFixture.h"
#include "client/ldap/LdapSchemaConfig.h"
#include "client/ldap/LdapSession.h"
#include "client/ldap/OstrelObjectClass.h"
#include "client/ldap/ServerSchema.h"

#include <algorithm>
#include <fstream>

namespace {

// ---- The class itself ----

TEST(OstrelObjectClass, AllowsWhatTheServersOwnClassesLeaveOutAndIsNeverAClassOfTheSchema) {
    std::vector<schemastatements::Definition> defs;
    ASSERT_TRUE(schemastatements::parseFile(
        "objectclass ( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass MAY ( ACL $ revision ) )\n"
        "objectclass ( 2.5.6.1 NAME 'alias' SUP top STRUCTURAL MUST aliasedObjectName\n"
        "    X-NDS-NAMING ( 'cn' 'ou' ) )\n"
        "objectclass ( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou\n"
        "    MAY description )\n",
        defs, nullptr));
    // Only the classes the server holds itself count; objectClass is the server's own.
    const auto attributes = ostrelobject::attributesFor(defs, {"2.5.6.0", "2.5.6.1"});
    EXPECT_EQ(attributes,
              (std::vector<std::string>{"ACL", "revision", "aliasedObjectName", "cn", "ou"}));

    const std::string description = ostrelobject::description(attributes);
    const auto allowed =
        ostrelobject::allowedBy({"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )", description});
    ASSERT_TRUE(allowed.has_value());
    EXPECT_EQ(*allowed,
              (std::set<std::string>{"acl", "revision", "aliasedobjectname", "cn", "ou"}));
    EXPECT_FALSE(ostrelobject::allowedBy({"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )"}));

    // Hidden from the schema read, even on a server whose whole schema is taken.
    serverschema::SubschemaValues values;
    values.attributeTypes = {"( 2.5.4.3 NAME 'cn' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )",
                             "( 2.5.4.11 NAME 'ou' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )"};
    values.objectClasses = {"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
                            ostrelobject::description({"cn", "ou"})};
    Schema schema;
    std::string error;
    ASSERT_TRUE(serverschema::build(values, nullptr, schema, &error)) << error;
    EXPECT_NE(schema.findClassByLdapName("top"), nullptr);
    EXPECT_EQ(schema.findClassByLdapName(std::string(ostrelobject::kLdapName)), nullptr);
    EXPECT_EQ(schema.findClass(std::string(ostrelobject::kLdapName)), nullptr);
}

// ---- On slapd ----

std::string passwordOf(const SlapdServer& server) {
    std::ifstream in(server.passwordFile());
    std::string line;
    std::getline(in, line);
    return line;
}

// A server of its own for each test, as tests change the server's schema.
class TopAttributes : public SharedSlapd<::testing::Test, SlapdPer::Test> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SharedSlapd::SetUp());
        // The server as another tool sees it: the administrator on a connection of its own.
        LdapSession::Credentials credentials;
        credentials.bindDn = "cn=Admin,o=Acme";
        credentials.password = passwordOf(*server);
        NWDSCCODE code = 0;
        std::string message;
        raw = LdapSession::open(server->uri(), {}, credentials, 100, code, message);
        ASSERT_NE(raw, nullptr) << message;
        openClients();
    }
    void openClients() {
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        embedded = EmbeddedDirectory::openDemo();
        ASSERT_NE(embedded, nullptr);
    }
    void TearDown() override {
        if (ldap) {
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
        }
        ldap.reset();
        raw.reset();
        SharedSlapd::TearDown();
    }

    static NWDSCCODE send(DirectoryClient& client, const std::string& name,
                          const std::function<void(NWDSContextHandle, Buf_T*)>& fill,
                          std::uint32_t operation) {
        NWDSContextHandle c = pageContext(client);
        Buf_T* buf = nullptr;
        client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
        EXPECT_EQ(client.NWDSInitBuf(c, operation, buf), 0);
        fill(c, buf);
        std::int32_t it = NO_MORE_ITERATIONS;
        const NWDSCCODE rc = operation == DSV_ADD_ENTRY
                                 ? client.NWDSAddObject(c, name.c_str(), nullptr, false, buf)
                                 : client.NWDSModifyObject(c, name.c_str(), &it, false, buf);
        client.NWDSFreeBuf(buf);
        client.NWDSFreeContext(c);
        return rc;
    }
    static NWDSCCODE addUser(DirectoryClient& client, const std::string& name) {
        return send(
            client, name,
            [&](NWDSContextHandle c, Buf_T* buf) {
                client.NWDSPutAttrName(c, buf, "Object Class");
                client.NWDSPutAttrVal(c, buf, SYN_CLASS_NAME, "User");
                client.NWDSPutAttrName(c, buf, "Surname");
                client.NWDSPutAttrVal(c, buf, SYN_CI_STRING, "Zed");
            },
            DSV_ADD_ENTRY);
    }
    // One ACL value added, granting Guest.Acme browse on the object.
    static NWDSCCODE addAcl(DirectoryClient& client, const std::string& name) {
        return send(
            client, name,
            [&](NWDSContextHandle c, Buf_T* buf) {
                char protectedAttr[] = "[Entry Rights]", subject[] = "Guest.Acme";
                Object_ACL_T acl{protectedAttr, subject, 1};
                client.NWDSPutChange(c, buf, DS_ADD_VALUE, "ACL");
                client.NWDSPutAttrVal(c, buf, SYN_OBJECT_ACL, &acl);
            },
            DSV_MODIFY_ENTRY);
    }
    static NWDSCCODE describe(DirectoryClient& client, const std::string& name) {
        return send(
            client, name,
            [&](NWDSContextHandle c, Buf_T* buf) {
                client.NWDSPutChange(c, buf, DS_ADD_VALUE, "Description");
                client.NWDSPutAttrVal(c, buf, SYN_CI_STRING, "described");
            },
            DSV_MODIFY_ENTRY);
    }

    // An object's every value, as a fresh client reads it from the server.
    std::map<std::string, ReadItem> readFresh(const std::string& name) {
        std::string error;
        auto fresh = LdapDirectory::open(ldapOptionsFor(*server), &error);
        EXPECT_NE(fresh, nullptr) << error;
        std::map<std::string, ReadItem> out;
        if (fresh) {
            NWDSContextHandle c = pageContext(*fresh);
            EXPECT_EQ(readAll(*fresh, c, name, DS_ATTRIBUTE_VALUES, out), 0) << name;
            fresh->NWDSFreeContext(c);
        }
        return out;
    }
    std::map<std::string, ReadItem> readEmbedded(const std::string& name) {
        std::map<std::string, ReadItem> out;
        NWDSContextHandle c = pageContext(*embedded);
        EXPECT_EQ(readAll(*embedded, c, name, DS_ATTRIBUTE_VALUES, out), 0) << name;
        embedded->NWDSFreeContext(c);
        return out;
    }
    // The entry's objectClass values as the server holds them.
    std::vector<std::string> serverClasses(const std::string& dn) {
        LdapEntry e;
        EXPECT_EQ(raw->readEntry(dn, {"objectClass"}, false, LdapSession::Deref::Never, e), 0);
        const auto* v = e.find("objectClass");
        return v == nullptr ? std::vector<std::string>{} : *v;
    }
    static bool holdsTheClass(const std::vector<std::string>& classes) {
        return std::any_of(classes.begin(), classes.end(),
                           [](const std::string& c) { return ostrelobject::isThisClass(c); });
    }

    std::unique_ptr<LdapSession> raw;
    std::unique_ptr<LdapDirectory> ldap;
    std::unique_ptr<EmbeddedDirectory> embedded;
};

TEST_F(TopAttributes, NewAndSeededObjectsHoldThemAsOnTheEmbeddedDirectory) {
    for (DirectoryClient* client : {static_cast<DirectoryClient*>(embedded.get()),
                                    static_cast<DirectoryClient*>(ldap.get())}) {
        EXPECT_EQ(addUser(*client, "Zed.Sales.Acme"), 0);
        EXPECT_EQ(addAcl(*client, "Zed.Sales.Acme"), 0); // an object just made
        EXPECT_EQ(addAcl(*client, "Admin.Acme"), 0);     // a seeded User
        EXPECT_EQ(describe(*client, "Sales.Acme"), 0);   // holds ACLs already
        EXPECT_EQ(addAcl(*client, "Sales.Acme"), 0);
        NWDSContextHandle c = pageContext(*client);
        EXPECT_EQ(client->NWDSModifyRDN(c, "Boss.Acme", "Chief", true), 0)
            << "an alias holds its own name";
        client->NWDSFreeContext(c);
    }
    // Everything alike, the classes included: the project's class shows nowhere.
    for (const char* name : {"Zed.Sales.Acme", "Admin.Acme", "Sales.Acme", "Chief.Acme"})
        EXPECT_EQ(readFresh(name), readEmbedded(name)) << name;
    EXPECT_TRUE(holdsTheClass(serverClasses("cn=Zed,ou=Sales,o=Acme")));
    std::vector<ListedItem> listed;
    NWDSContextHandle c = pageContext(*ldap);
    ASSERT_EQ(listAll(*ldap, c, "Acme", listed), 0);
    ldap->NWDSFreeContext(c);
    const auto chief = std::find_if(listed.begin(), listed.end(),
                                    [](const ListedItem& i) { return i.name == "Chief"; });
    ASSERT_NE(chief, listed.end());
    EXPECT_EQ(chief->baseClass, "Alias");
}

TEST_F(TopAttributes, AnEntryMadeElsewhereGetsTheClassWithTheChangeThatNeedsIt) {
    const std::string dn = "ou=Plain,o=Acme";
    ASSERT_EQ(raw->add(dn, {{LdapMod::Add, "objectClass", {"organizationalUnit"}},
                            {LdapMod::Add, "ou", {"Plain"}}}),
              0);
    // A change its own class allows leaves the entry's classes alone.
    EXPECT_EQ(describe(*ldap, "Plain.Acme"), 0);
    EXPECT_FALSE(holdsTheClass(serverClasses(dn)));
    // An ACL needs the class: added in the same modify.
    EXPECT_EQ(addAcl(*ldap, "Plain.Acme"), 0);
    EXPECT_TRUE(holdsTheClass(serverClasses(dn)));
    const auto read = readFresh("Plain.Acme");
    ASSERT_EQ(read.count("ACL"), 1u);
    EXPECT_EQ(read.at("ACL").values.size(), 1u);
    ASSERT_EQ(read.count("Object Class"), 1u);
    EXPECT_EQ(read.at("Object Class").values.size(), 2u); // Organizational Unit and Top
}

TEST_F(TopAttributes, AServerWithoutTheClassTakesWhatNeedsItNot) {
    // The class taken out of the server's configuration, as on a server seeded elsewhere.
    schemaconfig::ConfigSchema config;
    ASSERT_EQ(schemaconfig::read(*raw, "", config), 0);
    const auto* stored = config.find("olcObjectClasses", ostrelobject::kOid);
    ASSERT_NE(stored, nullptr);
    ASSERT_EQ(schemaconfig::remove(*raw, *stored), 0);
    openClients();

    EXPECT_EQ(addUser(*ldap, "Zed.Sales.Acme"), 0);
    EXPECT_FALSE(holdsTheClass(serverClasses("cn=Zed,ou=Sales,o=Acme")));
    EXPECT_EQ(describe(*ldap, "Zed.Sales.Acme"), 0);
    EXPECT_EQ(addUser(*embedded, "Zed.Sales.Acme"), 0);
    EXPECT_EQ(describe(*embedded, "Zed.Sales.Acme"), 0);
    EXPECT_EQ(readFresh("Zed.Sales.Acme"), readEmbedded("Zed.Sales.Acme"));
    // What only the class allows is the server's to refuse, and nothing of it is written.
    EXPECT_NE(addAcl(*ldap, "Zed.Sales.Acme"), 0);
    EXPECT_EQ(readFresh("Zed.Sales.Acme").count("ACL"), 0u);
}

} // namespace
