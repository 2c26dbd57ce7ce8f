// The "Connections" dialog as the main window offers it: beside About in the window menu and
// beside the browser's list of trees; changed connections open the client again.
#include "ConnectionsSupport.h"
#include "app/OstrelDlg.h"
#include "app/Startup.h"
#include "app/Strings.h"
#include "browser/BrowserPage.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "connections/ConnectionStore.h"
#include "connections/ConnectionsDlg.h"
#include "tests/support/DemoClient.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <sstream>

namespace {
const QString& kConfig = testConfigFolder();
}

class ConnectionsWindowTest : public QObject {
    Q_OBJECT

    ConnectionStore store;
    FakeSecretStore secrets;
    ConnectionServices services{store, secrets, {}, {}};
    RecordingReporter reporter;

    // Runs the program on the demo directory, the window and its dialogs driven by `step`
    // (called with the modal window on show until it returns false); the number of times the
    // client was opened.
    int runProgram(const std::function<bool(QWidget* modal)>& step) {
        int opens = 0;
        auto open = [&opens](std::string*) -> std::unique_ptr<DirectoryClient> {
            ++opens;
            return EmbeddedDirectory::openDemo("Admin.Acme");
        };
        // Each poll sets up the next before it acts: a step that opens a dialog runs the next
        // ones from inside it, where a repeating timer would not fire again.
        bool done = false;
        QObject polling; // the polls still pending go with it
        std::function<void()> poll = [&] {
            if (done)
                return;
            QTimer::singleShot(20, &polling, poll);
            if (QWidget* modal = QApplication::activeModalWidget())
                done = !step(modal);
        };
        QTimer::singleShot(20, &polling, poll);
        std::ostringstream err;
        const int status =
            runOstrel(reporter, err, open, QString::fromLatin1(AboutMenuText), &services);
        [&] { QCOMPARE(status, 0); }();
        return opens;
    }

    static void click(QWidget* dialog, const char* name) {
        auto* button = controlNamed<QAbstractButton>(dialog, QString::fromLatin1(name));
        QVERIFY2(button, name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(4, button->height() / 2));
    }

private slots:
    void init() { QVERIFY(store.save({})); }

    void offeredBesideAboutAndBesideTheTreeList() {
        DemoClient demo;
        COstrelDlg window(demo.services(), QString::fromLatin1(AboutMenuText), nullptr, &services);
        window.initDialog();
        const QList<QAction*> actions = window.windowMenu()->actions();
        QCOMPARE(actions.size(), 3);
        QCOMPARE(actions[0]->text(), QStringLiteral("&Connections..."));
        QVERIFY(actions[1]->isSeparator());
        QCOMPARE(actions[2]->text(), QStringLiteral("&About Ostrel..."));
        auto* browser = static_cast<CBrowserPage*>(window.page(COstrelDlg::Browser));
        QVERIFY(browser->connectionsButton()->isVisibleTo(browser));
        QCOMPARE(QAccessible::queryAccessibleInterface(browser->connectionsButton())
                     ->text(QAccessible::Name),
                 QStringLiteral("Connections..."));
    }

    // A new list of trees: the window closes, the client and the pages are opened again.
    void changedConnectionsOpenTheClientAgain() {
        int at = 0;
        const int opens = runProgram([&](QWidget* modal) {
            auto* window = qobject_cast<COstrelDlg*>(modal);
            auto* dialog = qobject_cast<ConnectionsDlg*>(modal);
            if (at == 0 && window) {
                at = 1;
                auto* browser = static_cast<CBrowserPage*>(window->page(COstrelDlg::Browser));
                QTest::mouseClick(browser->connectionsButton(), Qt::LeftButton);
                return true;
            }
            if (at == 1 && dialog) {
                at = 2;
                click(dialog, "Add");
                auto* uri = controlNamed<QLineEdit>(dialog, QStringLiteral("Server URI:"));
                uri->selectAll();
                QTest::keyClicks(uri, QStringLiteral("ldap://127.0.0.1:1"));
                click(dialog, "OK");
                return true;
            }
            if (at == 2 && window) {
                window->reject();
                return false;
            }
            return true;
        });
        QCOMPARE(opens, 2);
        QCOMPARE(int(store.load().size()), 1);
    }

    // Cancel, or the environment's settings in force: the window stays as it is.
    void unchangedConnectionsKeepTheWindow() {
        for (const bool environment : {false, true}) {
            services.environmentSettings =
                environment ? QStringList{QStringLiteral("OSTREL_CLIENT")} : QStringList{};
            int at = 0;
            const int opens = runProgram([&](QWidget* modal) {
                auto* window = qobject_cast<COstrelDlg*>(modal);
                auto* dialog = qobject_cast<ConnectionsDlg*>(modal);
                if (at == 0 && window) {
                    at = 1;
                    window->findChild<QAction*>(QStringLiteral("connectionsAction"))->trigger();
                    return true;
                }
                if (at == 1 && dialog) {
                    at = 2;
                    click(dialog, "Add");
                    click(dialog, environment ? "OK" : "Cancel");
                    return true;
                }
                if (at == 2 && window) {
                    window->reject();
                    return false;
                }
                return true;
            });
            QCOMPARE(opens, 1);
            QCOMPARE(int(store.load().size()), environment ? 1 : 0);
        }
        services.environmentSettings.clear();
    }
};

QTEST_MAIN(ConnectionsWindowTest)
#include "ConnectionsWindowTest.moc"
