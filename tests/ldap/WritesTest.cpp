// The LDAP client's object writes on a private slapd: each write succeeding and seen by the
// next read, and each refusal giving the code the embedded directory gives for the same
// request, with the server left as it was.
#include "LdapFixture.h"

#include <utility>

namespace {

using Attributes = std::vector<std::pair<std::string, std::vector<std::string>>>;

class LdapWrites : public SharedSlapd<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        embedded = EmbeddedDirectory::openDemo();
        ASSERT_NE(embedded, nullptr);
        ctx = pageContext(*ldap);
        ectx = pageContext(*embedded);
    }
    void TearDown() override {
        ldap->NWDSFreeContext(ctx);
        embedded->NWDSFreeContext(ectx);
        EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
    }

    // An add-entry request with string values (the syntaxes the tests use).
    static NWDSCCODE add(DirectoryClient& client, NWDSContextHandle c, const std::string& name,
                         const Attributes& attrs) {
        Buf_T* buf = nullptr;
        client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
        EXPECT_EQ(client.NWDSInitBuf(c, DSV_ADD_ENTRY, buf), 0);
        for (const auto& [attr, values] : attrs) {
            EXPECT_EQ(client.NWDSPutAttrName(c, buf, attr.c_str()), 0) << attr;
            std::uint32_t syntax = SYN_CI_STRING;
            client.NWDSGetSyntaxID(c, attr.c_str(), &syntax);
            for (const auto& v : values)
                EXPECT_EQ(client.NWDSPutAttrVal(c, buf, syntax, v.c_str()), 0) << attr;
        }
        const NWDSCCODE rc = client.NWDSAddObject(c, name.c_str(), nullptr, false, buf);
        client.NWDSFreeBuf(buf);
        return rc;
    }
    // The same add on both directories: the LDAP client answers as the embedded one does.
    void addOnBoth(const std::string& name, const Attributes& attrs, NWDSCCODE expected) {
        EXPECT_EQ(add(*embedded, ectx, name, attrs), expected) << "embedded: " << name;
        EXPECT_EQ(add(*ldap, ctx, name, attrs), expected) << "LDAP: " << name;
    }
    void modifyOnBoth(const std::string& name, const Changes& changes, NWDSCCODE expected) {
        EXPECT_EQ(modifyObject(*embedded, ectx, name, changes), expected) << "embedded: " << name;
        EXPECT_EQ(modifyObject(*ldap, ctx, name, changes), expected) << "LDAP: " << name;
    }
    // An object's values as a fresh client reads them from the server.
    std::map<std::string, ReadItem> readBack(const std::string& name, NWDSCCODE* code = nullptr) {
        std::string error;
        auto fresh = LdapDirectory::open(ldapOptionsFor(*server), &error);
        EXPECT_NE(fresh, nullptr) << error;
        std::map<std::string, ReadItem> out;
        if (!fresh)
            return out;
        NWDSContextHandle c = pageContext(*fresh);
        const NWDSCCODE rc = readAll(*fresh, c, name, DS_ATTRIBUTE_VALUES, out);
        if (code != nullptr)
            *code = rc;
        else
            EXPECT_EQ(rc, 0) << name;
        fresh->NWDSFreeContext(c);
        return out;
    }
    static std::vector<std::string> valuesOf(const std::map<std::string, ReadItem>& read,
                                             const std::string& attr) {
        auto it = read.find(attr);
        return it == read.end() ? std::vector<std::string>{} : it->second.values;
    }

    std::unique_ptr<LdapDirectory> ldap;
    std::unique_ptr<EmbeddedDirectory> embedded;
    NWDSContextHandle ctx = NO_CONTEXT, ectx = NO_CONTEXT;
};

