#include "pages/TreeItems.h"

#include "pages/RetiredItems.h"

#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

// Labels where case, accents and repeats decide the order: equal labels in other cases,
// letters outside ASCII, digits and punctuation around the letters.
const QStringList kLabels = {"beta",  "Alpha",  "ALPHA", "émile", "Emile", "zeta", "Émile",
                             "alpha", "_under", "b2",    "B10",   "Zoë",   "zoe",  "ÉMILE",
                             "Gamma", "gamma",  "x",     "X",     "[Root]"};

QStringList textsBelow(const QTreeWidgetItem* parent) {
    QStringList texts;
    for (int i = 0; i < parent->childCount(); ++i)
        texts << parent->child(i)->text(0) + "#" +
                     parent->child(i)->data(0, Qt::UserRole).toString();
    return texts;
}

QStringList textsAtTop(const QTreeWidget& tree) {
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts << tree.topLevelItem(i)->text(0) + "#" +
                     tree.topLevelItem(i)->data(0, Qt::UserRole).toString();
    return texts;
}

// Each item tagged with its place in the input, so that a changed order among equal labels shows.
QTreeWidgetItem* tagged(const QString& label, int place) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, label);
    item->setData(0, Qt::UserRole, place);
    return item;
}

// An item that counts its own going.
struct CountedItem : QTreeWidgetItem {
    explicit CountedItem(int& gone) : gone_(gone) {}
    ~CountedItem() override { ++gone_; }
    int& gone_;
};

} // namespace

class TreeItemsTest : public QObject {
    Q_OBJECT

private slots:
    // A batch must end in the order that inserting each item at its sorted place gives, for a
    // few labels (an object's attribute names) and for many (a container's objects), into
    // an empty parent and into one that already has children.
    void batchMatchesOneByOneInsertion_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<int>("present");
        QTest::newRow("few, empty parent") << 1 << 0;
        QTest::newRow("few, children there") << 1 << 5;
        QTest::newRow("many, empty parent") << 4 << 0;
        QTest::newRow("many, children there") << 4 << 7;
    }
    void batchMatchesOneByOneInsertion() {
        QFETCH(int, copies);
        QFETCH(int, present);
        QStringList labels;
        for (int i = 0; i < copies; ++i)
            labels << kLabels;
        const int count = copies == 1 ? 8 : int(labels.size()); // a small batch stays small

        QTreeWidget tree;
        auto* expected = new QTreeWidgetItem(&tree, QStringList{"expected"});
        auto* batched = new QTreeWidgetItem(&tree, QStringList{"batched"});
        for (int i = 0; i < present; ++i) {
            insertSorted(expected, tagged(labels[i], -1 - i));
            insertSorted(batched, tagged(labels[i], -1 - i));
        }
        {
            SortedInsertionBatch batch(&tree, batched);
            for (int i = 0; i < count; ++i) {
                insertSorted(expected, tagged(labels[i], i));
                batch.add(tagged(labels[i], i));
            }
        }
        QCOMPARE(textsBelow(batched), textsBelow(expected));
    }

    void batchSortsTheTopLevel() {
        QTreeWidget expected;
        QTreeWidget batched;
        insertSorted(&expected, tagged("Middle", -1));
        insertSorted(&batched, tagged("Middle", -1));
        SortedInsertionBatch batch(&batched, nullptr);
        for (int i = 0; i < kLabels.size(); ++i) {
            insertSorted(&expected, tagged(kLabels[i], i));
            batch.add(tagged(kLabels[i], i));
        }
        batch.flush();
        QCOMPARE(textsAtTop(batched), textsAtTop(expected));
        batch.flush(); // nothing pending: the tree stays as it is
        QCOMPARE(textsAtTop(batched), textsAtTop(expected));
    }

    // A listing below one top item leaves the view at once and is freed by the event loop;
    // many top items are freed at once; items still waiting go with their keeper.
    void retiredItemsLeaveTheViewAtOnce() {
        int gone = 0;
        RetiredItems retired;
        QTreeWidget tree;
        auto* top = new CountedItem(gone);
        tree.addTopLevelItem(top);
        for (int i = 0; i < 100; ++i)
            top->addChild(new CountedItem(gone));
        top->setExpanded(true);
        tree.setCurrentItem(top->child(50));
        retired.empty(&tree);
        QCOMPARE(tree.topLevelItemCount(), 0);
        QVERIFY(tree.currentItem() == nullptr);
        QCOMPARE(gone, 0);
        QCoreApplication::processEvents();
        QCOMPARE(gone, 101);

        for (int i = 0; i < 20; ++i)
            tree.addTopLevelItem(new CountedItem(gone));
        retired.empty(&tree);
        QCOMPARE(gone, 121);

        tree.addTopLevelItem(new CountedItem(gone));
        {
            RetiredItems alone;
            alone.empty(&tree);
        }
        QCOMPARE(gone, 122);
        QCoreApplication::processEvents(); // its timer went with it
    }
};

QTEST_MAIN(TreeItemsTest)
#include "TreeItemsTest.moc"
