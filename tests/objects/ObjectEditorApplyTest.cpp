#include "ObjectEditorFixture.h"
#include "browser/BrowserPage.h"
#include "tests/support/ObjectRows.h"

#include <QPointer>

// "Modify Object" and "Reset All": one request per click, the criteria released on every
// path, and values written with each form read back as the renderer shows them.
class ObjectEditorApplyTest : public ObjectEditorFixture {
    Q_OBJECT

    // The rows the browser shows for an attribute of Admin.
    QList<QStringList> browserRows(const QString& attr) {
        CBrowserPage browser(demo->services(), nullptr);
        browser.create();
        const QModelIndex admin = rows::named(rows::top(browser.objectTree()), "Admin");
        const QModelIndex item = rows::named(admin, attr);
        QList<QStringList> shown;
        if (!item.isValid())
            return shown;
        browser.objectTree()->selectionModel()->select(item, QItemSelectionModel::Select);
        auto* list = browser.findChild<QTreeWidget*>("valueList");
        for (int r = 0; r < list->topLevelItemCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < list->columnCount(); ++c)
                cells << list->topLevelItem(r)->text(c);
            shown << cells;
        }
        return shown;
    }

    void queueTitle(const QString& value, const QString& operation) {
        choose(attributeCombo(), "Title");
        entry(1)->setText(value);
        queue("Title", operation);
    }

