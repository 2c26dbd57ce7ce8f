#include "objects/ObjectEditorPage.h"
#include "objects/ObjectManagerPage.h"
#include "pages/TreeItems.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QTest>
#include <QTreeWidget>
#include <memory>

// The Object Editor and Object Manager list their name context as top-level entries;
// only the editor hangs the attribute names below each object.
class ObjectPagesListingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;

    static QStringList labels(QTreeView* tree) {
        QStringList texts;
        for (int i = 0; i < rows::topCount(tree); ++i)
            texts << rows::text(rows::top(tree, i));
        return texts;
    }
    static QModelIndex topLevel(QTreeView* tree, const QString& text) {
        for (int i = 0; i < rows::topCount(tree); ++i)
            if (rows::text(rows::top(tree, i)) == text)
                return rows::top(tree, i);
        return {};
    }
    static bool sortedCaseInsensitive(const QStringList& texts) {
        for (int i = 1; i < texts.size(); ++i)
            if (QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive) > 0)
                return false;
        return true;
    }

private slots:
    void init() { demo = std::make_unique<DemoClient>(); }
    void cleanup() {
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void editorListsObjectsWithTheirAttributeNames() {
        CObjectEditorPage page(demo->services(), nullptr);
        page.create("ACME_TREE");
        auto* tree = page.findChild<QTreeView*>("objectTree");
        const QStringList texts = labels(tree);
        QVERIFY(texts.contains("Admin") && texts.contains("Sales"));
        QVERIFY(sortedCaseInsensitive(texts));
        QCOMPARE(demo->faults.callCount("NWDSRead"), 0); // names wait for an expansion
        const QModelIndex admin = topLevel(tree, "Admin");
        QCOMPARE(itemImage(admin), 1);
        QVERIFY(tree->model()->hasChildren(admin));
        tree->expand(admin);
        QVERIFY(rows::count(admin) > 0);
        QStringList names;
        for (int i = 0; i < rows::count(admin); ++i) {
            QCOMPARE(itemImage(rows::child(admin, i)), 25);
            names << rows::text(rows::child(admin, i));
        }
        QVERIFY(sortedCaseInsensitive(names));
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    void managerListsObjectsOnly() {
        CObjectManagerPage page(demo->services(), nullptr);
        page.create("ACME_TREE");
        auto* tree = page.findChild<QTreeView*>("objectTree");
        QVERIFY(sortedCaseInsensitive(labels(tree)));
        QCOMPARE(itemImage(topLevel(tree, "Sales")), 3);
        for (int i = 0; i < rows::topCount(tree); ++i) {
            QVERIFY(!tree->model()->hasChildren(rows::top(tree, i)));
            QCOMPARE(rows::count(rows::top(tree, i)), 0);
        }
        QCOMPARE(demo->faults.callCount("NWDSRead"), 0);
    }

    void failedListingKeepsWhatWasListed() {
        demo->faults.failCall("NWDSGetObjectName", 4, -672);
        CObjectManagerPage page(demo->services(), nullptr);
        page.create("ACME_TREE");
        QCOMPARE(demo->reporter.messages,
                 QStringList{QStringLiteral("\nNWDSGetObjectName returned: FFFFFD60\n")});
        QCOMPARE(rows::topCount(page.findChild<QTreeView*>("objectTree")), 3);
    }
};

QTEST_MAIN(ObjectPagesListingTest)
#include "ObjectPagesListingTest.moc"
