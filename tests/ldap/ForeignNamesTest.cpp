// Names the demo never has, on servers Ostrel did not seed: objects named by several values
// ("cn=Ann Lee+employeeNumber=4711") and referral objects, listed, read, searched, renamed
// and deleted by their typeless names, as the pages name them.
#include "ForeignSettings.h"
#include "LdapFixture.h"
#include "browser/BrowserPage.h"
#include "client/common/Names.h"
#include "client/ldap/LdapSession.h"
#include "directory/NameRules.h"
#include "objects/ObjectEditorPage.h"
#include "objects/ObjectManagerPage.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <fstream>

namespace {

constexpr const char* kPeople = "People.example\\.com";

std::set<std::string> namesOf(const std::vector<ListedItem>& items) {
    std::set<std::string> out;
    for (const auto& i : items)
        out.insert(i.name);
    return out;
}

// The values of the attribute whose name is `name`, case ignored ("" when there is none).
std::vector<std::string> valuesNamed(const std::map<std::string, ReadItem>& attrs,
                                     std::string_view name) {
    for (const auto& [attr, item] : attrs) {
        if (names::equalFolded(attr, name))
            return item.values;
    }
    return {};
}

class ForeignNamesTest : public ::testing::TestWithParam<ForeignServer::Kind> {
protected:
    void SetUp() override {
        server = &foreign::serverOf(GetParam());
        ASSERT_TRUE(server->running()) << server->failure();
        std::string error;
        dir = LdapDirectory::open(foreign::optionsFor(*server, foreign::Who::Editor), &error);
        ASSERT_NE(dir, nullptr) << error;
        ctx = pageContext(*dir, "EXAMPLE");
    }
    void TearDown() override {
        if (dir) {
            dir->NWDSFreeContext(ctx);
            EXPECT_EQ(dir->outstandingResources(), ClientResourceCounts{});
        }
    }

    // The server as the editor, past the client: entries the tests change are their own.
    std::unique_ptr<LdapSession> rawSession() {
        std::ifstream file(server->passwordFile());
        LdapSession::Credentials credentials;
        credentials.bindDn = server->editorDn();
        std::getline(file, credentials.password);
        NWDSCCODE code = 0;
        std::string why;
        auto session = LdapSession::open(server->uri(), {}, credentials, 100, code, why);
        EXPECT_NE(session, nullptr) << why;
        return session;
    }
    void addPerson(const std::string& rdn, const std::vector<LdapMod>& more = {},
                   const std::string& container = "ou=People,dc=example,dc=com") {
        auto session = rawSession();
        ASSERT_NE(session, nullptr);
        const std::string dn = rdn + "," + container;
        session->remove(dn); // left by an earlier run of the same test
        std::vector<LdapMod> attrs = {{LdapMod::Add, "objectClass", {"inetOrgPerson"}},
                                      {LdapMod::Add, "sn", {"Park"}}};
        attrs.insert(attrs.end(), more.begin(), more.end());
        ASSERT_EQ(session->add(dn, attrs), 0) << session->lastFailure().text;
    }

    std::set<std::string> listed(const std::string& container) {
        std::vector<ListedItem> items;
        EXPECT_EQ(listAll(*dir, ctx, container, items), 0) << container;
        return namesOf(items);
    }

