// Searching the embedded directory at the seam: the filter's precedence and matching rules,
// rights, scopes, and results over several passes.
#include "DemoFixture.h"
#include "client/common/ValueWire.h"

#include <map>
#include <set>

namespace {

// One call of NWDSAddFilterToken; text values are passed as text, numbers as a 32-bit
// integer (a Boolean by its first byte).
struct Token {
    std::uint32_t token;
    std::string text;
    std::uint32_t syntax = 0;
    std::int32_t number = 0;
    bool isNumber = false;
};
Token op(std::uint32_t token) {
    return {token, {}, 0};
}
Token name(std::string text, std::uint32_t syntax) {
    return {FTOK_ANAME, std::move(text), syntax};
}
Token text(std::string value, std::uint32_t syntax) {
    return {FTOK_AVAL, std::move(value), syntax};
}
Token number(std::int32_t value, std::uint32_t syntax) {
    return {FTOK_AVAL, {}, syntax, value, true};
}
// attribute relation value
std::vector<Token> cmp(const std::string& attr, std::uint32_t syntax, std::uint32_t relation,
                       const std::string& value) {
    return {name(attr, syntax), op(relation), text(value, syntax)};
}
std::vector<Token> cmpNumber(const std::string& attr, std::uint32_t syntax, std::uint32_t relation,
                             std::int32_t value) {
    return {name(attr, syntax), op(relation), number(value, syntax)};
}
std::vector<Token> operator+(std::vector<Token> a, const std::vector<Token>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
std::vector<Token> operator+(std::vector<Token> a, std::uint32_t joint) {
    a.push_back(op(joint));
    return a;
}

struct Found {
    std::string name;
    std::string baseClass;
    std::map<std::string, std::vector<std::string>> values; // text syntaxes as text
    int appearances = 0;                                    // passes it came in
};

} // namespace

class Search : public DemoDirectory {
protected:
    void SetUp() override {
        DemoDirectory::SetUp();
        addFinder();
    }

    // A unit of objects with a value of every searchable syntax.
    void addFinder() {
        DirectoryModel& m = dir->model();
        ASSERT_EQ(m.addObject("Acme", "Finder", "Organizational Unit"), 0);
        addUser("Ann", {{"Surname", {"van  Dyke"}},
                        {"Title", {"Clerk", "Team Lead"}},
                        {"Login Shell", {"/bin/Sh"}},
                        {"Employee Number", {"12 34"}},
                        {"Telephone Number", {"+1 555-0100"}},
                        {"Serial Number", {"AB-1"}},
                        {"See Also", {"Jane.Sales.Acme"}},
                        {"Login Disabled", {"TRUE"}},
                        {"Minimum Account Balance", {"-1"}},
                        {"Account Balance", {"10"}},
                        {"Password Expiration Interval", {"3600"}}});
        addUser("Bob", {{"Surname", {"Brown"}},
                        {"Title", {"Clerk"}},
                        {"Login Shell", {"/bin/sh"}},
                        {"Employee Number", {"1234"}},
                        {"Telephone Number", {"+1 555 0100"}},
                        {"See Also", {"Mary.Sales.Acme"}},
                        {"Login Disabled", {"FALSE"}},
                        {"Minimum Account Balance", {"5"}},
                        {"Account Balance", {"-20"}},
                        {"Password Expiration Interval", {"60"}}});
        addUser("Cy", {{"Surname", {"Cole"}}, {"Title", {"Manager"}}});
        ASSERT_EQ(m.addObject("Finder.Acme", "Printers", "Organizational Unit"), 0);
        ASSERT_EQ(m.addObject("Printers.Finder.Acme", "Laser", "Printer"), 0);
    }

    void addUser(const std::string& cn, std::vector<AttributeText> values) {
        ASSERT_EQ(dir->model().addObject("Finder.Acme", cn, "User", values), 0) << cn;
    }