TEST_F(LdapWrites, AddCreatesTheObjectWithItsValuesUnderItsContainer) {
    ASSERT_EQ(add(*ldap, ctx, "Ann.Sales.Acme",
                  {{"Object Class", {"User"}},
                   {"Surname", {"Smith"}},
                   {"Title", {"Clerk"}},
                   {"Telephone Number", {"555-0100", "555-0101"}}}),
              0);
    const auto read = readBack("Ann.Sales.Acme");
    EXPECT_EQ(valuesOf(read, "CN"), std::vector<std::string>{"Ann"});
    EXPECT_EQ(valuesOf(read, "Surname"), std::vector<std::string>{"Smith"});
    EXPECT_EQ(valuesOf(read, "Title"), std::vector<std::string>{"Clerk"});
    EXPECT_EQ(valuesOf(read, "Telephone Number").size(), 2u);
    // The same client reads it too, by a name relative to its name context.
    ASSERT_EQ(ldap->NWDSSetContext(ctx, DCK_NAME_CONTEXT, "Sales.Acme"), 0);
    ASSERT_EQ(add(*ldap, ctx, "Unit9", {{"Object Class", {"Organizational Unit"}}}), 0);
    std::vector<ListedItem> listed;
    ASSERT_EQ(listAll(*ldap, ctx, "Unit9", listed), 0);
    EXPECT_TRUE(listed.empty());
    EXPECT_EQ(readBack("Unit9.Sales.Acme").count("OU"), 1u);
}

TEST_F(LdapWrites, RefusedAddsGiveTheEmbeddedDirectorysCodesAndCreateNothing) {
    // The name is taken (the server says so).
    addOnBoth("Jane.Sales.Acme", {{"Object Class", {"User"}}, {"Surname", {"Doe"}}},
              ERR_ENTRY_ALREADY_EXISTS);
    // A user needs a surname.
    addOnBoth("Nosurname.Sales.Acme", {{"Object Class", {"User"}}}, ERR_MISSING_MANDATORY);
    // Containment, which the server does not know: a unit below a user, below a country.
    addOnBoth("Inside.Jane.Sales.Acme", {{"Object Class", {"Organizational Unit"}}},
              ERR_ILLEGAL_CONTAINMENT);
    addOnBoth("Abroad.US", {{"Object Class", {"Organizational Unit"}}}, ERR_ILLEGAL_CONTAINMENT);
    // Bounds: a title of 65 characters where 64 is the most.
    addOnBoth(
        "Long.Sales.Acme",
        {{"Object Class", {"User"}}, {"Surname", {"Long"}}, {"Title", {std::string(65, 'x')}}},
        ERR_SYNTAX_VIOLATION);
    // An attribute the class does not have, a class that is not there.
    addOnBoth("Odd.Sales.Acme",
              {{"Object Class", {"User"}}, {"Surname", {"Odd"}}, {"Nonesuch", {"x"}}},
              ERR_NO_SUCH_ATTRIBUTE);
    addOnBoth("Odd.Sales.Acme", {{"Object Class", {"Nonesuch"}}}, ERR_NO_SUCH_CLASS);
    // One the directory defines but the class does not list; two login shells where one is
    // the most.
    addOnBoth(
        "Odd.Sales.Acme",
        {{"Object Class", {"User"}}, {"Surname", {"Odd"}}, {"Host Device", {"Jane.Sales.Acme"}}},
        ERR_ILLEGAL_ATTRIBUTE);
    addOnBoth("Odd.Sales.Acme",
              {{"Object Class", {"User"}}, {"Surname", {"Odd"}}, {"Login Shell", {"/a", "/b"}}},
              ERR_CANT_HAVE_MULTIPLE_VALUES);
    for (const char* name : {"Nosurname.Sales.Acme", "Inside.Jane.Sales.Acme", "Abroad.US",
                             "Long.Sales.Acme", "Odd.Sales.Acme"}) {
        NWDSCCODE rc = 0;
        readBack(name, &rc);
        EXPECT_EQ(rc, ERR_NO_SUCH_ENTRY) << name;
    }
}

