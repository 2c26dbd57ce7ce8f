#include "pages/TreeItems.h"

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
};

QTEST_MAIN(TreeItemsTest)
#include "TreeItemsTest.moc"
