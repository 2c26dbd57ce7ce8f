// The pages on servers Ostrel did not seed (a stock slapd and a 389 Directory Server with
// their own schema and the project's dc= data), opened with a new user's settings alone:
// browsing from [Root] down and back, the Schema Viewer's chain of inetOrgPerson, a search, a
// create, rename, move and delete, a modify, and the Schema Manager opening exactly for the
// identities that may change the server's schema.
#include "ForeignSettings.h"
#include "LdapFixture.h"
#include "WritePageParity.h"
#include "browser/BrowserPage.h"
#include "objects/ObjectEditorPage.h"
#include "objects/ObjectManagerPage.h"
#include "query/QueryPage.h"
#include "schema/SchemaManagerPage.h"
#include "schema/SchemaViewerPage.h"
#include "tests/support/ObjectRows.h"

#include <QLabel>
#include <fstream>

using writeparity::control;
using writeparity::topItem;

namespace {

using foreign::Who;

QListWidgetItem* containerEntry(CBrowserPage& page, const QString& label) {
    for (int i = 0; i < page.containerList()->count(); ++i) {
        if (page.containerList()->item(i)->text() == label)
            return page.containerList()->item(i);
    }
    return nullptr;
}

// An object of the browser's listing, below the item of the context.
QModelIndex listedItem(CBrowserPage& page, const QString& label) {
    return rows::named(rows::top(page.objectTree()), label);
}

QStringList childTexts(const QModelIndex& item) {
    QStringList out;
    for (int i = 0; item.isValid() && i < rows::count(item); ++i)
        out << rows::text(rows::child(item, i));
    return out;
}

class ForeignPages : public ::testing::TestWithParam<ForeignServer::Kind> {
protected:
    void SetUp() override {
        server = &foreign::serverOf(GetParam());
        ASSERT_TRUE(server->running()) << server->failure();
    }
    void open(Who who) {
        std::string error;
        directory = LdapDirectory::open(foreign::optionsFor(*server, who), &error);
        ASSERT_NE(directory, nullptr) << error;
        side = std::make_unique<writeparity::Side>(*directory);
    }
    void TearDown() override {
        if (directory) {
            EXPECT_EQ(directory->outstandingResources(), ClientResourceCounts{});
        }
    }
    bool slapd() const { return server->kind() == ForeignServer::Kind::StockSlapd; }
    QStringList messages() const { return side->reporter.messages; }

