// Saved connections on a private slapd: the settings the LDAP client gets are those of the
// same environment settings; the trees open, each with its own bind, and the browser lists
// them; the dialog's "Test" reports what the server said.
#include "LdapFixture.h"
#include "browser/BrowserPage.h"
#include "client/SavedTrees.h"
#include "client/ldap/LdapTreeAccess.h"
#include "client/ldap/SavedLdapTrees.h"
#include "connections/ConnectionOpening.h"
#include "connections/ConnectionStore.h"
#include "connections/ConnectionsDlg.h"
#include "tests/connections/ConnectionsSupport.h"
#include "tests/support/RecordingReporter.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <fstream>

namespace {
const QString& kConfig = testConfigFolder();

std::string demoPassword(const SlapdServer& server) {
    std::ifstream file(server.passwordFile());
    std::string line;
    std::getline(file, line);
    return line;
}

SavedConnection acmeConnection(const SlapdServer& server) {
    SavedConnection c = newConnection(QStringLiteral("ACME_TREE"));
    c.uri = QString::fromStdString(server.uri());
    c.base = QStringLiteral("o=Acme");
    c.bind = SavedConnection::Bind::Simple;
    c.bindDn = QStringLiteral("cn=Admin,o=Acme");
    c.rememberPassword = true;
    return c;
}

class SavedConnections : public SharedSlapd<> {
protected:
    FakeSecretStore secrets;
    int asked = 0;
    PasswordPrompt prompt = [this](const std::string&) {
        ++asked;
        return std::optional<std::string>(demoPassword(*server));
    };
};

TEST_F(SavedConnections, GiveTheClientTheSettingsOfTheSameEnvironment) {
    SavedConnection c = acmeConnection(*server);
    c.startTls = true;
    c.caFile = QString::fromStdString(server->passwordFile()); // any readable file
    c.timeoutSeconds = 7;
    const std::map<std::string, std::string> environment = {
        {"OSTREL_LDAP_TREE", "ACME_TREE"},
        {"LDAPURI", server->uri()},
        {"LDAPBASE", "o=Acme"},
        {"LDAPBINDDN", "cn=Admin,o=Acme"},
        {"LDAPTLS_CACERT", server->passwordFile()},
        {"OSTREL_LDAP_STARTTLS", "yes"},
        {"OSTREL_LDAP_TIMEOUT", "7"}};
    LdapSettings expected, saved;
    std::string error;
    ASSERT_TRUE(readLdapSettings(
        [&](const char* name) -> std::optional<std::string> {
            const auto it = environment.find(name);
            return it == environment.end() ? std::nullopt : std::optional(it->second);
        },
        "", expected, &error))
        << error;
    ASSERT_TRUE(readSavedTrees(savedTreesOf({c}, secrets, prompt), saved, &error)) << error;
    ASSERT_EQ(saved.trees.size(), 1u);
    const LdapTreeSetting& tree = saved.trees[0];
    EXPECT_EQ(tree.name, expected.trees[0].name);
    EXPECT_EQ(tree.uri, expected.trees[0].uri);
    EXPECT_EQ(tree.bases, expected.trees[0].bases);
    ASSERT_TRUE(tree.access);
    const LdapSettings& s = tree.access->settings;
    EXPECT_EQ(s.bindDn, expected.bindDn);
    EXPECT_EQ(s.identity, expected.identity);
    EXPECT_EQ(s.passwordFile, expected.passwordFile);
    EXPECT_EQ(s.caCertFile, expected.caCertFile);
    EXPECT_EQ(s.startTls, expected.startTls);
    EXPECT_EQ(s.timeoutSeconds, expected.timeoutSeconds);
    EXPECT_EQ(s.operationSeconds, expected.operationSeconds);
    EXPECT_EQ(s.maxEntries, expected.maxEntries);

    // Two connections of one tree name are refused, naming it.
    SavedConnection twin = acmeConnection(*server);
    twin.name = QStringLiteral("acme_tree");
    EXPECT_FALSE(readSavedTrees(savedTreesOf({c, twin}, secrets, prompt), saved, &error));
    EXPECT_EQ(error, "two saved connections are named acme_tree");
}

// Each tree binds as its connection says: TEST_TREE anonymously, ACME_TREE as the demo's
// administrator with a remembered password, which the server refuses once; the user is asked
// then, and the tree opens.
TEST_F(SavedConnections, OpenTheServerEachTreeWithItsOwnBind) {
    SavedConnection test = newConnection(QStringLiteral("TEST_TREE"));
    test.uri = QString::fromStdString(server->uri());
    const SavedConnection acme = acmeConnection(*server);
    secrets.secrets[acme.id] = QStringLiteral("not-the-password");
    std::string error;
    auto client = openSavedTrees(savedTreesOf({test, acme}, secrets, prompt), &error);
    ASSERT_NE(client, nullptr) << error;
    EXPECT_EQ(asked, 0);

    const NWDSContextHandle ctx = pageContext(*client, "ACME_TREE");
    std::vector<ListedItem> listed;
    EXPECT_NE(listAll(*client, ctx, ROOT_NAME, listed), 0);
    EXPECT_EQ(asked, 0);
    ASSERT_EQ(listAll(*client, ctx, ROOT_NAME, listed), 0);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "Acme");
    client->NWDSFreeContext(ctx);

    // The browser lists both trees above [Root].
    RecordingReporter reporter;
    CBrowserPage page(PageServices{*client, reporter}, nullptr);
    page.create();
    for (int i = 0; i < 4 && page.containerList()->count() > 0; ++i) {
        QListWidgetItem* first = page.containerList()->item(0);
        if (!first->text().isEmpty())
            break;
        page.moveTo(first);
    }
    QStringList trees;
    for (int i = 0; i < page.containerList()->count(); ++i)
        trees << page.containerList()->item(i)->text();
    trees.sort();
    EXPECT_EQ(trees, (QStringList{QStringLiteral("ACME_TREE"), QStringLiteral("TEST_TREE")}));
}

TEST_F(SavedConnections, DialogTestReportsTheServersAnswer) {
    ConnectionStore store;
    ASSERT_TRUE(store.save({acmeConnection(*server)}));
    RecordingReporter reporter;
    ConnectionServices services{store, secrets, testSavedConnection, {}};
    ConnectionsDlg dialog(services, reporter);
    dialog.show();
    auto* password = controlNamed<QLineEdit>(&dialog, QStringLiteral("Password:"));
    auto* test = controlNamed<QAbstractButton>(&dialog, QStringLiteral("Test"));
    ASSERT_TRUE(password && test);
    QTest::keyClicks(password, QString::fromStdString(demoPassword(*server)));
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_EQ(reporter.last(), QStringLiteral("Connected to ACME_TREE (%1) as Admin.Acme.")
                                   .arg(QString::fromStdString(server->uri())));

    password->clear();
    QTest::keyClicks(password, QStringLiteral("not-the-password"));
    QTest::mouseClick(test, Qt::LeftButton);
    EXPECT_TRUE(reporter.last().startsWith(QStringLiteral("The connection ACME_TREE failed: ")))
        << reporter.last().toStdString();
    EXPECT_TRUE(reporter.last().contains(QStringLiteral("49"))) << reporter.last().toStdString();
    EXPECT_FALSE(reporter.last().contains(QStringLiteral("not-the-password")));
    dialog.reject();
}

} // namespace
