// Building the filter criterion by criterion: the tokens sent per syntax and special case,
// the checks and their messages, the rows, and every failing call taken back.
#include "QueryFixture.h"
#include "directory/ResultCodes.h"

namespace {
using Call = FilterRecordingClient::Call;
using Calls = std::vector<Call>;
constexpr NWDSCCODE Refused = -672;
} // namespace

class QueryCriteriaTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QueryFixture> q;

    // The calls made since the last look.
    Calls take() {
        Calls out = std::move(q->client->calls);
        q->client->calls.clear();
        return out;
    }

private slots:
    void init() {
        q = std::make_unique<QueryFixture>();
        // An attribute named as the naming-value case expects, absent from the base schema.
        AttributeDefinition common;
        common.name = "Common Name";
        common.ldapName = "commonNameForSearch";
        common.syntax = SYN_CI_STRING;
        QCOMPARE(q->directory->model().addAttribute(common), 0);
        q->openPage();
        QVERIFY(q->reporter.messages.isEmpty());
    }
    void cleanup() {
        q->page.reset();
        QCOMPARE(q->outstanding(), ClientResourceCounts{});
        q.reset();
    }

    void startsWithTheNameContextTheSearchableAttributesAndTheOperators() {
        QCOMPARE(q->location()->text(), QStringLiteral("Acme"));
        QStringList offered;
        for (int i = 0; i < q->attributes()->count(); ++i)
            offered << q->attributes()->itemText(i);
        for (const char* name :
             {"Surname", "See Also", "Login Shell", "Serial Number", "Employee Number",
              "Login Disabled", "Minimum Account Balance", "Telephone Number", "Object Class",
              "Revision", "Password Expiration Interval"})
            QVERIFY2(offered.contains(name), name);
        for (const char* name :
             {"Photo", "ACL", "Network Address", "Login Script", "Last Login Time"})
            QVERIFY2(!offered.contains(name), name);
        QStringList sorted = offered;
        std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
            return QString::compare(a, b, Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(offered, sorted);
        QStringList ops;
        for (int i = 0; i < q->operators()->count(); ++i)
            ops << q->operators()->itemText(i);
        QCOMPARE(ops, (QStringList{"EQUALS", "GREATER THAN", "LESSER THAN", "Present"}));
        QCOMPARE(q->criteria()->headerItem()->text(0), QStringLiteral("Field Name"));
        QCOMPARE(q->criteria()->headerItem()->text(3), QStringLiteral("Node Operator"));
        QCOMPARE(q->criteria()->columnWidth(2), 175);
        QVERIFY(!q->control<QRadioButton>("orRadio")->isChecked());
        QVERIFY(!q->control<QRadioButton>("andRadio")->isChecked());
    }

    void theExampleFilterAndItsRows() {
        q->addCriterion("Title", "EQUALS", "Manager", "AND"); // a joint on the first is ignored
        q->addCriterion("Object Class", "EQUALS", "User", "AND");
        QVERIFY(q->reporter.messages.isEmpty());
        QCOMPARE(take(), (Calls{{FTOK_ANAME, "Title", 3},
                                {FTOK_EQ, "", 0},
                                {FTOK_AVAL, "Manager", 3},
                                {FTOK_AND, "", 0},
                                {FTOK_BASECLS, "", 0},
                                {FTOK_ANAME, "User", 20}}));
        QCOMPARE(q->rows(),
                 (QStringList{"Title|EQUALS|Manager|", "|||AND", "Object Class|EQUALS|User|"}));
        q->submit();
        const Calls end = take();
        QVERIFY(!end.empty() && (end.front() == Call{FTOK_END, "", 0}));
    }

    void tokensPerSyntaxAndSpecialCase() {
        struct Case {
            const char* attribute;
            const char* op;
            const char* value;
            Calls calls;
        };
        const Case cases[] = {
            {"CN", "GREATER THAN", "Smith", {{FTOK_RDN, "", 0}, {FTOK_ANAME, "Smith", 3}}},
            {"cn",
             "GREATER THAN",
             "Smith",
             {{FTOK_ANAME, "cn", 3}, {FTOK_GE, "", 0}, {FTOK_AVAL, "Smith", 3}}},
            {"Object Class",
             "LESSER THAN",
             "User",
             {{FTOK_BASECLS, "", 0}, {FTOK_ANAME, "User", 20}}},
            {"object class",
             "EQUALS",
             "User",
             {{FTOK_ANAME, "object class", 20}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "User", 20}}},
            {"See Also",
             "EQUALS",
             "Jane.Sales.Acme",
             {{FTOK_ANAME, "See Also", 1}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "Jane.Sales.Acme", 1}}},
            {"Login Shell",
             "LESSER THAN",
             "/bin/sh",
             {{FTOK_ANAME, "Login Shell", 2}, {FTOK_LE, "", 0}, {FTOK_AVAL, "/bin/sh", 2}}},
            {"Serial Number",
             "EQUALS",
             "X1",
             {{FTOK_ANAME, "Serial Number", 4}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "X1", 4}}},
            {"Employee Number",
             "EQUALS",
             "0047",
             {{FTOK_ANAME, "Employee Number", 5}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "0047", 5}}},
            {"Telephone Number",
             "EQUALS",
             "+1 555",
             {{FTOK_ANAME, "Telephone Number", 10}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "+1 555", 10}}},
            {"Login Disabled",
             "EQUALS",
             "TRUE",
             {{FTOK_ANAME, "Login Disabled", 7}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "0", 7}}},
            {"Minimum Account Balance",
             "GREATER THAN",
             " -5",
             {{FTOK_ANAME, "Minimum Account Balance", 8}, {FTOK_GE, "", 0}, {FTOK_AVAL, "-5", 8}}},
            {"Revision",
             "EQUALS",
             "12abc",
             {{FTOK_ANAME, "Revision", 22}, {FTOK_EQ, "", 0}, {FTOK_AVAL, "12", 22}}},
            {"Password Expiration Interval",
             "EQUALS",
             "4294967297",
             {{FTOK_ANAME, "Password Expiration Interval", 27},
              {FTOK_EQ, "", 0},
              {FTOK_AVAL, "1", 27}}},
            {"Photo", "Present", "ignored", {{FTOK_PRESENT, "", 0}, {FTOK_ANAME, "Photo", 9}}},
            {"CN", "Present", "", {{FTOK_PRESENT, "", 0}, {FTOK_ANAME, "CN", 3}}},
        };
        for (const Case& c : cases) {
            q->page->OnResetCriteria();
            take();
            q->addCriterion(c.attribute, c.op, c.value);
            QVERIFY2(q->reporter.messages.isEmpty(), c.attribute);
            QVERIFY2(take() == c.calls, c.attribute);
            QCOMPARE(q->rows().size(), 1);
            const bool present = QString(c.op) == "Present";
            QCOMPARE(q->rows().first(),
                     QStringList({c.attribute, c.op, present ? "" : c.value, ""}).join('|'));
            QCOMPARE(q->value()->text(), present ? QString() : QString(c.value));
        }
    }

    void commonNameIsAlsoRequested() {
        q->request({"Title", "CN"});
        q->addCriterion("Common Name", "EQUALS", "Jane");
        QCOMPARE(take(), (Calls{{FTOK_RDN, "", 0}, {FTOK_ANAME, "Jane", 3}}));
        QCOMPARE(q->requestedNames(), (QStringList{"CN", "Common Name", "Title"}));
        q->addCriterion("Common Name", "EQUALS", "John", "OR");
        QCOMPARE(q->requestedNames(), (QStringList{"CN", "Common Name", "Title"}));
    }

    void checksAreCollectedInOneBox() {
        q->addCriterion("", "", "");
        QCOMPARE(q->reporter.messages,
                 QStringList{"Please select a field name.\rPlease select an operation.\r"
                             "Please enter a value.\r"});
        q->reporter.clear();
        q->addCriterion("Surname", "Present", "");
        take();
        q->addCriterion("", "", "");
        QCOMPARE(q->reporter.last(),
                 QStringLiteral("Please select a field name.\rPlease select an operation.\r"
                                "Please select to AND or OR with previous criteria.\r"));
        q->addCriterion("Surname", "EQUALS", "");
        QCOMPARE(q->reporter.last(),
                 QStringLiteral("Please enter a value.\r"
                                "Please select to AND or OR with previous criteria.\r"));
        // an operator typed by hand that is none of the four is refused
        q->addCriterion("Surname", "LIKE", "x", "AND");
        QCOMPARE(q->reporter.last(), QStringLiteral("Please select an operation.\r"));
        QCOMPARE(q->reporter.messages.size(), 3);
        QVERIFY(take().empty());
        QCOMPARE(q->rows(), QStringList{"Surname|Present||"});
    }

    void connectorRowsJoinTheCriteria() {
        q->addCriterion("Surname", "EQUALS", "Doe");
        q->addCriterion("Title", "EQUALS", "Clerk", "OR");
        q->addCriterion("Login Disabled", "EQUALS", "1", "AND");
        QCOMPARE(q->rows(), (QStringList{"Surname|EQUALS|Doe|", "|||OR", "Title|EQUALS|Clerk|",
                                         "|||AND", "Login Disabled|EQUALS|1|"}));
        const Calls calls = take();
        QCOMPARE(calls[3], Call({FTOK_OR, "", 0}));
        QCOMPARE(calls[7], Call({FTOK_AND, "", 0}));
        QCOMPARE(calls.size(), std::size_t(11));
    }

    void unsearchableSyntaxIsRefused() {
        q->addCriterion("Photo", "EQUALS", "AB");
        QCOMPARE(q->reporter.last(),
                 QStringLiteral("The syntax of this attribute cannot be searched.\r"));
        QVERIFY(q->rows().isEmpty());
        QVERIFY(!q->page->hasFilter());
    }

    // Each call of "Add Criteria" failed: its message, and list and filter unchanged.
    void failedCallsTakeTheCriterionBack() {
        struct Case {
            const char* operation;
            int nth;
            const char* message;
        };
        const Case cases[] = {
            {"NWDSAllocFilter", 1, "NWDSAllocFilter returned: %04X\n"},
            {"NWDSGetSyntaxID", 1, "NWDSGetSyntaxID() returned: %04X\n"},
            {"NWDSAddFilterToken", 1, "NWDSAddFilterToken() returned: %04X\n"},
            {"NWDSAddFilterToken", 3, "NWDSAddFilterToken() returned: %04X\n"},
        };
        for (const Case& c : cases) {
            // as the first criterion: no filter is left
            q->page->OnResetCriteria();
            q->reporter.clear();
            q->client->failCall(c.operation, c.nth, Refused);
            q->addCriterion("Surname", "EQUALS", "Doe");
            QCOMPARE(q->reporter.messages, QStringList{failed(c.message, Refused)});
            QVERIFY(q->rows().isEmpty());
            QVERIFY(!q->page->hasFilter());
            QCOMPARE(q->outstanding().filters, 0);
        }
        for (const Case& c : cases) {
            if (QString(c.operation) == "NWDSAllocFilter")
                continue;
            // as a later criterion: the filter is what it was before
            q->page->OnResetCriteria();
            q->client->clearFaults();
            q->addCriterion("CN", "EQUALS", "Jane");
            q->reporter.clear();
            take();
            q->client->failCall(c.operation, c.nth, Refused);
            q->addCriterion("Surname", "EQUALS", "Doe", "OR");
            QCOMPARE(q->reporter.messages, QStringList{failed(c.message, Refused)});
            QCOMPARE(q->rows(), QStringList{"CN|EQUALS|Jane|"});
            take();
            q->submit();
            QCOMPARE(q->topLevelTexts(), QStringList{"Jane.Sales.Acme"});
        }
    }

    void aFilterThatCannotBeBuiltAgainTakesItsRowsWithIt() {
        q->addCriterion("CN", "EQUALS", "Jane");
        q->client->failCall("NWDSGetSyntaxID", 1, Refused);
        q->client->failCall("NWDSAllocFilter", 1, ERR_NOT_ENOUGH_MEMORY);
        q->addCriterion("Surname", "EQUALS", "Doe", "AND");
        QCOMPARE(q->reporter.messages,
                 (QStringList{failed("NWDSGetSyntaxID() returned: %04X\n", Refused),
                              failed("NWDSAllocFilter returned: %04X\n", ERR_NOT_ENOUGH_MEMORY)}));
        QVERIFY(q->rows().isEmpty());
        QVERIFY(!q->page->hasFilter());
    }

    void resetDiscardsTheFilterAndEverythingTyped() {
        q->request({"Surname"});
        q->addCriterion("CN", "EQUALS", "Jane");
        QVERIFY(q->page->hasFilter());
        q->click("resetCriteriaButton");
        QVERIFY(!q->page->hasFilter());
        QCOMPARE(q->outstanding().filters, 0);
        QVERIFY(q->rows().isEmpty() && q->requestedNames().isEmpty());
        QVERIFY(q->attributes()->currentText().isEmpty() &&
                q->operators()->currentText().isEmpty());
        QVERIFY(q->value()->text().isEmpty() && q->syntax()->text().isEmpty());
        QCOMPARE(q->location()->text(), QStringLiteral("Acme"));
        // the next criterion starts a new filter: no connector is sent or asked for
        take();
        q->addCriterion("CN", "EQUALS", "John");
        QCOMPARE(take().front().token, std::uint32_t(FTOK_RDN));
        q->submit();
        QCOMPARE(q->topLevelTexts(), QStringList{"John.Sales.Acme"});
    }

    void aPageClosedWithAFilterReleasesIt() {
        q->addCriterion("CN", "EQUALS", "Jane");
        QCOMPARE(q->outstanding().filters, 1);
    }
};

QTEST_MAIN(QueryCriteriaTest)
#include "QueryCriteriaTest.moc"