TEST_F(LdapWrites, AnObjectAtRootIsRefusedBeforeItIsSentAndSaysWhy) {
    // The embedded directory holds its whole tree; a server only its naming contexts.
    ASSERT_EQ(ldap->NWDSSetContext(ctx, DCK_NAME_CONTEXT, ROOT_NAME), 0);
    const auto before = ldap->roundTrips();
    EXPECT_EQ(add(*ldap, ctx, "Elsewhere", {{"Object Class", {"Organization"}}}),
              ERR_NOT_SUPPORTED);
    EXPECT_EQ(ldap->roundTrips(), before);
    const std::string why = ldap->clientReason(ERR_NOT_SUPPORTED);
    EXPECT_NE(why.find("holds only its naming contexts (c=US, o=Acme"), std::string::npos) << why;
    EXPECT_EQ(ldap->serverReason(ERR_NOT_SUPPORTED), "");
    // A refusal of the server's afterwards is the server's own again.
    EXPECT_EQ(add(*ldap, ctx, "Jane.Sales.Acme", {{"Object Class", {"User"}}, {"Surname", {"D"}}}),
              ERR_ENTRY_ALREADY_EXISTS);
    EXPECT_EQ(ldap->clientReason(ERR_NOT_SUPPORTED), "");
}

TEST_F(LdapWrites, ModifyAppliesEveryChangeTypeInOneRequest) {
    ASSERT_EQ(add(*ldap, ctx, "Mod.Sales.Acme",
                  {{"Object Class", {"User"}},
                   {"Surname", {"Mod"}},
                   {"Telephone Number", {"1", "2"}},
                   {"Description", {"old"}}}),
              0);
    ASSERT_EQ(modifyObject(*ldap, ctx, "Mod.Sales.Acme",
                           {{DS_ADD_ATTRIBUTE, "Title", {"Boss"}},
                            {DS_REMOVE_VALUE, "Telephone Number", {"1"}},
                            {DS_ADD_VALUE, "Telephone Number", {"3"}},
                            {DS_ADDITIONAL_VALUE, "Telephone Number", {"3", "4"}},
                            {DS_REMOVE_ATTRIBUTE, "Description", {}},
                            {DS_OVERWRITE_VALUE, "Surname", {"Moderne"}}}),
              0);
    const auto read = readBack("Mod.Sales.Acme");
    EXPECT_EQ(valuesOf(read, "Title"), std::vector<std::string>{"Boss"});
    auto phones = valuesOf(read, "Telephone Number");
    std::sort(phones.begin(), phones.end());
    EXPECT_EQ(phones, (std::vector<std::string>{"2", "3", "4"}));
    EXPECT_EQ(read.count("Description"), 0u);
    auto surnames = valuesOf(read, "Surname");
    std::sort(surnames.begin(), surnames.end());
    EXPECT_EQ(surnames, (std::vector<std::string>{"Mod", "Moderne"})); // multi-valued: added
}

TEST_F(LdapWrites, ARefusedChangeLeavesTheChangesBeforeItUnapplied) {
    const Changes firstTwo = {{DS_ADD_VALUE, "Title", {"Lead"}},
                              {DS_ADD_ATTRIBUTE, "Description", {"new"}}};
    auto withThird = [&](std::tuple<std::uint32_t, std::string, std::vector<std::string>> third) {
        Changes all = firstTwo;
        all.push_back(std::move(third));
        return all;
    };
    // Refused by the client before sending: bounds, a value not held, an attribute held,
    // one the class does not have.
    modifyOnBoth("John.Sales.Acme", withThird({DS_ADD_VALUE, "Surname", {std::string(65, 'y')}}),
                 ERR_SYNTAX_VIOLATION);
    modifyOnBoth("John.Sales.Acme", withThird({DS_REMOVE_VALUE, "Surname", {"Nobody"}}),
                 ERR_NO_SUCH_VALUE);
    modifyOnBoth("John.Sales.Acme", withThird({DS_ADD_ATTRIBUTE, "Surname", {"Again"}}),
                 ERR_ATTRIBUTE_ALREADY_EXISTS);
    modifyOnBoth("John.Sales.Acme", withThird({DS_ADD_VALUE, "Host Device", {"x"}}),
                 ERR_ILLEGAL_ATTRIBUTE);
    modifyOnBoth("John.Sales.Acme", withThird({DS_REMOVE_ATTRIBUTE, "CN", {}}),
                 ERR_CANT_REMOVE_NAMING_VALUE);
    // Refused by the server, which then applies none of the request: a value it holds
    // already, written with spaces its matching rule ignores.
    EXPECT_EQ(modifyObject(*ldap, ctx, "Jane.Sales.Acme",
                           withThird({DS_ADD_VALUE, "Title", {"Account  Manager"}})),
              ERR_DUPLICATE_VALUE);
    for (const char* name : {"John.Sales.Acme", "Jane.Sales.Acme"}) {
        const auto read = readBack(name);
        const auto titles = valuesOf(read, "Title");
        EXPECT_EQ(std::count(titles.begin(), titles.end(), "Lead"), 0) << name;
        EXPECT_EQ(read.count("Description"), 0u) << name;
    }
    EXPECT_EQ(valuesOf(readBack("John.Sales.Acme"), "CN"), std::vector<std::string>{"John"});
}

