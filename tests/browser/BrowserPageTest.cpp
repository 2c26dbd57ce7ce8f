#include "browser/BrowserPage.h"

#include "pages/TreeItems.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QAccessible>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>

namespace {
constexpr NWDSCCODE Refused = -672;
QString failed(const char* format) {
    return QString::asprintf(format, unsigned(Refused));
}

} // namespace

class BrowserPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CBrowserPage> page;

    void openPage() {
        page = std::make_unique<CBrowserPage>(demo->services(), nullptr);
        page->create();
        page->resize(700, 560);
        page->show();
    }
    QString field(const char* name) const {
        return page->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QModelIndex root() const { return rows::top(page->objectTree()); }
    QModelIndex child(const QModelIndex& parent, const QString& text) const {
        return rows::named(parent, text);
    }
    QStringList entries() const {
        QStringList texts;
        for (int i = 0; i < page->containerList()->count(); ++i)
            texts << page->containerList()->item(i)->text();
        return texts;
    }
    QListWidgetItem* entry(const QString& text) const {
        const auto found = page->containerList()->findItems(text, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    static int image(const QListWidgetItem* item) { return entryImage(item); }
    QTreeWidget* valueList() const { return page->findChild<QTreeWidget*>("valueList"); }
    QPlainTextEdit* textPanel() const { return page->findChild<QPlainTextEdit*>("textPanel"); }

    void goUp() {
        QListWidgetItem* up = page->containerList()->item(0);
        QVERIFY(up && up->text().isEmpty() && image(up) == 0);
        page->moveTo(up);
    }
    void enter(const QString& container) {
        QListWidgetItem* item = entry(container);
        QVERIFY2(item, qPrintable(container));
        page->moveTo(item);
    }

private slots:
    void init() { demo = std::make_unique<DemoClient>(); }
    void cleanup() {
        page.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void startsAtTheNameContext() {
        openPage();
        QVERIFY(demo->reporter.messages.isEmpty());
        QCOMPARE(rows::topCount(page->objectTree()), 1);
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        QCOMPARE(itemImage(root()), 2);
        QVERIFY(page->objectTree()->isExpanded(root()));
        QCOMPARE(field("treeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QCOMPARE(field("serverField"), QStringLiteral("ACME-FS1"));

        // objects sorted by label, each with its class icon and its attribute names below
        QStringList labels;
        for (int i = 0; i < rows::count(root()); ++i)
            labels << rows::text(rows::child(root(), i));
        QStringList sorted = labels;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(labels, sorted);
        QVERIFY(labels.contains("Admin") && labels.contains("Sales"));
        QCOMPARE(itemImage(child(root(), "Admin")), 1);
        QCOMPARE(itemImage(child(root(), "Sales")), 3);
        QModelIndex admin = child(root(), "Admin");
        QVERIFY(rows::count(admin) > 0);
        for (int i = 0; i < rows::count(admin); ++i)
            QCOMPARE(itemImage(rows::child(admin, i)), 25);

        // the container list: the up arrow first, then containers with a known icon only
        QCOMPARE(entries().first(), QString());
        QCOMPARE(image(page->containerList()->item(0)), 0);
        QVERIFY(entry("Sales") && image(entry("Sales")) == 3);
        QVERIFY(entry("Engineering"));
        QVERIFY(!entry("Admin"));
        for (int i = 1; i < page->containerList()->count(); ++i)
            QVERIFY(image(page->containerList()->item(i)) != 19);
    }

    void walksUpIntoTreeModeAndOpensAnotherTree() {
        openPage();
        enter("Sales");
        QCOMPARE(rows::text(root()), QStringLiteral("Sales"));
        QCOMPARE(field("contextField"), QStringLiteral("Sales.Acme"));
        goUp();
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        goUp();
        QCOMPARE(rows::text(root()), QStringLiteral("ACME_TREE"));
        QCOMPARE(itemImage(root()), 26);
        QCOMPARE(field("contextField"), QStringLiteral("[Root]"));
        QVERIFY(entry("Acme") && image(entry("Acme")) == 2);

        goUp();
        QCOMPARE(rows::topCount(page->objectTree()), 0);
        QCOMPARE(field("treeField"), QString());
        QCOMPARE(field("contextField"), QStringLiteral("[Root]"));
        const QStringList trees = entries();
        QCOMPARE(trees.count("ACME_TREE"), 1); // advertised twice, listed once
        QCOMPARE(trees.count("TEST_TREE"), 1);
        for (int i = 0; i < page->containerList()->count(); ++i)
            QCOMPARE(image(page->containerList()->item(i)), 26);
        QCOMPARE(demo->outstanding().connections, 0); // the scan's connection is closed

        enter("TEST_TREE");
        QCOMPARE(page->treeName(), std::string("TEST_TREE"));
        QCOMPARE(rows::text(root()), QStringLiteral("TEST_TREE"));
        QCOMPARE(field("treeField"), QStringLiteral("TEST_TREE"));
        QVERIFY(field("serverField") != QStringLiteral("ACME-FS1"));
        QVERIFY(rows::count(root()) > 0);

        goUp();
        enter("ACME_TREE");
        QCOMPARE(page->treeName(), std::string("ACME_TREE"));
        QCOMPARE(demo->outstanding().connections, 1); // only the tree the page is on
    }

    void listsABigContainerCompletely() {
        openPage();
        QListWidgetItem* bulk = nullptr;
        for (int i = 1; i < page->containerList()->count() && !bulk; ++i) {
            page->moveTo(page->containerList()->item(i));
            if (rows::count(root()) >= 500)
                bulk = page->containerList()->item(0);
            else
                goUp();
        }
        QVERIFY2(bulk, "no container of 500 objects below Acme");
        QCOMPARE(rows::count(root()), 500);
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    void selectingAnObjectShowsItsType() {
        openPage();
        QModelIndex admin = child(root(), "Admin");
        page->objectTree()->setCurrentIndex(rows::child(admin, 0));
        QVERIFY(valueList()->isVisibleTo(page.get()));
        page->objectTree()->setCurrentIndex(admin);
        QCOMPARE(field("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(field("typeField"), QStringLiteral("User"));
        QCOMPARE(field("syntaxField"), QString());
        QVERIFY(textPanel()->isVisibleTo(page.get()));
        QVERIFY(!valueList()->isVisibleTo(page.get()));
        QCOMPARE(textPanel()->toPlainText(), QString());

        page->objectTree()->setCurrentIndex(root());
        QCOMPARE(field("typeField"), QStringLiteral("Organization"));
        QCOMPARE(field("selectedObjectField"), QStringLiteral("Acme"));
    }

    void selectingAnAttributeShowsItsValues() {
        openPage();
        QModelIndex admin = child(root(), "Admin");
        QModelIndex surname = child(admin, "Surname");
        QVERIFY(surname.isValid());
        page->objectTree()->setCurrentIndex(surname);
        QCOMPARE(field("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(field("syntaxField"), QStringLiteral("Case Ignore String"));
        QVERIFY(valueList()->isVisibleTo(page.get()));
        QCOMPARE(valueList()->headerItem()->text(0), QStringLiteral("Surname"));
        QVERIFY(valueList()->topLevelItemCount() >= 1);
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    // A screen reader selects through the accessibility interface, which moves the selection
    // but not the current item; the keyboard moves both. Each shows the values.
    void anyChangeOfTheSelectionShowsTheValues() {
        openPage();
        QModelIndex admin = child(root(), "Admin");
        QModelIndex surname = child(admin, "Surname");
        QModelIndex title = child(admin, "Title");
        QVERIFY(surname.isValid() && title.isValid());
        page->objectTree()->expand(admin);
        QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(page->objectTree());
        QVERIFY(tree && tree->tableInterface());
        const int row = rows::shownRow(page->objectTree(), surname);
        QVERIFY(row >= 0);
        QVERIFY(tree->tableInterface()->selectRow(row));
        QVERIFY(page->objectTree()->currentIndex() != surname);
        QCOMPARE(valueList()->headerItem()->text(0), QStringLiteral("Surname"));

        page->objectTree()->setFocus();
        page->objectTree()->setCurrentIndex(surname);
        QTest::keyClick(page->objectTree(), Qt::Key_Down);
        QCOMPARE(page->objectTree()->selectionModel()->selectedIndexes().value(0), title);
        QCOMPARE(valueList()->headerItem()->text(0), QStringLiteral("Title"));
    }

    void undecodedSyntaxIsShownInTheTextPanel() {
        openPage();
        enter("Sales");
        QModelIndex badge = child(child(root(), "Demo"), "Badge Record");
        QVERIFY(badge.isValid());
        page->objectTree()->setCurrentIndex(badge);
        QVERIFY(demo->reporter.messages.isEmpty());
        QVERIFY(textPanel()->isVisibleTo(page.get()));
        QVERIFY(!valueList()->isVisibleTo(page.get()));
        QVERIFY(textPanel()->toPlainText().startsWith(QStringLiteral("Syntax Not Decoded")));
        QCOMPARE(valueList()->topLevelItemCount(), 0);
    }

    void guestMayBrowseButNotReadValues() {
        demo = std::make_unique<DemoClient>("Guest.Acme");
        openPage();
        QModelIndex admin = child(root(), "Admin");
        QVERIFY(admin.isValid() && rows::count(admin) > 0);
        page->objectTree()->setCurrentIndex(child(admin, "Surname"));
        QCOMPARE(demo->reporter.messages,
                 QStringList{QString::asprintf("\nNWDSRead returned: %04X\n", unsigned(-672))});
        QCOMPARE(valueList()->topLevelItemCount(), 0);
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    void doubleClickOnEmptySpaceClearsTwoFields() {
        openPage();
        page->objectTree()->setCurrentIndex(child(root(), "Admin"));
        QVERIFY(!field("selectedObjectField").isEmpty());
        QWidget* viewport = page->containerList()->viewport();
        QTest::mouseDClick(viewport, Qt::LeftButton, {},
                           QPoint(viewport->width() - 2, viewport->height() - 2));
        QCOMPARE(field("selectedObjectField"), QString());
        QCOMPARE(field("serverField"), QString());
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
    }

    void refreshListsTheContainerAgain() {
        openPage();
        enter("Sales");
        const int children = rows::count(root());
        page->refresh();
        QCOMPARE(rows::topCount(page->objectTree()), 1);
        QCOMPARE(rows::text(root()), QStringLiteral("Sales"));
        QCOMPARE(rows::count(root()), children);
        QCOMPARE(entries().count(QString()), 1);
    }

    void listingFailures_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("nth");
        QTest::addColumn<QString>("message");
        QTest::newRow("buffer") << "NWDSAllocBuf" << 1 << failed("NWDSAllocBuf returned: %04X\n");
        QTest::newRow("list") << "NWDSList" << 1 << failed("\nNWDSList returned : %04X\n");
        QTest::newRow("count") << "NWDSGetObjectCount" << 1
                               << failed("\nNWDSGetObjectCount returned : %04X\n");
        QTest::newRow("name") << "NWDSGetObjectName" << 3
                              << failed("\nNWDSGetObjectName returned: %04X\n");
    }
    void listingFailures() {
        QFETCH(QString, operation);
        QFETCH(int, nth);
        QFETCH(QString, message);
        openPage();
        enter("Sales");
        demo->reporter.clear();
        demo->faults.failCall(operation.toStdString(), nth, Refused);
        goUp();
        QCOMPARE(demo->reporter.messages, QStringList{message});
        // what arrived stays, and the page still leads on: the up arrow, and the context
        // the tree shows
        QVERIFY(entries().contains(QString()));
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        QCOMPARE(rows::count(root()), nth == 3 ? 2 : 0);
        QCOMPARE(demo->outstanding().buffers, 0);
        goUp();
        QCOMPARE(field("contextField"), QStringLiteral("[Root]"));
    }

    void enteringAContainerThatCannotBeShownLeavesTheWayUp_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("always");
        QTest::addColumn<QString>("message");
        QTest::newRow("list") << "NWDSList" << false << failed("\nNWDSList returned : %04X\n");
        QTest::newRow("list always")
            << "NWDSList" << true << failed("\nNWDSList returned : %04X\n");
        QTest::newRow("object info")
            << "NWDSReadObjectInfo" << false << failed("NWDSReadObjectInfo returned: %04X\n");
        QTest::newRow("name context") << "NWDSSetDefNameContext" << false
                                      << failed("NWDSSetDefNameContext() returned: %04X\n");
        QTest::newRow("name context always") << "NWDSSetDefNameContext" << true
                                             << failed("NWDSSetDefNameContext() returned: %04X\n");
    }
    void enteringAContainerThatCannotBeShownLeavesTheWayUp() {
        QFETCH(QString, operation);
        QFETCH(bool, always);
        QFETCH(QString, message);
        openPage();
        demo->reporter.clear();
        if (always)
            demo->faults.failFrom(operation.toStdString(), 1, Refused);
        else
            demo->faults.failCall(operation.toStdString(), 1, Refused);
        enter("Sales");
        QVERIFY(!demo->reporter.messages.isEmpty());
        QCOMPARE(demo->reporter.messages.first(), message);
        QCOMPARE(rows::topCount(page->objectTree()), 1);
        QCOMPARE(rows::text(root()), QStringLiteral("Sales"));
        QCOMPARE(field("contextField"), QStringLiteral("Sales.Acme"));
        QCOMPARE(entries().count(QString()), 1);
        goUp();
        QCOMPARE(rows::topCount(page->objectTree()), 1);
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QCOMPARE(entries().count(QString()), 1);
        // Once the directory answers again, the container lists in full.
        demo->faults.clearFaults();
        page->refresh();
        enter("Sales");
        QVERIFY(rows::count(root()) > 0);
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    void failedNamesReadEndsOnlyThatObject_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("buffer") << "NWDSAllocBuf" << failed("NWDSAllocBuf returned: %04X\n");
        QTest::newRow("read") << "NWDSRead" << failed("\nNWDSRead returned: %04X\n");
        QTest::newRow("count") << "NWDSGetAttrCount"
                               << failed("\nNWDSGetAttrCount returned: %04X\n");
        QTest::newRow("name") << "NWDSGetAttrName" << failed("\nNWDSGetAttrName returned: %04X\n");
    }
    // Names are read when an object is first expanded or selected: a failed read is said
    // once, ends only that object's read, and takes away its expand indicator.
    void failedNamesReadEndsOnlyThatObject() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        openPage();
        const int objects = rows::count(root());
        QVERIFY(objects > 2);
        demo->reporter.clear();
        demo->faults.failCall(operation.toStdString(), 1, Refused);
        QTreeView* tree = page->objectTree();
        QCOMPARE(tree->model()->rowCount(rows::child(root(), 0)), 0);
        QVERIFY(tree->model()->hasChildren(rows::child(root(), 0))); // not read yet
        for (int i = 0; i < objects; ++i)
            tree->expand(rows::child(root(), i));
        QCOMPARE(demo->reporter.messages, QStringList{message});
        int withoutNames = 0;
        for (int i = 0; i < objects; ++i)
            withoutNames += tree->model()->rowCount(rows::child(root(), i)) == 0 ? 1 : 0;
        QCOMPARE(withoutNames, 1);
        QVERIFY(!tree->model()->hasChildren(rows::child(root(), 0)));
        // expanding it again, or selecting it, does not read again
        tree->collapse(rows::child(root(), 0));
        tree->expand(rows::child(root(), 0));
        tree->setCurrentIndex(rows::child(root(), 0));
        QCOMPARE(demo->reporter.messages, QStringList{message});
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    void namesAreReadOnlyForObjectsExpandedOrSelected() {
        openPage();
        const int objects = rows::count(root());
        demo->faults.failFrom("NWDSRead", 1, Refused);
        page->refresh(); // the listing reads no names
        QVERIFY(demo->reporter.messages.isEmpty());
        QCOMPARE(rows::count(root()), objects);
        demo->faults.clearFaults();
        const QModelIndex admin = child(root(), "Admin");
        page->objectTree()->setCurrentIndex(admin);
        QVERIFY(page->objectTree()->model()->rowCount(admin) > 0);
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    void showingTheContextReportsAndStillBuilds() {
        demo->faults.failCall("NWDSSetDefNameContext", 1, Refused);
        demo->faults.failCall("NWDSReadObjectInfo", 1, Refused);
        openPage();
        QCOMPARE(demo->reporter.messages,
                 (QStringList{failed("NWDSSetDefNameContext() returned: %04X\n"),
                              failed("NWDSReadObjectInfo returned: %04X\n")}));
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        QCOMPARE(itemImage(root()), 19);
        QVERIFY(rows::count(root()) > 0);
    }

    void treeScanFailures_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("reference")
            << "NWCCGetPrimConnRef" << failed("\nNWCCGetPrimConnRef() returned : %04X\n");
        QTest::newRow("open") << "NWCCOpenConnByRef"
                              << failed("\nNWCCOpenConnByRef() returned : %04X\n");
    }
    void treeScanFailures() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        openPage();
        goUp();
        demo->reporter.clear();
        demo->faults.failCall(operation.toStdString(), 1, Refused);
        goUp();
        QCOMPARE(demo->reporter.messages, QStringList{message});
        // still at the top of the tree, with the way up to try again
        QCOMPARE(rows::topCount(page->objectTree()), 1);
        QCOMPARE(rows::text(root()), QStringLiteral("ACME_TREE"));
        QCOMPARE(field("contextField"), QStringLiteral("[Root]"));
        QCOMPARE(field("treeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(entries().count(QString()), 1);
        QCOMPARE(demo->outstanding().connections, 0);
        goUp();
        QVERIFY(entry("TEST_TREE"));
    }

    void treeOpeningFailuresChangeNothing_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("nth");
        QTest::addColumn<QString>("message");
        QTest::newRow("connection")
            << "NWCCOpenConnByName" << 1 << failed("\nNWCCOpenConnByName() returned : %04X\n");
        QTest::newRow("tree name")
            << "NWDSSetContext" << 1 << failed("NWDSGetContext returned: %04X\n");
        QTest::newRow("connection handle")
            << "NWDSSetContext" << 2 << failed("NWDSGetContext returned: %04X\n");
    }
    void treeOpeningFailuresChangeNothing() {
        QFETCH(QString, operation);
        QFETCH(int, nth);
        QFETCH(QString, message);
        openPage();
        goUp();
        goUp();
        demo->reporter.clear();
        demo->faults.failCall(operation.toStdString(), nth, Refused);
        enter("TEST_TREE");
        QCOMPARE(demo->reporter.messages, QStringList{message});
        QCOMPARE(page->treeName(), std::string("ACME_TREE"));
        QVERIFY(entry("TEST_TREE")); // still in tree mode
        char tree[MAX_TREE_NAME_BYTES] = {};
        QCOMPARE(demo->directory->NWDSGetContext(page->context(), DCK_TREE_NAME, tree, sizeof tree),
                 0);
        QCOMPARE(QString::fromLatin1(tree), QStringLiteral("ACME_TREE"));
        QCOMPARE(demo->outstanding().connections, 0);
    }
};

QTEST_MAIN(BrowserPageTest)
#include "BrowserPageTest.moc"
