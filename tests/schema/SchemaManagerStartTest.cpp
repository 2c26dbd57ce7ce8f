// The Schema Manager's start-up: the rights check deciding between the full and the
// disabled page, and the pickers it fills.
#include "SchemaManagerFixture.h"

#include <QLabel>
#include <QTest>

namespace {
const char* const kCombos[] = {
    "attributeNameCombo", "syntaxCombo",          "attributeFlagPicker", "classNameCombo",
    "superClassCombo",    "namingAttributeCombo", "containerPicker",     "classFlagPicker",
    "mandatoryPicker",    "optionalPicker",
};
const char* const kLists[] = {"attributeFlagList", "containmentList", "classFlagList",
                              "mandatoryList", "optionalList"};
const char* const kButtons[] = {
    "attributeCreateButton", "attributeRemoveButton", "attributeResetButton", "classModifyButton",
    "classCreateButton",     "classRemoveButton",     "classResetButton"};
} // namespace

class SchemaManagerStartTest : public QObject {
    Q_OBJECT

    std::unique_ptr<SchemaManagerFixture> f;

    QLabel* noRightsText() const { return f->page->findChild<QLabel*>("noRightsText"); }

    // Every control as the page without rights leaves it.
    void verifyDisabled() {
        for (const char* name : kLists)
            QVERIFY2(f->list(name)->isHidden(), name);
        for (const char* name : kCombos) {
            QVERIFY2(!f->combo(name)->isEnabled(), name);
            QVERIFY2(f->combo(name)->count() == 0, name);
        }
        for (const char* name : kButtons)
            QVERIFY2(!f->button(name)->isEnabled(), name);
        QVERIFY(!f->edit("upperBoundEdit")->isEnabled() && !f->edit("lowerBoundEdit")->isEnabled());
        QVERIFY(!noRightsText()->isHidden());
        QCOMPARE(
            noRightsText()->text(),
            QStringLiteral("You must have Admin Equivalent rights to use the Schema Manager!"));
        QVERIFY(!f->page->hasRights());
    }
    void verifyEnabled() {
        for (const char* name : kLists)
            QVERIFY2(!f->list(name)->isHidden(), name);
        for (const char* name : kCombos)
            QVERIFY2(f->combo(name)->isEnabled() && f->combo(name)->count() > 0, name);
        for (const char* name : kButtons)
            QVERIFY2(f->button(name)->isEnabled(), name);
        QVERIFY(noRightsText()->isHidden());
        QVERIFY(f->page->hasRights());
    }

private slots:
    void cleanup() {
        if (f)
            f->close();
        f.reset();
    }

    void theAdministratorGetsTheFullPageWithFilledPickers() {
        f = std::make_unique<SchemaManagerFixture>();
        f->open();
        verifyEnabled();
        QVERIFY(f->messages().isEmpty());
        QVERIFY(!f->page->changed());
        QVERIFY(!f->edit("upperBoundEdit")->isEnabled() && !f->edit("lowerBoundEdit")->isEnabled());
        // The page resolves names from the top of the tree.
        char context[MAX_DN_BYTES] = {};
        QCOMPARE(f->demo->faults.NWDSGetContext(f->page->context(), DCK_NAME_CONTEXT, context,
                                                sizeof context),
                 0);
        QCOMPARE(QString::fromLatin1(context), QStringLiteral("[Root]"));

        QCOMPARE(SchemaManagerFixture::items(f->combo("attributeFlagPicker")),
                 QStringList({"Hidden", "Per Replica", "Public Read", "Read Only", "Single Valued",
                              "Sized Attribute", "String", "Sync Immediate"}));
        QCOMPARE(SchemaManagerFixture::items(f->combo("classFlagPicker")),
                 QStringList({"Ambiguous Containment", "Ambiguous Naming", "Container Class",
                              "Effective Class"}));
        // Every class in the name pickers; only containers in the container picker.
        QStringList classes, containers;
        for (const auto& c : f->schema().classes()) {
            classes << QString::fromStdString(c->name);
            if (c->flags & DS_CONTAINER_CLASS)
                containers << QString::fromStdString(c->name);
        }
        const auto sorted = [](QStringList l) {
            std::sort(l.begin(), l.end(), [](const QString& a, const QString& b) {
                return QString::compare(a, b, Qt::CaseInsensitive) < 0;
            });
            return l;
        };
        QCOMPARE(SchemaManagerFixture::items(f->combo("classNameCombo")), sorted(classes));
        QCOMPARE(SchemaManagerFixture::items(f->combo("superClassCombo")), sorted(classes));
        QCOMPARE(SchemaManagerFixture::items(f->combo("containerPicker")), sorted(containers));
        QVERIFY(containers.contains("Organization") && !containers.contains("User"));
        QStringList attributes;
        for (const auto& a : f->schema().attributes())
            attributes << QString::fromStdString(a->name);
        for (const char* name :
             {"attributeNameCombo", "namingAttributeCombo", "mandatoryPicker", "optionalPicker"})
            QCOMPARE(SchemaManagerFixture::items(f->combo(name)), sorted(attributes));
        QStringList syntaxes;
        for (const auto& [id, s] : f->schema().syntaxes())
            syntaxes << QString::fromStdString(s.name);
        QCOMPARE(SchemaManagerFixture::items(f->combo("syntaxCombo")), sorted(syntaxes));
        // Filling leaves the text fields empty.
        for (const char* name : kCombos)
            QVERIFY2(f->combo(name)->currentText().isEmpty(), name);
    }

