#include "ObjectEditorFixture.h"
#include "objects/ValueEntry.h"

#include <cstring>

Q_DECLARE_METATYPE(ValueForm)

// The Edit Panel's forms: set-up prompts, every check alone and together, the value records
// they build, and values taken back from the forms the renderer writes.
class ObjectEditorValueEntryTest : public ObjectEditorFixture {
    Q_OBJECT

    static PanelInput inputs(QString e1, QString e2 = {}, QString e3 = {}, QString prot = {}) {
        PanelInput in;
        in.entry1 = e1;
        in.entry2 = e2;
        in.entry3 = e3;
        in.protectedAttr = prot;
        return in;
    }
    static std::unique_ptr<CriterionValue> build(ValueForm form, const PanelInput& in,
                                                 QString* messages = nullptr) {
        QString text;
        auto value = buildValue(form, "Syntax", in, text);
        if (messages)
            *messages = text;
        else if (!text.isEmpty())
            qWarning("unexpected: %s", qPrintable(text));
        return value;
    }

private slots:
    void operationCodes() {
        QCOMPARE(operationCode("Add Additional Value"), std::optional<std::uint32_t>(4u));
        QCOMPARE(operationCode("remove value"), std::optional<std::uint32_t>());
    }

    void networkAddressExamples() {
        auto four = build(ValueForm::NetAddress, inputs("c0a80001", "4", "1"));
        QVERIFY(four);
        const auto& a = four->as<Net_Address_T>();
        QCOMPARE(a.addressType, 1u);
        QCOMPARE(a.addressLength, 4u);
        const std::uint8_t expected[4] = {0xC0, 0xA8, 0x00, 0x01};
        QCOMPARE(std::memcmp(a.address, expected, 4), 0);
        auto two = build(ValueForm::NetAddress, inputs("c0a80001", "2", "1"));
        QVERIFY(two && two->as<Net_Address_T>().addressLength == 2);
        QCOMPARE(two->as<Net_Address_T>().address[1], std::uint8_t(0xA8));

        QString messages;
        QVERIFY(!build(ValueForm::NetAddress, inputs("c0a80001", "5", "1"), &messages));
        QCOMPARE(messages,
                 QStringLiteral("Conversion to HEX failed. Be sure to enter HEX value.\r"));
        QVERIFY(!build(ValueForm::NetAddress, inputs("", "", ""), &messages));
        QCOMPARE(messages, QStringLiteral("Please provide the network address length.\r"
                                          "Please provide the address value in HEX.\r"
                                          "Please provide the address type (0=IPX).\r"));
        QVERIFY(!build(ValueForm::NetAddress, inputs("c0", "-1", "0"), &messages));
        QCOMPARE(messages, QStringLiteral("Please provide the network address length.\r"));
    }

    void numbersAndBooleans() {
        QCOMPARE(build(ValueForm::Boolean, inputs("yes"))->as<std::uint8_t>(), 0);
        QCOMPARE(build(ValueForm::Boolean, inputs("1"))->as<std::uint8_t>(), 1);
        QCOMPARE(build(ValueForm::Boolean, inputs("257"))->as<std::uint8_t>(), 1);
        QCOMPARE(build(ValueForm::Integer, inputs("-1"))->as<std::uint32_t>(), 0xFFFFFFFFu);
        QCOMPARE(build(ValueForm::Time, inputs("86400"))->as<std::uint32_t>(), 86400u);
        QCOMPARE(build(ValueForm::String, inputs(QString(600, 'x')))->size(), std::size_t(512));
        QCOMPARE(std::strlen(build(ValueForm::String, inputs(QString(600, 'x')))->textAt(0)),
                 std::size_t(511));
    }

    void aclRightsComeFromTheMatchingSetOnly() {
        PanelInput in = inputs("Guest.Acme", {}, {}, "[Entry Rights]");
        in.entryRightsMarked = DS_ENTRY_BROWSE | DS_ENTRY_RENAME;
        in.attributeRightsMarked = DS_ATTR_WRITE; // hidden marks of the other set
        auto entry = build(ValueForm::Acl, in);
        QCOMPARE(entry->as<Object_ACL_T>().privileges, 0x09u);
        QCOMPARE(QString(entry->as<Object_ACL_T>().protectedAttrName),
                 QStringLiteral("[Entry Rights]"));
        QCOMPARE(QString(entry->as<Object_ACL_T>().subjectName), QStringLiteral("Guest.Acme"));
        in.protectedAttr = "Title";
        in.attributeRightsMarked = DS_ATTR_READ | DS_ATTR_SUPERVISOR;
        QCOMPARE(build(ValueForm::Acl, in)->as<Object_ACL_T>().privileges, 0x22u);
    }

