// The Object Editor does the same on a slapd holding the demo data as on the embedded
// directory: queued changes of every value form written in one request, and the refusals of
// either directory, with the same messages and rows and the same values afterwards.
#include "WritePageParity.h"
#include "objects/ObjectEditorPage.h"

using namespace writeparity;

namespace {

struct EditorSteps {
    static QModelIndex attribute(CObjectEditorPage& p, const QString& object, const QString& attr) {
        return rows::named(topItem(p, object), attr);
    }
    static void select(CObjectEditorPage& p, const QModelIndex& item) {
        ASSERT_TRUE(item.isValid());
        auto* tree = control<QTreeView>(p, "objectTree");
        tree->clearSelection();
        tree->selectionModel()->select(item, QItemSelectionModel::Select);
    }
    // One criterion: the attribute picked from the list, the entry fields, the operation.
    static void queue(CObjectEditorPage& p, const QString& attr, const QString& operation,
                      const QStringList& entries = {}) {
        auto* attributes = control<QComboBox>(p, "attributeCombo");
        const int at = attributes->findText(attr, Qt::MatchExactly);
        if (!entries.isEmpty() && at >= 0)
            attributes->setCurrentIndex(at);
        for (int n = 1; n <= 3 && n <= entries.size(); ++n)
            control<QLineEdit>(p, QStringLiteral("entryField%1").arg(n))->setText(entries[n - 1]);
        attributes->setEditText(attr);
        control<QComboBox>(p, "operationCombo")->setEditText(operation);
        control<QPushButton>(p, "addCriteriaButton")->click();
    }
    static void modify(CObjectEditorPage& p) {
        control<QPushButton>(p, "modifyObjectButton")->click();
    }
};

using Step = std::function<void(CObjectEditorPage&)>;

class EditorParity : public WritePageParity {
protected:
    void openPages() {
        want = std::make_unique<CObjectEditorPage>(embedded->services(), nullptr);
        got = std::make_unique<CObjectEditorPage>(ldap->services(), nullptr);
        want->create("ACME_TREE");
        got->create("ACME_TREE");
        ASSERT_EQ(shown(*got), shown(*want));
    }
    void run(const std::vector<std::pair<QString, Step>>& steps) {
        for (const auto& [what, step] : steps) {
            SCOPED_TRACE(what.toStdString());
            onBoth<CObjectEditorPage>(*want, *got, step);
        }
    }
    void TearDown() override {
        want.reset();
        got.reset();
        WritePageParity::TearDown();
    }
    std::unique_ptr<CObjectEditorPage> want, got;
};

TEST_F(EditorParity, QueuedChangesAreWrittenInOneRequestOrRefusedWhole) {
    using S = EditorSteps;
    openPages();
    const QString tooLong(65, 'x'); // Title holds 64 characters at most
    run({
        {"select", [](auto& p) { S::select(p, S::attribute(p, "Admin", "Surname")); }},
        {"three changes",
         [](auto& p) {
             S::queue(p, "Title", "Add Value", {"Chief"});
             S::queue(p, "Full Name", "Remove Attribute");
             S::queue(p, "Title", "Add Value", {"Boss"});
         }},
        {"written", [](auto& p) { S::modify(p); }},
        {"select again", [](auto& p) { S::select(p, S::attribute(p, "Admin", "Title")); }},
        {"a value held already",
         [](auto& p) {
             S::queue(p, "Title", "Add Value", {"administrator"});
             S::modify(p);
         }},
        {"beyond the bounds",
         [&](auto& p) {
             S::select(p, S::attribute(p, "Admin", "Title"));
             S::queue(p, "Title", "Add Value", {tooLong});
             S::modify(p);
         }},
        // The third change is refused: the first two are not made either.
        {"the third refused",
         [](auto& p) {
             S::select(p, S::attribute(p, "Admin", "Title"));
             S::queue(p, "Title", "Add Value", {"Deputy"});
             S::queue(p, "Telephone Number", "Add Value", {"555-0142"});
             S::queue(p, "Surname", "Remove Attribute");
             S::modify(p);
         }},
    });
    auto code = [](NWDSCCODE rc) { return QString::asprintf("%04X", unsigned(rc)); };
    EXPECT_EQ(embedded->reporter.messages,
              (QStringList{"Object Admin.Acme was successfully modified!",
                           "NWDSModifyObject() returned: " + code(ERR_DUPLICATE_VALUE) + "\n",
                           "NWDSModifyObject() returned: " + code(ERR_SYNTAX_VIOLATION) + "\n",
                           "NWDSModifyObject() returned: " + code(ERR_MISSING_MANDATORY) + "\n"}));
    expectSameContent({"Acme"});
}

TEST_F(EditorParity, EveryValueFormIsWrittenAndShownAlike) {
    using S = EditorSteps;
    openPages();
    struct Form {
        QString attr;
        QStringList entries;
    };
    const std::vector<Form> forms{
        {"Title", {"Chief"}},
        {"Login Disabled", {"1"}},
        {"Login Grace Limit", {"6"}},
        {"Account Balance", {"-1"}},
        {"Password Expiration Interval", {"3600"}},
        {"Login Expiration Time", {"86400"}},
        {"Facsimile Telephone Number", {"555-0100"}},
        {"Network Address", {"c0a80001", "4", "1"}},
        {"EMail Address", {"1", "chief@acme.example"}},
        {"Home Directory", {"ACME-FS1_SYS.Acme", "home/admin", "4"}},
        {"Notify", {"Guest.Acme", "1", "16"}},
        {"Server Holds", {"Guest.Acme", "5"}},
    };
    for (const Form& f : forms) {
        run({{f.attr + " written",
              [&](auto& p) {
                  S::select(p, topItem(p, "Admin"));
                  S::queue(p, f.attr, "Overwrite Value", f.entries);
                  S::modify(p);
              }},
             {f.attr + " shown",
              [&](auto& p) { S::select(p, S::attribute(p, "Admin", f.attr)); }}});
    }
    EXPECT_EQ(embedded->reporter.messages.size(), qsizetype(forms.size()));
    EXPECT_EQ(embedded->reporter.messages.count("Object Admin.Acme was successfully modified!"),
              qsizetype(forms.size()));
    expectSameContent({"Acme"});
}

// The optional attributes of Top belong to every object: an ACL written on a User, and a
// container that holds them already (Sales holds ACLs) changed like any other.
TEST_F(EditorParity, WhatEveryObjectMayHoldIsWrittenOnAnyObject) {
    using S = EditorSteps;
    openPages();
    auto aclStep = [](const QString& object, const QString& protectedAttr,
                      const QStringList& rights) {
        return [=](CObjectEditorPage& p) {
            S::select(p, topItem(p, object));
            auto* attributes = control<QComboBox>(p, "attributeCombo");
            attributes->setCurrentIndex(attributes->findText("ACL", Qt::MatchExactly));
            auto* protectedCombo = control<QComboBox>(p, "protectedAttributeCombo");
            protectedCombo->setCurrentIndex(protectedCombo->findText(protectedAttr));
            for (const QString& box : rights)
                control<QCheckBox>(p, box)->setChecked(true);
            S::queue(p, "ACL", "Add Value", {"Guest.Acme"});
            S::modify(p);
        };
    };
    run({
        {"ACL on Admin", aclStep("Admin", "[Entry Rights]", {"entryRightBrowse"})},
        {"ACL shown", [](auto& p) { S::select(p, S::attribute(p, "Admin", "ACL")); }},
        {"ACL on Sales", aclStep("Sales", "Description", {"attributeRightRead"})},
        {"Sales described",
         [](auto& p) {
             S::select(p, topItem(p, "Sales"));
             S::queue(p, "Description", "Add Value", {"Sales and marketing"});
             S::modify(p);
         }},
        {"Sales shown", [](auto& p) { S::select(p, S::attribute(p, "Sales", "Description")); }},
        {"Object Class shown",
         [](auto& p) { S::select(p, S::attribute(p, "Sales", "Object Class")); }},
    });
    EXPECT_EQ(embedded->reporter.messages,
              (QStringList{"Object Admin.Acme was successfully modified!",
                           "Object Sales.Acme was successfully modified!",
                           "Object Sales.Acme was successfully modified!"}));
    expectSameContent({"Acme", "Sales.Acme"});
    // The server's own access rules stay as they were, and the page says so for the ACLs.
    const QString kept = QStringLiteral("\nThe values were stored, but the server's own access "
                                        "rules were not changed: on an LDAP server they are the "
                                        "server's configuration, and rights there stay as they "
                                        "were.");
    EXPECT_EQ(ldap->reporter.messages,
              (QStringList{"Object Admin.Acme was successfully modified!" + kept,
                           "Object Sales.Acme was successfully modified!" + kept,
                           "Object Sales.Acme was successfully modified!"}));
}

// The guest sees the objects and the names of their attributes as on the embedded directory,
// and its changes are refused alike.
TEST_F(EditorParity, TheGuestsChangesAreRefusedAlike) {
    using S = EditorSteps;
    openAs("Guest.Acme");
    openPages();
    run({
        {"select", [](auto& p) { S::select(p, S::attribute(p, "Admin", "Surname")); }},
        {"refused",
         [](auto& p) {
             S::queue(p, "Title", "Add Value", {"Chief"});
             S::modify(p);
         }},
        {"own entry", [](auto& p) { S::select(p, S::attribute(p, "Guest", "Surname")); }},
        {"refused there too",
         [](auto& p) {
             S::queue(p, "Title", "Add Value", {"Visitor"});
             S::modify(p);
         }},
    });
    // Each selection of a value it may not read is refused, and so is each change.
    EXPECT_EQ(embedded->reporter.messages.filter("NWDSModifyObject() returned: ").size(), 2);
    EXPECT_EQ(embedded->reporter.messages.filter("NWDSRead returned: ").size(), 2);
    expectSameContent({"Acme"});
}

} // namespace
