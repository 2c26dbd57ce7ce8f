// The Object Manager does the same on a slapd holding the demo data as on the embedded
// directory: the same messages and rows for creates, renames, moves and deletes and for the
// refusals, and the same objects with the same values afterwards.
#include "WritePageParity.h"
#include "objects/ObjectManagerPage.h"

using namespace writeparity;

namespace {

// ---- Object Manager ----

struct ManagerSteps {
    static void chooseClass(CObjectManagerPage& p, const QString& name) {
        auto* combo = control<QComboBox>(p, "objectClassCombo");
        combo->setCurrentIndex(combo->findText(name, Qt::MatchExactly));
    }
    static void addPair(CObjectManagerPage& p, const QString& value) {
        control<QLineEdit>(p, "attributeValueField")->setText(value);
        control<QPushButton>(p, "addToCriteriaButton")->click();
    }
    static void create(CObjectManagerPage& p, const QString& name) {
        control<QLineEdit>(p, "objectNameField")->setText(name);
        control<QPushButton>(p, "createObjectButton")->click();
    }
    static void set(CObjectManagerPage& p, const char* field, const QString& text) {
        control<QLineEdit>(p, field)->setText(text);
    }
    static void click(CObjectManagerPage& p, const char* button) {
        control<QPushButton>(p, button)->click();
    }
};

TEST_F(WritePageParity, TheObjectManagerCreatesRenamesMovesAndDeletesAlike) {
    using S = ManagerSteps;
    CObjectManagerPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create("ACME_TREE");
    got.create("ACME_TREE");
    ASSERT_EQ(shown(got), shown(want));
    using Step = std::function<void(CObjectManagerPage&)>;
    const std::vector<std::pair<const char*, Step>> steps{
        {"choose User", [](auto& p) { S::chooseClass(p, "User"); }},
        {"add Surname", [](auto& p) { S::addPair(p, "Smith"); }},
        {"create Ann", [](auto& p) { S::create(p, "Ann"); }},
        {"select Ann",
         [](auto& p) { control<QTreeView>(p, "objectTree")->setCurrentIndex(topItem(p, "Ann")); }},
        // An alias holds its own name (slapd's alias class allows no "cn" by itself).
        {"rename Boss",
         [](auto& p) {
             S::set(p, "deleteNameField", "Boss");
             S::set(p, "newNameField", "Chief");
             S::click(p, "renameButton");
         }},
        {"rename Guest",
         [](auto& p) {
             S::set(p, "deleteNameField", "Guest");
             S::set(p, "newNameField", "Visitor");
             S::click(p, "renameButton");
         }},
        {"move Visitor",
         [](auto& p) {
             S::set(p, "moveNameField", "Visitor");
             S::set(p, "newContextField", "Sales.Acme");
             S::click(p, "moveButton");
         }},
        {"delete Edit",
         [](auto& p) {
             S::set(p, "deleteNameField", "Edit");
             S::click(p, "deleteButton");
         }},
        {"choose Group", [](auto& p) { S::chooseClass(p, "Group"); }},
        {"create Crew", [](auto& p) { S::create(p, "Crew"); }},
    };
    for (const auto& [what, step] : steps) {
        SCOPED_TRACE(what);
        onBoth<CObjectManagerPage>(want, got, step);
    }
    EXPECT_EQ(
        embedded->reporter.messages,
        (QStringList{"Object Ann created successfully!", "Object Boss successfully renamed!",
                     "Object Guest successfully renamed!", "Object Visitor successfully moved!",
                     "Object Edit successfully deleted!", "Object Crew created successfully!"}));
    EXPECT_TRUE(got.changed());
    expectSameContent({"Acme", "Sales.Acme"});
}

TEST_F(WritePageParity, TheObjectManagerIsRefusedAlikeAndNothingChanges) {
    using S = ManagerSteps;
    CObjectManagerPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create("ACME_TREE");
    got.create("ACME_TREE");
    using Step = std::function<void(CObjectManagerPage&)>;
    const std::vector<std::pair<const char*, Step>> steps{
        // An existing name.
        {"create Admin",
         [](auto& p) {
             S::chooseClass(p, "User");
             S::addPair(p, "Smith");
             S::create(p, "Admin");
         }},
        // Where the class may not live: an organization inside an organization.
        {"create Organization",
         [](auto& p) {
             S::chooseClass(p, "Organization");
             S::addPair(p, "Globex");
             S::create(p, "Globex");
         }},
        {"rename onto Admin",
         [](auto& p) {
             S::set(p, "deleteNameField", "Boss");
             S::set(p, "newNameField", "Admin");
             S::click(p, "renameButton");
         }},
        {"delete Sales",
         [](auto& p) {
             S::set(p, "deleteNameField", "Sales");
             S::click(p, "deleteButton");
         }},
        {"move nowhere",
         [](auto& p) {
             S::set(p, "moveNameField", "Boss");
             S::set(p, "newContextField", "Nowhere.Acme");
             S::click(p, "moveButton");
         }},
    };
    for (const auto& [what, step] : steps) {
        SCOPED_TRACE(what);
        onBoth<CObjectManagerPage>(want, got, step);
    }
    // A mandatory attribute missing: the second class read fails on both sides, so the page
    // never asks for Surname and the directory finds it missing; with a name that is taken,
    // the name is what it reports.
    for (const QString name : {"Ann", "Admin"}) {
        embedded->faults.failCall("NWDSReadClassDef", 2, ERR_NO_ACCESS);
        ldap->faults.failCall("NWDSReadClassDef", 2, ERR_NO_ACCESS);
        onBoth<CObjectManagerPage>(want, got, [&](auto& p) {
            S::chooseClass(p, "Group");
            S::chooseClass(p, "User");
            S::create(p, name);
        });
    }
    auto code = [](NWDSCCODE rc) { return QString::asprintf("%04X", unsigned(rc)); };
    EXPECT_EQ(embedded->reporter.messages,
              (QStringList{"NWDSAddObject() returned " + code(ERR_ENTRY_ALREADY_EXISTS),
                           "NWDSAddObject() returned " + code(ERR_ILLEGAL_CONTAINMENT),
                           "NWDSModifyRDN() returned " + code(ERR_ENTRY_ALREADY_EXISTS),
                           "NWDSRemoveObject() returned " + code(ERR_ENTRY_IS_NOT_LEAF),
                           "NWDSMoveObject() returned " + code(ERR_NO_SUCH_ENTRY),
                           "NWDSReadClassDef() returned: " + code(ERR_NO_ACCESS) + "\n",
                           "NWDSAddObject() returned " + code(ERR_MISSING_MANDATORY),
                           "NWDSReadClassDef() returned: " + code(ERR_NO_ACCESS) + "\n",
                           "NWDSAddObject() returned " + code(ERR_ENTRY_ALREADY_EXISTS)}));
    EXPECT_FALSE(got.changed());
    expectSameContent({"Acme", "Sales.Acme"});
}

// The guest, who may only browse, is refused every change alike, and nothing changes.
TEST_F(WritePageParity, TheGuestIsRefusedEveryChangeAlike) {
    using S = ManagerSteps;
    openAs("Guest.Acme");
    CObjectManagerPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create("ACME_TREE");
    got.create("ACME_TREE");
    ASSERT_EQ(shown(got), shown(want));
    using Step = std::function<void(CObjectManagerPage&)>;
    const std::vector<std::pair<const char*, Step>> steps{
        {"create Ann",
         [](auto& p) {
             S::chooseClass(p, "User");
             S::addPair(p, "Smith");
             S::create(p, "Ann");
         }},
        {"rename Boss",
         [](auto& p) {
             S::set(p, "deleteNameField", "Boss");
             S::set(p, "newNameField", "Chief");
             S::click(p, "renameButton");
         }},
        {"move Guest",
         [](auto& p) {
             S::set(p, "moveNameField", "Guest");
             S::set(p, "newContextField", "Sales.Acme");
             S::click(p, "moveButton");
         }},
        {"delete Edit",
         [](auto& p) {
             S::set(p, "deleteNameField", "Edit");
             S::click(p, "deleteButton");
         }},
    };
    for (const auto& [what, step] : steps) {
        SCOPED_TRACE(what);
        onBoth<CObjectManagerPage>(want, got, step);
    }
    ASSERT_EQ(embedded->reporter.messages.size(), 4);
    for (const QString& m : embedded->reporter.messages)
        EXPECT_FALSE(m.contains("success")) << m.toStdString();
    expectSameContent({"Acme", "Sales.Acme"});
}

} // namespace