    // A filter request holding the tokens and a closing FTOK_END.
    NWDSCCODE putFilter(Buffer& request, const std::vector<Token>& tokens) {
        EXPECT_EQ(dir->NWDSInitBuf(context, DSV_SEARCH_FILTER, request), 0);
        Filter_Cursor_T* cursor = nullptr;
        EXPECT_EQ(dir->NWDSAllocFilter(&cursor), 0);
        for (const Token& t : tokens) {
            const void* value = nullptr;
            if (t.token == FTOK_ANAME || (t.token == FTOK_AVAL && !t.isNumber))
                value = t.text.c_str();
            else if (t.token == FTOK_AVAL)
                value = &t.number;
            if (auto rc = dir->NWDSAddFilterToken(cursor, t.token, value, t.syntax); rc != 0) {
                dir->NWDSFreeFilter(cursor, nullptr);
                return rc;
            }
        }
        EXPECT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), 0);
        const NWDSCCODE rc = dir->NWDSPutFilter(context, request, cursor, nullptr);
        if (rc != 0)
            dir->NWDSFreeFilter(cursor, nullptr);
        return rc;
    }

    // Every object found below `base`, by name, over as many passes as it takes.
    NWDSCCODE search(const std::vector<Token>& filter, std::vector<Found>& found,
                     const std::vector<std::string>& attrs = {},
                     const std::string& base = "Finder.Acme",
                     std::int32_t scope = DS_SEARCH_SUBTREE, int* passes = nullptr,
                     std::int32_t perPass = 1024, std::size_t bufferSize = DEFAULT_MESSAGE_LEN,
                     bool allAttrs = false) {
        Buffer names(*dir);
        Buffer request(*dir);
        Buffer result(*dir, bufferSize);
        EXPECT_EQ(dir->NWDSInitBuf(context, DSV_SEARCH, names), 0);
        for (const auto& a : attrs)
            EXPECT_EQ(dir->NWDSPutAttrName(context, names, a.c_str()), 0);
        if (auto rc = putFilter(request, filter); rc != 0)
            return rc;
        std::int32_t it = NO_MORE_ITERATIONS;
        int n = 0;
        found.clear();
        do {
            std::int32_t searched = -7;
            const NWDSCCODE rc = dir->NWDSSearch(context, base.c_str(), scope, followAliases,
                                                 request, DS_ATTRIBUTE_VALUES, allAttrs, names, &it,
                                                 perPass, &searched, result);
            if (rc != 0)
                return rc;
            EXPECT_GE(searched, 0);
            ++n;
            std::uint32_t count = 0;
            EXPECT_EQ(dir->NWDSGetObjectCount(context, result, &count), 0);
            for (std::uint32_t i = 0; i < count; ++i)
                takeObject(result, found);
        } while (it != NO_MORE_ITERATIONS);
        if (passes != nullptr)
            *passes = n;
        return 0;
    }

    void takeObject(Buf_T* result, std::vector<Found>& found) {
        char objectName[MAX_DN_BYTES];
        std::uint32_t attrCount = 0;
        Object_Info_T info{};
        ASSERT_EQ(dir->NWDSGetObjectName(context, result, objectName, sizeof objectName, &attrCount,
                                         &info),
                  0);
        if (found.empty() || found.back().name != objectName)
            found.push_back(Found{objectName, info.baseClass, {}, 0});
        Found& f = found.back();
        ++f.appearances;
        for (std::uint32_t a = 0; a < attrCount; ++a) {
            char attrName[MAX_SCHEMA_NAME_BYTES];
            std::uint32_t valueCount = 0, syntax = 0;
            ASSERT_EQ(dir->NWDSGetAttrName(context, result, attrName, sizeof attrName, &valueCount,
                                           &syntax),
                      0);
            auto& values = f.values[attrName];
            for (std::uint32_t v = 0; v < valueCount; ++v) {
                std::uint32_t size = 0;
                ASSERT_EQ(dir->NWDSComputeAttrValSize(context, result, syntax, &size), 0);
                RecordStorage record(size);
                ASSERT_EQ(dir->NWDSGetAttrVal(context, result, syntax, record.data(), size), 0);
                values.push_back(syntax == SYN_INTEGER ? std::to_string(record.as<std::int32_t>())
                                                       : std::string(record.text()));
            }
        }
    }

    // The own names (up to the first ".") of what the filter finds below Finder.Acme.
    std::vector<std::string> labels(const std::vector<Token>& filter) {
        std::vector<Found> found;
        EXPECT_EQ(search(filter, found), 0);
        std::vector<std::string> out;
        for (const auto& f : found)
            out.push_back(f.name.substr(0, f.name.find('.')));
        std::sort(out.begin(), out.end());
        return out;
    }
    using Labels = std::vector<std::string>;
    bool followAliases = false; // the searches' own flag, beside the context's
};

