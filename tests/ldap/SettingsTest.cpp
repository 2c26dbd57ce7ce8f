// The LDAP client's settings: the trees file, the single server of LDAPURI or ldap.conf, and
// the checks that stop a bad setting before anything is sent; LDAP results as codes.
#include "client/ClientFactory.h"
#include "client/ldap/LdapSession.h"
#include "client/ldap/LdapSettings.h"
#include "directory/ResultCodes.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <map>

namespace {

SettingSource from(std::map<std::string, std::string> values) {
    return [values](const char* name) -> std::optional<std::string> {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
}

TEST(LdapSettings, TheTreesFileListsTreesWithTheirServersAndBases) {
    std::vector<LdapTreeSetting> trees;
    std::string error;
    ASSERT_TRUE(parseTreesFile("# comment\n"
                               "tree ACME_TREE ldaps://dir.example:636/\n"
                               "base o=Acme Corp\n"
                               "  base c=US  \n"
                               "\n"
                               "tree TEST_TREE ldap://127.0.0.1:3890\n",
                               trees, &error))
        << error;
    ASSERT_EQ(trees.size(), 2u);
    EXPECT_EQ(trees[0].name, "ACME_TREE");
    EXPECT_EQ(trees[0].uri, "ldaps://dir.example:636/");
    EXPECT_EQ(trees[0].bases, (std::vector<std::string>{"o=Acme Corp", "c=US"}));
    EXPECT_TRUE(trees[1].bases.empty());

    for (const char* bad : {"base o=Acme\n", "tree ONLY_A_NAME\n", "server x\n",
                            "tree A_TREE_NAME_FAR_LONGER_THAN_32_CHARS ldap://h\n"}) {
        trees.clear();
        EXPECT_FALSE(parseTreesFile(bad, trees, &error)) << bad;
        EXPECT_NE(error.find("line 1"), std::string::npos) << error;
    }
}

TEST(LdapSettings, ASingleServerComesFromLdapUriOrLdapConf) {
    LdapSettings s;
    std::string error;
    ASSERT_TRUE(readLdapSettings(from({{"LDAPURI", "ldap://dir.example.com:389/ ldap://other"},
                                       {"LDAPBINDDN", "cn=Admin,o=Acme"},
                                       {"OSTREL_LDAP_STARTTLS", "yes"},
                                       {"LDAPTLS_CACERT", "/etc/ca.pem"}}),
                                 "ldap://from-ldap-conf", s, &error))
        << error;
    ASSERT_EQ(s.trees.size(), 1u);
    EXPECT_EQ(s.trees[0].uri, "ldap://dir.example.com:389/");
    EXPECT_EQ(s.trees[0].name, "DIR_EXAMPLE_COM");
    EXPECT_EQ(s.bindDn, "cn=Admin,o=Acme");
    EXPECT_TRUE(s.startTls);
    EXPECT_EQ(s.caCertFile, "/etc/ca.pem");

    ASSERT_TRUE(readLdapSettings(from({{"OSTREL_LDAP_TREE", "MY_TREE"}}), "ldapi:///", s, &error));
    EXPECT_EQ(s.trees[0].uri, "ldapi:///");
    EXPECT_EQ(s.trees[0].name, "MY_TREE");
    EXPECT_FALSE(s.startTls);

    EXPECT_FALSE(readLdapSettings(from({}), "", s, &error));
    EXPECT_NE(error.find("LDAPURI"), std::string::npos);
    EXPECT_FALSE(readLdapSettings(from({{"LDAPURI", "ldap://h"}, {"OSTREL_LDAP_STARTTLS", "1"}}),
                                  "", s, &error));
    EXPECT_FALSE(
        readLdapSettings(from({{"OSTREL_LDAP_TREES", "/nonexistent/trees.conf"}}), "", s, &error));
    EXPECT_NE(error.find("cannot be read"), std::string::npos);
}

TEST(LdapSettings, TheServerNameIsTheHostOfTheUri) {
    EXPECT_EQ(hostOfUri("ldap://dir.example:389/"), "dir.example");
    EXPECT_EQ(hostOfUri("ldaps://127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(hostOfUri("ldap://[::1]:389/"), "::1");
    EXPECT_EQ(hostOfUri("ldapi://%2Fvar%2Frun%2Fldapi"), "");
    EXPECT_EQ(treeNameOfHost("dir.example.com"), "DIR_EXAMPLE_COM");
}

TEST(LdapResults, MapToTheSeamsNamedCodes) {
    EXPECT_EQ(codeOfLdapResult(0), 0);
    EXPECT_EQ(codeOfLdapResult(32), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(codeOfLdapResult(50), ERR_NO_ACCESS);
    EXPECT_EQ(codeOfLdapResult(4), ERR_MAXIMUM_ENTRIES_EXIST);
    EXPECT_EQ(codeOfLdapResult(-1), ERR_UNREACHABLE_SERVER);
    EXPECT_EQ(codeOfLdapResult(49), ERR_INCOMPLETE_AUTHENTICATION);
    EXPECT_EQ(codeOfLdapResult(17), ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(codeOfLdapResult(65), ERR_OBJECT_CLASS_VIOLATION);
    EXPECT_LT(codeOfLdapResult(80), 0); // anything else is still a failure
}

} // namespace

namespace {

TEST(ClientFactory, OpensTheLdapClientFromTheEnvironmentAndSaysWhyNot) {
    setenv("OSTREL_CLIENT", "ldap", 1);
    setenv("LDAPURI", "ldap://127.0.0.1:1", 1); // nothing listens there
    unsetenv("OSTREL_LDAP_TREES");
    unsetenv("LDAPBINDDN");
    std::string error;
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    EXPECT_NE(error.find("ldap://127.0.0.1:1"), std::string::npos) << error;
    EXPECT_NE(error.find("cannot be reached"), std::string::npos) << error;

    setenv("LDAPBINDDN", "cn=Admin,o=Acme", 1);
    setenv("OSTREL_LDAP_PASSWORD_FILE", "/nonexistent/password", 1);
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    EXPECT_NE(error.find("password file cannot be read"), std::string::npos) << error;

    setenv("OSTREL_CLIENT", "nonsense", 1);
    EXPECT_EQ(createDirectoryClient(&error), nullptr);
    EXPECT_NE(error.find("embedded, ldap"), std::string::npos) << error;
    for (const char* name : {"OSTREL_CLIENT", "LDAPURI", "LDAPBINDDN", "OSTREL_LDAP_PASSWORD_FILE"})
        unsetenv(name);
}

} // namespace

namespace {

TEST(LdapSettings, TheTimeLimitIsAWholeNumberOfSecondsWithADefault) {
    LdapSettings s;
    std::string error;
    ASSERT_TRUE(readLdapSettings(from({{"LDAPURI", "ldap://h"}}), "", s, &error)) << error;
    EXPECT_EQ(s.timeoutSeconds, 30);
    ASSERT_TRUE(readLdapSettings(from({{"LDAPURI", "ldap://h"}, {"OSTREL_LDAP_TIMEOUT", "5"}}), "",
                                 s, &error))
        << error;
    EXPECT_EQ(s.timeoutSeconds, 5);
    for (const char* bad : {"0", "-3", "2.5", "ten", "3601", "99999999999"}) {
        EXPECT_FALSE(readLdapSettings(from({{"LDAPURI", "ldap://h"}, {"OSTREL_LDAP_TIMEOUT", bad}}),
                                      "", s, &error))
            << bad;
        EXPECT_NE(error.find("OSTREL_LDAP_TIMEOUT"), std::string::npos) << error;
    }
    // The whole operation and the entries it may bring have limits of their own, alike.
    ASSERT_TRUE(readLdapSettings(from({{"LDAPURI", "ldap://h"},
                                       {"OSTREL_LDAP_OPERATION_TIMEOUT", "45"},
                                       {"OSTREL_LDAP_MAX_ENTRIES", "5000"}}),
                                 "", s, &error))
        << error;
    EXPECT_EQ(s.limits().operationSeconds, 45);
    EXPECT_EQ(s.limits().maxEntries, 5000u);
    for (const char* name : {"OSTREL_LDAP_OPERATION_TIMEOUT", "OSTREL_LDAP_MAX_ENTRIES"}) {
        for (const char* bad : {"0", "", "x", "99999999999"}) {
            EXPECT_FALSE(
                readLdapSettings(from({{"LDAPURI", "ldap://h"}, {name, bad}}), "", s, &error))
                << name << "=" << bad;
        }
    }
    // A server that gives no answer in time has a code of its own; a lost one another.
    EXPECT_EQ(codeOfLdapResult(-5), ERR_TIMEOUT);
    EXPECT_EQ(codeOfLdapResult(3), ERR_TIMEOUT);
    EXPECT_EQ(codeOfLdapResult(-11), ERR_UNREACHABLE_SERVER);
}

} // namespace
