#include "pages/ObjectListModel.h"

#include "directory/ListContainer.h"
#include "pages/TreeItems.h"
#include "query/SearchResultsModel.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {

// Labels where case, accents and repeats decide the order: equal labels in other cases,
// letters outside ASCII, digits and punctuation around the letters.
const QStringList kLabels = {"beta",  "Alpha",  "ALPHA", "émile", "Emile", "zeta", "Émile",
                             "alpha", "_under", "b2",    "B10",   "Zoë",   "zoe",  "ÉMILE",
                             "Gamma", "gamma",  "x",     "X",     "[Root]"};

ListedObject listed(const QString& label, int place) {
    ListedObject object;
    object.label = label.toStdString();
    // The listed name carries the place, so that a changed order among equal labels shows.
    object.listedName = object.label + "." + std::to_string(place);
    return object;
}

QStringList rowsOf(const ObjectListModel& model) {
    QStringList texts;
    for (int i = 0; i < model.objectCount(); ++i) {
        const QModelIndex row = model.objectAt(i);
        texts << row.data().toString() + "#" +
                     QString::fromStdString(model.listedName(row)).section('.', -1);
    }
    return texts;
}

} // namespace

class ObjectListModelTest : public QObject {
    Q_OBJECT

private slots:
    // Merged batches end in the order that inserting each object at its sorted place gives
    // (case ignored, equal labels in the order they came), whether objects are there already
    // or not, a batch at a time or all at once.
    void mergedBatchesMatchOneByOneInsertion_data() {
        QTest::addColumn<int>("present");
        QTest::addColumn<int>("batch");
        QTest::newRow("into an empty model, at once") << 0 << 100;
        QTest::newRow("into an empty model, in threes") << 0 << 3;
        QTest::newRow("objects there, one by one") << 7 << 1;
        QTest::newRow("objects there, in fives") << 7 << 5;
    }
    void mergedBatchesMatchOneByOneInsertion() {
        QFETCH(int, present);
        QFETCH(int, batch);
        QStringList labels = kLabels + kLabels;
        QTreeWidget reference;
        auto* expected = new QTreeWidgetItem(&reference);
        ObjectListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setHead("top", 2);
        for (int i = 0; i < labels.size(); ++i) {
            auto* item = new QTreeWidgetItem(QStringList{labels[i]});
            item->setData(0, Qt::UserRole, i);
            insertSorted(expected, item);
            model.addObject(listed(labels[i], i), 1);
            if (i + 1 == present || (i + 1 > present && (i + 1 - present) % batch == 0))
                model.merge();
        }
        model.merge();
        QStringList want;
        for (int i = 0; i < expected->childCount(); ++i)
            want << expected->child(i)->text(0) + "#" +
                        expected->child(i)->data(0, Qt::UserRole).toString();
        QCOMPARE(rowsOf(model), want);
        QCOMPARE(model.rowCount(model.head()), int(labels.size()));
    }

    // The same when a large listing merges a step at a time: runs sorted pass by pass, objects
    // arriving while a merge is under way, and the rows unchanged until a merge ends.
    void stepwiseMergesMatchOneByOneInsertion() {
        QStringList labels = kLabels + kLabels + kLabels;
        QTreeWidget reference;
        auto* expected = new QTreeWidgetItem(&reference);
        ObjectListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.setStepwiseMergeFrom(0);
        model.setHead("top", 2);
        int steps = 0, unchangedSteps = 0;
        for (int i = 0; i < labels.size(); ++i) {
            auto* item = new QTreeWidgetItem(QStringList{labels[i]});
            item->setData(0, Qt::UserRole, i);
            insertSorted(expected, item);
            model.addObject(listed(labels[i], i), 1);
            if (i % 2 == 1)
                model.sortArrivals();
            if (i % 9 == 8) {
                const QStringList before = rowsOf(model);
                const bool allShown = model.mergeAllStepwise();
                ++steps;
                if (!allShown && rowsOf(model) == before)
                    ++unchangedSteps;
            }
        }
        while (!model.mergeAllStepwise())
            ++steps;
        QVERIFY(unchangedSteps > 0); // some steps ran while a merge was under way
        QStringList want;
        for (int i = 0; i < expected->childCount(); ++i)
            want << expected->child(i)->text(0) + "#" +
                        expected->child(i)->data(0, Qt::UserRole).toString();
        QCOMPARE(rowsOf(model), want);
        QVERIFY(model.mergeAllStepwise());
    }