    ForeignServer* server = nullptr;
    std::unique_ptr<LdapDirectory> dir;
    NWDSContextHandle ctx = NO_CONTEXT;
};

TEST_P(ForeignNamesTest, MultiValuedObjectsAreListedAndReadByTheirTypelessNames) {
    // Read before any listing: the client finds how the name maps to a DN on its own.
    std::map<std::string, ReadItem> attrs;
    ASSERT_EQ(
        readAll(*dir, ctx, "Tomas Brand+tbrand.People.example\\.com", DS_ATTRIBUTE_VALUES, attrs),
        0);
    EXPECT_EQ(valuesNamed(attrs, "Surname"), std::vector<std::string>{"Brand"});

    const auto names = listed(kPeople);
    for (const char* want :
         {"Ann Lee+4711", "Tomas Brand+tbrand", "Smith, Jo", "J\\. R\\. Oakes", "Fen Wu"})
        EXPECT_EQ(names.count(want), 1u) << want;

    // Read by the listed name in full, and relative to a name context.
    attrs.clear();
    ASSERT_EQ(
        readAll(*dir, ctx, std::string("Ann Lee+4711.") + kPeople, DS_ATTRIBUTE_VALUES, attrs), 0);
    EXPECT_EQ(valuesNamed(attrs, "Surname"), std::vector<std::string>{"Lee"});
    NWDSContextHandle inPeople = pageContext(*dir, "EXAMPLE", kPeople);
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(inPeople, "Tomas Brand+tbrand", nullptr, 0, &info), 0);
    // The values in another order, or one of them alone, name no object.
    EXPECT_EQ(dir->NWDSReadObjectInfo(inPeople, "tbrand+Tomas Brand", nullptr, 0, &info),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSReadObjectInfo(inPeople, "Tomas Brand", nullptr, 0, &info),
              ERR_NO_SUCH_ENTRY);
    // A "+" inside a value stays one value.
    EXPECT_EQ(listed("Groups.example\\.com").count("R\\+D Lab"), 1u);
    EXPECT_EQ(dir->NWDSReadObjectInfo(ctx, "R\\+D Lab.Groups.example\\.com", nullptr, 0, &info), 0);
    dir->NWDSFreeContext(inPeople);
}

TEST_P(ForeignNamesTest, TypedNamesTagEachValue) {
    std::uint32_t flags = 0;
    ASSERT_EQ(dir->NWDSGetContext(ctx, DCK_FLAGS, &flags, sizeof flags), 0);
    flags &= ~std::uint32_t(DCV_TYPELESS_NAMES);
    ASSERT_EQ(dir->NWDSSetContext(ctx, DCK_FLAGS, &flags), 0);
    const auto names = listed("OU=People.example\\.com");
    const auto found = std::find_if(names.begin(), names.end(), [](const std::string& n) {
        return n.rfind("CN=Ann Lee+", 0) == 0;
    });
    ASSERT_NE(found, names.end());
    EXPECT_TRUE(found->ends_with("=4711")) << *found;
    EXPECT_EQ(found->find('+'), found->rfind('+')) << *found;
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(ctx, (*found + ".OU=People.example\\.com").c_str(), nullptr,
                                      0, &info),
              0);
}

TEST_P(ForeignNamesTest, ASearchNamesWhatItFindsAsTheListingDoes) {
    Filter_Cursor_T* cursor = nullptr;
    ASSERT_EQ(dir->NWDSAllocFilter(&cursor), 0);
    dir->NWDSAddFilterToken(cursor, FTOK_ANAME, "CN", SYN_CI_STRING);
    dir->NWDSAddFilterToken(cursor, FTOK_EQ, nullptr, 0);
    dir->NWDSAddFilterToken(cursor, FTOK_AVAL, "Ann Lee", SYN_CI_STRING);
    dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0);
    Buf_T *filter = nullptr, *result = nullptr;
    dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &filter);
    dir->NWDSInitBuf(ctx, DSV_SEARCH_FILTER, filter);
    ASSERT_EQ(dir->NWDSPutFilter(ctx, filter, cursor, nullptr), 0);
    dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &result);
    std::set<std::string> found;
    std::int32_t it = NO_MORE_ITERATIONS;
    do {
        std::int32_t searched = 0;
        ASSERT_EQ(dir->NWDSSearch(ctx, "example\\.com", DS_SEARCH_SUBTREE, false, filter,
                                  DS_ATTRIBUTE_NAMES, true, nullptr, &it, 0, &searched, result),
                  0);
        std::uint32_t count = 0;
        dir->NWDSGetObjectCount(ctx, result, &count);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            std::uint32_t attrCount = 0;
            Object_Info_T info{};
            ASSERT_EQ(dir->NWDSGetObjectName(ctx, result, name, sizeof name, &attrCount, &info), 0);
            found.insert(name);
        }
    } while (it != NO_MORE_ITERATIONS);
    dir->NWDSFreeBuf(filter);
    dir->NWDSFreeBuf(result);
    EXPECT_EQ(found, std::set<std::string>{"Ann Lee+4711.People.example\\.com"});
}

