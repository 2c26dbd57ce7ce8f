#include "objects/ObjectEditorPage.h"
#include "objects/ObjectManagerPage.h"
#include "pages/TreeItems.h"
#include "tests/support/DemoClient.h"

#include <QTest>
#include <QTreeWidget>
#include <memory>

// The Object Editor and Object Manager list their name context as top-level entries;
// only the editor hangs the attribute names below each object.
class ObjectPagesListingTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;

    static QStringList labels(QTreeWidget* tree) {
        QStringList texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
        return texts;
    }
    static QTreeWidgetItem* topLevel(QTreeWidget* tree, const QString& text) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            if (tree->topLevelItem(i)->text(0) == text)
                return tree->topLevelItem(i);
        return nullptr;
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
        auto* tree = page.findChild<QTreeWidget*>("objectTree");
        const QStringList texts = labels(tree);
        QVERIFY(texts.contains("Admin") && texts.contains("Sales"));
        QVERIFY(sortedCaseInsensitive(texts));
        QTreeWidgetItem* admin = topLevel(tree, "Admin");
        QCOMPARE(itemImage(admin), 1);
        QVERIFY(admin->childCount() > 0);
        QStringList names;
        for (int i = 0; i < admin->childCount(); ++i) {
            QCOMPARE(itemImage(admin->child(i)), 25);
            names << admin->child(i)->text(0);
        }
        QVERIFY(sortedCaseInsensitive(names));
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    void managerListsObjectsOnly() {
        CObjectManagerPage page(demo->services(), nullptr);
        page.create("ACME_TREE");
        auto* tree = page.findChild<QTreeWidget*>("objectTree");
        QVERIFY(sortedCaseInsensitive(labels(tree)));
        QCOMPARE(itemImage(topLevel(tree, "Sales")), 3);
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            QCOMPARE(tree->topLevelItem(i)->childCount(), 0);
        QCOMPARE(demo->faults.callCount("NWDSRead"), 0);
    }

    void failedListingKeepsWhatWasListed() {
        demo->faults.failCall("NWDSGetObjectName", 4, -672);
        CObjectManagerPage page(demo->services(), nullptr);
        page.create("ACME_TREE");
        QCOMPARE(demo->reporter.messages,
                 QStringList{QStringLiteral("\nNWDSGetObjectName returned: FFFFFD60\n")});
        QCOMPARE(page.findChild<QTreeWidget*>("objectTree")->topLevelItemCount(), 3);
    }
};

QTEST_MAIN(ObjectPagesListingTest)
#include "ObjectPagesListingTest.moc"
