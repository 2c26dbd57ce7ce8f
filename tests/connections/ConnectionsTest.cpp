// The saved connections: their settings file, the "Connections" dialog driven as a user drives
// it, passwords in the secret store (a fake) or asked, and which client the program opens.
#include "ConnectionsSupport.h"
#include "client/SavedTrees.h"
#include "connections/ConnectionOpening.h"
#include "connections/ConnectionStore.h"
#include "connections/ConnectionsDlg.h"
#include "connections/KeychainSecretStore.h"
#include "tests/support/RecordingReporter.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <iostream>

namespace {
const QString& kConfig = testConfigFolder();

QString announced(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

SavedConnection simpleConnection(const QString& name) {
    SavedConnection c = newConnection(name);
    c.uri = QStringLiteral("ldap://127.0.0.1:1/");
    c.bind = SavedConnection::Bind::Simple;
    c.bindDn = QStringLiteral("cn=Admin,o=Acme");
    c.rememberPassword = true;
    return c;
}

class Connections : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(store.save({})); }

    QString settingsFileText() const {
        QFile file(store.fileName());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    template <class T> T* control(QWidget* dialog, const char* name) {
        T* found = controlNamed<T>(dialog, QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    void click(QWidget* dialog, const char* name) {
        // Near the left edge: a check box's text, not the row it stretches over, takes it.
        if (auto* b = control<QAbstractButton>(dialog, name))
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
    }
    void type(QWidget* dialog, const char* field, const QString& text) {
        if (auto* edit = control<QLineEdit>(dialog, field)) {
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, text);
        }
    }

    ConnectionStore store;
    FakeSecretStore secrets;
    RecordingReporter reporter;
    ConnectionServices services{store, secrets, {}, {}};
};

TEST_F(Connections, AreKeptInTheUsersConfigurationFolderAndReadBack) {
    EXPECT_EQ(store.fileName(), kConfig + QStringLiteral("/Ostrel/Ostrel.conf"));
    SavedConnection acme = simpleConnection(QStringLiteral("ACME_TREE"));
    acme.base = QStringLiteral("o=Acme");
    acme.startTls = true;
    acme.caFile = QStringLiteral("/etc/ssl/ca.pem");
    acme.timeoutSeconds = 12;
    SavedConnection local = newConnection(QStringLiteral("LOCAL"));
    local.uri = QStringLiteral("ldapi://%2Fvar%2Frun%2Fslapd%2Fldapi");
    local.bind = SavedConnection::Bind::SaslExternal;
    ASSERT_TRUE(store.save({acme, local}));
    EXPECT_EQ(ConnectionStore().load(), (std::vector<SavedConnection>{acme, local}));

    acme.uri = QStringLiteral("ldaps://dir.example");
    acme.startTls = false;
    ASSERT_TRUE(store.save({acme}));
    EXPECT_EQ(ConnectionStore().load(), std::vector<SavedConnection>{acme});
}

TEST_F(Connections, SayWhatKeepsThemFromBeingSaved) {
    const struct {
        std::function<void(SavedConnection&)> change;
        const char* problem;
    } cases[] = {
        {[](SavedConnection&) {}, ""},
        {[](SavedConnection& c) { c.name = QStringLiteral(" "); }, "A connection needs a name."},
        {[](SavedConnection& c) { c.name = QStringLiteral("MY TREE"); },
         "MY TREE: a tree name has no spaces."},
        {[](SavedConnection& c) { c.uri = QStringLiteral("http://dir"); },
         "ACME: the server URI starts with ldap://, ldaps:// or ldapi://."},
        {[](SavedConnection& c) { c.bindDn.clear(); }, "ACME: a simple bind needs a bind DN."},
        {[](SavedConnection& c) { c.bind = SavedConnection::Bind::SaslExternal; },
         "ACME: SASL EXTERNAL is used over an ldapi:// URI."},
        {[](SavedConnection& c) {
             c.uri = QStringLiteral("ldapi://");
             c.bind = SavedConnection::Bind::Anonymous;
         },
         "ACME: over ldapi:// bind with SASL EXTERNAL or a bind DN."},
        {[](SavedConnection& c) {
             c.uri = QStringLiteral("ldaps://dir");
             c.startTls = true;
         },
         "ACME: StartTLS is for ldap:// URIs (ldaps:// is TLS already)."},
    };
    for (const auto& one : cases) {
        SavedConnection c = simpleConnection(QStringLiteral("ACME"));
        one.change(c);
        EXPECT_EQ(problemOf(c), QString::fromLatin1(one.problem));
    }
}

TEST_F(Connections, DialogControlsAreAnnouncedByTheTextTheyShow) {
    ConnectionsDlg dialog(services, reporter);
    int labelled = 0;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() != nullptr) {
            EXPECT_EQ(announced(label->buddy()), label->text().remove(QLatin1Char('&')));
            ++labelled;
        }
    }
    EXPECT_EQ(labelled, 8);
    for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        EXPECT_EQ(announced(button), button->text().remove(QLatin1Char('&')));
    for (QGroupBox* group : dialog.findChildren<QGroupBox*>())
        EXPECT_EQ(announced(group), group->title());
}

