// The Schema Manager page on a slapd with the demo data behaves as on the embedded directory:
// the same actions, pressed on both pages, show the same messages and leave the same pickers
// and lists, and afterwards the schema read back through the seam (by a fresh connection to
// the server) is the same on both.
#include "LdapFixture.h"
#include "SchemaDump.h"
#include "schema/SchemaManagerPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <functional>

namespace {

// What a user sees of the page: every combo's list and text, every chosen list, every field,
// and which controls may be used.
QStringList shown(const QWidget& page) {
    QStringList out;
    for (auto* combo : page.findChildren<QComboBox*>()) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        out << "combo " + combo->objectName() + " [" + combo->currentText() + "] " +
                   (combo->isEnabled() ? "" : "disabled ") + items.join('|');
    }
    for (auto* list : page.findChildren<QListWidget*>()) {
        QStringList entries;
        for (int i = 0; i < list->count(); ++i)
            entries << list->item(i)->text();
        out << "list " + list->objectName() + ": " + entries.join('|');
    }
    for (auto* field : page.findChildren<QLineEdit*>()) {
        if (field->parent() == nullptr || qobject_cast<QComboBox*>(field->parent()) == nullptr)
            out << "field " + field->objectName() + ": " + field->text() +
                       (field->isEnabled() ? "" : " (disabled)");
    }
    for (auto* button : page.findChildren<QPushButton*>())
        out << "button " + button->objectName() + (button->isEnabled() ? "" : " (disabled)");
    return out;
}

// One directory as the page gets it: behind the fault wrapper, with a message recorder.
struct Side {
    explicit Side(DirectoryClient& client) : faults(client) {}
    FaultInjectingClient faults;
    RecordingReporter reporter;
    std::unique_ptr<CSchemaManagerPage> page;

    void open() {
        page = std::make_unique<CSchemaManagerPage>(PageServices{faults, reporter}, nullptr);
        page->create("ACME_TREE");
    }
    QComboBox* combo(const char* name) const { return page->findChild<QComboBox*>(name); }
    void type(const char* name, const QString& text) { combo(name)->setEditText(text); }
    bool choose(const char* name, const QString& text) {
        QComboBox* c = combo(name);
        const int index = c->findText(text, Qt::MatchExactly);
        if (index < 0)
            return false;
        c->setCurrentIndex(index);
        emit c->activated(index);
        return true;
    }
    void setField(const char* name, const QString& text) {
        page->findChild<QLineEdit*>(name)->setText(text);
    }
    void press(const char* name) { page->findChild<QPushButton*>(name)->click(); }
    QStringList take() {
        const QStringList shownMessages = reporter.messages;
        reporter.clear();
        return shownMessages;
    }
};

// A server of its own for each test, as tests change the server's schema.
class SchemaManagerParity : public SharedSlapd<::testing::Test, SlapdPer::Test> {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SharedSlapd::SetUp());
        std::string error;
        ldapDirectory = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldapDirectory, nullptr) << error;
        embeddedDirectory = EmbeddedDirectory::openDemo();
        ldap = std::make_unique<Side>(*ldapDirectory);
        embedded = std::make_unique<Side>(*embeddedDirectory);
    }
    void TearDown() override {
        if (ldap) {
            ldap->page.reset();
            EXPECT_EQ(ldapDirectory->outstandingResources(), ClientResourceCounts{});
        }
        ldap.reset();
        ldapDirectory.reset();
        SharedSlapd::TearDown();
    }
    // Runs the same user actions on both pages; they show the same messages and controls.
    void onBoth(const char* what, const std::function<void(Side&)>& actions) {
        SCOPED_TRACE(what);
        actions(*embedded);
        actions(*ldap);
        const QStringList want = embedded->take(), got = ldap->take();
        EXPECT_EQ(got, want);
        EXPECT_EQ(ldap->page->changed(), embedded->page->changed());
        EXPECT_EQ(shown(*ldap->page), shown(*embedded->page));
    }

    std::unique_ptr<LdapDirectory> ldapDirectory;
    std::unique_ptr<EmbeddedDirectory> embeddedDirectory;
    std::unique_ptr<Side> ldap, embedded;
};