    void pathVolumeNamesFitTheRecord() {
        auto path = build(ValueForm::Path, inputs(QString(32, 'V'), "home/admin", "0"));
        QVERIFY(path);
        QCOMPARE(std::strlen(path->as<Path_T>().volumeName), std::size_t(32));
        QCOMPARE(QString(path->as<Path_T>().path), QStringLiteral("home/admin"));
        QString messages;
        QVERIFY(!build(ValueForm::Path, inputs(QString(33, 'V'), "p", "0"), &messages));
        QCOMPARE(messages,
                 QStringLiteral("Please provide a volume name of at most 32 characters.\r"));
    }

    void everyCheckAloneAndTogether_data() {
        QTest::addColumn<ValueForm>("form");
        QTest::addColumn<QStringList>("valid"); // entry 1, 2, 3, protected attribute
        QTest::addColumn<QList<int>>("fields"); // in check order: 0-2 entries, 3 protected
        QTest::addColumn<QStringList>("messages");
        const QStringList none{"", "", "", ""};
        QTest::newRow("string") << ValueForm::String << QStringList{"a", "", "", ""}
                                << QList<int>{0} << QStringList{"Please provide a string value.\r"};
        QTest::newRow("boolean") << ValueForm::Boolean << QStringList{"1", "", "", ""}
                                 << QList<int>{0}
                                 << QStringList{"Please provide a boolean value.\r"};
        QTest::newRow("integer") << ValueForm::Integer << QStringList{"1", "", "", ""}
                                 << QList<int>{0}
                                 << QStringList{"Please provide an integer value.\r"};
        QTest::newRow("time") << ValueForm::Time << QStringList{"1", "", "", ""} << QList<int>{0}
                              << QStringList{
                                     "Please time value in UTC (Num of seconds since Jan. 1, "
                                     "1970).\r"};
        QTest::newRow("fax") << ValueForm::FaxNumber << QStringList{"5", "", "", ""}
                             << QList<int>{0} << QStringList{"Please provide an Fax number.\r"};
        QTest::newRow("e-mail") << ValueForm::EMailAddress << QStringList{"0", "a@b", "", ""}
                                << QList<int>{1, 0}
                                << QStringList{"Please provide an E-mail Address.\r",
                                               "Please provide E-mail type value.\r"};
        QTest::newRow("path") << ValueForm::Path << QStringList{"SYS", "p", "0", ""}
                              << QList<int>{0, 1, 2}
                              << QStringList{"Please provide the volume name.\r",
                                             "Please provide the path on volume.\r",
                                             "Please provide the Name Space type (0=DOS).\r"};
        QTest::newRow("acl") << ValueForm::Acl << QStringList{"Guest.Acme", "", "", "Title"}
                             << QList<int>{0, 3}
                             << QStringList{"Please provide a subject for ACL.\r",
                                            "Please provide a protected attribute for ACL.\r"};
        QTest::newRow("typed name")
            << ValueForm::TypedName << QStringList{"Guest", "1", "2", ""} << QList<int>{0, 1, 2}
            << QStringList{"Please provide an object name.\r", "Please provide the level value.\r",
                           "Please provide the interval value.\r"};
        QTest::newRow("hold") << ValueForm::Hold << QStringList{"Guest", "5", "", ""}
                              << QList<int>{0, 1}
                              << QStringList{"Please provide an object name.\r",
                                             "Please provide the hold amount.\r"};
    }
    void everyCheckAloneAndTogether() {
        QFETCH(ValueForm, form);
        QFETCH(QStringList, valid);
        QFETCH(QList<int>, fields);
        QFETCH(QStringList, messages);
        const auto withEmpty = [&](QList<int> empty) {
            QStringList f = valid;
            for (int i : empty)
                f[i].clear();
            return inputs(f[0], f[1], f[2], f[3]);
        };
        QString shown;
        QVERIFY(build(form, withEmpty({}), &shown));
        QCOMPARE(shown, QString());
        for (int i = 0; i < fields.size(); ++i) {
            QVERIFY(!build(form, withEmpty({fields[i]}), &shown));
            QCOMPARE(shown, messages[i]);
        }
        QVERIFY(!build(form, withEmpty(fields), &shown));
        QCOMPARE(shown, messages.join(QString()));
    }