TEST_P(ForeignNamesTest, MultiValuedObjectsAreRenamedAndDeleted) {
    addPerson("cn=Kim Park+uid=kpark",
              {{LdapMod::Add, "cn", {"Kim Park"}}, {LdapMod::Add, "uid", {"kpark"}}});
    ASSERT_EQ(listed(kPeople).count("Kim Park+kpark"), 1u);
    const std::string people = std::string(".") + kPeople;
    // To one value, keeping the other as an attribute, and back: its holder gives its type.
    ASSERT_EQ(dir->NWDSModifyRDN(ctx, ("Kim Park+kpark" + people).c_str(), "Kim Park", false), 0);
    auto names = listed(kPeople);
    EXPECT_EQ(names.count("Kim Park"), 1u);
    EXPECT_EQ(names.count("Kim Park+kpark"), 0u);
    // A value no attribute of the object holds has no type to name it by.
    EXPECT_EQ(dir->NWDSModifyRDN(ctx, ("Kim Park" + people).c_str(), "Kim Park+nobody", true),
              ERR_BAD_NAMING_ATTRIBUTES);
    ASSERT_EQ(dir->NWDSModifyRDN(ctx, ("Kim Park" + people).c_str(), "Kim Park+kpark", true), 0);
    EXPECT_EQ(listed(kPeople).count("Kim Park+kpark"), 1u);
    // Both values changed in their places.
    ASSERT_EQ(
        dir->NWDSModifyRDN(ctx, ("Kim Park+kpark" + people).c_str(), "Kim Parker+kparker", true),
        0);
    std::map<std::string, ReadItem> attrs;
    ASSERT_EQ(readAll(*dir, ctx, "Kim Parker+kparker" + people, DS_ATTRIBUTE_VALUES, attrs), 0);
    EXPECT_EQ(valuesNamed(attrs, "CN"), std::vector<std::string>{"Kim Parker"});
    ASSERT_EQ(dir->NWDSRemoveObject(ctx, ("Kim Parker+kparker" + people).c_str()), 0);
    // A new object is named by its class's one naming attribute.
    Buf_T* buf = nullptr;
    dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    dir->NWDSInitBuf(ctx, DSV_ADD_ENTRY, buf);
    EXPECT_EQ(dir->NWDSPutAttrName(ctx, buf, "Object Class"), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(ctx, buf, SYN_CLASS_NAME, "User"), 0);
    EXPECT_EQ(dir->NWDSPutAttrName(ctx, buf, "Surname"), 0);
    EXPECT_EQ(dir->NWDSPutAttrVal(ctx, buf, SYN_CI_STRING, "Park"), 0);
    EXPECT_EQ(dir->NWDSAddObject(ctx, ("Kim Park+kpark" + people).c_str(), nullptr, false, buf),
              ERR_BAD_NAMING_ATTRIBUTES);
    dir->NWDSFreeBuf(buf);
    names = listed(kPeople);
    EXPECT_EQ(names.count("Kim Parker+kparker"), 0u);
    EXPECT_EQ(names.count("Ann Lee+4711"), 1u);
}