    ForeignServer* server = nullptr;
    std::unique_ptr<LdapDirectory> directory;
    std::unique_ptr<writeparity::Side> side;
};

TEST_P(ForeignPages, TheBrowserWalksFromRootDownAndBackUp) {
    open(Who::Anonymous);
    CBrowserPage page(side->services(), nullptr);
    page.create();
    ASSERT_NE(containerEntry(page, "example.com"), nullptr);
    EXPECT_EQ(containerEntry(page, "Harbour Lights") != nullptr, slapd());
    page.moveTo(containerEntry(page, "example.com"));
    EXPECT_EQ(control<QLineEdit>(page, "contextField")->text(), QStringLiteral("example\\.com"));
    for (const char* container : {"People", "Groups", "Staff", "Quayside"})
        EXPECT_NE(containerEntry(page, container), nullptr) << container;
    page.moveTo(containerEntry(page, "People"));
    // An object's attributes are read by its full name.
    const QModelIndex owen = listedItem(page, "Owen Marsh");
    ASSERT_TRUE(owen.isValid());
    EXPECT_TRUE(childTexts(owen).contains("Telephone Number"))
        << childTexts(owen).join(",").toStdString();
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();

    // Beyond the size limit: what arrived is shown, and the page says why it is not all.
    page.moveTo(containerEntry(page, QString()));
    page.moveTo(containerEntry(page, "Staff"));
    rows::finishListing(page);
    const int staff = rows::count(rows::top(page.objectTree()));
    if (slapd()) {
        EXPECT_EQ(staff, 500);
        ASSERT_EQ(messages().size(), 1);
        EXPECT_TRUE(
            messages().front().contains("Showing 500 objects: the server's size limit was reached"))
            << messages().front().toStdString();
    } else {
        EXPECT_EQ(staff, 1200); // paged: the limit holds for each page
    }
    // Up to example.com, and up again to [Root]: each naming context once.
    page.moveTo(containerEntry(page, QString()));
    page.moveTo(containerEntry(page, QString()));
    EXPECT_EQ(control<QLineEdit>(page, "contextField")->text(), QStringLiteral("[Root]"));
    EXPECT_EQ(page.containerList()->findItems("example.com", Qt::MatchExactly).size(), 1);
}

TEST_P(ForeignPages, TheSchemaViewerShowsTheChainOfInetOrgPerson) {
    open(Who::Anonymous);
    CSchemaViewerPage page(side->services(), nullptr);
    page.create("EXAMPLE");
    auto* classes = control<QTreeWidget>(page, "classTree");
    const auto found = classes->findItems("User", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    classes->setCurrentItem(found.first());
    QTreeWidgetItem* chain = nullptr;
    for (int i = 0; i < found.first()->childCount(); ++i) {
        if (found.first()->child(i)->text(0) == "Super Class Hierarchy")
            chain = found.first()->child(i);
    }
    ASSERT_NE(chain, nullptr);
    QStringList path;
    for (QTreeWidgetItem* at = chain; at != nullptr && at->childCount() > 0; at = at->child(0))
        path << at->child(0)->text(0);
    EXPECT_EQ(path, (QStringList{"Organizational Person", "Person", "Top"}));
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
}

TEST_P(ForeignPages, TheSchemaManagerOpensForWhoeverMayChangeTheSchema) {
    std::vector<std::pair<Who, bool>> cases = {{Who::Anonymous, false}, {Who::Editor, false}};
    if (slapd()) {
        cases.push_back({Who::Root, false}); // a data database's root DN: no cn=config
        cases.push_back({Who::External, true});
    } else {
        cases.push_back({Who::Root, true}); // Directory Manager
    }
    for (const auto& [who, may] : cases) {
        SCOPED_TRACE(int(who));
        open(who);
        {
            CSchemaManagerPage page(side->services(), nullptr);
            page.create("EXAMPLE");
            EXPECT_EQ(control<QLabel>(page, "noRightsText")->isHidden(), may);
            EXPECT_EQ(control<QPushButton>(page, "classCreateButton")->isEnabled(), may);
        }
        EXPECT_TRUE(messages().isEmpty())
            << messages().join("|").toStdString() << " " << directory->lastFailure().text;
        EXPECT_EQ(directory->outstandingResources(), ClientResourceCounts{});
    }
}

TEST_P(ForeignPages, TheObjectManagerCreatesRenamesMovesAndDeletes) {
    open(Who::Editor);
    CObjectManagerPage page(side->services(), nullptr);
    page.create("EXAMPLE");
    auto* classCombo = control<QComboBox>(page, "objectClassCombo");
    // Every structural class the server defines can be created, Person among them.
    for (const char* cls :
         {"User", "Person", "Organizational Person", "Organizational Unit", "Group", "domain"})
        EXPECT_GE(classCombo->findText(cls, Qt::MatchExactly), 0) << cls;
    auto set = [&](const char* field, const QString& text) {
        control<QLineEdit>(page, field)->setText(text);
    };
    auto click = [&](const char* button) { control<QPushButton>(page, button)->click(); };
    classCombo->setCurrentIndex(classCombo->findText("User", Qt::MatchExactly));
    set("attributeValueField", "Reed");
    click("addToCriteriaButton");
    set("objectNameField", "Nia Reed");
    click("createObjectButton");
    set("deleteNameField", "Nia Reed");
    set("newNameField", "Nia Reade");
    click("renameButton");
    set("moveNameField", "Nia Reade");
    set("newContextField", "People.example\\.com");
    click("moveButton");
    classCombo->setCurrentIndex(classCombo->findText("Organizational Unit", Qt::MatchExactly));
    set("attributeValueField", "Annex");
    click("addToCriteriaButton");
    set("objectNameField", "Annex");
    click("createObjectButton");
    set("deleteNameField", "Annex");
    click("deleteButton");
    EXPECT_EQ(messages(), (QStringList{"Object Nia Reed created successfully!",
                                       "Object Nia Reed successfully renamed!",
                                       "Object Nia Reade successfully moved!",
                                       "Object Annex created successfully!",
                                       "Object Annex successfully deleted!"}));
    NWDSContextHandle ctx = pageContext(*directory, "EXAMPLE");
    std::map<std::string, ReadItem> values;
    ASSERT_EQ(
        readAll(*directory, ctx, "Nia Reade.People.example\\.com", DS_ATTRIBUTE_VALUES, values), 0);
    EXPECT_EQ(values["Surname"].values, (std::vector<std::string>{"Reed"}));
    directory->NWDSFreeContext(ctx);
}

TEST_P(ForeignPages, ARefusalNamesTheServersReason) {
    open(Who::Editor);
    CObjectManagerPage page(side->services(), nullptr);
    page.create("EXAMPLE");
    // A container that still holds objects: the server refuses, and says why.
    control<QLineEdit>(page, "deleteNameField")->setText("People");
    control<QPushButton>(page, "deleteButton")->click();
    ASSERT_EQ(messages().size(), 1);
    const QString& said = messages().front();
    EXPECT_TRUE(said.startsWith(QString::asprintf("NWDSRemoveObject() returned %04X\nThe server "
                                                  "said: LDAP 66: ",
                                                  unsigned(ERR_ENTRY_IS_NOT_LEAF))))
        << said.toStdString();
}

TEST_P(ForeignPages, TheObjectEditorWritesQueuedChangesInOneRequest) {
    open(Who::Editor);
    CObjectEditorPage page(side->services(), nullptr);
    page.create("EXAMPLE");
    const QModelIndex people = topItem(page, "People");
    ASSERT_TRUE(people.isValid());
    control<QTreeView>(page, "objectTree")
        ->selectionModel()
        ->select(people, QItemSelectionModel::Select);
    auto* attributes = control<QComboBox>(page, "attributeCombo");
    // Each attribute once, and only what the server's classes allow.
    QStringList names;
    for (int i = 0; i < attributes->count(); ++i)
        names << attributes->itemText(i);
    EXPECT_EQ(names.removeDuplicates(), 0) << names.join(",").toStdString();
    EXPECT_TRUE(names.contains("Description"));
    auto queue = [&](const QString& attr, const QString& op, const QString& value) {
        attributes->setCurrentIndex(attributes->findText(attr, Qt::MatchExactly));
        if (!value.isEmpty())
            control<QLineEdit>(page, "entryField1")->setText(value);
        attributes->setEditText(attr);
        control<QComboBox>(page, "operationCombo")->setEditText(op);
        control<QPushButton>(page, "addCriteriaButton")->click();
    };
    queue("Description", "Add Value", "Everyone on the quay");
    queue("Description", "Add Value", "and the pilots");
    control<QPushButton>(page, "modifyObjectButton")->click();
    EXPECT_EQ(messages(), (QStringList{"Object People.example\\.com was successfully modified!"}));
    NWDSContextHandle ctx = pageContext(*directory, "EXAMPLE");
    std::map<std::string, ReadItem> values;
    ASSERT_EQ(readAll(*directory, ctx, "People.example\\.com", DS_ATTRIBUTE_VALUES, values), 0);
    const auto& held = values["Description"].values;
    for (const char* added : {"Everyone on the quay", "and the pilots"})
        EXPECT_NE(std::find(held.begin(), held.end(), added), held.end()) << added;
    directory->NWDSFreeContext(ctx);
}

TEST_P(ForeignPages, TheQueryPageFindsObjectsWithTheValuesAsked) {
    open(Who::Anonymous);
    CQueryPage page(side->services(), nullptr);
    page.create("EXAMPLE");
    auto* attributes = control<QComboBox>(page, "attributeCombo");
    for (const QString& name : {QStringLiteral("Telephone Number"), QStringLiteral("Title")}) {
        const int at = attributes->findText(name);
        ASSERT_GE(at, 0) << name.toStdString();
        attributes->setCurrentIndex(at);
        emit attributes->activated(at);
    }
    control<QLineEdit>(page, "searchLocationEdit")->setText("People.example\\.com");
    attributes->setEditText("Surname");
    control<QComboBox>(page, "operatorCombo")->setEditText("EQUALS");
    control<QLineEdit>(page, "valueEdit")->setText("marsh");
    control<QPushButton>(page, "addCriteriaButton")->click();
    control<QPushButton>(page, "submitQueryButton")->click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
    auto* results = control<QTreeView>(page, "resultsTree");
    ASSERT_EQ(rows::topCount(results), 1);
    const QModelIndex owen = rows::top(results);
    EXPECT_TRUE(rows::text(owen).startsWith("Owen Marsh.People.example"))
        << rows::text(owen).toStdString();
    EXPECT_EQ(childTexts(owen), (QStringList{"Telephone Number", "Title"}));
}

OSTREL_ON_FOREIGN_SERVERS(ForeignPages);

} // namespace