    void takingShownValuesBack() {
        PanelContent entry =
            takenContent(ValueForm::Acl, {"[Entry Rights]", "[BR] ", "Guest.Acme"});
        QCOMPARE(entry.rights, PanelContent::Rights::Entry);
        QCOMPARE(entry.marks, std::uint32_t(DS_ENTRY_BROWSE | DS_ENTRY_RENAME));
        QCOMPARE(entry.text1, QStringLiteral("Guest.Acme"));
        QCOMPARE(entry.protectedText, QStringLiteral("[Entry Rights]"));
        PanelContent attr = takenContent(ValueForm::Acl, {"Title", "[CRS] ", "Guest.Acme"});
        QCOMPARE(attr.rights, PanelContent::Rights::Attribute);
        QCOMPARE(attr.marks, std::uint32_t(DS_ATTR_COMPARE | DS_ATTR_READ | DS_ATTR_SUPERVISOR));
        QCOMPARE(takenContent(ValueForm::Acl, {"Title", "", "x"}).rights,
                 PanelContent::Rights::None);

        QCOMPARE(takenContent(ValueForm::Boolean, {"TRUE"}).text1, QStringLiteral("1"));
        QCOMPARE(takenContent(ValueForm::Boolean, {"FALSE"}).text1, QStringLiteral("0"));
        const PanelContent typed = takenContent(ValueForm::TypedName, {"Guest", "0001", "0010"});
        QCOMPARE(typed.text2, QStringLiteral("1"));
        QCOMPARE(typed.text3, QStringLiteral("16"));
        const PanelContent net =
            takenContent(ValueForm::NetAddress, {"1", "4", "C0A80001:000000000000"});
        QCOMPARE(net.text1, QStringLiteral("C0A80001000000000000"));
        QCOMPARE(net.text2, QStringLiteral("4"));
        QCOMPARE(net.text3, QStringLiteral("1"));
        const PanelContent path = takenContent(ValueForm::Path, {"0", "SYS", "home"});
        QCOMPARE(path.prompt1, QStringLiteral(" Enter String: DN of volume: "));
        QCOMPARE(path.text1, QStringLiteral("SYS"));
        QCOMPARE(takenContent(ValueForm::Time, {"Thu Jan 01 00:00:00 1970\n"}).text1,
                 QStringLiteral("0"));
        QCOMPARE(takenContent(ValueForm::Time, {"Fri Dec 13 20:45:52 1901\n"}).text1,
                 QStringLiteral("-2147483648"));
        QVERIFY(takenContent(ValueForm::Time, {"Mon Jan 01 00:00:00 1970\n"}).text1.isEmpty());
        const PanelContent partition =
            takenContent(ValueForm::TypedName, {"-1", "0010", "", "ACME-FS1.Acme"}, true);
        QCOMPARE(QStringList({partition.text1, partition.text2, partition.text3}),
                 QStringList({"ACME-FS1.Acme", "-1", "16"}));
    }

    // ---- Through the page ----