TEST_P(ForeignNamesTest, PagesNameAMultiValuedObjectByItsLabel) {
    std::vector<ListedItem> items;
    ASSERT_EQ(listAll(*dir, ctx, kPeople, items), 0);
    const auto ann = std::find_if(items.begin(), items.end(),
                                  [](const ListedItem& i) { return i.name == "Ann Lee+4711"; });
    ASSERT_NE(ann, items.end());
    // What the page shows, and the name it reads the object by again.
    const std::string label = labelOf(ann->name);
    EXPECT_EQ(labelText(label), "Ann Lee+4711");
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(ctx, fullNameOf(label, kPeople).c_str(), nullptr, 0, &info),
              0);
    // The shown text, taken as one value, names nothing.
    EXPECT_EQ(dir->NWDSReadObjectInfo(ctx, fullNameOf(labelText(label), kPeople).c_str(), nullptr,
                                      0, &info),
              ERR_NO_SUCH_ENTRY);
}

TEST_P(ForeignNamesTest, ReferralsAreListedAsObjectsAndTheirRefRead) {
    std::vector<ListedItem> top;
    ASSERT_EQ(listAll(*dir, ctx, "example\\.com", top), 0);
    EXPECT_EQ(namesOf(top).count("Elsewhere"), 1u);
    std::map<std::string, ReadItem> attrs;
    ASSERT_EQ(readAll(*dir, ctx, "Elsewhere.example\\.com", DS_ATTRIBUTE_VALUES, attrs), 0);
    EXPECT_EQ(valuesNamed(attrs, "ref"),
              std::vector<std::string>{"ldap://127.0.0.1:1/ou=Elsewhere,dc=example,dc=com"});
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(ctx, "Elsewhere.example\\.com", nullptr, 0, &info), 0);
    // Its names, as the browser shows them below it after the listing.
    std::map<std::string, ReadItem> shown;
    ASSERT_EQ(readAll(*dir, ctx, "Elsewhere.example\\.com", DS_ATTRIBUTE_NAMES, shown), 0);
    EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                            [](const auto& n) { return names::equalFolded(n.first, "ref"); }));
}

TEST_P(ForeignNamesTest, TheBrowserSelectsAMultiValuedObjectAndReadsItsAttributes) {
    RecordingReporter reporter;
    CBrowserPage page(PageServices{*dir, reporter}, nullptr);
    page.create();
    const auto people = page.containerList()->findItems(QStringLiteral("People"), Qt::MatchExactly);
    ASSERT_EQ(people.size(), 1);
    page.moveTo(people.first());
    auto field = [&](const char* name) { return page.findChild<QLineEdit*>(name)->text(); };
    EXPECT_EQ(field("contextField"), QString::fromLatin1(kPeople));
    const QModelIndex ann =
        rows::named(rows::top(page.objectTree()), QStringLiteral("Ann Lee+4711"));
    ASSERT_TRUE(ann.isValid());
    page.objectTree()->setCurrentIndex(ann);
    EXPECT_EQ(field("selectedObjectField"), QStringLiteral("Ann Lee+4711"));
    EXPECT_NE(field("typeField"), QStringLiteral("Unknown"));
    const QModelIndex surname = rows::named(ann, QStringLiteral("Surname"));
    ASSERT_TRUE(surname.isValid());
    page.objectTree()->setCurrentIndex(surname);
    auto* values = page.findChild<QTreeWidget*>(QStringLiteral("valueList"));
    ASSERT_EQ(values->topLevelItemCount(), 1);
    EXPECT_EQ(values->topLevelItem(0)->text(0), QStringLiteral("Lee"));
    EXPECT_TRUE(reporter.messages.isEmpty()) << reporter.messages.join('|').toStdString();
}

