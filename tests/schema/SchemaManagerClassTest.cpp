// The Schema Manager's class half: the pickers and their lists, the input checks, defining,
// extending and removing classes, the Schema Viewer seeing the change, and every call made
// to fail.
#include "SchemaManagerFixture.h"
#include "objects/ObjectManagerPage.h"
#include "schema/SchemaViewerPage.h"

#include <QTest>
#include <QTreeWidget>

namespace {
const QString kRemovalRules = "Take note of the following rules: \r"
                              "1) All base class  definitions are Non-Removeable.\r"
                              "2) All instances of a class must be removed before a class "
                              "definition \r"
                              "can be removed. \r";
} // namespace

class SchemaManagerClassTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SchemaManagerFixture> f;

    QStringList entries(const char* list) const {
        return SchemaManagerFixture::entries(f->list(list));
    }
    // A container class of Top in Organizational Units, named by CN.
    void fillInWidget() {
        f->type("classNameCombo", "Widget");
        QVERIFY(f->choose("superClassCombo", "Top"));
        QVERIFY(f->choose("namingAttributeCombo", "CN"));
        QVERIFY(f->choose("containerPicker", "Organizational Unit"));
        QVERIFY(f->choose("classFlagPicker", "Container Class"));
        QVERIFY(f->choose("classFlagPicker", "Effective Class"));
        QVERIFY(f->choose("mandatoryPicker", "CN"));
        QVERIFY(f->choose("optionalPicker", "Description"));
        QVERIFY(f->choose("optionalPicker", "Telephone Number"));
    }
    const ClassDefinition* defined(const char* name) { return f->schema().findClass(name); }

