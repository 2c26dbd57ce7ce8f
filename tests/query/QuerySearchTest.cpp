// Searching the demo tree through the NDS Query page: the results tree and its value texts,
// the attribute choice, the resets, and every failing call of a search.
#include "QueryFixture.h"
#include "client/common/ValueWire.h"
#include "directory/ResultCodes.h"

namespace {
constexpr NWDSCCODE Refused = -672;
} // namespace

class QuerySearchTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QueryFixture> q;

    void open(const std::string& identity = "Admin.Acme") {
        q = std::make_unique<QueryFixture>(identity);
        q->openPage();
        QVERIFY(q->reporter.messages.isEmpty());
    }
    // Users below Sales.Acme.
    void usersOfSales() {
        q->location()->setText("Sales.Acme");
        q->addCriterion("Object Class", "EQUALS", "User");
    }

private slots:
    void init() { open(); }
    void cleanup() {
        q->page.reset();
        QCOMPARE(q->outstanding(), ClientResourceCounts{});
        q.reset();
    }

    void showsEveryObjectFoundWithTheValuesOfEachSyntax() {
        q->request({"Title", "Telephone Number", "Login Disabled", "Minimum Account Balance",
                    "Employee Number", "Serial Number", "Group Membership", "Revision",
                    "Password Expiration Interval", "Object Class", "Surname"});
        usersOfSales();
        q->submit();
        QVERIFY(q->reporter.messages.isEmpty());
        QCOMPARE(q->topLevelTexts(), (QStringList{"Demo.Sales.Acme", "Jane.Sales.Acme",
                                                  "John.Sales.Acme", "Mary.Sales.Acme"}));
        const QModelIndex demo = q->found("Demo.Sales.Acme");
        QCOMPARE(itemImage(demo), 1); // the User icon
        QCOMPARE(QueryFixture::values(demo, "Title"),
                 (QStringList{"Demonstration Account", "Test Subject", "Sample"}));
        QCOMPARE(rows::count(QueryFixture::child(demo, "Title")), 3);
        QCOMPARE(QueryFixture::values(demo, "Telephone Number"),
                 (QStringList{"+1 555 0220", "+1 555 0221"}));
        QCOMPARE(QueryFixture::values(demo, "Login Disabled"), QStringList{"FALSE"});
        QCOMPARE(QueryFixture::values(demo, "Minimum Account Balance"), QStringList{"4294967295"});
        QCOMPARE(QueryFixture::values(demo, "Employee Number"), QStringList{"004711"});
        QCOMPARE(QueryFixture::values(demo, "Serial Number"), QStringList{"DEMO-0001"});
        QCOMPARE(QueryFixture::values(demo, "Group Membership"),
                 QStringList{"Sales Staff.Sales.Acme"});
        QCOMPARE(QueryFixture::values(demo, "Revision"), QStringList{"42"});
        QCOMPARE(QueryFixture::values(demo, "Password Expiration Interval"),
                 QStringList{"7776000"});
        QVERIFY(QueryFixture::values(demo, "Object Class").contains("User"));
        QCOMPARE(itemImage(QueryFixture::child(demo, "Title")), 25);
        QCOMPARE(itemImage(rows::child(QueryFixture::child(demo, "Title"), 0)), 28);
        // an object without a requested attribute shows only those it has
        const QModelIndex john = q->found("John.Sales.Acme");
        QVERIFY(!QueryFixture::child(john, "Title").isValid());
        QCOMPARE(QueryFixture::values(john, "Surname"), QStringList{"Smith"});
        // the search ends with the criteria and the requested attributes reset
        QVERIFY(q->rows().isEmpty() && q->requestedNames().isEmpty());
        QVERIFY(!q->page->hasFilter());
        QCOMPARE(q->location()->text(), QStringLiteral("Sales.Acme"));
        // submitting again asks for criteria, and the results stay
        q->submit();
        QCOMPARE(
            q->reporter.last(),
            QStringLiteral("You must set search criteria before  \r submitting search query!"));
        QCOMPARE(q->topLevelTexts().size(), 4);
    }

    void nothingFoundAndNothingRequested() {
        q->addCriterion("Surname", "EQUALS", "Nobody");
        q->submit();
        QCOMPARE(q->topLevelTexts(), QStringList{"<No objects met the assigned criteria>"});
        QCOMPARE(itemImage(rows::top(q->results())), 19);
        QVERIFY(q->rows().isEmpty());
        // with no attribute requested the objects come without children
        q->addCriterion("Surname", "EQUALS", "Doe");
        q->addCriterion("CN", "EQUALS", "John", "OR");
        q->submit();
        QCOMPARE(q->topLevelTexts(), (QStringList{"Jane.Sales.Acme", "John.Sales.Acme"}));
        QCOMPARE(rows::count(rows::top(q->results())), 0);
    }

    void manyObjectsOverSeveralPassesAndOneSplitAcrossTwo() {
        DirectoryModel& m = q->directory->model();
        std::vector<std::string> titles;
        for (int i = 0; i < 90; ++i)
            titles.push_back("Title " + std::to_string(i) + std::string(40, '.'));
        QCOMPARE(
            m.addObject("Sales.Acme", "Zed", "User", {{"Surname", {"Zed"}}, {"Title", titles}}), 0);
        q->request({"Title", "Surname"});
        q->location()->setText("Acme");
        q->addCriterion("Object Class", "EQUALS", "User");
        q->submit();
        QVERIFY(q->reporter.messages.isEmpty());
        QCOMPARE(q->client->callCount("NWDSSearch") > 1, true);
        QStringList texts = q->topLevelTexts();
        QVERIFY(texts.size() > 500); // the bulk users too
        QCOMPARE(texts.count("Zed.Sales.Acme"), 1);
        const QModelIndex zed = q->found("Zed.Sales.Acme");
        QStringList all;
        for (int i = 0; i < rows::count(zed); ++i)
            if (rows::text(rows::child(zed, i)) == "Title")
                for (int v = 0; v < rows::count(rows::child(zed, i)); ++v)
                    all << rows::text(rows::child(rows::child(zed, i), v));
        QCOMPARE(all.size(), 90);
        QCOMPARE(all.first(), QString::fromStdString(titles.front()));
        QCOMPARE(all.last(), QString::fromStdString(titles.back()));
        QCOMPARE(QueryFixture::values(zed, "Surname"), QStringList{"Zed"});
        // sorted among the root items, case ignored
        QStringList sorted = texts;
        std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(texts, sorted);
    }

    void theGuestFindsOnlyWhatItMayBrowse() {
        // Lab hides itself and what is below it from everyone but the administrator.
        q->page.reset();
        q = std::make_unique<QueryFixture>("Guest.Acme");
        DirectoryModel& m = q->directory->model();
        QCOMPARE(m.addValues(*m.find("Lab.Engineering.Acme"), *m.aclDefinition(),
                             {wire::aclValue(kEntryRights, "[Public]", 0)}),
                 0);
        m.changed();
        q->openPage();
        q->request({"Surname"});
        q->location()->setText("Engineering.Acme");
        q->addCriterion("Object Class", "EQUALS", "User");
        q->addCriterion("Object Class", "EQUALS", "Computer", "OR");
        q->submit();
        QVERIFY(q->reporter.messages.isEmpty());
        QCOMPARE(q->topLevelTexts(),
                 (QStringList{"EngAdmin.Engineering.Acme", "WKS-042.Engineering.Acme"}));
        QCOMPARE(rows::count(q->found("EngAdmin.Engineering.Acme")), 0); // it may read nothing
    }

    void choosingAnAttributeRequestsItAndShowsItsSyntax() {
        q->choose("CN");
        QCOMPARE(q->syntax()->text(), QStringLiteral("Case Ignore String"));
        q->choose("CN");
        q->choose("C"); // begins an entry already listed, and is added
        QCOMPARE(q->requestedNames(), (QStringList{"C", "CN"}));
        q->choose("Login Disabled");
        QCOMPARE(q->syntax()->text(), QStringLiteral("Boolean"));
        QCOMPARE(q->requestedNames(), (QStringList{"C", "CN", "Login Disabled"}));

        // a double click drops the selected entry, and its values are no longer returned
        q->requested()->setCurrentRow(1);
        const QRect cell = q->requested()->visualItemRect(q->requested()->item(1));
        QTest::mouseDClick(q->requested()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(q->requestedNames(), (QStringList{"C", "Login Disabled"}));
        q->requested()->clearSelection();
        q->page->removeSelectedRequestedAttribute();
        QCOMPARE(q->requestedNames().size(), 2);
        q->addCriterion("CN", "EQUALS", "Jane");
        q->submit();
        const QModelIndex jane = q->found("Jane.Sales.Acme");
        QVERIFY(jane.isValid() && !QueryFixture::child(jane, "CN").isValid());

        // failures of the syntax read: the name stays requested, the field keeps its text
        q->choose("Login Disabled");
        for (const char* operation : {"NWDSGetSyntaxID", "NWDSReadSyntaxDef"}) {
            q->reporter.clear();
            q->client->failCall(operation, 1, Refused);
            q->choose("Surname");
            QCOMPARE(q->reporter.messages,
                     QStringList{
                         failed(qPrintable(QString(operation) + "() returned: %04X\n"), Refused)});
            QCOMPARE(q->syntax()->text(), QStringLiteral("Boolean"));
            QVERIFY(q->requestedNames().contains("Surname"));
        }
    }

    void resetLeavesTheResultsAndTheLocation() {
        usersOfSales();
        q->submit();
        q->location()->setText("Engineering.Acme");
        q->request({"Title"});
        q->addCriterion("CN", "EQUALS", "Jane");
        q->click("resetCriteriaButton");
        QCOMPARE(q->topLevelTexts().size(), 4);
        QCOMPARE(q->location()->text(), QStringLiteral("Engineering.Acme"));
    }

    // Each call of "Submit Query" failed: its message, what stays, and list and filter in step.
    void failedCallsOfASearch() {
        enum Then { FilterKept, CriteriaCleared, CriteriaReset };
        struct Case {
            const char* operation;
            int nth;
            const char* message;
            Then then;
        };
        const Case cases[] = {
            {"NWDSAllocBuf", 1, "NWDSAllocBuf returned: %04X\n", FilterKept},
            {"NWDSInitBuf", 1, "NWDSInitBuf returned: %04X\n", FilterKept},
            {"NWDSPutAttrName", 1, "NWDSPutAttrName() returned: %04X\n", FilterKept},
            {"NWDSAllocBuf", 2, "NWDSAllocBuf returned: %04X\n", FilterKept},
            {"NWDSInitBuf", 2, "NWDSInitBuf returned: %04X\n", FilterKept},
            {"NWDSAddFilterToken", 1, "NWDSAddFilterToken() returned: %04X\n", FilterKept},
            {"NWDSPutFilter", 1, "NWDSPutFilter returned: %04X\n", FilterKept},
            {"NWDSAllocBuf", 3, "NWDSAllocBuf() returned: %04X\n", CriteriaCleared},
            {"NWDSSearch", 1, "NWDSSearch() returned: %04X\n", CriteriaReset},
            {"NWDSGetObjectCount", 1, "NWDSPutFilter returned: %04X\n", CriteriaCleared},
            {"NWDSGetObjectName", 2, "NWDSGetObjectName() returned: %04X\n", CriteriaCleared},
            {"NWDSGetAttrName", 3, "NWDSGetAttrName() returned: %04X\n", CriteriaCleared},
            {"NWDSComputeAttrValSize", 2, "NWDSComputeAttrValSize() returned: %04X\n",
             CriteriaCleared},
            {"NWDSGetAttrVal", 2, "NWDSGetAttrVal() returned: %04X\n", CriteriaCleared},
        };
        for (const Case& c : cases) {
            const QString what = QString("%1 #%2").arg(c.operation).arg(c.nth);
            q->page->OnResetCriteria();
            q->reporter.clear();
            q->request({"Surname", "Title"});
            usersOfSales();
            q->client->failCall(c.operation, c.nth, Refused);
            q->submit();
            QVERIFY2(q->reporter.messages == QStringList{failed(c.message, Refused)},
                     qPrintable(what));
            QCOMPARE(q->outstanding().buffers, 0);
            const bool kept = c.then == FilterKept;
            QVERIFY2(q->page->hasFilter() == kept, qPrintable(what));
            QVERIFY2(q->rows().size() == (kept ? 1 : 0), qPrintable(what));
            QVERIFY2(q->requestedNames().isEmpty() == (c.then == CriteriaReset), qPrintable(what));
            if (c.nth > 1 && QString(c.operation).startsWith("NWDSGet"))
                QVERIFY2(rows::topCount(q->results()) >= 1,
                         qPrintable(what)); // what came first stays
            if (kept) {
                // the kept filter still searches, and takes further criteria
                q->client->clearFaults();
                q->addCriterion("CN", "EQUALS", "Jane", "AND");
                q->submit();
                QVERIFY2(q->topLevelTexts() == QStringList{"Jane.Sales.Acme"}, qPrintable(what));
                QCOMPARE(q->reporter.messages.size(), 1);
            }
        }
    }
};

QTEST_MAIN(QuerySearchTest)
#include "QuerySearchTest.moc"