TEST_F(Connections, AreAddedEditedAndRemovedThroughTheDialog) {
    QString id;
    {
        ConnectionsDlg dialog(services, reporter);
        dialog.show();
        click(&dialog, "Add");
        type(&dialog, "Name:", QStringLiteral("ACME_TREE"));
        type(&dialog, "Server URI:", QStringLiteral("ldap://dir.example"));
        click(&dialog, "Simple, with a bind DN");
        type(&dialog, "Bind DN:", QStringLiteral("cn=Admin,o=Acme"));
        type(&dialog, "Password:", QStringLiteral("s3cret-word"));
        click(&dialog, "Remember password");
        EXPECT_EQ(control<QListWidget>(&dialog, "Connections:")->item(0)->text(),
                  QStringLiteral("ACME_TREE"));
        click(&dialog, "OK");
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(dialog.changedConnections());
    }
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.last().toStdString();
    std::vector<SavedConnection> saved = ConnectionStore().load();
    ASSERT_EQ(saved.size(), 1u);
    id = saved[0].id;
    EXPECT_EQ(saved[0].bind, SavedConnection::Bind::Simple);
    EXPECT_TRUE(saved[0].rememberPassword);
    // The password is in the secret store under the connection, and nowhere in the file.
    EXPECT_EQ(secrets.secrets[id], QStringLiteral("s3cret-word"));
    EXPECT_TRUE(settingsFileText().contains(QStringLiteral("ACME_TREE")));
    EXPECT_FALSE(settingsFileText().contains(QStringLiteral("s3cret-word")));

    {
        ConnectionsDlg dialog(services, reporter);
        dialog.show();
        EXPECT_EQ(control<QLineEdit>(&dialog, "Bind DN:")->text(),
                  QStringLiteral("cn=Admin,o=Acme"));
        type(&dialog, "Name:", QStringLiteral("ACME"));
        if (auto* limit = control<QSpinBox>(&dialog, "Time limit (seconds):")) {
            limit->selectAll();
            QTest::keyClicks(limit, QStringLiteral("9"));
        }
        click(&dialog, "OK");
    }
    saved = ConnectionStore().load();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, QStringLiteral("ACME"));
    EXPECT_EQ(saved[0].timeoutSeconds, 9);
    EXPECT_EQ(secrets.secrets[id], QStringLiteral("s3cret-word"));

    {
        ConnectionsDlg dialog(services, reporter);
        dialog.show();
        click(&dialog, "Remove");
        click(&dialog, "OK");
        EXPECT_TRUE(dialog.changedConnections());
    }
    EXPECT_TRUE(ConnectionStore().load().empty());
    EXPECT_EQ(secrets.secrets.count(id), 0u);
}

TEST_F(Connections, DialogRefusesWhatCannotBeSaved) {
    ConnectionStore().save({simpleConnection(QStringLiteral("ACME"))});
    ConnectionsDlg dialog(services, reporter);
    dialog.show();
    click(&dialog, "Add");
    type(&dialog, "Name:", QStringLiteral("acme"));
    type(&dialog, "Server URI:", QStringLiteral("ldap://other"));
    click(&dialog, "OK");
    EXPECT_EQ(reporter.last(), QStringLiteral("Two connections are named acme."));
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(ConnectionStore().load().size(), 1u);
    type(&dialog, "Server URI:", QStringLiteral("dir.example"));
    click(&dialog, "Test");
    EXPECT_EQ(reporter.last(),
              QStringLiteral("acme: the server URI starts with ldap://, ldaps:// or ldapi://."));
}

