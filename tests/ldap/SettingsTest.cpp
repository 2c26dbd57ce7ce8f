// The LDAP client's settings: the trees file, the single server of LDAPURI or ldap.conf, and
// the checks that stop a bad setting before anything is sent; LDAP results as codes.
#include "client/ClientFactory.h"
#include "client/ldap/LdapDirectory.h"
#include "client/ldap/LdapSession.h"
#include "client/ldap/LdapSettings.h"
#include "directory/ResultCodes.h"
#include "tests/support/TestFolder.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

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

TEST(LdapSettings, ATreeNamedTwiceIsRefusedAtItsSecondLine) {
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"tree ACME_TREE ldap://a\ntree ACME_TREE ldap://b\n",
         "line 2: tree ACME_TREE is named a second time"},
        // names compare as contexts compare them, without regard to case
        {"tree ACME_TREE ldap://a\nbase o=Acme\ntree TEST_TREE ldap://b\n\ntree acme_Tree "
         "ldap://c\n",
         "line 5: tree acme_Tree is named a second time"},
    };
    for (const auto& c : cases) {
        std::vector<LdapTreeSetting> trees;
        std::string error;
        EXPECT_FALSE(parseTreesFile(c.text, trees, &error)) << c.text;
        EXPECT_EQ(error, c.error);
    }
}

TEST(LdapSettings, ASingleServerComesFromLdapUriOrLdapConf) {
    LdapSettings s;
    std::string error;
    const std::string ca =
        (fs::temp_directory_path() / ("ostrel-ca-" + std::to_string(::getpid()) + ".pem")).string();
    std::ofstream(ca) << "-----BEGIN CERTIFICATE-----\n";
    ASSERT_TRUE(readLdapSettings(from({{"LDAPURI", "ldap://dir.example.com:389/ ldap://other"},
                                       {"LDAPBINDDN", "cn=Admin,o=Acme"},
                                       {"OSTREL_LDAP_STARTTLS", "yes"},
                                       {"LDAPTLS_CACERT", ca}}),
                                 "ldap://from-ldap-conf", s, &error))
        << error;
    ASSERT_EQ(s.trees.size(), 1u);
    EXPECT_EQ(s.trees[0].uri, "ldap://dir.example.com:389/");
    EXPECT_EQ(s.trees[0].name, "DIR_EXAMPLE_COM");
    EXPECT_EQ(s.bindDn, "cn=Admin,o=Acme");
    EXPECT_TRUE(s.startTls);
    EXPECT_EQ(s.caCertFile, ca);
    fs::remove(ca);

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
    EXPECT_EQ(error, "the trees file /nonexistent/trees.conf does not exist");
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
    EXPECT_EQ(error, "the password file /nonexistent/password does not exist");

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

namespace {

// Settings files of every kind but the right one, in a folder of the test's own.
class SettingsFiles : public ::testing::Test {
protected:
    void SetUp() override {
        dir = freshTestFolder("ostrel-settings");
        fs::create_directories(dir);
        ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
        std::ofstream big(dir / "big", std::ios::binary);
        for (int i = 0; i < 20 * 1024 * 1024 / 8; ++i)
            big << kPassword << '\n';
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string path(const char* name) const { return (dir / name).string(); }

    // `open` run aside: a reader that waits on the pipe fails the test instead of hanging it,
    // and is then let go by a writer on the pipe.
    template <class Open> void endsSoon(Open open) {
        auto running = std::async(std::launch::async, open);
        if (running.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ADD_FAILURE() << "reading a settings file waited on the pipe";
            const int writer = ::open(path("pipe").c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
        running.get();
    }

    static constexpr const char* kPassword = "hunter2";
    fs::path dir;
};

TEST_F(SettingsFiles, TheTreesAndCaFilesAreRefusedWithTheirReason) {
    struct Case {
        const char* variable;
        const char* file;
        std::string error; // after the file's path
    };
    const std::vector<Case> cases = {
        {"OSTREL_LDAP_TREES", "pipe", " is not a regular file"},
        {"LDAPTLS_CACERT", "pipe", " is not a regular file"},
        {"LDAPTLS_CACERT", "big", " is larger than the limit of 4 MiB"},
        {"LDAPTLS_CACERT", "missing.pem", " does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.variable) + "=" + c.file);
        const std::string what =
            std::string(c.variable) == "LDAPTLS_CACERT" ? "the CA file " : "the trees file ";
        LdapSettings s;
        std::string error;
        endsSoon([&] {
            EXPECT_FALSE(readLdapSettings(
                from({{"LDAPURI", "ldap://h"}, {c.variable, path(c.file)}}), "", s, &error));
        });
        EXPECT_EQ(error, what + path(c.file) + c.error);
    }
}

TEST_F(SettingsFiles, ThePasswordAndSchemaFilesAreRefusedBeforeAnyServerIsAsked) {
    std::ofstream(dir / "control.schema", std::ios::binary) << "objectclass\x07\0 ( 1 )"s;
    struct Case {
        const char* passwordFile;
        const char* schemaFile;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"pipe", "", "the password file " + path("pipe") + " is not a regular file"},
        {"big", "", "the password file " + path("big") + " is larger than the limit of 4 KiB"},
        {"", "pipe", "the schema file " + path("pipe") + " is not a regular file"},
        {"", "control.schema",
         path("control.schema") + ":1: unknown statement 'objectclass\\07\\00'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        LdapDirectory::Options options;
        options.settings.trees = {{"T", "ldap://127.0.0.1:1", {}}}; // nothing listens there
        options.settings.bindDn = "cn=Admin,o=Acme";
        options.settings.passwordFile = *c.passwordFile ? path(c.passwordFile) : "";
        options.settings.schemaHints = *c.schemaFile ? path(c.schemaFile) : "";
        options.askPassword = [](const std::string&) { return std::string(kPassword); };
        std::string error;
        endsSoon([&] { EXPECT_EQ(LdapDirectory::open(options, &error), nullptr); });
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(error.find(kPassword), std::string::npos);
    }
}

} // namespace