TEST_F(Search, AndBindsTighterThanOr) {
    // Title = Manager OR Surname = Brown AND Login Shell = /bin/Sh: Cy only, since Bob's
    // shell differs and Ann is neither Brown nor a manager.
    const auto manager = cmp("Title", SYN_CI_STRING, FTOK_EQ, "Manager");
    const auto brown = cmp("Surname", SYN_CI_STRING, FTOK_EQ, "Brown");
    const auto shell = cmp("Login Shell", SYN_CE_STRING, FTOK_EQ, "/bin/Sh");
    EXPECT_EQ(labels(manager + FTOK_OR + brown + FTOK_AND + shell), Labels{"Cy"});
    // Surname = Brown AND Login Shell = /bin/sh OR Title = Manager: Bob and Cy.
    const auto bobShell = cmp("Login Shell", SYN_CE_STRING, FTOK_EQ, "/bin/sh");
    EXPECT_EQ(labels(brown + FTOK_AND + bobShell + FTOK_OR + manager), (Labels{"Bob", "Cy"}));
    // Clerk AND (multi-valued) Team Lead: Ann only.
    EXPECT_EQ(labels(cmp("Title", SYN_CI_STRING, FTOK_EQ, "clerk") + FTOK_AND +
                     cmp("Title", SYN_CI_STRING, FTOK_EQ, "TEAM LEAD")),
              Labels{"Ann"});
}

TEST_F(Search, EachSyntaxComparesByItsOwnRule) {
    // case-ignore strings: case, and spaces at the ends and doubled inside, do not count
    EXPECT_EQ(labels(cmp("Surname", SYN_CI_STRING, FTOK_EQ, " VAN dyke ")), Labels{"Ann"});
    // case-exact strings: case counts
    EXPECT_EQ(labels(cmp("Login Shell", SYN_CE_STRING, FTOK_EQ, "/bin/sh")), Labels{"Bob"});
    // numeric strings: spaces do not count
    EXPECT_EQ(labels(cmp("Employee Number", SYN_NU_STRING, FTOK_EQ, "1234")),
              (Labels{"Ann", "Bob"}));
    // telephone numbers: spaces and dashes do not count
    EXPECT_EQ(labels(cmp("Telephone Number", SYN_TEL_NUMBER, FTOK_EQ, "+15550100")),
              (Labels{"Ann", "Bob"}));
    // printable strings: case does not count
    EXPECT_EQ(labels(cmp("Serial Number", SYN_PR_STRING, FTOK_EQ, "ab-1")), Labels{"Ann"});
    // distinguished names: by component, ignoring case, from [Root] or below the context
    EXPECT_EQ(labels(cmp("See Also", SYN_DIST_NAME, FTOK_EQ, "jane.SALES.acme")), Labels{"Ann"});
    char set[] = "Sales.Acme";
    ASSERT_EQ(dir->NWDSSetContext(context, DCK_NAME_CONTEXT, set), 0);
    EXPECT_EQ(labels(cmp("See Also", SYN_DIST_NAME, FTOK_EQ, "Mary")), Labels{"Bob"});
    // class names: case does not count
    EXPECT_EQ(labels(cmp("Object Class", SYN_CLASS_NAME, FTOK_EQ, "printer")), Labels{"Laser"});
    // integers, counters and intervals as signed 32-bit numbers
    EXPECT_EQ(labels(cmpNumber("Minimum Account Balance", SYN_INTEGER, FTOK_LE, 0)), Labels{"Ann"});
    EXPECT_EQ(labels(cmpNumber("Minimum Account Balance", SYN_INTEGER, FTOK_GE, -1)),
              (Labels{"Ann", "Bob"}));
    EXPECT_EQ(labels(cmpNumber("Account Balance", SYN_COUNTER, FTOK_GE, -20)),
              (Labels{"Ann", "Bob"}));
    EXPECT_EQ(labels(cmpNumber("Account Balance", SYN_COUNTER, FTOK_LE, 0)), Labels{"Bob"});
    EXPECT_EQ(labels(cmpNumber("Password Expiration Interval", SYN_INTERVAL, FTOK_GE, 61)),
              Labels{"Ann"});
    EXPECT_EQ(labels(cmpNumber("Password Expiration Interval", SYN_INTERVAL, FTOK_EQ, 60)),
              Labels{"Bob"});
    // booleans: any number other than 0 is true
    EXPECT_EQ(labels(cmpNumber("Login Disabled", SYN_BOOLEAN, FTOK_EQ, 1)), Labels{"Ann"});
    EXPECT_EQ(labels(cmpNumber("Login Disabled", SYN_BOOLEAN, FTOK_EQ, 0)), Labels{"Bob"});
    // ordering on strings follows the same normal form
    EXPECT_EQ(labels(cmp("Surname", SYN_CI_STRING, FTOK_LE, "C")), Labels{"Bob"});
    EXPECT_EQ(labels(cmp("Surname", SYN_CI_STRING, FTOK_GE, "cole")), (Labels{"Ann", "Cy"}));
}