// One table of the directory's modify rules, run on both directories in order (each step
// starts from what the ones before left), with the codes each gives.
TEST_F(LdapWrites, TheModifyRulesAreTheSameOnBothDirectories) {
    const struct {
        const char* what;
        const char* object;
        Changes changes;
        NWDSCCODE expected;
    } steps[] = {
        {"a Printable String value",
         "Guest.Acme",
         {{DS_ADD_VALUE, "Serial Number", {"SN-42A"}}},
         0},
        // Its syntax ignores case: the same value again, in other case, is held already.
        {"it again in lower case",
         "Guest.Acme",
         {{DS_ADD_VALUE, "Serial Number", {"sn-42a"}}},
         ERR_DUPLICATE_VALUE},
        {"and removed so", "Guest.Acme", {{DS_REMOVE_VALUE, "Serial Number", {"sn-42a"}}}, 0},
        // Telephone numbers do not ignore case: these are two values.
        {"a telephone number", "Guest.Acme", {{DS_ADD_VALUE, "Telephone Number", {"555-CALL"}}}, 0},
        {"it in lower case", "Guest.Acme", {{DS_ADD_VALUE, "Telephone Number", {"555-call"}}}, 0},
        {"a Case Ignore String", "Guest.Acme", {{DS_ADD_VALUE, "Title", {"Visitor"}}}, 0},
        {"it in upper case", "Guest.Acme", {{DS_ADDITIONAL_VALUE, "Title", {"VISITOR"}}}, 0},
        {"removed in upper case", "Guest.Acme", {{DS_REMOVE_VALUE, "Title", {"VISITOR"}}}, 0},
        // An alias is named by its CN, which its class lists neither as mandatory nor as
        // optional: no CN value may be added to it.
        {"a name for an alias",
         "Boss.Acme",
         {{DS_ADD_VALUE, "CN", {"Chief"}}},
         ERR_ILLEGAL_ATTRIBUTE},
        {"the naming value",
         "Guest.Acme",
         {{DS_REMOVE_VALUE, "CN", {"GUEST"}}},
         ERR_CANT_REMOVE_NAMING_VALUE},
        {"the last surname",
         "Guest.Acme",
         {{DS_REMOVE_ATTRIBUTE, "Surname", {}}},
         ERR_MISSING_MANDATORY},
        {"a login shell", "Guest.Acme", {{DS_ADD_VALUE, "Login Shell", {"/bin/sh"}}}, 0},
        {"a second one",
         "Guest.Acme",
         {{DS_ADD_VALUE, "Login Shell", {"/bin/ksh"}}},
         ERR_CANT_HAVE_MULTIPLE_VALUES},
        {"the login shell overwritten",
         "Guest.Acme",
         {{DS_OVERWRITE_VALUE, "Login Shell", {"/bin/bash"}}},
         0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        modifyOnBoth(step.object, step.changes, step.expected);
    }
    for (const char* name : {"Guest.Acme", "Boss.Acme"}) {
        std::map<std::string, ReadItem> want, got;
        NWDSContextHandle plain = pageContext(*embedded);
        ASSERT_EQ(readAll(*embedded, plain, name, DS_ATTRIBUTE_VALUES, want), 0);
        embedded->NWDSFreeContext(plain);
        got = readBack(name);
        for (const char* attr :
             {"Serial Number", "Telephone Number", "Title", "Login Shell", "CN"}) {
            auto sorted = [](std::vector<std::string> v) {
                std::sort(v.begin(), v.end());
                return v;
            };
            EXPECT_EQ(sorted(valuesOf(got, attr)), sorted(valuesOf(want, attr))) << name << attr;
        }
    }
}

TEST_F(LdapWrites, RenameMoveAndRemoveAreSeenByTheNextRead) {
    ASSERT_EQ(add(*ldap, ctx, "Ren.Sales.Acme", {{"Object Class", {"User"}}, {"Surname", {"R"}}}),
              0);
    // Keeping the old name as a value, then dropping it.
    ASSERT_EQ(ldap->NWDSModifyRDN(ctx, "Ren.Sales.Acme", "Renamed", false), 0);
    auto cns = valuesOf(readBack("Renamed.Sales.Acme"), "CN");
    std::sort(cns.begin(), cns.end());
    EXPECT_EQ(cns, (std::vector<std::string>{"Ren", "Renamed"}));
    ASSERT_EQ(ldap->NWDSModifyRDN(ctx, "Renamed.Sales.Acme", "Final", true), 0);
    // Only the name given up goes; the one kept before stays, as on the embedded directory.
    cns = valuesOf(readBack("Final.Sales.Acme"), "CN");
    std::sort(cns.begin(), cns.end());
    EXPECT_EQ(cns, (std::vector<std::string>{"Final", "Ren"}));
    Object_Info_T info{};
    char dn[MAX_DN_BYTES] = {};
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Renamed.Sales.Acme", dn, sizeof dn, &info),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(ldap->NWDSModifyRDN(ctx, "Final.Sales.Acme", "Jane", true), ERR_ENTRY_ALREADY_EXISTS);

    ASSERT_EQ(ldap->NWDSMoveObject(ctx, "Final.Sales.Acme", "Lab.Engineering.Acme", "Moved"), 0);
    const auto moved = valuesOf(readBack("Moved.Lab.Engineering.Acme"), "CN");
    EXPECT_EQ(std::count(moved.begin(), moved.end(), "Moved"), 1);
    EXPECT_EQ(std::count(moved.begin(), moved.end(), "Final"), 0);
    ASSERT_EQ(ldap->NWDSRemoveObject(ctx, "Moved.Lab.Engineering.Acme"), 0);
    NWDSCCODE rc = 0;
    readBack("Moved.Lab.Engineering.Acme", &rc);
    EXPECT_EQ(rc, ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(ldap->NWDSReadObjectInfo(ctx, "Moved.Lab.Engineering.Acme", dn, sizeof dn, &info),
              ERR_NO_SUCH_ENTRY);
}

TEST_F(LdapWrites, RefusedRenamesMovesAndRemovalsGiveTheEmbeddedDirectorysCodes) {
    struct Case {
        const char* what;
        std::function<NWDSCCODE(DirectoryClient&, NWDSContextHandle)> call;
        NWDSCCODE expected;
    };
    const std::vector<Case> cases = {
        {"move below itself",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSMoveObject(c, "Engineering.Acme", "Lab.Engineering.Acme", "Engineering");
         },
         ERR_INVALID_REQUEST},
        {"move a user into a user",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSMoveObject(c, "Mary.Sales.Acme", "Jane.Sales.Acme", "Mary");
         },
         ERR_ILLEGAL_CONTAINMENT},
        {"move onto a taken name",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSMoveObject(c, "Mary.Sales.Acme", "Acme", "Admin");
         },
         ERR_ENTRY_ALREADY_EXISTS},
        {"rename to a name too long",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSModifyRDN(c, "Mary.Sales.Acme", std::string(65, 'm').c_str(), true);
         },
         ERR_SYNTAX_VIOLATION},
        {"remove a container that holds objects",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSRemoveObject(c, "Sales.Acme");
         },
         ERR_ENTRY_IS_NOT_LEAF},
        {"remove what is not there",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSRemoveObject(c, "Nobody.Sales.Acme");
         },
         ERR_NO_SUCH_ENTRY},
    };
    for (const auto& k : cases) {
        EXPECT_EQ(k.call(*embedded, ectx), k.expected) << "embedded: " << k.what;
        EXPECT_EQ(k.call(*ldap, ctx), k.expected) << "LDAP: " << k.what;
    }
    EXPECT_EQ(valuesOf(readBack("Mary.Sales.Acme"), "CN"), std::vector<std::string>{"Mary"});
    EXPECT_EQ(readBack("Lab.Engineering.Acme").count("OU"), 1u);
}

} // namespace