TEST_F(Connections, WithoutASecretServiceThePasswordIsAskedAndTheDialogSaysSo) {
    secrets.works = false;
    {
        ConnectionsDlg dialog(services, reporter);
        dialog.show();
        auto* note = dialog.findChild<QLabel*>(QStringLiteral("keyringNote"));
        ASSERT_TRUE(note);
        EXPECT_TRUE(note->isVisibleTo(&dialog));
        EXPECT_TRUE(note->text().startsWith(
            QStringLiteral("The password cannot be remembered on this desktop: No keychain "
                           "service available.")));
        click(&dialog, "Add");
        type(&dialog, "Server URI:", QStringLiteral("ldap://dir.example"));
        click(&dialog, "Simple, with a bind DN");
        type(&dialog, "Bind DN:", QStringLiteral("cn=Admin,o=Acme"));
        type(&dialog, "Password:", QStringLiteral("s3cret-word"));
        EXPECT_FALSE(control<QCheckBox>(&dialog, "Remember password")->isEnabled());
        click(&dialog, "OK");
    }
    const std::vector<SavedConnection> saved = ConnectionStore().load();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_FALSE(saved[0].rememberPassword);
    EXPECT_FALSE(settingsFileText().contains(QStringLiteral("s3cret-word")));

    int asked = 0;
    const auto trees = savedTreesOf(saved, secrets, [&](const std::string& who) {
        ++asked;
        EXPECT_EQ(who, "cn=Admin,o=Acme");
        return std::optional<std::string>("typed");
    });
    ASSERT_EQ(trees.size(), 1u);
    EXPECT_EQ(trees[0].askPassword("cn=Admin,o=Acme"), std::optional<std::string>("typed"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(secrets.reads, 0);
}

TEST_F(Connections, ARememberedPasswordIsTriedOnceThenTheUserIsAsked) {
    const SavedConnection c = simpleConnection(QStringLiteral("ACME"));
    secrets.secrets[c.id] = QStringLiteral("remembered");
    int asked = 0;
    const auto trees = savedTreesOf({c}, secrets, [&](const std::string&) {
        ++asked;
        return std::optional<std::string>("typed");
    });
    EXPECT_EQ(trees[0].askPassword("x"), std::optional<std::string>("remembered"));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(trees[0].askPassword("x"), std::optional<std::string>("typed"));
    EXPECT_EQ(asked, 1);
}

// The environment's settings, set, decide; the saved connections wait, and the dialog says so.
TEST_F(Connections, EnvironmentSettingsWinOverSavedOnes) {
    const char* names[] = {"OSTREL_CLIENT", "OSTREL_DATA", "LDAPURI", "OSTREL_LDAP_TREES"};
    for (const char* name : names)
        qunsetenv(name);
    int reads = 0;
    std::string fellBack;
    const DirectoryClientOpener open = savedTreesOpener(
        [&] {
            ++reads;
            return savedTreesOf({simpleConnection(QStringLiteral("GONE"))}, secrets, {});
        },
        {}, {}, [&](const std::string& why) { fellBack = why; });

    qputenv("OSTREL_CLIENT", "embedded");
    EXPECT_EQ(clientSettingsInEnvironment(), std::vector<std::string>{"OSTREL_CLIENT"});
    std::string error;
    EXPECT_NE(open(&error), nullptr) << error;
    EXPECT_EQ(reads, 0);
    qunsetenv("OSTREL_CLIENT");

    // Saved connections that cannot be opened: said why, and the demo opens to change them.
    EXPECT_NE(open(&error), nullptr) << error;
    EXPECT_EQ(reads, 1);
    EXPECT_NE(fellBack.find("no password was given for cn=Admin,o=Acme on GONE"), std::string::npos)
        << fellBack;

    services.environmentSettings = QStringList{QStringLiteral("LDAPURI")};
    ConnectionsDlg dialog(services, reporter);
    auto* note = dialog.findChild<QLabel*>(QStringLiteral("environmentNote"));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->isVisibleTo(&dialog));
    EXPECT_TRUE(note->text().startsWith(
        QStringLiteral("The environment settings are in force (LDAPURI): Ostrel opens what")));
}

// The desktop's store answers, or says why not, within its time limit: where no secret service
// runs (as in CI) the program is not held up. Nothing is written to a real store.
TEST(KeychainSecretStore, AnswersWithinItsTimeLimit) {
    KeychainSecretStore store(2000);
    QElapsedTimer clock;
    clock.start();
    QString reason;
    const bool available = store.available(&reason);
    EXPECT_LT(clock.elapsed(), 2500);
    EXPECT_EQ(available, reason.isEmpty()) << reason.toStdString();
    std::cout << "secret store: " << (available ? "available" : reason.toStdString()) << "\n";
}

} // namespace
