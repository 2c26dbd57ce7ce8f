// Servers Ostrel did not seed, as their administrators run them: a stock slapd and a 389
// Directory Server with the standard schema and the project's own dc= data. The client opens
// them with a new user's settings alone (no hints file), and lists, reads and names what they
// hold.
#include "ForeignSettings.h"
#include "LdapFixture.h"
#include "SchemaDump.h"

#include <algorithm>

namespace {

using foreign::Who;

std::vector<std::string> namesOf(const std::vector<ListedItem>& items) {
    std::vector<std::string> out;
    for (const auto& i : items)
        out.push_back(i.name);
    std::sort(out.begin(), out.end());
    return out;
}

// One server of each kind for the whole program, stopped when it ends.
class ForeignServerTest : public foreign::ServerSuite {};

TEST_P(ForeignServerTest, OpensWithoutHintsAndListsEachNamingContextOnceAtRoot) {
    for (auto who : {Who::Anonymous, Who::Editor, Who::Root}) {
        SCOPED_TRACE(int(who));
        auto dir = open(who);
        ASSERT_NE(dir, nullptr);
        NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
        std::vector<ListedItem> top;
        ASSERT_EQ(listAll(*dir, ctx, ROOT_NAME, top), 0);
        std::vector<std::string> want = {"example\\.com"};
        if (slapd())
            want.push_back("Harbour Lights");
        std::sort(want.begin(), want.end());
        EXPECT_EQ(namesOf(top), want);
        for (const auto& t : top)
            EXPECT_TRUE(t.container) << t.name;
        // Entered by the name it was listed by, and by its RDNs written out.
        for (const char* name : {"example\\.com", "example.com"}) {
            std::vector<ListedItem> below;
            ASSERT_EQ(listAll(*dir, ctx, name, below), 0) << name;
            const auto names = namesOf(below);
            for (const char* expected : {"People", "Groups", "Staff", "Quayside", "editor"})
                EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
        }
        dir->NWDSFreeContext(ctx);
    }
}

TEST_P(ForeignServerTest, ContextsStartInTheIdentitysContainerOrAtRoot) {
    auto expectStart = [&](Who who, const std::string& want) {
        auto dir = open(who);
        ASSERT_NE(dir, nullptr);
        NWDSContextHandle ctx = NO_CONTEXT;
        ASSERT_EQ(dir->NWDSCreateContextHandle(&ctx), 0);
        char context[MAX_DN_BYTES] = {};
        ASSERT_EQ(dir->NWDSGetContext(ctx, DCK_NAME_CONTEXT, context, sizeof context), 0);
        EXPECT_EQ(std::string(context), want) << int(who);
        dir->NWDSFreeContext(ctx);
    };
    expectStart(Who::Anonymous, ROOT_NAME);
    expectStart(Who::Editor, "example\\.com");
    if (!slapd())
        expectStart(Who::Root, ROOT_NAME); // cn=Directory Manager lies in no context
}

TEST_P(ForeignServerTest, TheSchemaIsTheServersWithTheDirectorysNames) {
    auto dir = open(Who::Anonymous);
    ASSERT_NE(dir, nullptr);
    NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
    // The chain of inetOrgPerson, by the directory's names; each class is the server's.
    auto classes = classDump(*dir, ctx).items;
    ASSERT_TRUE(classes.count("User"));
    EXPECT_NE(classes["User"].find("|Organizational Person,|"), std::string::npos)
        << classes["User"];
    EXPECT_NE(classes["Organizational Person"].find("|Person,|"), std::string::npos);
    EXPECT_NE(classes["Person"].find("|Top,|"), std::string::npos);
    for (const char* effective : {"User", "Person", "Organizational Person", "domain"})
        EXPECT_TRUE(std::stoul("0" + classes[effective]) & DS_EFFECTIVE_CLASS) << effective;
    std::uint32_t syntax = 0;
    EXPECT_EQ(dir->NWDSGetSyntaxID(ctx, "Telephone Number", &syntax), 0);
    EXPECT_EQ(syntax, SYN_TEL_NUMBER);
    EXPECT_EQ(dir->NWDSGetSyntaxID(ctx, "Postal Address", &syntax), 0);
    EXPECT_EQ(syntax, SYN_PO_ADDRESS);
    EXPECT_EQ(dir->NWDSGetSyntaxID(ctx, "jpegPhoto", &syntax), 0);
    EXPECT_EQ(syntax, SYN_OCTET_STRING);
    dir->NWDSFreeContext(ctx);
}

TEST_P(ForeignServerTest, ValuesOfEachSyntaxClassAreRead) {
    auto dir = open(Who::Editor);
    ASSERT_NE(dir, nullptr);
    NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
    std::vector<ListedItem> people;
    ASSERT_EQ(listAll(*dir, ctx, "People.example\\.com", people), 0);
    ASSERT_GE(people.size(), 20u);
    std::map<std::string, ReadItem> values;
    ASSERT_EQ(readAll(*dir, ctx, "Owen Marsh.People.example\\.com", DS_ATTRIBUTE_VALUES, values),
              0);
    for (const char* shown : {"CN", "Surname", "Telephone Number", "Postal Address",
                              "userCertificate;binary", "Object Class"})
        EXPECT_TRUE(values.count(shown)) << shown << " of " << [&] {
            std::string all;
            for (const auto& [name, item] : values)
                all += name + ",";
            return all;
        }();
    EXPECT_EQ(values["Postal Address"].syntax, SYN_PO_ADDRESS);
    EXPECT_EQ(values["userCertificate;binary"].syntax, SYN_OCTET_STRING);
    // The DER certificate as the server holds it, byte for byte.
    ASSERT_EQ(values["userCertificate;binary"].values.size(), 1u);
    EXPECT_EQ(values["userCertificate;binary"].values.front().size(), 514u);
    values.clear();
    ASSERT_EQ(
        readAll(*dir, ctx, "Priya Nandakumar.People.example\\.com", DS_ATTRIBUTE_VALUES, values),
        0);
    EXPECT_EQ(values["jpegPhoto"].syntax, SYN_OCTET_STRING);
    values.clear();
    ASSERT_EQ(readAll(*dir, ctx, "Ilse Vogt.People.example\\.com", DS_ATTRIBUTE_VALUES, values), 0);
    EXPECT_EQ(values["Description;lang-de"].values,
              (std::vector<std::string>{"Zollverbindung f\xC3\xBCr den Hafen"}));
    dir->NWDSFreeContext(ctx);
}

TEST_P(ForeignServerTest, AContainerBeyondTheSizeLimitEndsWithWhatArrivedAndTheLimitsCode) {
    auto dir = open(Who::Anonymous);
    ASSERT_NE(dir, nullptr);
    NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
    std::vector<ListedItem> staff;
    const NWDSCCODE rc = listAll(*dir, ctx, "Staff.example\\.com", staff);
    // Listed whole where paging lets it; otherwise what arrived and the size limit's code.
    if (rc == 0) {
        EXPECT_EQ(staff.size(), 1200u);
    } else {
        EXPECT_EQ(rc, ERR_MAXIMUM_ENTRIES_EXIST);
        EXPECT_GE(staff.size(), 500u);
    }
    dir->NWDSFreeContext(ctx);
    EXPECT_EQ(dir->openSearches(), 0u);
}

TEST_P(ForeignServerTest, SchemaDefinitionsAreWrittenWhereTheIdentityMayWriteTheSchema) {
    // Only the server's schema administrator may; the editor of the data may not.
    auto editor = open(Who::Editor);
    auto admin = open(slapd() ? Who::External : Who::Root);
    ASSERT_TRUE(editor && admin);
    auto defineAttr = [](LdapDirectory& dir, NWDSContextHandle ctx, const char* name) {
        Attr_Info_T info{};
        info.attrFlags = DS_SINGLE_VALUED_ATTR;
        info.attrSyntaxID = SYN_CI_STRING;
        return dir.NWDSDefineAttr(ctx, name, &info);
    };
    NWDSContextHandle e = pageContext(*editor, "EXAMPLE"), a = pageContext(*admin, "EXAMPLE");
    EXPECT_EQ(defineAttr(*editor, e, "Berth Number"), ERR_NO_ACCESS);
    ASSERT_EQ(defineAttr(*admin, a, "Berth Number"), 0) << admin->lastFailure().text;

    Buf_T* buf = nullptr;
    ASSERT_EQ(admin->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf), 0);
    ASSERT_EQ(admin->NWDSInitBuf(a, DSV_DEFINE_CLASS, buf), 0);
    const std::vector<std::vector<std::string>> lists = {
        {"Top"}, {"Organizational Unit"}, {"CN"}, {"CN"}, {"Berth Number"}};
    for (const auto& list : lists) {
        ASSERT_EQ(admin->NWDSBeginClassItem(a, buf), 0);
        for (const auto& item : list)
            ASSERT_EQ(admin->NWDSPutClassItem(a, buf, item.c_str()), 0);
    }
    Class_Info_T info{};
    info.classFlags = DS_EFFECTIVE_CLASS;
    EXPECT_EQ(admin->NWDSDefineClass(a, "Mooring", &info, buf), 0) << admin->lastFailure().text;
    ASSERT_EQ(admin->NWDSInitBuf(a, DSV_MODIFY_CLASS_DEF, buf), 0);
    ASSERT_EQ(admin->NWDSPutClassItem(a, buf, "Description"), 0);
    EXPECT_EQ(admin->NWDSModifyClass(a, "Mooring", buf), 0) << admin->lastFailure().text;
    admin->NWDSFreeBuf(buf);

    auto classes = classDump(*admin, a).items;
    ASSERT_TRUE(classes.count("Mooring"));
    EXPECT_NE(classes["Mooring"].find("Berth Number,Description,"), std::string::npos)
        << classes["Mooring"];
    // In use by the class: refused before anything is sent; then both go.
    EXPECT_EQ(admin->NWDSRemoveAttrDef(a, "Berth Number"), ERR_SCHEMA_IS_IN_USE);
    EXPECT_EQ(admin->NWDSRemoveClassDef(a, "Mooring"), 0) << admin->lastFailure().text;
    EXPECT_EQ(admin->NWDSRemoveAttrDef(a, "Berth Number"), 0) << admin->lastFailure().text;
    // A definition the server holds itself is never removed.
    EXPECT_EQ(admin->NWDSRemoveAttrDef(a, "Title"), ERR_SCHEMA_IS_NONREMOVABLE);
    EXPECT_EQ(classDump(*admin, a).items.count("Mooring"), 0u);
    editor->NWDSFreeContext(e);
    admin->NWDSFreeContext(a);
}

OSTREL_ON_FOREIGN_SERVERS(ForeignServerTest);

} // namespace
