#include "app/OstrelApp.h"
#include "app/OstrelDlg.h"
#include "app/Startup.h"
#include "app/Strings.h"
#include "browser/BrowserPage.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>
#include <sstream>

class MainWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<COstrelDlg> window;

    void openWindow(const QString& aboutText = QString::fromLatin1(AboutMenuText)) {
        window = std::make_unique<COstrelDlg>(demo->services(), aboutText);
        window->initDialog();
        window->show();
    }
    PageFrame* page(COstrelDlg::Page which) { return window->page(which); }
    void click(int tab) {
        const QRect rect = window->tabBar()->tabRect(tab);
        QTest::mouseClick(window->tabBar(), Qt::LeftButton, {}, rect.center());
    }
    // Only the browser sets the default name context, once per listing.
    int listings() { return demo->faults.callCount("NWDSSetDefNameContext"); }
    int classReads() { return demo->faults.callCount("NWDSReadClassDef"); }

    // Moves the browser up to the tree list and opens the named tree.
    void openTree(const QString& tree) {
        auto* browser = static_cast<CBrowserPage*>(page(COstrelDlg::Browser));
        for (int i = 0; i < 3; ++i) {
            QListWidgetItem* up = browser->containerList()->item(0);
            QVERIFY(up && up->text().isEmpty());
            browser->moveTo(up);
            if (rows::topCount(browser->objectTree()) == 0)
                break;
        }
        const auto found = browser->containerList()->findItems(tree, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        browser->moveTo(found.first());
        QCOMPARE(QString::fromStdString(browser->treeName()), tree);
    }

private slots:
    void init() { demo = std::make_unique<DemoClient>(); }
    void cleanup() {
        window.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void startsWithTheBrowserUnderTheFirstOfSixTabs() {
        openWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("Ostrel"));
        QCOMPARE(window->tabBar()->count(), 6);
        const QStringList captions = {"NDS Browser", "Schema Viewer",  "Schema Manager",
                                      "NDS Query",   "Object Manager", "Object Editor"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(window->tabBar()->tabText(i), captions[i]);
        QCOMPARE(window->tabBar()->currentIndex(), 0);
        QVERIFY(page(COstrelDlg::Browser) && page(COstrelDlg::Browser)->isVisible());
        for (auto which : {COstrelDlg::SchemaViewer, COstrelDlg::SchemaManager, COstrelDlg::Query,
                           COstrelDlg::ObjectManager, COstrelDlg::ObjectEditor})
            QVERIFY(page(which) == nullptr);
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->minimumSize(), window->maximumSize());
    }

    void clickingTheVisibleTabChangesNothing() {
        openWindow();
        for (int tab = 0; tab < COstrelDlg::PageCount; ++tab) {
            click(tab);
            QPointer<PageFrame> shown = page(COstrelDlg::Page(tab));
            QVERIFY(shown && shown->isVisible());
            const int listed = listings();
            const int read = classReads();
            click(tab);
            QVERIFY(shown);
            QCOMPARE(page(COstrelDlg::Page(tab)), shown.data());
            QVERIFY(shown->isVisible());
            QCOMPARE(listings(), listed);
            QCOMPARE(classReads(), read);
        }
    }

    void onlyTheShownPageIsVisible() {
        openWindow();
        for (int tab : {1, 2, 3, 4, 5, 0, 3, 1}) {
            click(tab);
            for (int other = 0; other < COstrelDlg::PageCount; ++other) {
                PageFrame* p = page(COstrelDlg::Page(other));
                if (p)
                    QCOMPARE(p->isVisible(), other == tab);
            }
        }
    }

    void keyboardTabChangesSwitchPagesToo() {
        openWindow();
        window->tabBar()->setCurrentIndex(COstrelDlg::Query);
        QVERIFY(page(COstrelDlg::Query) && page(COstrelDlg::Query)->isVisible());
        QVERIFY(!page(COstrelDlg::Browser)->isVisible());
    }

    void onlyThePrimaryButtonSwitchesPages() {
        openWindow();
        click(COstrelDlg::ObjectEditor);
        QPointer<PageFrame> editor = page(COstrelDlg::ObjectEditor);
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            for (int tab : {int(COstrelDlg::Browser), int(COstrelDlg::Query)}) {
                const QRect rect = window->tabBar()->tabRect(tab);
                QTest::mouseClick(window->tabBar(), button, {}, rect.center());
                QVERIFY(editor && editor->isVisible());
                QCOMPARE(window->tabBar()->currentIndex(), int(COstrelDlg::ObjectEditor));
            }
        }
        QVERIFY(!page(COstrelDlg::Browser)->isVisible());
        QVERIFY(page(COstrelDlg::Query) == nullptr);
        // The keyboard still moves between pages.
        QTest::keyClick(window->tabBar(), Qt::Key_Left);
        QVERIFY(page(COstrelDlg::ObjectManager) && page(COstrelDlg::ObjectManager)->isVisible());
    }

    void objectPagesAreRebuiltBlankAfterAVisitElsewhere() {
        openWindow();
        for (auto which :
             {COstrelDlg::Query, COstrelDlg::ObjectManager, COstrelDlg::ObjectEditor}) {
            click(which);
            QPointer<PageFrame> first = page(which);
            first->setChanged();
            click(COstrelDlg::SchemaViewer);
            QVERIFY(first); // hidden, not yet destroyed
            click(which);
            QVERIFY(!first);
            QVERIFY(page(which) && !page(which)->changed());
        }
    }

    void browserIsRefreshedOnceAfterAChange() {
        openWindow();
        click(COstrelDlg::ObjectManager);
        page(COstrelDlg::ObjectManager)->setChanged();
        const int before = listings();
        click(COstrelDlg::Browser);
        QCOMPARE(listings(), before + 1);
        QVERIFY(!page(COstrelDlg::ObjectManager)->changed());
        click(COstrelDlg::ObjectManager);
        click(COstrelDlg::Browser);
        QCOMPARE(listings(), before + 1);
    }

    void changeOfADestroyedPageStillRefreshesTheBrowser() {
        openWindow();
        click(COstrelDlg::ObjectManager);
        page(COstrelDlg::ObjectManager)->setChanged();
        click(COstrelDlg::Query);
        click(COstrelDlg::ObjectManager); // the changed page is destroyed here
        QVERIFY(!page(COstrelDlg::ObjectManager)->changed());
        const int before = listings();
        click(COstrelDlg::Browser);
        QCOMPARE(listings(), before + 1);
        click(COstrelDlg::Query);
        click(COstrelDlg::Browser);
        QCOMPARE(listings(), before + 1);
    }

    void schemaPagesLiveWhileTheTreeStaysTheSame() {
        openWindow();
        click(COstrelDlg::SchemaViewer);
        click(COstrelDlg::SchemaManager);
        QPointer<PageFrame> viewer = page(COstrelDlg::SchemaViewer);
        QPointer<PageFrame> manager = page(COstrelDlg::SchemaManager);
        click(COstrelDlg::Browser);
        click(COstrelDlg::SchemaViewer);
        click(COstrelDlg::SchemaManager);
        QVERIFY(viewer && manager);
        QCOMPARE(page(COstrelDlg::SchemaViewer), viewer.data());
        QCOMPARE(page(COstrelDlg::SchemaManager), manager.data());

        click(COstrelDlg::Browser);
        openTree(QStringLiteral("TEST_TREE"));
        click(COstrelDlg::SchemaViewer);
        QVERIFY(!viewer);
        QCOMPARE(page(COstrelDlg::SchemaViewer)->treeName(), std::string("TEST_TREE"));
        QVERIFY(manager); // rebuilt only when its own tab is clicked
        click(COstrelDlg::SchemaManager);
        QVERIFY(!manager);
        QCOMPARE(page(COstrelDlg::SchemaManager)->treeName(), std::string("TEST_TREE"));
    }

    void viewerIsRefreshedAfterASchemaChangeOnlyIfItExisted() {
        openWindow();
        click(COstrelDlg::SchemaManager);
        page(COstrelDlg::SchemaManager)->setChanged();
        int before = classReads();
        click(COstrelDlg::SchemaViewer); // a new viewer reads the schema once
        const int oneFill = classReads() - before;
        QVERIFY(oneFill > 0);

        click(COstrelDlg::SchemaManager);
        page(COstrelDlg::SchemaManager)->setChanged();
        before = classReads();
        click(COstrelDlg::SchemaViewer);
        QCOMPARE(classReads() - before, oneFill);
        QVERIFY(!page(COstrelDlg::SchemaManager)->changed());
        before = classReads();
        click(COstrelDlg::SchemaManager);
        click(COstrelDlg::SchemaViewer);
        QCOMPARE(classReads(), before);
    }

    // A page built after a change already shows it: clicking its own tab while it is on show
    // reads nothing again.
    void aPageBuiltAfterAChangeIsNotReadAgainByItsOwnTab() {
        openWindow();
        click(COstrelDlg::SchemaManager);
        page(COstrelDlg::SchemaManager)->setChanged();
        click(COstrelDlg::SchemaViewer); // built now, after the change
        QVERIFY(!page(COstrelDlg::SchemaManager)->changed());
        const int before = classReads();
        click(COstrelDlg::SchemaViewer);
        click(COstrelDlg::SchemaViewer);
        QCOMPARE(classReads(), before);
    }

    void aboutItemFollowsItsString() {
        openWindow();
        const QList<QAction*> actions = window->windowMenu()->actions();
        QCOMPARE(actions.size(), 2);
        QVERIFY(actions[0]->isSeparator());
        QCOMPARE(actions[1]->text(), QStringLiteral("&About Ostrel..."));
        QCOMPARE(actions[1]->data().toUInt() & 0xFFF0u, 0x0010u);

        window.reset();
        openWindow(QString());
        QVERIFY(window->windowMenu()->actions().isEmpty());
    }

    void aboutBoxShowsTheProgramAndCloses() {
        openWindow();
        QString title;
        QStringList texts;
        QTimer::singleShot(0, this, [&] {
            QWidget* about = QApplication::activeModalWidget();
            QVERIFY(about);
            title = about->windowTitle();
            for (QLabel* label : about->findChildren<QLabel*>())
                texts << label->text();
            QTest::mouseClick(about->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        });
        window->windowMenu()->actions().last()->trigger();
        QCOMPARE(title, QStringLiteral("About Ostrel"));
        QVERIFY(texts.contains(QStringLiteral("Ostrel Version 1.0")));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    // What a screen reader announces for each control: its label or its accessible name.
    void everyControlHasAnAccessibleName() {
        openWindow();
        for (int tab = 0; tab < COstrelDlg::PageCount; ++tab) {
            click(tab);
            const auto controls = page(COstrelDlg::Page(tab))->findChildren<QWidget*>();
            for (QWidget* control : controls) {
                const bool input = qobject_cast<QLineEdit*>(control) ||
                                   qobject_cast<QAbstractItemView*>(control) ||
                                   qobject_cast<QComboBox*>(control) ||
                                   qobject_cast<QPlainTextEdit*>(control) ||
                                   qobject_cast<QAbstractButton*>(control);
                // parts of a composite control (a combo's editor, a view's header) are
                // announced through it
                if (!input || control->parentWidget()->inherits("QComboBox") ||
                    control->inherits("QHeaderView"))
                    continue;
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                QVERIFY(accessible);
                QVERIFY2(
                    !accessible->text(QAccessible::Name).trimmed().isEmpty(),
                    qPrintable(QString("%1 %2 on tab %3")
                                   .arg(control->metaObject()->className(), control->objectName())
                                   .arg(tab)));
            }
        }
        // Every group box is announced by its own title, nested ones too.
        for (int tab = 0; tab < COstrelDlg::PageCount; ++tab) {
            for (QGroupBox* group : page(COstrelDlg::Page(tab))->findChildren<QGroupBox*>()) {
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(group);
                QVERIFY(accessible);
                QCOMPARE(accessible->text(QAccessible::Name), group->title());
            }
        }
        QAccessibleInterface* tabs = QAccessible::queryAccessibleInterface(window->tabBar());
        QVERIFY(tabs && tabs->childCount() >= 6);
        QCOMPARE(tabs->child(0)->text(QAccessible::Name), QStringLiteral("NDS Browser"));
    }

    void pagesReleaseTheirContextsWhenTheWindowCloses() {
        openWindow();
        for (int tab = 0; tab < COstrelDlg::PageCount; ++tab)
            click(tab);
        QCOMPARE(demo->outstanding().contexts, 6);
        window.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
    }

    // Start-up failures: a message box and the same text on standard error, exit status 1.
    void failedLibraryStartEndsWithoutTheWindow() {
        demo->faults.failCall("NWCallsInit", 1, -354);
        std::ostringstream err;
        COstrelApp app(demo->faults, demo->reporter, QString::fromLatin1(AboutMenuText), err);
        QCOMPARE(app.run(), 1);
        QCOMPARE(demo->reporter.messages,
                 QStringList{QStringLiteral("NWCallsInit() returned FFFFFE9E... Cannot start.")});
        QCOMPARE(err.str(),
                 std::string("ostrel: NWCallsInit() returned FFFFFE9E... Cannot start.\n"));
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
    }

    void unopenedClientEndsWithItsReasonOnStandardError() {
        RecordingReporter reporter;
        std::ostringstream err;
        const int status = runOstrel(
            reporter, err,
            [](std::string* error) -> std::unique_ptr<DirectoryClient> {
                *error = "data/directory.conf:3: tree ACME_TREE is named a second time";
                return nullptr;
            },
            QString::fromLatin1(AboutMenuText));
        QCOMPARE(status, 1);
        const std::string text = "The directory client could not be opened: "
                                 "data/directory.conf:3: tree ACME_TREE is named a second time";
        QCOMPARE(reporter.messages, QStringList{QString::fromStdString(text)});
        QCOMPARE(err.str(), "ostrel: " + text + "\n");
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