    void formsAreSetUpForTheAttribute_data() {
        QTest::addColumn<QString>("attr");
        QTest::addColumn<QString>("prompt1");
        QTest::addColumn<QString>("prompt2");
        QTest::addColumn<QString>("prompt3");
        QTest::addColumn<QString>("shownInputs"); // 1, 2, 3 entry fields, c the combo box
        QTest::newRow("string") << "Title"
                                << "Type: Case Ignore String  Enter String Value:"
                                << ""
                                << ""
                                << "1";
        QTest::newRow("boolean") << "Login Disabled"
                                 << "Type: Boolean  Enter number: 1=TRUE, 0=FALSE"
                                 << ""
                                 << ""
                                 << "1";
        QTest::newRow("integer") << "Login Grace Limit"
                                 << "Type: Integer  Enter Integer: "
                                 << ""
                                 << ""
                                 << "1";
        QTest::newRow("time") << "Login Expiration Time"
                              << "Type: Time  Enter Integer: In UTC"
                              << ""
                              << ""
                              << "1";
        QTest::newRow("fax") << "Facsimile Telephone Number"
                             << "Type: Facsimile Telephone Number  Enter String: Phone Number"
                             << ""
                             << ""
                             << "1";
        QTest::newRow("net") << "Network Address"
                             << "Type: Net Address  Enter Hex Number: Address"
                             << "Enter Integer: Address Length: "
                             << "Enter Integer: Address Type: "
                             << "123";
        QTest::newRow("e-mail") << "EMail Address"
                                << "Type: EMail Address  Enter Integer: E-mail Type"
                                << "Enter String: E-mail Address"
                                << ""
                                << "12";
        QTest::newRow("path") << "Home Directory"
                              << "Type: Path Enter String: DN of volume:  "
                              << "Enter String: Path on volume:"
                              << "Enter Integer: Namespace "
                              << "123";
        QTest::newRow("acl") << "ACL"
                             << "Type: Object ACL  Enter ACL Subject: DN"
                             << "Select Protected Attribute:"
                             << ""
                             << "1c";
        QTest::newRow("typed name") << "Notify"
                                    << "Type: Typed Name  Enter String: Object name"
                                    << "Enter Integer: Level "
                                    << "Enter Integer: Interval "
                                    << "123";
        QTest::newRow("hold") << "Server Holds"
                              << "Type: Hold  Enter String: Object name"
                              << "Enter Integer: Amount"
                              << ""
                              << "12";
        QTest::newRow("not handled") << "Private Key"
                                     << "Type: Octet String  Data type not handled."
                                     << ""
                                     << ""
                                     << "";
    }
    void formsAreSetUpForTheAttribute() {
        QFETCH(QString, attr);
        QFETCH(QString, prompt1);
        QFETCH(QString, prompt2);
        QFETCH(QString, prompt3);
        QFETCH(QString, shownInputs);
        demo = std::make_unique<DemoClient>();
        openPage();
        select(object("Admin"));
        entry(1)->setText("left over");
        choose(attributeCombo(), attr);
        QCOMPARE(prompt(1)->text(), prompt1);
        QVERIFY(shown(prompt(1)));
        QCOMPARE(shown(prompt(2)), !prompt2.isEmpty());
        QCOMPARE(prompt(2)->text(), prompt2);
        QCOMPARE(shown(prompt(3)), !prompt3.isEmpty());
        QCOMPARE(prompt(3)->text(), prompt3);
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(shown(entry(n)), shownInputs.contains(QString::number(n)));
            QCOMPARE(entry(n)->text(), QString());
        }
        QCOMPARE(shown(protectedCombo()), shownInputs.contains('c'));
        QVERIFY(!shown(box("entryRightBrowse")) && !shown(box("attributeRightRead")));
        QVERIFY(messages().isEmpty());
        closePage();
    }

    void protectedAttributeChoosesTheRightsSet() {
        demo = std::make_unique<DemoClient>();
        openPage();
        select(object("Admin"));
        choose(attributeCombo(), "ACL");
        box("attributeRightWrite")->setChecked(true);
        choose(protectedCombo(), "[Entry Rights]");
        QVERIFY(shown(box("entryRightBrowse")) && shown(box("entryRightSupervisor")));
        QVERIFY(!shown(box("attributeRightWrite")));
        choose(protectedCombo(), "Title");
        QVERIFY(shown(box("attributeRightWrite")) && !shown(box("entryRightBrowse")));
        QVERIFY(box("attributeRightWrite")->isChecked()); // marks stay
        closePage();
    }

    void addingCriteria() {
        demo = std::make_unique<DemoClient>();
        openPage();
        select(object("Admin"));
        queue("", "");
        QCOMPARE(messages(), QStringList{"Please select an attribute name.\r"
                                         "Please select a modify operation.\r"});
        demo->reporter.clear();
        queue("Title", "Replace Value");
        QCOMPARE(messages(), QStringList{"Please select a modify operation.\r"});
        demo->reporter.clear();

        choose(attributeCombo(), "Title");
        queue("Title", "Add Value");
        QCOMPARE(messages(), QStringList{"Please provide a string value.\r"});
        entry(1)->setText("Chief");
        queue("Title", "Add Value");
        QCOMPARE(row(0), (QStringList{"Title", "Add Value", "Case Ignore String"}));
        QCOMPARE(entry(1)->text(), QStringLiteral("Chief")); // the panel keeps its contents

        demo->reporter.clear();
        queue("Private Key", "Add Value");
        QCOMPARE(messages(), QStringList{" Data type Octet String not handled."});
        queue("Private Key", "Remove Attribute");
        QCOMPARE(row(1), (QStringList{"Private Key", "Remove Attribute", "Octet String"}));
        QCOMPARE(CObjectEditorPage::criterionOf(criteria()->topLevelItem(1))->value, nullptr);

        demo->reporter.clear();
        demo->faults.failCall("NWDSGetSyntaxID", 1, -603);
        queue("Title", "Add Value");
        demo->faults.failCall("NWDSReadSyntaxDef", 1, -306);
        queue("Title", "Add Value");
        QCOMPARE(messages(), (QStringList{failed("NWDSGetSyntaxID() returned: %04X\n", -603),
                                          failed("NWDSReadSyntaxDef() returned: %04X\n", -306)}));
        QCOMPARE(criteria()->topLevelItemCount(), 2);
        closePage(); // the queued records go with the page
    }
};

QTEST_MAIN(ObjectEditorValueEntryTest)
#include "ObjectEditorValueEntryTest.moc"