private slots:
    void init() {
        f = std::make_unique<SchemaManagerFixture>();
        f->openQuietly();
    }
    void cleanup() {
        f->close();
        f.reset();
    }

    // An entry is added unless an equal one is there, so that "Organization" can follow
    // "Organizational Unit"; a double-click drops the selected entry.
    void pickersAddEachEntryOnce() {
        QVERIFY(f->choose("containerPicker", "Organizational Unit"));
        QVERIFY(f->choose("containerPicker", "Organization"));
        QVERIFY(f->choose("containerPicker", "Organization"));
        QCOMPARE(entries("containmentList"), QStringList({"Organization", "Organizational Unit"}));
        QVERIFY(f->choose("classFlagPicker", "Ambiguous Naming"));
        QVERIFY(f->choose("classFlagPicker", "Ambiguous Naming"));
        QCOMPARE(entries("classFlagList"), QStringList{"Ambiguous Naming"});
        f->type("mandatoryPicker", "typed");
        f->doubleClick("containmentList", "Organization");
        QCOMPARE(entries("containmentList"), QStringList{"Organizational Unit"});
        QVERIFY(f->combo("mandatoryPicker")->currentText().isEmpty());
        QVERIFY(f->combo("containerPicker")->currentText().isEmpty());
    }

    void aContainerClassIsDefinedAndOfferedAsContainer() {
        fillInWidget();
        f->demo->faults.resetCounts();
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{"Class Widget successfully added!"});
        QCOMPARE(f->demo->faults.callCount("NWDSBeginClassItem"), 5);
        const ClassDefinition* widget = defined("Widget");
        QVERIFY(widget);
        QCOMPARE(widget->flags, 0x03u);
        QCOMPARE(widget->lists[ClassDefinition::SuperClasses], std::vector<std::string>{"Top"});
        QCOMPARE(widget->lists[ClassDefinition::Containment],
                 std::vector<std::string>{"Organizational Unit"});
        QCOMPARE(widget->lists[ClassDefinition::Naming], std::vector<std::string>{"CN"});
        QCOMPARE(widget->lists[ClassDefinition::Optional],
                 (std::vector<std::string>{"Description", "Telephone Number"}));
        QVERIFY(f->page->changed());
        // Refilled: the name fields are empty, the new class is offered, containers too.
        QVERIFY(f->combo("classNameCombo")->currentText().isEmpty());
        QVERIFY(f->combo("superClassCombo")->currentText().isEmpty());
        for (const char* name : {"classNameCombo", "superClassCombo", "containerPicker"})
            QVERIFY2(SchemaManagerFixture::items(f->combo(name)).contains("Widget"), name);
        // The lists and the naming attribute keep their contents.
        QCOMPARE(entries("classFlagList"), QStringList({"Container Class", "Effective Class"}));
        QCOMPARE(entries("optionalList"), QStringList({"Description", "Telephone Number"}));
        QCOMPARE(f->combo("namingAttributeCombo")->currentText(), QStringLiteral("CN"));
        // Objects of the new class can be placed in an Organizational Unit.
        QCOMPARE(f->model().addObject("Sales.Acme", "W1", "Widget"), 0);
    }

    // A class defined here is offered by a new Object Manager page, which creates an object
    // of it with its mandatory attribute.
    void aNewClassIsInstantiatedOnTheObjectManagerPage() {
        f->type("classNameCombo", "Gizmo");
        QVERIFY(f->choose("superClassCombo", "Top"));
        QVERIFY(f->choose("namingAttributeCombo", "CN"));
        QVERIFY(f->choose("containerPicker", "Organization"));
        QVERIFY(f->choose("classFlagPicker", "Effective Class"));
        QVERIFY(f->choose("mandatoryPicker", "CN"));
        QVERIFY(f->choose("mandatoryPicker", "Description"));
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{"Class Gizmo successfully added!"});

        CObjectManagerPage manager(f->demo->services(), nullptr);
        manager.create(f->model().treeName());
        auto* classes = manager.findChild<QComboBox*>("objectClassCombo");
        QVERIFY(classes->findText("Gizmo") >= 0);
        classes->setCurrentIndex(classes->findText("Gizmo"));
        auto* waiting = manager.findChild<QListWidget*>("mandatoryList");
        QCOMPARE(waiting->count(), 1);
        QCOMPARE(waiting->item(0)->text(), QStringLiteral("Description"));
        manager.findChild<QLineEdit*>("attributeValueField")->setText("first gizmo");
        manager.findChild<QPushButton*>("addToCriteriaButton")->click();
        manager.findChild<QLineEdit*>("objectNameField")->setText("G1");
        manager.findChild<QPushButton*>("createObjectButton")->click();
        QCOMPARE(f->take(), QStringList{"Object G1 created successfully!"});
        const auto id = f->model().find("G1.Acme");
        QVERIFY(id.has_value());
        QCOMPARE(f->model().objects().get(*id)->baseClass, defined("Gizmo"));
    }

    void emptyListsAreStillSent() {
        f->type("classNameCombo", "Plain");
        QVERIFY(f->choose("superClassCombo", "Top"));
        QVERIFY(f->choose("classFlagPicker", "Ambiguous Naming"));
        f->demo->faults.resetCounts();
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{"Class Plain successfully added!"});
        QCOMPARE(f->demo->faults.callCount("NWDSBeginClassItem"), 5);
        QCOMPARE(f->demo->faults.callCount("NWDSPutClassItem"), 1);
        QCOMPARE(defined("Plain")->flags, 0x08u);
        for (int list = ClassDefinition::Containment; list <= ClassDefinition::Optional; ++list)
            QVERIFY(defined("Plain")->lists[list].empty());
        QVERIFY(!SchemaManagerFixture::items(f->combo("containerPicker")).contains("Plain"));
    }

    void inputChecksAreShownTogetherAfterThePickersWereEmptied() {
        f->type("classFlagPicker", "typed");
        QVERIFY(f->choose("optionalPicker", "Description"));
        f->demo->faults.resetCounts();
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{"Please provide an object class name.\r"
                                        "Please select a super class.\r"
                                        "Please select object class flags.\r"});
        QVERIFY(f->combo("classFlagPicker")->currentText().isEmpty());
        QCOMPARE(entries("optionalList"), QStringList{"Description"});
        f->type("classNameCombo", "Widget");
        QVERIFY(f->choose("classFlagPicker", "Effective Class"));
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{"Please select a super class.\r"});
        // "Modify" asks for optional attributes even with a class name.
        f->doubleClick("optionalList", "Description");
        f->press("classModifyButton");
        QCOMPARE(f->take(), QStringList{"Please select optional attribute(s).\r"});
        f->type("classNameCombo", "");
        f->press("classModifyButton");
        QCOMPARE(f->take(), QStringList{"Please provide an object class name.\r"
                                        "Please select optional attribute(s).\r"});
        f->press("classRemoveButton");
        QCOMPARE(f->take(), QStringList{"Please provide an object class name."});
        QCOMPARE(f->demo->faults.callCount("NWDSAllocBuf"), 0);
        QCOMPARE(f->demo->faults.callCount("NWDSRemoveClassDef"), 0);
    }

    void modifyAddsTheOptionalListOnly() {
        QCOMPARE(f->model().defineAttribute({"Shoe Size", "", "", 0, SYN_INTEGER}), 0);
        f->page->fillAttributePickers();
        f->type("classNameCombo", "Group");
        QVERIFY(f->choose("optionalPicker", "Shoe Size"));
        QVERIFY(f->choose("mandatoryPicker", "CN"));
        QVERIFY(f->choose("classFlagPicker", "Container Class"));
        const QString added = entries("optionalList").front();
        auto expected = defined("Group")->lists;
        expected[ClassDefinition::Optional].push_back(added.toStdString());
        const std::uint32_t flags = defined("Group")->flags;
        f->press("classModifyButton");
        QCOMPARE(f->take(), QStringList{"Class Group successfully Modified!"});
        QCOMPARE(defined("Group")->lists, expected);
        QCOMPARE(defined("Group")->flags, flags);
        QVERIFY(f->page->changed());
        QCOMPARE(f->combo("classNameCombo")->currentText(), QStringLiteral("Group"));
        QCOMPARE(entries("optionalList"), QStringList{added});

        // Again: the directory refuses an attribute the class has.
        f->press("classModifyButton");
        QCOMPARE(f->take(), QStringList{"NWDSModifyClass() returned: FFFFFD73\n"});
    }

    void removalsAreRefusedWithTheRulesAndWhatUsesTheClass() {
        f->type("classNameCombo", "User");
        f->press("classRemoveButton");
        // A base class; what uses it is named all the same.
        const auto users = f->model().classUse(*defined("User")).objects;
        QVERIFY(users > 0);
        QCOMPARE(f->take(),
                 QStringList{"NWDSRemoveClassDef() returned FFFFFD7D \r" + kRemovalRules +
                             "Objects of the class: " + QString::number(users) + "\r"});
        fillInWidget();
        f->press("classCreateButton");
        f->take();
        QCOMPARE(f->model().addObject("Sales.Acme", "W1", "Widget"), 0);
        QCOMPARE(f->model().addObject("Sales.Acme", "W2", "Widget"), 0);
        ClassDefinition gadget{
            "Gadget", "", "", DS_EFFECTIVE_CLASS, {{{"Widget"}, {}, {}, {}, {}}}};
        ClassDefinition part{
            "Part", "", "", DS_EFFECTIVE_CLASS, {{{"Top"}, {"Widget"}, {"CN"}, {}, {}}}};
        QCOMPARE(f->model().defineClass(gadget), 0);
        QCOMPARE(f->model().defineClass(part), 0);
        f->type("classNameCombo", "Widget");
        f->press("classRemoveButton");
        QCOMPARE(f->take(),
                 QStringList{"NWDSRemoveClassDef() returned FFFFFD7C \r" + kRemovalRules +
                             "Subclasses: Gadget\r"
                             "Classes placed in it: Part\r"
                             "Objects of the class: 2\r"});
        QVERIFY(defined("Widget"));
        QCOMPARE(f->combo("classNameCombo")->currentText(), QStringLiteral("Widget"));
    }

    void anAcceptedRemovalSaysAttributeAndRefillsTheClassPickers() {
        fillInWidget();
        f->press("classCreateButton");
        f->take();
        f->page->clearChanged();
        f->type("classNameCombo", "Widget");
        f->press("classRemoveButton");
        QCOMPARE(f->take(), QStringList{"Attribute Widget was successfully removed!"});
        QVERIFY(!defined("Widget"));
        QVERIFY(f->page->changed());
        QVERIFY(f->combo("classNameCombo")->currentText().isEmpty());
        for (const char* name : {"classNameCombo", "superClassCombo", "containerPicker"})
            QVERIFY2(!SchemaManagerFixture::items(f->combo(name)).contains("Widget"), name);
    }

    void theSchemaViewerShowsANewClassAfterItsRefresh() {
        CSchemaViewerPage viewer(f->demo->services(), nullptr);
        viewer.create(f->model().treeName());
        auto* classes = viewer.findChild<QTreeWidget*>("classTree");
        const auto has = [&](const QString& name) {
            return !classes->findItems(name, Qt::MatchExactly).isEmpty();
        };
        QVERIFY(!has("Widget"));
        fillInWidget();
        f->press("classCreateButton");
        QVERIFY(f->page->changed());
        viewer.refresh();
        QVERIFY(has("Widget"));
    }

    void resetEmptiesTheHalf() {
        fillInWidget();
        f->type("attributeNameCombo", "Kept");
        f->press("classResetButton");
        for (const char* name :
             {"classNameCombo", "superClassCombo", "namingAttributeCombo", "containerPicker",
              "classFlagPicker", "mandatoryPicker", "optionalPicker"})
            QVERIFY2(f->combo(name)->currentText().isEmpty(), name);
        for (const char* name :
             {"containmentList", "classFlagList", "mandatoryList", "optionalList"})
            QVERIFY2(f->list(name)->count() == 0, name);
        QCOMPARE(f->combo("attributeNameCombo")->currentText(), QStringLiteral("Kept"));
    }

    void everyFailingCallOfADefinitionIsReportedAndDefinesNothing_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("nth");
        QTest::addColumn<QString>("message");
        QTest::newRow("buffer") << "NWDSAllocBuf" << 1 << "NWDSAllocBuf() returned: FFFFFEC1\n";
        QTest::newRow("prepare") << "NWDSInitBuf" << 1 << "NWDSInitBuf() returned: FFFFFEC1\n";
        QTest::newRow("first list")
            << "NWDSBeginClassItem" << 1 << "NWDSBeginClassItem() returned: FFFFFEC1\n";
        QTest::newRow("last list")
            << "NWDSBeginClassItem" << 5 << "NWDSBeginClassItem() returned: FFFFFEC1\n";
        QTest::newRow("an item") << "NWDSPutClassItem" << 3
                                 << "NWDSPutClassItem() returned: FFFFFEC1\n";
        QTest::newRow("definition")
            << "NWDSDefineClass" << 1 << "NWDSDefineClass() returned: FFFFFEC1\n";
    }
    void everyFailingCallOfADefinitionIsReportedAndDefinesNothing() {
        QFETCH(QString, operation);
        QFETCH(int, nth);
        QFETCH(QString, message);
        fillInWidget();
        f->demo->faults.failCall(operation.toStdString(), nth, ERR_SYSTEM_ERROR);
        f->press("classCreateButton");
        QCOMPARE(f->take(), QStringList{message});
        QVERIFY(!defined("Widget"));
        QVERIFY(!f->page->changed());
        QCOMPARE(f->combo("classNameCombo")->currentText(), QStringLiteral("Widget"));
        QCOMPARE(entries("optionalList"), QStringList({"Description", "Telephone Number"}));
    }

    void everyFailingCallOfAModificationIsReportedAndChangesNothing_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("buffer") << "NWDSAllocBuf"
                                << "NWDSAllocBuf() returned: FFFFFEC1\n";
        QTest::newRow("prepare") << "NWDSInitBuf"
                                 << "NWDSInitBuf() returned: FFFFFEC1\n";
        QTest::newRow("an item") << "NWDSPutClassItem"
                                 << "NWDSPutClassItem() returned: FFFFFEC1\n";
        QTest::newRow("modify") << "NWDSModifyClass"
                                << "NWDSModifyClass() returned: FFFFFEC1\n";
        QTest::newRow("remove") << "NWDSRemoveClassDef"
                                << "NWDSRemoveClassDef() returned FFFFFEC1 \r" + kRemovalRules;
    }
    void everyFailingCallOfAModificationIsReportedAndChangesNothing() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        f->type("classNameCombo", "Group");
        QVERIFY(f->choose("optionalPicker", "Description"));
        const auto before = defined("Group")->lists;
        f->demo->faults.failCall(operation.toStdString(), 1, ERR_SYSTEM_ERROR);
        f->press(operation == "NWDSRemoveClassDef" ? "classRemoveButton" : "classModifyButton");
        const QStringList shown = f->take();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(message), qPrintable(shown[0]));
        QCOMPARE(defined("Group")->lists, before);
        QVERIFY(!f->page->changed());
    }
};

QTEST_MAIN(SchemaManagerClassTest)
#include "SchemaManagerClassTest.moc"
