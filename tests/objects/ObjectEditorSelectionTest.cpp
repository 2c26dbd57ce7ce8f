#include "ObjectEditorFixture.h"

#include <QAccessible>
#include <QApplication>

// Choosing objects and attributes: the attribute lists from the class walk, the header
// fields, the values and the default operation texts.
class ObjectEditorSelectionTest : public ObjectEditorFixture {
    Q_OBJECT

private slots:
    void init() {
        demo = std::make_unique<DemoClient>();
        openPage();
    }
    void cleanup() {
        closePage();
        demo.reset();
    }

    void startsBlankWithTheListing() {
        QCOMPARE(text("treeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(text("contextField"), QStringLiteral("Acme"));
        QVERIFY(!text("serverField").isEmpty());
        QCOMPARE(items(operationCombo()),
                 (QStringList{"Add Additional Value", "Add Attribute", "Add Value",
                              "Overwrite Value", "Remove Attribute", "Remove Value"}));
        QCOMPARE(operationCombo()->currentText(), QString());
        QCOMPARE(values()->columnCount(), 1);
        QCOMPARE(values()->headerItem()->text(0), QStringLiteral("Attribute Values"));
        QCOMPARE(criteria()->columnCount(), 3);
        QCOMPARE(criteria()->headerItem()->text(2), QStringLiteral("Attribute Type"));
        for (int n = 1; n <= 3; ++n)
            QVERIFY(!shown(entry(n)) && !shown(prompt(n)));
        QVERIFY(messages().isEmpty());
    }

    void sameClassKeepsTheListsAnotherClassRebuildsThem() {
        select(object("Admin"));
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(text("typeField"), QStringLiteral("User"));
        const QStringList userAttributes = items(attributeCombo());
        QVERIFY(!userAttributes.isEmpty());
        attributeCombo()->setEditText("typed by hand");
        protectedCombo()->setEditText("also typed");
        operationCombo()->setEditText("Add Value");
        const int reads = demo->faults.callCount("NWDSReadClassDef");

        select(object("Guest"));
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Guest"));
        QCOMPARE(demo->faults.callCount("NWDSReadClassDef"), reads);
        QCOMPARE(items(attributeCombo()), userAttributes);
        QCOMPARE(attributeCombo()->currentText(), QStringLiteral("typed by hand"));
        QCOMPARE(protectedCombo()->currentText(), QStringLiteral("also typed"));

        select(object("Sales"));
        QCOMPARE(text("typeField"), QStringLiteral("Organizational Unit"));
        QVERIFY(items(attributeCombo()).contains("OU"));
        QVERIFY(!items(attributeCombo()).contains("Surname"));
        QCOMPARE(attributeCombo()->currentText(), QString());
        QCOMPARE(operationCombo()->currentText(),
                 QStringLiteral("Add Value")); // object entries leave it
    }

    void everyClassOfTheLineageIsReadOnce() {
        // Bindery Group, its super class Group, and Top.
        const int reads = demo->faults.callCount("NWDSReadClassDef");
        select(object("EVERYONE-BINDERY"));
        QCOMPARE(demo->faults.callCount("NWDSReadClassDef") - reads, 3);
        for (const char* attr : {"Bindery Type", "Member", "CN", "ACL", "Object Class"}) {
            QVERIFY2(items(attributeCombo()).contains(attr), attr);
            QVERIFY2(items(protectedCombo()).contains(attr), attr);
        }
        const QStringList protectedList = items(protectedCombo());
        QCOMPARE(protectedList.mid(0, 2),
                 (QStringList{"[All Attributes Rights]", "[Entry Rights]"}));
        QVERIFY(!items(attributeCombo()).contains("[Entry Rights]"));
        for (int i = 3; i < protectedList.size(); ++i)
            QVERIFY(QString::compare(protectedList[i - 1], protectedList[i], Qt::CaseInsensitive) <=
                    0);

        // User has two super classes: both chains are offered.
        select(object("Admin"));
        for (const char* attr : {"Surname", "CN", "Telephone Number", "Home Directory",
                                 "Network Address", "Login Disabled", "ACL"})
            QVERIFY2(items(attributeCombo()).contains(attr), attr);
    }

    void aFailedClassReadEndsTheWalk() {
        demo->faults.failCall("NWDSReadClassDef", 2, -672);
        select(object("EVERYONE-BINDERY"));
        QCOMPARE(messages(), QStringList{failed("NWDSReadClassDef() returned: %04X\n")});
        QVERIFY(items(attributeCombo()).contains("Bindery Type"));
        QVERIFY(!items(attributeCombo()).contains("Member"));
        QCOMPARE(items(protectedCombo()).mid(0, 2),
                 (QStringList{"[All Attributes Rights]", "[Entry Rights]"}));
    }

    void anAttributeEntryShowsItsValuesAndSetsUpThePanel() {
        select(attribute("Admin", "Surname"));
        QCOMPARE(QApplication::overrideCursor(), nullptr); // the wait cursor is gone again
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(text("typeField"), QStringLiteral("User"));
        QCOMPARE(values()->headerItem()->text(0), QStringLiteral("Surname"));
        QCOMPARE(valueRow(0), QStringList{"Administrator"});
        QCOMPARE(attributeCombo()->currentText(), QStringLiteral("Surname"));
        QCOMPARE(operationCombo()->currentText(), QStringLiteral("Remove Attribute"));
        QCOMPARE(prompt(1)->text(),
                 QStringLiteral("Type: Case Ignore String  Enter String Value:"));
        QVERIFY(shown(entry(1)) && !shown(entry(2)));

        choose(attributeCombo(), "Title");
        QCOMPARE(operationCombo()->currentText(), QStringLiteral("Add Attribute"));
        clickValueRow(0);
        QCOMPARE(operationCombo()->currentText(), QStringLiteral("Remove Value"));
        QCOMPARE(entry(1)->text(), QStringLiteral("Administrator")); // decoded as Surname
    }

    void aStreamShowsOnlyItsColumn() {
        select(attribute("Standard Profile", "Login Script"));
        QCOMPARE(values()->columnCount(), 1);
        QCOMPARE(values()->headerItem()->text(0), QStringLiteral("Attribute Values"));
        QCOMPARE(values()->topLevelItemCount(), 0);
    }

    // An assistive technology selects through the accessibility interface: the selection
    // moves, the current item does not.
    void selectionThroughAccessibilityChoosesTheEntry() {
        page->show();
        QAccessibleInterface* view = QAccessible::queryAccessibleInterface(tree());
        QVERIFY(view && view->tableInterface());
        const int row = rows::shownRow(tree(), object("Guest"));
        QVERIFY(row >= 0);
        QVERIFY(view->tableInterface()->selectRow(row));
        QVERIFY(tree()->currentIndex() != object("Guest"));
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Guest"));
    }

    void everyCallOfChoosingAnAttributeMayFail_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("class buffer") << "NWDSAllocBuf"
                                      << "NWDSAllocBuf returned: %04X\n";
        QTest::newRow("class request") << "NWDSInitBuf"
                                       << "NWDSInitBuf returned: %04X\n";
        QTest::newRow("class name") << "NWDSPutClassItem"
                                    << "NWDSPutClassName() returned: %04X\n";
        QTest::newRow("class read") << "NWDSReadClassDef"
                                    << "NWDSReadClassDef() returned: %04X\n";
        QTest::newRow("class definition") << "NWDSGetClassDef"
                                          << "NWDSGetClassDef() returned: %04X\n";
        QTest::newRow("item count") << "NWDSGetClassItemCount"
                                    << "NWDSGetClassItemCount() returned: %04X\n";
        QTest::newRow("item") << "NWDSGetClassItem"
                              << "NWDSGetClassItem() returned: %04X\n";
        QTest::newRow("attribute name") << "NWDSPutAttrName"
                                        << "NWDSPutAttrName returned: %04X\n";
        QTest::newRow("attribute count") << "NWDSGetAttrCount"
                                         << "\nNWDSGetAttrCount returned: %04X\n";
        QTest::newRow("value size") << "NWDSComputeAttrValSize"
                                    << "NWDSComputeAttrValSize returned %04X";
        QTest::newRow("value") << "NWDSGetAttrVal"
                               << "\nNWDSGetAttrVal returned: %04X\n";
        QTest::newRow("value syntax") << "NWDSReadSyntaxDef"
                                      << "\nNWDSReadSyntaxDef() returned: %04X\n";
        QTest::newRow("panel syntax") << "NWDSGetSyntaxID"
                                      << "NWDSGetSyntaxID() returned: %04X\n";
        QTest::newRow("server") << "NWDSGetContext"
                                << "NWDSGetContext returned: %04X\n";
    }
    void everyCallOfChoosingAnAttributeMayFail() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        const QModelIndex surname = attribute("Admin", "Surname"); // its names read first
        demo->faults.failCall(operation.toStdString(), 1, -672);
        select(surname);
        QVERIFY2(messages().contains(failed(qPrintable(message))),
                 qPrintable(messages().join('|')));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(demo->outstanding().buffers, 0);
    }

    void failuresWhileChoosing() {
        const QModelIndex surname = attribute("Admin", "Surname"); // its names read first
        demo->faults.failCall("NWDSRead", 1, -672);
        select(surname);
        QCOMPARE(messages().value(0), failed("\nNWDSRead returned: %04X\n"));
        demo->reporter.clear();
        demo->faults.failCall("NWDSGetSyntaxID", 1, -601);
        choose(attributeCombo(), "Title");
        QCOMPARE(messages(), QStringList{failed("NWDSGetSyntaxID() returned: %04X\n", -601)});
        QCOMPARE(operationCombo()->currentText(), QStringLiteral("Add Attribute"));
        QCOMPARE(prompt(1)->text(),
                 QStringLiteral("Type: Case Ignore String  Enter String Value:"));
    }
};

QTEST_MAIN(ObjectEditorSelectionTest)
#include "ObjectEditorSelectionTest.moc"