TEST_F(Search, PresentNamingValueAndBaseClass) {
    EXPECT_EQ(labels({op(FTOK_PRESENT), name("Login Disabled", SYN_BOOLEAN)}),
              (Labels{"Ann", "Bob"}));
    // the object's own name, whatever the operator would have been
    EXPECT_EQ(labels({op(FTOK_RDN), name("cy", SYN_CI_STRING)}), Labels{"Cy"});
    // the base class, not its super classes
    EXPECT_EQ(labels({op(FTOK_BASECLS), name("Organizational Unit", SYN_CLASS_NAME)}),
              (Labels{"Finder", "Printers"}));
    EXPECT_EQ(labels({op(FTOK_BASECLS), name("user", SYN_CLASS_NAME)}),
              (Labels{"Ann", "Bob", "Cy"}));
    EXPECT_TRUE(labels({op(FTOK_BASECLS), name("Top", SYN_CLASS_NAME)}).empty());
}

// Loading refuses aliases that name each other; written later, they still end every walk.
TEST_F(Search, AliasesThatNameEachOtherEndEveryWalk) {
    DirectoryModel& m = dir->model();
    ASSERT_EQ(m.addObject("Finder.Acme", "Loop1", "Alias",
                          {{"Aliased Object Name", {"Loop2.Finder.Acme"}}}),
              0);
    ASSERT_EQ(m.addObject("Finder.Acme", "Loop2", "Alias",
                          {{"Aliased Object Name", {"Loop1.Finder.Acme"}}}),
              0);
    // A name is followed through one alias only.
    char dn[MAX_DN_BYTES];
    Object_Info_T info{};
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Loop1.Finder.Acme", dn, sizeof dn, &info), 0);
    EXPECT_STREQ(dn, "Loop2.Finder.Acme");
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Loop1.Finder.Acme", attrs, DS_ATTRIBUTE_VALUES, {"Aliased Object Name"}), 0);
    ASSERT_EQ(attrs.size(), 1u);
    EXPECT_STREQ(attrs[0].values.at(0).text(), "Loop1.Finder.Acme");
    EXPECT_TRUE(listAll("Loop1.Finder.Acme").empty());
    // A search that follows aliases meets each object once.
    followAliases = true;
    std::vector<Found> found;
    ASSERT_EQ(search({op(FTOK_PRESENT), name("Object Class", SYN_CLASS_NAME)}, found), 0);
    std::set<std::string> names;
    for (const auto& f : found)
        names.insert(f.name);
    EXPECT_EQ(names.size(), found.size());
    EXPECT_TRUE(names.count("Loop1.Finder.Acme") && names.count("Loop2.Finder.Acme"));
}

