// A server that goes away or stops answering: the call that meets it fails with its code,
// nothing is half-written, nothing is left behind, and the next action reconnects as the same
// user once the server is back. The line to slapd runs through a relay that cuts it at the
// chosen moment (and kills slapd there), so that each fault lands where the test says.
#include "LdapFixture.h"
#include "LdapRelay.h"
#include "objects/ObjectManagerPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

// Looks at what the client keeps between calls.
class LdapDirectoryTestAccess {
public:
    static std::size_t pendingReads(const LdapDirectory& d) { return d.pending_.pending(); }
};

namespace {

constexpr int kBigContainer = 10000;
constexpr int kTimeoutSeconds = 2;
// Distinctive enough that finding it anywhere can only mean it leaked.
const std::string kPassword = "Ostrel-Kestrel-7Qx9-Secret";
const std::string kWrongPassword = "Wrong-Heron-3Vb5-Secret";

std::string writeBigContainer(const std::string& folder) {
    const std::string path = folder + "/big.ldif";
    std::ofstream out(path);
    out << "dn: ou=Big,o=Acme\nobjectClass: organizationalUnit\nou: Big\n\n";
    for (int i = 0; i < kBigContainer; ++i)
        out << "dn: cn=B" << i << ",ou=Big,o=Acme\nobjectClass: inetOrgPerson\nsn: Big\n\n";
    return path;
}

// The settings for slapd, reached through `uri` instead, with a short time limit.
LdapDirectory::Options optionsThrough(const SlapdServer& server, const std::string& uri) {
    LdapDirectory::Options options = ldapOptionsFor(server);
    for (auto& tree : options.settings.trees)
        tree.uri = uri;
    options.settings.timeoutSeconds = kTimeoutSeconds;
    return options;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class LdapFaults : public SharedSlapd<> {
protected:
    static void SetUpTestSuite() {
        serverOptions.extraLdif = {"ACME_TREE=" + writeBigContainer(suiteFolder())};
        serverOptions.adminPassword = kPassword;
        SharedSlapd::SetUpTestSuite();
    }
    void SetUp() override {
        ASSERT_TRUE(server != nullptr);
        if (!server->running()) {
            ASSERT_TRUE(server->restart()) << server->failure();
        }
        ASSERT_NO_FATAL_FAILURE(SharedSlapd::SetUp());
        relay = std::make_unique<LdapRelay>(server->port());
        ASSERT_TRUE(relay->listening());
        std::string error;
        ldap = LdapDirectory::open(optionsThrough(*server, relay->uri()), &error);
        ASSERT_NE(ldap, nullptr) << error;
        ctx = pageContext(*ldap);
    }
    void TearDown() override {
        if (ldap) {
            ldap->NWDSFreeContext(ctx);
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
            EXPECT_EQ(LdapDirectoryTestAccess::pendingReads(*ldap), 0u);
        }
        ldap.reset();
        relay.reset();
        server->resume();
        SharedSlapd::TearDown();
    }
    // An object's values as a fresh client reads them straight from slapd.
    std::map<std::string, ReadItem> readBack(const std::string& name) {
        std::string error;
        auto fresh = LdapDirectory::open(ldapOptionsFor(*server), &error);
        EXPECT_NE(fresh, nullptr) << error;
        std::map<std::string, ReadItem> out;
        if (!fresh)
            return out;
        NWDSContextHandle c = pageContext(*fresh);
        EXPECT_EQ(readAll(*fresh, c, name, DS_ATTRIBUTE_VALUES, out), 0) << name;
        fresh->NWDSFreeContext(c);
        return out;
    }

    std::unique_ptr<LdapRelay> relay;
    std::unique_ptr<LdapDirectory> ldap;
    NWDSContextHandle ctx = NO_CONTEXT;
};

TEST_F(LdapFaults, AServerKilledDuringALongListingIsReportedAndTheNextListingReconnects) {
    // Part of the way into the answers (each listed entry is some 200 bytes), slapd dies.
    relay->cutAfterAnswerBytes(300000, [] { server->kill(); });
    std::vector<ListedItem> listed;
    EXPECT_EQ(listAll(*ldap, ctx, "Big.Acme", listed), ERR_UNREACHABLE_SERVER);
    EXPECT_TRUE(relay->cut());
    EXPECT_LT(listed.size(), std::size_t(kBigContainer));
    EXPECT_NE(ldap->lastFailure().text, "");
    // Nothing of the broken listing is kept: no buffer, no read waiting to go on.
    EXPECT_EQ(ldap->outstandingResources(), (ClientResourceCounts{1, 0, 0, 0}));
    EXPECT_EQ(LdapDirectoryTestAccess::pendingReads(*ldap), 0u);

    // While the server is down every action says so, and the client stays usable.
    Object_Info_T info{};
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Acme", nullptr, 0, &info), ERR_UNREACHABLE_SERVER);
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Sales.Acme", nullptr, 0, &info),
              ERR_UNREACHABLE_SERVER);

    ASSERT_TRUE(server->restart()) << server->failure();
    listed.clear();
    ASSERT_EQ(listAll(*ldap, ctx, "Big.Acme", listed), 0);
    EXPECT_EQ(listed.size(), std::size_t(kBigContainer));
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Sales.Acme", nullptr, 0, &info), 0);
    EXPECT_STREQ(info.baseClass, "Organizational Unit");
}

TEST_F(LdapFaults, AServerKilledDuringAModifyHasNoneOfItsChangesAndTheNextOneIsOneRequest) {
    const Changes changes{{DS_ADD_VALUE, "Title", {"Fault Title"}},
                          {DS_ADD_VALUE, "Telephone Number", {"555-0177"}},
                          {DS_OVERWRITE_VALUE, "Description", {"Written whole or not at all"}}};
    const auto before = readBack("Admin.Acme");
    ASSERT_FALSE(before.empty());
    // The request reaches the line, slapd dies before it takes it.
    relay->cutOnRequest(LdapRelay::kModifyRequest, [] { server->kill(); });
    EXPECT_EQ(modifyObject(*ldap, ctx, "Admin.Acme", changes), ERR_UNREACHABLE_SERVER);
    EXPECT_EQ(relay->requests(LdapRelay::kModifyRequest), 1);

    ASSERT_TRUE(server->restart()) << server->failure();
    EXPECT_EQ(readBack("Admin.Acme"), before);

    // The next action binds again as the administrator (an anonymous client would be refused)
    // and carries all three changes in one request.
    ASSERT_EQ(modifyObject(*ldap, ctx, "Admin.Acme", changes), 0) << ldap->lastFailure().text;
    EXPECT_EQ(relay->requests(LdapRelay::kModifyRequest), 2);
    EXPECT_EQ(relay->requests(LdapRelay::kBindRequest), 2);
    const auto after = readBack("Admin.Acme");
    auto holds = [&](const std::string& attr, const std::string& value) {
        auto it = after.find(attr);
        return it != after.end() && std::find(it->second.values.begin(), it->second.values.end(),
                                              value) != it->second.values.end();
    };
    EXPECT_TRUE(holds("Title", "Fault Title"));
    EXPECT_TRUE(holds("Telephone Number", "555-0177"));
    EXPECT_TRUE(holds("Description", "Written whole or not at all"));
}

TEST_F(LdapFaults, AServerThatStopsAnsweringIsReportedWithinTheTimeLimit) {
    // A server that takes the connection and never says a word, from the first request on.
    LdapRelay silent(0);
    ASSERT_TRUE(silent.listening());
    auto start = std::chrono::steady_clock::now();
    NWDSCCODE code = 0;
    std::string message;
    LdapSession::Credentials credentials;
    credentials.bindDn = "cn=Admin,o=Acme";
    credentials.password = kPassword;
    auto session = LdapSession::open(silent.uri(), {}, credentials, 100, code, message,
                                     LdapLimits{.waitSeconds = 1});
    EXPECT_EQ(session, nullptr);
    EXPECT_EQ(code, ERR_TIMEOUT);
    EXPECT_NE(message.find("no answer within 1 s"), std::string::npos) << message;
    EXPECT_GE(secondsSince(start), 0.9);
    EXPECT_LT(secondsSince(start), 4.0);

    std::string error;
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(LdapDirectory::open(optionsThrough(*server, silent.uri()), &error), nullptr);
    EXPECT_NE(error.find("no answer within 2 s (OSTREL_LDAP_TIMEOUT)"), std::string::npos) << error;
    EXPECT_LT(secondsSince(start), kTimeoutSeconds + 3.0);

    // A server that answered and then stops (stopped, not gone): each call waits no longer
    // than the limit, and once it answers again the next action carries on.
    server->pause();
    Object_Info_T info{};
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Sales.Acme", nullptr, 0, &info), ERR_TIMEOUT);
    EXPECT_LT(secondsSince(start), kTimeoutSeconds + 3.0);
    std::vector<ListedItem> listed;
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(listAll(*ldap, ctx, "Acme", listed), ERR_TIMEOUT);
    EXPECT_LT(secondsSince(start), 2 * kTimeoutSeconds + 3.0); // the connect, then the bind
    server->resume();
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Sales.Acme", nullptr, 0, &info), 0);
    listed.clear();
    EXPECT_EQ(listAll(*ldap, ctx, "Acme", listed), 0);
    EXPECT_FALSE(listed.empty());

    // A change that never gets its answer is reported in time, and was never made.
    relay->swallowFromRequest(LdapRelay::kModifyRequest);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(modifyObject(*ldap, ctx, "Guest.Acme", {{DS_ADD_VALUE, "Title", {"Unanswered"}}}),
              ERR_TIMEOUT);
    EXPECT_LT(secondsSince(start), kTimeoutSeconds + 3.0);
    EXPECT_EQ(readBack("Guest.Acme").count("Title"), 0u);
    std::map<std::string, ReadItem> guest;
    EXPECT_EQ(readAll(*ldap, ctx, "Guest.Acme", DS_ATTRIBUTE_VALUES, guest), 0);
    EXPECT_EQ(guest.count("Title"), 0u);
}

// Everything stderr and Qt's message handler receive while alive.
class OutputCapture {
public:
    OutputCapture() {
        std::fflush(stderr);
        saved_ = dup(2);
        std::snprintf(path_, sizeof path_, "/tmp/ostrel-stderr-XXXXXX");
        const int fd = mkstemp(path_);
        dup2(fd, 2);
        close(fd);
        qtMessages().clear();
        previous_ = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&,
                                              const QString& text) { qtMessages() << text; });
    }
    ~OutputCapture() { stop(); }
    std::string stop() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
            qInstallMessageHandler(previous_);
            std::ifstream in(path_);
            std::stringstream text;
            text << in.rdbuf();
            captured_ = text.str() + qtMessages().join("\n").toStdString();
            unlink(path_);
        }
        return captured_;
    }
    static QStringList& qtMessages() {
        static QStringList messages;
        return messages;
    }