TEST_F(SchemaManagerParity, DefiningExtendingAndRemovingShowTheSameAndLeaveTheSameSchema) {
    embedded->open();
    ldap->open();
    EXPECT_TRUE(embedded->take().isEmpty());
    EXPECT_TRUE(ldap->take().isEmpty());
    ASSERT_EQ(shown(*ldap->page), shown(*embedded->page));

    onBoth("define a single-valued integer", [](Side& s) {
        s.type("attributeNameCombo", "Shoe Size");
        ASSERT_TRUE(s.choose("syntaxCombo", "Integer"));
        ASSERT_TRUE(s.choose("attributeFlagPicker", "Single Valued"));
        s.press("attributeCreateButton");
    });
    onBoth("define a sized string", [](Side& s) {
        s.press("attributeResetButton");
        s.type("attributeNameCombo", "Hat Band");
        ASSERT_TRUE(s.choose("syntaxCombo", "Case Ignore String"));
        ASSERT_TRUE(s.choose("attributeFlagPicker", "Sized Attribute"));
        ASSERT_TRUE(s.choose("attributeFlagPicker", "String"));
        s.setField("lowerBoundEdit", "1");
        s.setField("upperBoundEdit", "20");
        s.press("attributeCreateButton");
    });
    onBoth("define the name again", [](Side& s) {
        s.type("attributeNameCombo", "Hat Band");
        s.press("attributeCreateButton");
    });
    onBoth("define a container class", [](Side& s) {
        s.type("classNameCombo", "Wardrobe");
        ASSERT_TRUE(s.choose("superClassCombo", "Top"));
        ASSERT_TRUE(s.choose("namingAttributeCombo", "CN"));
        ASSERT_TRUE(s.choose("containerPicker", "Organizational Unit"));
        ASSERT_TRUE(s.choose("classFlagPicker", "Container Class"));
        ASSERT_TRUE(s.choose("classFlagPicker", "Effective Class"));
        ASSERT_TRUE(s.choose("mandatoryPicker", "CN"));
        ASSERT_TRUE(s.choose("optionalPicker", "Shoe Size"));
        s.press("classCreateButton");
    });
    onBoth("extend it", [](Side& s) {
        s.press("classResetButton");
        s.type("classNameCombo", "Wardrobe");
        ASSERT_TRUE(s.choose("optionalPicker", "Hat Band"));
        s.press("classModifyButton");
    });
    onBoth("extend it with what it has", [](Side& s) { s.press("classModifyButton"); });
    onBoth("remove an attribute the class lists", [](Side& s) {
        s.type("attributeNameCombo", "Shoe Size");
        s.press("attributeRemoveButton");
    });
    onBoth("remove a base class", [](Side& s) {
        s.type("classNameCombo", "Organizational Role");
        s.press("classRemoveButton");
    });
    onBoth("remove the class, then the attribute", [](Side& s) {
        s.type("classNameCombo", "Wardrobe");
        s.press("classRemoveButton");
        s.type("attributeNameCombo", "Shoe Size");
        s.press("attributeRemoveButton");
    });

    // What the server holds now, read by a fresh connection, is what the embedded one holds.
    std::string error;
    auto fresh = LdapDirectory::open(ldapOptionsFor(*server), &error);
    ASSERT_NE(fresh, nullptr) << error;
    NWDSContextHandle f = pageContext(*fresh), e = pageContext(*embeddedDirectory);
    EXPECT_EQ(classDump(*fresh, f, false).items, classDump(*embeddedDirectory, e, false).items);
    const SchemaDump attributes = attrDump(*fresh, f);
    EXPECT_EQ(attributes.items, attrDump(*embeddedDirectory, e).items);
    EXPECT_EQ(attributes.items.count("Hat Band"), 1u);
    EXPECT_EQ(attributes.items.count("Shoe Size"), 0u);
    fresh->NWDSFreeContext(f);
    embeddedDirectory->NWDSFreeContext(e);
}

// The guest holds no supervisor right on [Root]: the page opens without rights on both.
TEST_F(SchemaManagerParity, TheGuestGetsThePageWithoutRightsOnBoth) {
    ldap.reset();
    embedded.reset();
    std::string error;
    ldapDirectory = LdapDirectory::open(ldapOptionsAs(*server, "Guest.Acme"), &error);
    ASSERT_NE(ldapDirectory, nullptr) << error;
    embeddedDirectory = EmbeddedDirectory::openDemo("Guest.Acme");
    ldap = std::make_unique<Side>(*ldapDirectory);
    embedded = std::make_unique<Side>(*embeddedDirectory);
    embedded->open();
    ldap->open();
    EXPECT_EQ(ldap->take(), embedded->take());
    EXPECT_EQ(shown(*ldap->page), shown(*embedded->page));
    EXPECT_FALSE(embedded->page->findChild<QLabel*>("noRightsText")->isHidden());
}

} // namespace