TEST_F(Search, ScopesAndRequestedAttributes) {
    std::vector<Found> found;
    const std::vector<Token> all = {op(FTOK_PRESENT), name("Object Class", SYN_CLASS_NAME)};
    ASSERT_EQ(search(all, found, {}, "Finder.Acme", DS_SEARCH_ENTRY), 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Finder.Acme");
    EXPECT_EQ(found[0].baseClass, "Organizational Unit");
    EXPECT_TRUE(found[0].values.empty());
    ASSERT_EQ(search(all, found, {}, "Finder.Acme", DS_SEARCH_SUBORDINATES), 0);
    EXPECT_EQ(found.size(), 4u); // Ann, Bob, Cy, Printers; not Laser below Printers
    ASSERT_EQ(search(all, found, {}, "Finder.Acme", DS_SEARCH_SUBTREE), 0);
    EXPECT_EQ(found.size(), 6u);

    // only the attributes asked for, each value in the order stored, unknown names skipped
    ASSERT_EQ(search({op(FTOK_RDN), name("Ann", SYN_CI_STRING)}, found,
                     {"Title", "Minimum Account Balance", "No Such Attribute", "Title"}),
              0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, "Ann.Finder.Acme");
    EXPECT_EQ(found[0].values.size(), 2u);
    EXPECT_EQ(found[0].values["Title"], (std::vector<std::string>{"Clerk", "Team Lead"}));
    EXPECT_EQ(found[0].values["Minimum Account Balance"], std::vector<std::string>{"-1"});
}

TEST_F(Search, TheCallerFindsOnlyWhatItMayBrowseAndReadsOnlyWhatItMayRead) {
    // Printers hides itself and what is below it from everyone but the administrator.
    open("Guest.Acme");
    addFinder();
    DirectoryModel& m = dir->model();
    ASSERT_EQ(m.addValues(*m.find("Printers.Finder.Acme"), *m.aclDefinition(),
                          {wire::aclValue(kEntryRights, "[Public]", 0)}),
              0);
    m.changed();
    std::vector<Found> found;
    // (the base class and the own name need no right to any attribute)
    ASSERT_EQ(search(std::vector<Token>{op(FTOK_BASECLS), name("User", SYN_CLASS_NAME)} + FTOK_OR +
                         std::vector<Token>{op(FTOK_RDN), name("Finder", 3)} + FTOK_OR +
                         std::vector<Token>{op(FTOK_RDN), name("Laser", 3)},
                     found, {"Surname", "Message Server"}, "Finder.Acme"),
              0);
    std::vector<std::string> names;
    for (const auto& f : found) {
        names.push_back(f.name);
        EXPECT_TRUE(f.values.empty()) << f.name; // the guest reads no attribute here
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Finder.Acme", "Ann.Finder.Acme", "Bob.Finder.Acme",
                                               "Cy.Finder.Acme"}));
    // nor may it compare values it cannot read
    EXPECT_TRUE(labels(cmp("Surname", SYN_CI_STRING, FTOK_EQ, "Brown")).empty());
    // a public attribute it may
    ASSERT_EQ(m.addObject("Finder.Acme", "Dee", "User",
                          {{"Surname", {"Dee"}}, {"Message Server", {"ACME-FS1.Acme"}}}),
              0);
    ASSERT_EQ(search(cmp("Message Server", SYN_DIST_NAME, FTOK_EQ, ".ACME-FS1.Acme"), found,
                     {"Surname", "Message Server"}),
              0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].values.size(), 1u);
    EXPECT_EQ(found[0].values["Message Server"], std::vector<std::string>{"ACME-FS1.Acme"});
}