private:
    int saved_ = -1;
    char path_[64] = {};
    QtMessageHandler previous_ = nullptr;
    std::string captured_;
};

TEST_F(LdapFaults, NoPasswordAppearsInAnyMessageOrLog) {
    OutputCapture output;
    std::vector<std::string> texts;

    // A wrong password.
    const std::string wrongFile = suiteFolder() + "/wrong-password";
    std::ofstream(wrongFile) << kWrongPassword << "\n";
    LdapDirectory::Options wrong = optionsThrough(*server, relay->uri());
    wrong.settings.passwordFile = wrongFile;
    std::string error;
    EXPECT_EQ(LdapDirectory::open(wrong, &error), nullptr);
    EXPECT_NE(error.find("refused"), std::string::npos) << error;
    texts.push_back(error);

    // The right one through the Object Manager: a refused rename, the server going away during
    // a delete, and the reconnect of the next delete.
    FaultInjectingClient faults(*ldap);
    RecordingReporter reporter;
    {
        CObjectManagerPage page(PageServices{faults, reporter}, nullptr);
        page.create("ACME_TREE");
        auto field = [&](const char* name) { return page.findChild<QLineEdit*>(name); };
        auto click = [&](const char* name) { page.findChild<QPushButton*>(name)->click(); };
        field("deleteNameField")->setText("Boss");
        field("newNameField")->setText("Admin");
        click("renameButton");
        texts.push_back(ldap->lastFailure().text);
        relay->cutOnRequest(LdapRelay::kDeleteRequest, [] { server->kill(); });
        field("deleteNameField")->setText("Edit");
        click("deleteButton");
        texts.push_back(ldap->lastFailure().text);
        click("deleteButton"); // the server is still down
        texts.push_back(ldap->lastFailure().text);
        ASSERT_TRUE(server->restart()) << server->failure();
        click("deleteButton");
        // A refusal says what the server (or the connection it lost) answered, after its code.
        for (int i = 0; i < 2 && i < reporter.messages.size(); ++i)
            EXPECT_TRUE(reporter.messages[i].contains("\nThe server said: LDAP "))
                << reporter.messages[i].toStdString();
        EXPECT_EQ(withoutServerWords(reporter.messages),
                  (QStringList{"NWDSModifyRDN() returned " +
                                   QString::asprintf("%04X", unsigned(ERR_ENTRY_ALREADY_EXISTS)),
                               "NWDSRemoveObject() returned " +
                                   QString::asprintf("%04X", unsigned(ERR_UNREACHABLE_SERVER)),
                               "NWDSRemoveObject() returned " +
                                   QString::asprintf("%04X", unsigned(ERR_UNREACHABLE_SERVER)),
                               "Object Edit successfully deleted!"}));
    }
    for (const QString& m : reporter.messages)
        texts.push_back(m.toStdString());
    texts.push_back(output.stop());
    for (const std::string& text : texts) {
        EXPECT_EQ(text.find(kPassword), std::string::npos) << text;
        EXPECT_EQ(text.find(kWrongPassword), std::string::npos) << text;
    }
}

} // namespace
