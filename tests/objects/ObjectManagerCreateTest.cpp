#include "ObjectManagerFixture.h"

#include <QSignalSpy>

// The create form on the demo tree: the class walk, the criteria pairs, the checks, the
// request as sent, and every failing call of the form with what survives it.
class ObjectManagerCreateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ManagerDemo> demo;

    QStringList messages() const { return demo->reporter.messages; }

private slots:
    void init() { demo = std::make_unique<ManagerDemo>(); }
    void cleanup() {
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void userAsksForTheMandatoryAttributesOfBothSuperClassChains() {
        ManagerPage p(*demo);
        auto* combo = p.control<QComboBox>("objectClassCombo");
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(combo->findText("User") >= 0);
        for (const char* notEffective : {"Person", "Top", "Organizational Person"})
            QCOMPARE(combo->findText(notEffective), -1);

        p.chooseClass("User");
        // Surname comes from Person, on the chain the last listed super class does not reach;
        // CN is the typed name; "Object Class" of Top is not asked for.
        QCOMPARE(p.waiting(), QStringList{"Surname"});
        QCOMPARE(p.criteria(), QStringList{"Object Class=User"});
        QCOMPARE(p.field("syntaxField")->text(), QStringLiteral("Case Ignore String"));
        QCOMPARE(p.control<QListWidget>("mandatoryList")->currentRow(), 0);

        p.addPair("Smith");
        p.field("objectNameField")->setText("Ann");
        p.click("createObjectButton");
        QCOMPARE(messages(), QStringList{"Object Ann created successfully!"});
        QVERIFY(demo->exists("Ann.Acme"));
        QVERIFY(p.objects().contains("Ann"));
        QVERIFY(p.page.changed());
        QVERIFY(p.criteria().isEmpty() && p.waiting().isEmpty());
        QVERIFY(combo->currentText().isEmpty() && p.field("objectNameField")->text().isEmpty());
    }

    void pairsStandInReverseBelowTheClassRowAndAreSentInThatOrder() {
        ClassDefinition kiosk;
        kiosk.name = "Kiosk";
        kiosk.flags = DS_EFFECTIVE_CLASS;
        kiosk.lists[ClassDefinition::SuperClasses] = {"Top"};
        kiosk.lists[ClassDefinition::Containment] = {"Organization"};
        kiosk.lists[ClassDefinition::Naming] = {"CN"};
        kiosk.lists[ClassDefinition::Mandatory] = {"CN", "Title", "Description", "Full Name"};
        QCOMPARE(demo->directory->model().addClass(kiosk), 0);
        ManagerPage p(*demo);
        p.chooseClass("Kiosk");
        QCOMPARE(p.waiting(), (QStringList{"Description", "Full Name", "Title"}));
        // The top entry is taken whichever entry is selected.
        p.control<QListWidget>("mandatoryList")->setCurrentRow(2);
        p.addPair("A");
        p.addPair("B");
        p.addPair("C");
        QCOMPARE(p.criteria(),
                 (QStringList{"Object Class=Kiosk", "Title=C", "Full Name=B", "Description=A"}));
        p.field("objectNameField")->setText("K1");
        demo->faults.putNames.clear();
        p.click("createObjectButton");
        QCOMPARE(demo->faults.putNames,
                 (std::vector<std::string>{"Object Class", "Title", "Full Name", "Description"}));
        QVERIFY(demo->exists("K1.Acme"));
    }

    void checksAreShownAloneAndTogetherBeforeAnythingIsSent() {
        ManagerPage p(*demo);
        const QString name = "Please provide an object name.\r";
        const QString cls = "Please select an object class to create.\r";
        const QString waiting = "Please provide values for all mandatory attributes.\r";
        p.click("createObjectButton");
        p.field("objectNameField")->setText("Ann");
        p.click("createObjectButton");
        p.chooseClass("User");
        p.click("createObjectButton");
        p.field("objectNameField")->clear();
        p.click("createObjectButton");
        p.addPair("Smith");
        p.click("createObjectButton");
        QCOMPARE(messages(), (QStringList{name + cls, cls, waiting, name + waiting, name}));
        QCOMPARE(demo->faults.callCount("NWDSAddObject"), 0);
    }

    void numbersAreTakenUpToTheFirstNonDigit() {
        ManagerPage p(*demo);
        p.chooseClass("Bindery Object");
        QCOMPARE(p.waiting(), (QStringList{"Bindery Object Restriction", "Bindery Type"}));
        p.addPair("12abc");
        p.addPair("7");
        p.field("objectNameField")->setText("BO1");
        p.click("createObjectButton");
        QCOMPARE(messages(), QStringList{"Object BO1 created successfully!"});
        const auto id = demo->directory->model().find("BO1.Acme");
        QVERIFY(id);
        const Entry* e = demo->directory->model().objects().get(*id);
        const AttributeValues* restriction =
            e->find(demo->directory->model().schema().findAttribute("Bindery Object Restriction"));
        QVERIFY(restriction && restriction->values.size() == 1);
        QCOMPARE(QByteArray::fromStdString(std::string(restriction->values[0])),
                 QByteArray("\x0c\0\0\0", 4));
    }

    void anUnsupportedSyntaxRefusesTheCreateAndCreatesNothing() {
        ManagerPage p(*demo);
        p.chooseClass("Directory Map");
        QCOMPARE(p.waiting(), (QStringList{"Host Server", "Path"}));
        p.addPair("ACME-FS1.Acme");
        p.addPair("SYS:PUBLIC");
        p.field("objectNameField")->setText("Map1");
        const QStringList form = p.criteria();
        p.click("createObjectButton");
        QCOMPARE(messages(), QStringList{"Syntax Type for Attribute: Path is not currently "
                                         "supported by this utility"});
        QCOMPARE(demo->faults.callCount("NWDSAddObject"), 0);
        QVERIFY(!demo->exists("Map1.Acme"));
        QCOMPARE(p.criteria(), form);
        QVERIFY(!p.page.changed());
    }

    // The directory's own rules, reached through the page.
    void theDirectoryRefusesWithItsCode() {
        ManagerPage p(*demo);
        p.chooseClass("User");
        p.addPair("Smith");
        p.field("objectNameField")->setText("Admin");
        p.click("createObjectButton");
        // A class read that fails after the first class: Surname is never asked for, and the
        // directory, not the page, finds it missing.
        demo->faults.failCall("NWDSReadClassDef", 2, ERR_NO_ACCESS);
        p.chooseClass("Group");
        p.chooseClass("User");
        QVERIFY(p.waiting().isEmpty());
        p.field("objectNameField")->setText("Ann");
        p.click("createObjectButton");
        QCOMPARE(messages(),
                 (QStringList{"NWDSAddObject() returned " + hex(ERR_ENTRY_ALREADY_EXISTS),
                              "NWDSReadClassDef() returned: " + hex(ERR_NO_ACCESS) + "\n",
                              "NWDSAddObject() returned " + hex(ERR_MISSING_MANDATORY)}));
        QVERIFY(!demo->exists("Ann.Acme"));
        QVERIFY(!p.page.changed());
    }

    void everyFailingCallOfChoosingAClassIsReportedAndKeepsTheClassRow() {
        const struct {
            const char* call;
            int nth;
            QString message;
        } cases[] = {
            {"NWDSAllocBuf", 1, "NWDSAllocBuf returned: %1\n"},
            {"NWDSAllocBuf", 2, "NWDSAllocBuf returned: %1\n"},
            {"NWDSInitBuf", 1, "NWDSInitBuf returned: %1\n"},
            {"NWDSPutClassItem", 1, "NWDSPutClassName() returned: %1\n"},
            {"NWDSReadClassDef", 1, "NWDSReadClassDef() returned: %1\n"},
            {"NWDSGetClassDef", 1, "NWDSGetClassDef() returned: %1\n"},
            {"NWDSGetClassItemCount", 4, "NWDSGetClassItemCount() returned: %1\n"},
            {"NWDSGetClassItem", 1, "NWDSGetClassItem() returned: %1\n"},
            {"NWDSGetSyntaxID", 1, "NWDSGetSyntaxID() returned: %1\n"},
            {"NWDSReadSyntaxDef", 1, "NWDSReadSyntaxDef() returned: %1\n"},
        };
        for (const auto& c : cases) {
            ManagerDemo local;
            ManagerPage p(local);
            local.faults.failCall(c.call, c.nth, ERR_NO_ACCESS);
            p.chooseClass("User");
            QCOMPARE(local.reporter.messages, QStringList{c.message.arg(hex(ERR_NO_ACCESS))});
            QCOMPARE(p.criteria(), QStringList{"Object Class=User"});
            QCOMPARE(local.outstanding(), kPageContextOnly);
        }
    }

    void everyFailingCallOfTheCreateKeepsTheForm() {
        const struct {
            const char* call;
            QString message;
        } cases[] = {
            {"NWDSAllocBuf", "NWDSAllocBuf() returned %1"},
            {"NWDSInitBuf", "NWDSInitBuf() returned %1"},
            {"NWDSPutAttrName", "NWDSPutAttrName() returned %1"},
            {"NWDSGetSyntaxID", "NWDSGetSyntaxID() returned: %1"},
            {"NWDSPutAttrVal", "NWDSGetSyntaxID() returned: %1"},
            {"NWDSAddObject", "NWDSAddObject() returned %1"},
        };
        ManagerPage p(*demo);
        p.chooseClass("User");
        p.addPair("Smith");
        p.field("objectNameField")->setText("Ann");
        const QStringList form = p.criteria();
        for (const auto& c : cases) {
            demo->reporter.clear();
            demo->faults.failCall(c.call, 1, ERR_BUFFER_FULL);
            p.click("createObjectButton");
            QCOMPARE(messages(), QStringList{c.message.arg(hex(ERR_BUFFER_FULL))});
            QCOMPARE(p.criteria(), form);
            QCOMPARE(p.field("objectNameField")->text(), QStringLiteral("Ann"));
            QVERIFY(!demo->exists("Ann.Acme") && !p.page.changed());
            QCOMPARE(demo->outstanding(), kPageContextOnly);
        }
    }

    // Start-up goes on past a failed listing or class walk, keeping what each delivered.
    void failingCallsOfTheStartUpAreReported() {
        const struct {
            const char* call;
            int nth;
            QString message;
        } cases[] = {
            {"NWDSList", 1, "\nNWDSList returned : %1\n"},
            {"NWDSAllocBuf", 2, "NWDSAllocBuf returned: %1\n"},
            {"NWDSReadClassDef", 1, "NWDSReadClassDef() returned: %1\n"},
            {"NWDSGetClassDef", 10, "NWDSGetClassDef() returned: %1\n"},
            {"NWDSGetClassItemCount", 40, "NWDSGetClassItemCount() returned: %1\n"},
            {"NWDSGetClassItem", 30, "NWDSGetClassItem() returned: %1\n"},
        };
        for (const auto& c : cases) {
            ManagerDemo local;
            local.faults.failCall(c.call, c.nth, ERR_NO_ACCESS);
            ManagerPage p(local);
            QCOMPARE(local.reporter.messages, QStringList{c.message.arg(hex(ERR_NO_ACCESS))});
            const int classes = p.control<QComboBox>("objectClassCombo")->count();
            QVERIFY(c.call == QLatin1String("NWDSList") ? classes > 20 : classes < 20);
            QCOMPARE(p.objects().contains("Sales"), c.call != QLatin1String("NWDSList"));
            QCOMPARE(p.field("contextField")->text(), QStringLiteral("Acme"));
            QCOMPARE(local.outstanding(), kPageContextOnly);
        }
        QVERIFY(messages().isEmpty());
    }
};

QTEST_MAIN(ObjectManagerCreateTest)
#include "ObjectManagerCreateTest.moc"
