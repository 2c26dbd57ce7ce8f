#include "browser/BrowserPage.h"
#include "client/embedded/DirectoryModel.h"
#include "pages/ObjectListModel.h"
#include "pages/SliceRunner.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <memory>

// A container too large to list before the page returns: its objects arrive in slices of the
// event loop while the page answers, in sorted order at every moment, and the listing can
// be cancelled or replaced.
class LargeListingTest : public QObject {
    Q_OBJECT

    static constexpr int kObjects = 6000;
    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CBrowserPage> page;

    QModelIndex root() const { return rows::top(page->objectTree()); }
    QStringList shownTexts() const {
        QStringList texts;
        for (int i = 0; i < rows::count(root()); ++i)
            texts << rows::text(page->objectTree()->model()->index(i, 0, root()));
        return texts;
    }
    static bool sortedIgnoringCase(const QStringList& texts) {
        for (qsizetype i = 1; i < texts.size(); ++i)
            if (QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive) > 0)
                return false;
        return true;
    }
    void enterLarge() {
        const auto found = page->containerList()->findItems("Large", Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        page->moveTo(found.first());
    }

private slots:
    void init() {
        demo = std::make_unique<DemoClient>();
        DirectoryModel& model = demo->directory->model();
        QCOMPARE(model.addObject("Acme", "Large", "Organizational Unit"), 0);
        for (int i = 0; i < kObjects; ++i) {
            // Names in an order the page must sort, some differing only in case.
            const int n = (i * 7919) % kObjects;
            const std::string name = (n % 3 ? "user" : "User") + std::to_string(n);
            QCOMPARE(model.addObject("Large.Acme", name, "User", {{"Surname", {"Large"}}}), 0);
        }
        page = std::make_unique<CBrowserPage>(demo->services(), nullptr);
        page->create();
        page->resize(700, 560);
        page->show();
    }
    void cleanup() {
        page.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void theFirstScreenComesAtOnceAndTheRestInSortedSlices() {
        enterLarge();
        QVERIFY(page->isListing());
        const int first = rows::count(root());
        QVERIFY(first > 0 && first < kObjects);
        QVERIFY(sortedIgnoringCase(shownTexts()));
        // the page answers between slices: a row can be selected while the rest arrives
        page->objectTree()->setCurrentIndex(rows::child(root(), 0));
        const QString selected = rows::text(page->objectTree()->currentIndex());
        QTRY_VERIFY_WITH_TIMEOUT(!page->isListing(), 20000);
        QCOMPARE(rows::count(root()), kObjects);
        QVERIFY(sortedIgnoringCase(shownTexts()));
        QCOMPARE(rows::text(page->objectTree()->currentIndex()), selected);
        QVERIFY(demo->reporter.messages.isEmpty());
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    // Past a size the page merges arrivals a step at a time: the rows stay sorted at every
    // moment, a held row stays on its object, and the listing ends with every object shown.
    void stepwiseMergesShowASortedListingAtEveryMoment() {
        ObjectListModel* model = page->objectModel();
        model->setStepwiseMergeFrom(500);
        int changes = 0;
        bool alwaysSorted = true;
        const auto check = [&] {
            ++changes;
            alwaysSorted = alwaysSorted && sortedIgnoringCase(shownTexts());
        };
        connect(model, &QAbstractItemModel::layoutChanged, this, check);
        connect(model, &QAbstractItemModel::rowsInserted, this, check);
        enterLarge();
        QVERIFY(page->isListing());
        page->objectTree()->setCurrentIndex(rows::child(root(), 3));
        const QString selected = rows::text(page->objectTree()->currentIndex());
        QTRY_VERIFY_WITH_TIMEOUT(!page->isListing(), 20000);
        QVERIFY(changes > 2);
        QVERIFY(alwaysSorted);
        QCOMPARE(rows::count(root()), kObjects);
        QCOMPARE(rows::text(page->objectTree()->currentIndex()), selected);
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    void cancelStopsTheListingAndKeepsWhatArrived() {
        page->listingRun()->setProgressDelay(0);
        enterLarge();
        QVERIFY(page->isListing());
        ListingProgress* progress = page->listingProgress();
        QTRY_VERIFY_WITH_TIMEOUT(progress->isVisible(), 20000);
        QVERIFY(page->isListing());
        QVERIFY(progress->countLabel()->text().startsWith("Listing: "));
        QVERIFY(progress->countLabel()->text().endsWith(" objects so far"));
        progress->cancelButton()->click();
        QVERIFY(!page->isListing());
        QVERIFY(!progress->isVisible());
        const int kept = rows::count(root());
        QVERIFY(kept > 0 && kept < kObjects);
        QTest::qWait(50);
        QCOMPARE(rows::count(root()), kept);
        QVERIFY(sortedIgnoringCase(shownTexts()));
        QCOMPARE(demo->outstanding().buffers, 0);
        // nothing of the listing is left open in the directory: a refresh lists in full
        page->refresh();
        QTRY_VERIFY_WITH_TIMEOUT(!page->isListing(), 20000);
        QCOMPARE(rows::count(root()), kObjects);
    }

    void aRefreshDuringAListingStartsAfresh() {
        enterLarge();
        QVERIFY(page->isListing());
        page->refresh();
        QVERIFY(page->isListing());
        QVERIFY(rows::count(root()) < kObjects); // the old rows went first
        QTRY_VERIFY_WITH_TIMEOUT(!page->isListing(), 20000);
        QCOMPARE(rows::count(root()), kObjects);
        QCOMPARE(page->containerList()->findItems(QString(), Qt::MatchExactly).size(), 1);
    }

    void leavingDuringAListingEndsIt() {
        enterLarge();
        QVERIFY(page->isListing());
        page->moveTo(page->containerList()->item(0)); // up
        QVERIFY(!page->isListing());
        QCOMPARE(rows::text(root()), QStringLiteral("Acme"));
        QVERIFY(rows::named(root(), "Large").isValid());
        QTest::qWait(50);
        QVERIFY(!rows::named(root(), "user1").isValid());
    }
};

QTEST_MAIN(LargeListingTest)
#include "LargeListingTest.moc"