TEST_F(Search, ResultsComeOverSeveralPassesAndAnObjectContinuesUnderItsName) {
    // An object whose titles fill more than one buffer.
    std::vector<std::string> titles;
    for (int i = 0; i < 120; ++i)
        titles.push_back("Title number " + std::to_string(i) + std::string(40, 'x'));
    addUser("Long", {{"Surname", {"Long"}}, {"Title", titles}});
    std::vector<Found> found;
    int passes = 0;
    ASSERT_EQ(search({op(FTOK_BASECLS), name("User", SYN_CLASS_NAME)}, found, {"Surname", "Title"},
                     "Finder.Acme", DS_SEARCH_SUBTREE, &passes),
              0);
    EXPECT_GE(passes, 2);
    ASSERT_EQ(found.size(), 4u);
    const Found& longOne = found.back();
    EXPECT_EQ(longOne.name, "Long.Finder.Acme");
    EXPECT_GE(longOne.appearances, 2);
    EXPECT_EQ(longOne.values.at("Title"), titles); // every value once, in order
    EXPECT_EQ(longOne.values.at("Surname"), std::vector<std::string>{"Long"});

    // A small number of objects per pass gives more passes and the same objects.
    std::vector<Found> slow;
    ASSERT_EQ(search({op(FTOK_BASECLS), name("User", SYN_CLASS_NAME)}, slow, {"Surname"},
                     "Finder.Acme", DS_SEARCH_SUBTREE, &passes, 2),
              0);
    EXPECT_EQ(passes, 4); // 7 objects in scope, 2 examined per pass
    EXPECT_EQ(slow.size(), 4u);

    // Objects of a pass fit in the buffer; a value larger than a whole buffer is refused.
    ASSERT_EQ(search({op(FTOK_BASECLS), name("User", SYN_CLASS_NAME)}, found, {"Title"},
                     "Finder.Acme", DS_SEARCH_SUBTREE, &passes, 1024, 64),
              ERR_INSUFFICIENT_BUFFER);
}

TEST_F(Search, MalformedFiltersAndRequestsAreRefused) {
    std::vector<Found> found;
    EXPECT_EQ(search({name("Title", SYN_CI_STRING), op(FTOK_EQ)}, found), ERR_INVALID_REQUEST);
    EXPECT_EQ(search({op(FTOK_PRESENT), op(FTOK_AND)}, found), ERR_ATTR_TYPE_EXPECTED);
    EXPECT_EQ(search(cmp("Title", SYN_CI_STRING, FTOK_EQ, "a") + FTOK_AND, found),
              ERR_EXPECTED_IDENTIFIER);
    EXPECT_EQ(search(cmp("Nonexistent", SYN_CI_STRING, FTOK_EQ, "a"), found),
              ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(search(cmpNumber("Title", SYN_INTEGER, FTOK_EQ, 1), found), ERR_INVALID_COMPARISON);
    EXPECT_EQ(search(cmp("Title", SYN_CI_STRING, FTOK_EQ, "a"), found, {}, "Nowhere.Acme"),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(search(cmp("Title", SYN_CI_STRING, FTOK_EQ, "a"), found, {}, "Finder.Acme", 3),
              ERR_INVALID_REQUEST);

    // A request carries one filter; a filter needs its end token; a put filter is gone.
    Buffer request(*dir);
    ASSERT_EQ(putFilter(request, cmp("Title", SYN_CI_STRING, FTOK_EQ, "a")), 0);
    Filter_Cursor_T* cursor = nullptr;
    ASSERT_EQ(dir->NWDSAllocFilter(&cursor), 0);
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), 0);
    EXPECT_EQ(dir->NWDSPutFilter(context, request, cursor, nullptr), ERR_INVALID_REQUEST);
    ASSERT_EQ(dir->NWDSFreeFilter(cursor, nullptr), 0);
    ASSERT_EQ(dir->NWDSAllocFilter(&cursor), 0);
    Buffer other(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_SEARCH_FILTER, other), 0);
    EXPECT_EQ(dir->NWDSPutFilter(context, other, cursor, nullptr), ERR_FILTER_TREE_EMPTY);
    ASSERT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), 0);
    ASSERT_EQ(dir->NWDSPutFilter(context, other, cursor, nullptr), 0);
    EXPECT_EQ(dir->NWDSFreeFilter(cursor, nullptr), ERR_INVALID_HANDLE);

    // An iteration handle belongs to its search.
    std::int32_t it = 12345;
    Buffer result(*dir);
    EXPECT_EQ(dir->NWDSSearch(context, "Finder.Acme", DS_SEARCH_SUBTREE, false, other,
                              DS_ATTRIBUTE_VALUES, true, nullptr, &it, 0, nullptr, result),
              ERR_INVALID_ITERATION);
}
