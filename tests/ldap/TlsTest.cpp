// StartTLS and ldaps against a slapd with a certificate of a CA made for the test: accepted
// with that CA, refused with another one with a message that says why.
#include "LdapFixture.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string folder;

bool run(const std::string& command) {
    return std::system((command + " >>" + folder + "/openssl.log 2>&1").c_str()) == 0;
}

// A CA (name.crt, name.key) in the folder; with `server`, a certificate for 127.0.0.1 it signs.
bool makeCa(const std::string& name) {
    return run("openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=" + name + " -keyout " +
               folder + "/" + name + ".key -out " + folder + "/" + name + ".crt");
}

bool makeServerCertificate() {
    return run("openssl req -newkey rsa:2048 -nodes -subj /CN=127.0.0.1 -keyout " + folder +
               "/server.key -out " + folder + "/server.csr") &&
           run("printf 'subjectAltName=IP:127.0.0.1\\n' > " + folder + "/san.ext") &&
           run("openssl x509 -req -days 2 -in " + folder + "/server.csr -CA " + folder +
               "/ca.crt -CAkey " + folder + "/ca.key -CAcreateserial -extfile " + folder +
               "/san.ext -out " + folder + "/server.crt");
}

// The server serves StartTLS and ldaps with a certificate of a CA made for the suite.
class LdapTls : public SharedSlapd<> {
protected:
    static void SetUpTestSuite() {
        folder = suiteFolder();
        ASSERT_TRUE(makeCa("ca") && makeCa("other") && makeServerCertificate())
            << "see " << folder << "/openssl.log";
        serverOptions.tlsCert = folder + "/server.crt";
        serverOptions.tlsKey = folder + "/server.key";
        SharedSlapd::SetUpTestSuite();
    }
    LdapDirectory::Options options(const std::string& uri, const std::string& ca, bool startTls) {
        auto o = ldapOptionsFor(*server);
        for (auto& tree : o.settings.trees)
            tree.uri = uri;
        o.settings.caCertFile = folder + "/" + ca + ".crt";
        o.settings.startTls = startTls;
        return o;
    }
};

TEST_F(LdapTls, StartTlsAndLdapsWorkWithTheServersCa) {
    for (const auto& [uri, startTls] :
         {std::pair{server->uri(), true}, std::pair{server->ldapsUri(), false}}) {
        std::string error;
        auto ldap = LdapDirectory::open(options(uri, "ca", startTls), &error);
        ASSERT_NE(ldap, nullptr) << uri << ": " << error;
        NWDSContextHandle ctx = pageContext(*ldap);
        std::vector<ListedItem> listed;
        EXPECT_EQ(listAll(*ldap, ctx, "Acme", listed), 0);
        EXPECT_FALSE(listed.empty());
        // A long listing read ahead below the TLS layer, and a read after it.
        listed.clear();
        EXPECT_EQ(listAll(*ldap, ctx, "Bulk.Acme", listed), 0);
        EXPECT_EQ(listed.size(), 500u);
        Object_Info_T info{};
        EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "User500.Bulk.Acme", nullptr, 0, &info), 0);
        ldap->NWDSFreeContext(ctx);
    }
}

TEST_F(LdapTls, AnotherCaIsRefusedWithAClearMessage) {
    for (const auto& [uri, startTls] :
         {std::pair{server->uri(), true}, std::pair{server->ldapsUri(), false}}) {
        std::string error;
        EXPECT_EQ(LdapDirectory::open(options(uri, "other", startTls), &error), nullptr) << uri;
        EXPECT_NE(error.find("certificate"), std::string::npos) << error;
    }
}

} // namespace
