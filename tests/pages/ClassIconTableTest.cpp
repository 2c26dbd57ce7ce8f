#include "pages/ClassIconTable.h"

#include "tests/support/DemoClient.h"
#include "tests/support/TestPage.h"

#include <QTest>

class ClassIconTableTest : public QObject {
    Q_OBJECT

private slots:
    void iconsAreFoundByExactName_data() {
        QTest::addColumn<QString>("baseClass");
        QTest::addColumn<int>("icon");
        QTest::newRow("user") << "User" << 1;
        QTest::newRow("lower case user") << "user" << 19;
        QTest::newRow("organization") << "Organization" << 2;
        QTest::newRow("unit") << "Organizational Unit" << 3;
        QTest::newRow("printer") << "Printer" << 17;
        QTest::newRow("last row") << "Bindery Group" << 24;
        QTest::newRow("not a class") << "Up Arrow" << 0;
        QTest::newRow("unlisted") << "Template" << 19;
        QTest::newRow("empty") << "" << 19;
    }
    void iconsAreFoundByExactName() {
        QFETCH(QString, baseClass);
        QFETCH(int, icon);
        QCOMPARE(ClassIconTable::iconFor(baseClass.toStdString()), icon);
    }

    void typeNamesForIcons() {
        DemoClient demo;
        TestPage page(demo.faults, "Acme");
        QCOMPARE(ClassIconTable::typeNameFor(page, 26, "ACME_TREE"), std::string("NDS Tree"));
        QCOMPARE(ClassIconTable::typeNameFor(page, 25, "CN"), std::string("Unknown"));
        QCOMPARE(ClassIconTable::typeNameFor(page, 3, "Sales"), std::string("Organizational Unit"));
        QCOMPARE(demo.faults.callCount("NWDSReadObjectInfo"), 0);
        QVERIFY(page.messages.empty());
    }

    void unknownIconReadsTheRealClass() {
        DemoClient demo;
        TestPage page(demo.faults, "Acme");
        QCOMPARE(ClassIconTable::typeNameFor(page, 19, "New Employee"), std::string("Template"));
        QVERIFY(page.messages.empty());

        demo.faults.failCall("NWDSReadObjectInfo", 1, -601);
        QCOMPARE(ClassIconTable::typeNameFor(page, 19, "New Employee"), std::string("Unknown"));
        QCOMPARE(page.messages,
                 std::vector<std::string>{"NWDSReadObjectInfo returned: FFFFFDA7\n"});
    }

    void rootContextReadsTheBareName() {
        DemoClient demo;
        TestPage atRoot(demo.faults, "[Root]");
        QCOMPARE(ClassIconTable::typeNameFor(atRoot, 19, "US"), std::string("Country"));
        QVERIFY(atRoot.messages.empty());
    }
};

QTEST_MAIN(ClassIconTableTest)
#include "ClassIconTableTest.moc"