private slots:
    void init() {
        demo = std::make_unique<DemoClient>();
        openPage();
    }
    void cleanup() {
        closePage();
        demo.reset();
    }

    void nothingIsSentWithoutCriteriaOrObject() {
        click("modifyObjectButton");
        QCOMPARE(messages(), QStringList{"You MUST set modification criteria!"});
        demo->reporter.clear();
        queue("Full Name", "Remove Attribute");
        QCOMPARE(criteria()->topLevelItemCount(), 1);
        click("modifyObjectButton");
        QCOMPARE(messages(), QStringList{"Please select an object to modify."});
        QCOMPARE(criteria()->topLevelItemCount(), 1);
        QCOMPARE(demo->faults.callCount("NWDSModifyObject"), 0);
        click("resetAllButton");
        QCOMPARE(criteria()->topLevelItemCount(), 0);
        click("resetAllButton");
        QCOMPARE(messages().size(), 1);
    }

    void threeRowsTravelInOneRequest() {
        select(attribute("Admin", "Surname"));
        queueTitle("Chief", "Add Value");
        queue("Full Name", "Remove Attribute");
        queueTitle("Boss", "Add Value");
        QCOMPARE(criteria()->topLevelItemCount(), 3);
        demo->faults.resetCounts();
        click("modifyObjectButton");
        QCOMPARE(messages().last(), QStringLiteral("Object Admin.Acme was successfully modified!"));
        QCOMPARE(demo->faults.callCount("NWDSPutChange"), 3);
        QCOMPARE(demo->faults.callCount("NWDSPutAttrVal"), 2);
        QCOMPARE(demo->faults.callCount("NWDSModifyObject"), 1);
        QVERIFY(page->changed());
        QCOMPARE(criteria()->topLevelItemCount(), 0);
        QCOMPARE(text("selectedObjectField"), QString());
        QCOMPARE(text("typeField"), QStringLiteral("User"));
        QCOMPARE(values()->topLevelItemCount(), 0);
        QCOMPARE(values()->headerItem()->text(0), QStringLiteral("Surname"));
        QVERIFY(attribute("Admin", "Title").isValid() &&
                !attribute("Admin", "Full Name").isValid());
        const QList<QStringList> titles = browserRows("Title");
        QCOMPARE(titles, (QList<QStringList>{{"Administrator"}, {"Chief"}, {"Boss"}}));
    }

    void aRefusedModificationKeepsTheTree() {
        select(attribute("Admin", "Title"));
        const QPersistentModelIndex admin(object("Admin")); // gone if the tree were listed anew
        queueTitle("administrator", "Add Value");
        click("modifyObjectButton");
        QCOMPARE(messages().last(), failed("NWDSModifyObject() returned: %04X\n", -614));
        QCOMPARE(criteria()->topLevelItemCount(), 0);
        QVERIFY(admin.isValid());
        QCOMPARE(object("Admin"), QModelIndex(admin));
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Admin"));
        QCOMPARE(valueRow(0), QStringList{"Administrator"});
        QVERIFY(!page->changed());
    }

    void belowRootTheNameIsTheLabelAlone() {
        closePage();
        NWDSContextHandle context = NO_CONTEXT;
        QCOMPARE(demo->faults.NWDSCreateContextHandle(&context), 0);
        QCOMPARE(demo->faults.NWDSSetDefNameContext(context, 6, "[Root]"), 0);
        demo->faults.NWDSFreeContext(context);
        openPage();
        QCOMPARE(text("contextField"), QStringLiteral("[Root]"));
        select(object("Acme"));
        choose(attributeCombo(), "Description");
        entry(1)->setText("Written below the root");
        queue("Description", "Add Value");
        click("modifyObjectButton");
        QCOMPARE(messages().last(), QStringLiteral("Object Acme was successfully modified!"));
    }

    void everyFailingCallReleasesTheCriteria_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("nth");
        QTest::addColumn<QString>("message");
        QTest::newRow("buffer") << "NWDSAllocBuf" << 1 << "NWDSAllocBuf returned: %04X\n";
        QTest::newRow("init") << "NWDSInitBuf" << 1 << "NWDSInitBuf returned: %04X\n";
        QTest::newRow("change") << "NWDSPutChange" << 2 << "NWDSPutChange() returned: %04X\n";
        QTest::newRow("value") << "NWDSPutAttrVal" << 1 << "NWDSPutChange() returned: %04X\n";
        QTest::newRow("modify") << "NWDSModifyObject" << 1 << "NWDSModifyObject() returned: %04X\n";
    }
    void everyFailingCallReleasesTheCriteria() {
        QFETCH(QString, operation);
        QFETCH(int, nth);
        QFETCH(QString, message);
        select(object("Admin"));
        queueTitle("Chief", "Add Value");
        queueTitle("Boss", "Add Value");
        demo->faults.failCall(operation.toStdString(), nth, -672);
        click("modifyObjectButton");
        QCOMPARE(messages().last(), failed(qPrintable(message)));
        QCOMPARE(criteria()->topLevelItemCount(), 0);
        QCOMPARE(text("selectedObjectField"), QStringLiteral("Admin"));
        QVERIFY(!page->changed());
        QCOMPARE(demo->outstanding().buffers, 0);
        QCOMPARE(browserRows("Title"), QList<QStringList>{{"Administrator"}});
    }

    void everyFormRoundTrips_data() {
        QTest::addColumn<QString>("attr");
        QTest::addColumn<QStringList>("inputs"); // entry 1, 2, 3, protected attribute
        QTest::addColumn<QStringList>("marks");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QStringList>("takenBack"); // entry 1, 2, 3 after a click on the row
        const QStringList same;
        QTest::newRow("string") << "Title" << QStringList{"Chief"} << same << QStringList{"Chief"}
                                << QStringList{"Chief", "", ""};
        QTest::newRow("boolean") << "Login Disabled" << QStringList{"1"} << same
                                 << QStringList{"TRUE"} << QStringList{"1", "", ""};
        QTest::newRow("integer") << "Login Grace Limit" << QStringList{"6"} << same
                                 << QStringList{"6"} << QStringList{"6", "", ""};
        QTest::newRow("counter") << "Account Balance" << QStringList{"-1"} << same
                                 << QStringList{"4294967295"} << QStringList{"4294967295", "", ""};
        QTest::newRow("interval") << "Password Expiration Interval" << QStringList{"3600"} << same
                                  << QStringList{"3600"} << QStringList{"3600", "", ""};
        QTest::newRow("time") << "Login Expiration Time" << QStringList{"86400"} << same
                              << QStringList{"Fri Jan 02 00:00:00 1970\n"}
                              << QStringList{"86400", "", ""};
        QTest::newRow("fax") << "Facsimile Telephone Number" << QStringList{"555-0100"} << same
                             << QStringList{"555-0100"} << QStringList{"555-0100", "", ""};
        QTest::newRow("net") << "Network Address" << QStringList{"c0a80001", "4", "1"} << same
                             << QStringList{"1", "4", "C0A80001"}
                             << QStringList{"C0A80001", "4", "1"};
        QTest::newRow("e-mail") << "EMail Address" << QStringList{"1", "chief@acme.example"} << same
                                << QStringList{"1", "chief@acme.example"}
                                << QStringList{"1", "chief@acme.example", ""};
        QTest::newRow("path") << "Home Directory"
                              << QStringList{"ACME-FS1_SYS.Acme", "home/admin", "4"} << same
                              << QStringList{"4", "ACME-FS1_SYS.Acme", "home/admin"}
                              << QStringList{"ACME-FS1_SYS.Acme", "home/admin", "4"};
        QTest::newRow("acl") << "ACL" << QStringList{"Guest.Acme", "", "", "[Entry Rights]"}
                             << QStringList{"entryRightBrowse", "entryRightRename"}
                             << QStringList{"[Entry Rights]", "[BR] ", "Guest.Acme"}
                             << QStringList{"Guest.Acme", "", ""};
        QTest::newRow("typed name")
            << "Notify" << QStringList{"Guest.Acme", "1", "16"} << same
            << QStringList{"Guest.Acme", "0001", "0010"} << QStringList{"Guest.Acme", "1", "16"};
        // Shown in its own layout: level, interval, an empty column, the name.
        QTest::newRow("partition control")
            << "Partition Control" << QStringList{"ACME-FS1.Acme", "0", "1"} << same
            << QStringList{"0", "0001", "", "ACME-FS1.Acme"}
            << QStringList{"ACME-FS1.Acme", "0", "1"};
        QTest::newRow("hold") << "Server Holds" << QStringList{"Guest.Acme", "5"} << same
                              << QStringList{"Guest.Acme", "5"}
                              << QStringList{"Guest.Acme", "5", ""};
    }
    void everyFormRoundTrips() {
        QFETCH(QString, attr);
        QFETCH(QStringList, inputs);
        QFETCH(QStringList, marks);
        QFETCH(QStringList, shown);
        QFETCH(QStringList, takenBack);
        select(object("Admin"));
        choose(attributeCombo(), attr);
        for (int n = 1; n <= 3; ++n)
            entry(n)->setText(inputs.value(n - 1));
        if (!inputs.value(3).isEmpty())
            choose(protectedCombo(), inputs.value(3));
        for (const QString& name : marks)
            box(qPrintable(name))->setChecked(true);
        queue(attr, "Overwrite Value");
        click("modifyObjectButton");
        QCOMPARE(messages().last(), QStringLiteral("Object Admin.Acme was successfully modified!"));
        QVERIFY(browserRows(attr).contains(shown));

        // The value shown on this page goes back into the panel as it was typed.
        for (QCheckBox* b : page->findChildren<QCheckBox*>())
            b->setChecked(false);
        select(attribute("Admin", attr));
        int row = 0;
        while (row < values()->topLevelItemCount() && valueRow(row) != shown)
            ++row;
        QVERIFY(row < values()->topLevelItemCount());
        clickValueRow(row);
        QCOMPARE(operationCombo()->currentText(), QStringLiteral("Remove Value"));
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(entry(n)->text(), takenBack[n - 1]);
        for (const QString& name : marks)
            QVERIFY(box(qPrintable(name))->isChecked() && this->shown(box(qPrintable(name))));
        if (!inputs.value(3).isEmpty())
            QCOMPARE(protectedCombo()->currentText(), inputs.value(3));

        // Taken back, the value can be removed again.
        queue(attr, "Remove Value");
        click("modifyObjectButton");
        QCOMPARE(messages().last(), QStringLiteral("Object Admin.Acme was successfully modified!"));
        QVERIFY(!browserRows(attr).contains(shown));
    }
};

QTEST_MAIN(ObjectEditorApplyTest)
#include "ObjectEditorApplyTest.moc"