TEST_P(ForeignNamesTest, TheObjectManagerRenamesAndDeletesAMultiValuedObject) {
    addPerson("cn=Lou Tan+uid=ltan",
              {{LdapMod::Add, "cn", {"Lou Tan"}}, {LdapMod::Add, "uid", {"ltan"}}},
              "dc=example,dc=com");
    RecordingReporter reporter;
    CObjectManagerPage page(PageServices{*dir, reporter}, nullptr);
    page.create("EXAMPLE");
    auto* tree = page.findChild<QTreeView*>(QStringLiteral("objectTree"));
    auto field = [&](const char* name) { return page.findChild<QLineEdit*>(name); };
    auto click = [&](const char* name) { page.findChild<QPushButton*>(name)->click(); };
    auto select = [&](const QString& text) {
        const auto found = rows::topNamed(tree, text);
        if (found.size() != 1)
            return false;
        tree->setCurrentIndex(found.first());
        return field("deleteNameField")->text() == text;
    };
    ASSERT_TRUE(select(QStringLiteral("Lou Tan+ltan")));
    EXPECT_FALSE(field("objectClassField")->text().isEmpty());
    field("newNameField")->setText(QStringLiteral("Lou Tan"));
    click("renameButton");
    // The rename took the old values away: the way back names the type of the one added.
    ASSERT_TRUE(select(QStringLiteral("Lou Tan")));
    field("newNameField")->setText(QStringLiteral("Lou Tan+ltan"));
    click("renameButton");
    field("newNameField")->setText(QStringLiteral("Lou Tan+UID=ltan"));
    click("renameButton");
    ASSERT_TRUE(select(QStringLiteral("Lou Tan+ltan")));
    click("deleteButton");
    EXPECT_TRUE(rows::topNamed(tree, QStringLiteral("Lou Tan+ltan")).isEmpty());
    EXPECT_EQ(reporter.messages,
              (QStringList{"Object Lou Tan+ltan successfully renamed!",
                           "NWDSModifyRDN() returned " +
                               QString::asprintf("%04X", unsigned(ERR_BAD_NAMING_ATTRIBUTES)),
                           "Object Lou Tan successfully renamed!",
                           "Object Lou Tan+ltan successfully deleted!"}));
}

TEST_P(ForeignNamesTest, TheObjectEditorModifiesAMultiValuedObject) {
    addPerson("cn=Mo Ray+uid=mray",
              {{LdapMod::Add, "cn", {"Mo Ray"}}, {LdapMod::Add, "uid", {"mray"}}},
              "dc=example,dc=com");
    RecordingReporter reporter;
    CObjectEditorPage page(PageServices{*dir, reporter}, nullptr);
    page.create("EXAMPLE");
    auto* tree = page.findChild<QTreeView*>(QStringLiteral("objectTree"));
    const auto found = rows::topNamed(tree, QStringLiteral("Mo Ray+mray"));
    ASSERT_EQ(found.size(), 1);
    tree->selectionModel()->select(found.first(), QItemSelectionModel::Select);
    auto* attributes = page.findChild<QComboBox*>(QStringLiteral("attributeCombo"));
    attributes->setCurrentIndex(attributes->findText(QStringLiteral("Title"), Qt::MatchExactly));
    page.findChild<QLineEdit*>(QStringLiteral("entryField1"))->setText(QStringLiteral("Pilot"));
    attributes->setEditText(QStringLiteral("Title"));
    page.findChild<QComboBox*>(QStringLiteral("operationCombo"))
        ->setEditText(QStringLiteral("Add Value"));
    page.findChild<QPushButton*>(QStringLiteral("addCriteriaButton"))->click();
    page.findChild<QPushButton*>(QStringLiteral("modifyObjectButton"))->click();
    EXPECT_EQ(reporter.messages,
              (QStringList{"Object Mo Ray+mray.example\\.com was successfully modified!"}));
    std::map<std::string, ReadItem> attrs;
    ASSERT_EQ(readAll(*dir, ctx, "Mo Ray+mray.example\\.com", DS_ATTRIBUTE_VALUES, attrs), 0);
    EXPECT_EQ(attrs["Title"].values, (std::vector<std::string>{"Pilot"}));
}

OSTREL_ON_FOREIGN_SERVERS(ForeignNamesTest);

} // namespace