    void theGuestGetsTheDisabledPage() {
        f = std::make_unique<SchemaManagerFixture>("Guest.Acme");
        f->open();
        verifyDisabled();
        QVERIFY(f->messages().isEmpty());
        QCOMPARE(f->demo->faults.callCount("NWDSReadClassDef"), 0);
        QCOMPARE(f->demo->faults.callCount("NWDSReadAttrDef"), 0);
    }

    // Only the supervisor entry right counts.
    void theSupervisorRightAloneDecides() {
        f = std::make_unique<SchemaManagerFixture>("Mary.Sales.Acme");
        f->setRootAcl({"16#entry#Mary.Sales.Acme#[Entry Rights]"});
        f->open();
        verifyEnabled();
        cleanup();
        f = std::make_unique<SchemaManagerFixture>("Mary.Sales.Acme");
        f->setRootAcl({"47#entry#Mary.Sales.Acme#[Entry Rights]"});
        f->open();
        verifyDisabled();
        QVERIFY(f->messages().isEmpty());
    }

    void aFailedRightsCheckIsReportedAndDisablesThePage_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("message");
        QTest::newRow("own name") << "NWDSWhoAmI"
                                  << "NWDSWhoAmI() returned: FFFFFEC1\n";
        QTest::newRow("rights") << "NWDSGetEffectiveRights"
                                << "NWDSGetEffectiveRights() returned: FFFFFEC1\n";
    }
    void aFailedRightsCheckIsReportedAndDisablesThePage() {
        QFETCH(QString, operation);
        QFETCH(QString, message);
        f = std::make_unique<SchemaManagerFixture>();
        f->demo->faults.failCall(operation.toStdString(), 1, ERR_SYSTEM_ERROR);
        f->open();
        verifyDisabled();
        QCOMPARE(f->messages(), QStringList{message});
    }

    // A failed class walk keeps the classes read before it; the attribute walk is silent.
    void fillFailuresKeepWhatWasRead() {
        f = std::make_unique<SchemaManagerFixture>();
        f->demo->faults.failCall("NWDSGetClassDef", 3, ERR_SYSTEM_ERROR);
        f->demo->faults.failCall("NWDSGetAttrDef", 4, ERR_SYSTEM_ERROR);
        f->demo->faults.failCall("NWDSGetSyntaxDef", 2, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->messages(), QStringList({"NWDSGetClassDef() returned: FFFFFEC1\n",
                                             "NWDSGetSyntaxDef() returned: FFFFFEC1\n"}));
        QCOMPARE(f->combo("classNameCombo")->count(), 2);
        QCOMPARE(f->combo("superClassCombo")->count(), 2);
        QCOMPARE(f->combo("attributeNameCombo")->count(), 3);
        QCOMPARE(f->combo("optionalPicker")->count(), 3);
        QCOMPARE(f->combo("syntaxCombo")->count(), 1);
        QCOMPARE(f->combo("attributeFlagPicker")->count(), 8);
        QVERIFY(f->page->hasRights());
    }

    void withoutAContextTheControlsStayEnabledAndEmpty() {
        f = std::make_unique<SchemaManagerFixture>();
        f->demo->faults.failCall("NWDSCreateContextHandle", 1, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->messages(), QStringList{"NWDSCreateContextHandle() returned FFFFFEC1"});
        for (const char* name : kCombos)
            QVERIFY2(f->combo(name)->isEnabled() && f->combo(name)->count() == 0, name);
        QVERIFY(noRightsText()->isHidden());
    }

    void labelsAreTheBuddiesOfTheirControls() {
        f = std::make_unique<SchemaManagerFixture>();
        f->open();
        const char* labels[][2] = {
            {"Attribute Name:", "attributeNameCombo"},
            {"Syntax:", "syntaxCombo"},
            {"Upper:", "upperBoundEdit"},
            {"Lower:", "lowerBoundEdit"},
            {"Class Name:", "classNameCombo"},
            {"Super Class:", "superClassCombo"},
            {"Naming Attribute:", "namingAttributeCombo"},
        };
        for (const auto& [text, control] : labels) {
            auto* label = f->page->findChild<QLabel*>(QString::fromLatin1(control) + "Label");
            QVERIFY2(label && label->text() == QLatin1String(text), control);
            QVERIFY2(label->buddy() && label->buddy()->objectName() == QLatin1String(control),
                     control);
        }
    }
};

QTEST_MAIN(SchemaManagerStartTest)
#include "SchemaManagerStartTest.moc"
