// The Schema Manager's attribute half: choosing flags and bounds, the input checks, defining
// and removing attributes, and every call made to fail.
#include "SchemaManagerFixture.h"

#include <QTest>

class SchemaManagerAttributeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SchemaManagerFixture> f;

    QLineEdit* upper() const { return f->edit("upperBoundEdit"); }
    QLineEdit* lower() const { return f->edit("lowerBoundEdit"); }
    QStringList chosenFlags() const {
        return SchemaManagerFixture::entries(f->list("attributeFlagList"));
    }
    void fillIn(const QString& name, const QString& syntax, const QStringList& flags) {
        f->type("attributeNameCombo", name);
        QVERIFY(f->choose("syntaxCombo", syntax));
        for (const QString& flag : flags)
            QVERIFY(f->choose("attributeFlagPicker", flag));
    }
    const AttributeDefinition* defined(const char* name) { return f->schema().findAttribute(name); }

private slots:
    void init() {
        f = std::make_unique<SchemaManagerFixture>();
        f->openQuietly();
    }
    void cleanup() {
        f->close();
        f.reset();
    }

    void sizedAttributeSwitchesTheBoundFieldsAndKeepsTheirTexts() {
        QVERIFY(f->choose("attributeFlagPicker", "Sized Attribute"));
        QVERIFY(upper()->isEnabled() && lower()->isEnabled());
        // The bound fields take digits only, at most 11.
        QTest::keyClicks(lower(), "-12a3456789012");
        QCOMPARE(lower()->text(), QStringLiteral("12345678901"));
        upper()->setText("10");
        lower()->setText("2");
        QVERIFY(f->choose("attributeFlagPicker", "Single Valued"));
        QVERIFY(f->choose("attributeFlagPicker", "Sized Attribute"));
        QCOMPARE(chosenFlags(), QStringList({"Single Valued", "Sized Attribute"}));

        // Dropping another flag leaves the bounds alone; dropping "Sized Attribute" disables
        // them with their texts kept.
        f->doubleClick("attributeFlagList", "Single Valued");
        QVERIFY(upper()->isEnabled());
        f->doubleClick("attributeFlagList", "Sized Attribute");
        QVERIFY(!upper()->isEnabled() && !lower()->isEnabled());
        QCOMPARE(upper()->text(), QStringLiteral("10"));
        QCOMPARE(lower()->text(), QStringLiteral("2"));
        QVERIFY(chosenFlags().isEmpty());
        // A double-click without a selected entry drops nothing.
        QVERIFY(f->choose("attributeFlagPicker", "Hidden"));
        f->list("attributeFlagList")->clearSelection();
        f->doubleClick("attributeFlagList", "nothing");
        QCOMPARE(chosenFlags(), QStringList{"Hidden"});

        // Not chosen any more: the bounds are not read, not even when empty.
        upper()->clear();
        fillIn("Shoe Size", "Integer", {});
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Attribute Shoe Size added successfully!"});
        QCOMPARE(defined("Shoe Size")->flags, std::uint32_t(DS_HIDDEN_ATTR));
    }

    void aDefinitionSendsTheChosenFlagsSyntaxAndBounds() {
        fillIn("Shoe Size", "Integer", {"Hidden", "Public Read"});
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Attribute Shoe Size added successfully!"});
        QCOMPARE(defined("Shoe Size")->flags, 0x0090u);
        QCOMPARE(defined("Shoe Size")->syntax, std::uint32_t(SYN_INTEGER));
        QVERIFY(f->page->changed());
        // The new name is offered everywhere an attribute is; the name field is emptied and
        // the flags and syntax stay.
        for (const char* name :
             {"attributeNameCombo", "namingAttributeCombo", "mandatoryPicker", "optionalPicker"})
            QVERIFY2(SchemaManagerFixture::items(f->combo(name)).contains("Shoe Size"), name);
        QVERIFY(f->combo("attributeNameCombo")->currentText().isEmpty());
        QCOMPARE(f->combo("syntaxCombo")->currentText(), QStringLiteral("Integer"));
        QCOMPARE(chosenFlags(), QStringList({"Hidden", "Public Read"}));

        // The largest upper bound wraps to all bits set; lower "0" is 0.
        fillIn("Hat Size", "Integer", {"Sized Attribute"});
        lower()->setText("0");
        upper()->setText("4294967295");
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Attribute Hat Size added successfully!"});
        QCOMPARE(defined("Hat Size")->flags, 0x0092u);
        QCOMPARE(defined("Hat Size")->lower, 0u);
        QCOMPARE(defined("Hat Size")->upper, 0xFFFFFFFFu);
        QCOMPARE(upper()->text(), QStringLiteral("4294967295"));
    }

    void inputChecksAreShownTogetherAndNothingIsSent() {
        f->demo->faults.resetCounts();
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Please provide an attribute class name.\r"
                                        "Please select an attribute syntax.\r"
                                        "Please select attribute class flags.\r"});
        QVERIFY(f->choose("attributeFlagPicker", "Sized Attribute"));
        f->type("attributeNameCombo", "Shoe Size");
        f->type("syntaxCombo", "Integer");
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Please provide lower bound value for sized attribute.\r"
                                        "Please provide upper bound value for sized attribute.\r"});
        // A syntax name the directory does not report is refused, not sent as syntax 0.
        lower()->setText("1");
        upper()->setText("2");
        f->type("syntaxCombo", "boolean");
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"Please select an attribute syntax.\r"});
        f->type("attributeNameCombo", "");
        f->press("attributeRemoveButton");
        QCOMPARE(f->take(), QStringList{"Please provide an attribute class name."});
        QCOMPARE(f->demo->faults.callCount("NWDSDefineAttr"), 0);
        QCOMPARE(f->demo->faults.callCount("NWDSRemoveAttrDef"), 0);
        QCOMPARE(f->combo("syntaxCombo")->currentText(), QStringLiteral("boolean"));
    }

    void aRefusedDefinitionKeepsTheInputs() {
        fillIn("CN", "Integer", {"String"});
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"NWDSDefineAttr() returned: FFFFFD99\n"});
        QCOMPARE(f->combo("attributeNameCombo")->currentText(), QStringLiteral("CN"));
        QCOMPARE(defined("CN")->syntax, std::uint32_t(SYN_CI_STRING));
        QVERIFY(!f->page->changed());

        f->demo->faults.failCall("NWDSDefineAttr", 1, ERR_SYSTEM_ERROR);
        fillIn("Shoe Size", "Integer", {});
        f->press("attributeCreateButton");
        QCOMPARE(f->take(), QStringList{"NWDSDefineAttr() returned: FFFFFEC1\n"});
        QVERIFY(defined("Shoe Size") == nullptr);
        QCOMPARE(f->combo("attributeNameCombo")->currentText(), QStringLiteral("Shoe Size"));
    }

    void removalsAreRefusedWithTheRulesAndWhatUsesTheAttribute() {
        const QString rules = "Take note of the following rules: \r"
                              "1) Attribute definitions added to a base class definition \r"
                              "cannot be removed. \r"
                              "2) All base class attribute definitions are Non-Removeable.\r"
                              "3) All instances of a class must be removed before a class "
                              "definition \r"
                              "can be removed. \r";
        f->type("attributeNameCombo", "CN");
        f->press("attributeRemoveButton");
        QStringList shown = f->take();
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown[0].startsWith("NWDSRemoveAttrDef() returned FFFFFD7D \r" + rules));
        QVERIFY(shown[0].contains("Classes that list it: "));
        // Every object of the tree is looked at.
        const auto holders = f->model().attributeUse(*f->schema().findAttribute("CN")).objects;
        QVERIFY(holders > 500);
        QVERIFY2(shown[0].endsWith(QString("Objects that hold it: %1\r").arg(holders)),
                 qPrintable(shown[0]));

        // An attribute of no class held by one object, and one a class lists.
        AttributeDefinition hat{"Hat Size", "", "", 0, SYN_CI_STRING};
        QCOMPARE(f->model().defineAttribute(hat), 0);
        auto jane = f->model().find("Jane.Sales.Acme");
        QCOMPARE(f->model().addTextValues(*jane, {"Hat Size", {"large"}}, valuetext::PlainNames()),
                 0);
        f->type("attributeNameCombo", "Hat Size");
        f->press("attributeRemoveButton");
        QCOMPARE(f->take(), QStringList{"NWDSRemoveAttrDef() returned FFFFFD7C \r" + rules +
                                        "Objects that hold it: 1\r"});
        AttributeDefinition shoe{"Shoe Size", "", "", 0, SYN_INTEGER};
        QCOMPARE(f->model().defineAttribute(shoe), 0);
        QCOMPARE(f->model().addOptionalAttributes("Group", {"Shoe Size"}), 0);
        f->type("attributeNameCombo", "Shoe Size");
        f->press("attributeRemoveButton");
        QCOMPARE(f->take(), QStringList{"NWDSRemoveAttrDef() returned FFFFFD7C \r" + rules +
                                        "Classes that list it: Group\r"});
        QCOMPARE(f->combo("attributeNameCombo")->currentText(), QStringLiteral("Shoe Size"));
        QVERIFY(!f->page->changed());
    }

    void aRemovalEmptiesTheNameAndRefillsThePickers() {
        fillIn("Shoe Size", "Integer", {"String"});
        f->press("attributeCreateButton");
        f->page->clearChanged();
        f->take();
        f->type("attributeNameCombo", "Shoe Size");
        f->press("attributeRemoveButton");
        QCOMPARE(f->take(), QStringList{"Attribute Shoe Size was successfully removed!"});
        QVERIFY(defined("Shoe Size") == nullptr);
        QVERIFY(f->page->changed());
        QVERIFY(f->combo("attributeNameCombo")->currentText().isEmpty());
        for (const char* name :
             {"attributeNameCombo", "namingAttributeCombo", "mandatoryPicker", "optionalPicker"})
            QVERIFY2(!SchemaManagerFixture::items(f->combo(name)).contains("Shoe Size"), name);

        f->demo->faults.failCall("NWDSRemoveAttrDef", 1, ERR_SYSTEM_ERROR);
        f->type("attributeNameCombo", "Anything");
        f->press("attributeRemoveButton");
        QVERIFY(f->take().value(0).startsWith("NWDSRemoveAttrDef() returned FFFFFEC1 \r"));
    }

    void resetEmptiesTheHalfAndDisablesTheBounds() {
        fillIn("Shoe Size", "Integer", {"Sized Attribute"});
        upper()->setText("5");
        f->type("classNameCombo", "Kept");
        f->press("attributeResetButton");
        for (const char* name : {"attributeNameCombo", "syntaxCombo", "attributeFlagPicker"})
            QVERIFY2(f->combo(name)->currentText().isEmpty(), name);
        QVERIFY(chosenFlags().isEmpty() && upper()->text().isEmpty());
        QVERIFY(!upper()->isEnabled() && !lower()->isEnabled());
        QCOMPARE(f->combo("classNameCombo")->currentText(), QStringLiteral("Kept"));
        QVERIFY(f->combo("syntaxCombo")->count() > 0); // the lists stay
    }

    // Every command first empties the texts of the five pickers, keeping their lists.
    void commandsEmptyThePickerTextsFirst() {
        for (const char* picker : {"attributeFlagPicker", "containerPicker", "classFlagPicker",
                                   "mandatoryPicker", "optionalPicker"})
            f->type(picker, "typed");
        f->type("attributeNameCombo", "Not a picker");
        QVERIFY(f->choose("syntaxCombo", "Integer"));
        for (const char* picker : {"attributeFlagPicker", "containerPicker", "classFlagPicker",
                                   "mandatoryPicker", "optionalPicker"}) {
            QVERIFY2(f->combo(picker)->currentText().isEmpty(), picker);
            QVERIFY2(f->combo(picker)->count() > 0, picker);
        }
        QCOMPARE(f->combo("attributeNameCombo")->currentText(), QStringLiteral("Not a picker"));
        QVERIFY(f->messages().isEmpty());
    }
};

QTEST_MAIN(SchemaManagerAttributeTest)
#include "SchemaManagerAttributeTest.moc"