    // A row the view holds (selected, current) stays on its object while batches are merged
    // in before it.
    void heldRowsFollowTheirObjectsThroughMerges() {
        ObjectListModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addObject(listed("m", 0), 1);
        model.addObject(listed("n", 1), 1);
        model.merge();
        const QPersistentModelIndex held(model.objectAt(1));
        QCOMPARE(held.data().toString(), QStringLiteral("n"));
        for (int i = 0; i < 50; ++i)
            model.addObject(listed(QString("a%1").arg(i), 2 + i), 1);
        model.mergeWhenDue(); // too few, too soon: they wait
        QCOMPARE(model.objectCount(), 2);
        model.merge();
        QCOMPARE(held.data().toString(), QStringLiteral("n"));
        QCOMPARE(held.row(), 51);
        model.clear();
        QVERIFY(!held.isValid());
    }

    // A merge a step at a time keeps held rows and names read while it was under way.
    void stepwiseMergesKeepHeldRowsAndNamesRead() {
        ObjectListModel model;
        model.setNameReader(
            [](const std::string&, std::vector<std::string>& names) {
                names = {"cn"};
                return true;
            },
            25);
        model.setStepwiseMergeFrom(0);
        model.addObject(listed("m", 0), 1);
        model.addObject(listed("n", 1), 1);
        model.merge();
        const QPersistentModelIndex held(model.objectAt(1));
        for (int i = 0; i < 40; ++i) {
            model.addObject(listed(QString("a%1").arg(i), 2 + i), 1);
            model.sortArrivals(); // one run per object: many steps
        }
        QVERIFY(!model.mergeAllStepwise());
        QCOMPARE(model.objectCount(), 2);
        model.fetchMore(held); // names read while the merge is under way
        QCOMPARE(model.rowCount(held), 1);
        while (!model.mergeAllStepwise()) {
        }
        QCOMPARE(model.objectCount(), 42);
        QCOMPARE(held.data().toString(), QStringLiteral("n"));
        QCOMPARE(held.row(), 41);
        QCOMPARE(model.rowCount(held), 1);
        QVERIFY(!model.canFetchMore(held));
        model.clear();
        QVERIFY(!held.isValid());
    }

    // Attribute names are read once, when first asked for; until then the object shows that
    // it may have some. A failed read leaves it without, and is not tried again.
    void namesAreReadOnceWhenFirstAskedFor() {
        // (No model tester here: it fetches every object's children itself.)
        ObjectListModel model;
        QStringList reads;
        model.setNameReader(
            [&reads](const std::string& name, std::vector<std::string>& names) {
                reads << QString::fromStdString(name);
                if (name == "Broken.0")
                    return false;
                names = {"Title", "cn", "Surname"};
                return true;
            },
            25);
        model.setHead("Acme", 2);
        model.addObject(listed("Broken", 0), 1);
        model.addObject(listed("Fine", 1), 1);
        model.merge();
        const QModelIndex broken = model.objectAt(0), fine = model.objectAt(1);
        QVERIFY(model.hasChildren(fine) && model.canFetchMore(fine));
        QCOMPARE(model.rowCount(fine), 0);
        QVERIFY(reads.isEmpty());

        model.fetchMore(fine);
        QCOMPARE(model.rowCount(fine), 3);
        QStringList names;
        for (int i = 0; i < 3; ++i) {
            const QModelIndex name = model.index(i, 0, fine);
            names << name.data().toString();
            QCOMPARE(itemImage(name), 25);
            QCOMPARE(name.parent(), fine);
            QVERIFY(model.isAttribute(name));
        }
        QCOMPARE(names, (QStringList{"cn", "Surname", "Title"}));
        model.readNames(fine);
        QVERIFY(!model.canFetchMore(fine));

        model.readNames(broken);
        model.fetchMore(broken);
        QVERIFY(!model.hasChildren(broken));
        QCOMPARE(reads, (QStringList{"Fine.1", "Broken.0"}));
    }

    // Search results: an object a pass ended with goes on in the next, also after a merge put
    // it on show; values hang below their attribute.
    void searchResultsGoOnAcrossPasses() {
        SearchResultsModel model;
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addObject("Zed.Acme", 1);
        model.addAttribute("Title");
        model.addValue("one");
        model.merge();
        QVERIFY(model.isLastAdded("Zed.Acme"));
        model.addValue("two"); // the next pass, same attribute
        model.addAttribute("Surname");
        model.addValue("Zed");
        model.addObject("Ann.Acme", 1);
        model.merge();
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("Ann.Acme"));
        const QModelIndex zed = model.index(1, 0);
        QCOMPARE(model.rowCount(zed), 2);
        const QModelIndex title = model.index(0, 0, zed);
        QCOMPARE(title.parent(), zed);
        QCOMPARE(model.rowCount(title), 2);
        QCOMPARE(model.index(1, 0, title).data().toString(), QStringLiteral("two"));
        QCOMPARE(model.index(0, 0, model.index(1, 0, zed)).data().toString(),
                 QStringLiteral("Zed"));
    }
};

QTEST_MAIN(ObjectListModelTest)
#include "ObjectListModelTest.moc"
