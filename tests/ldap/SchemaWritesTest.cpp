// Schema definitions on a private slapd: each definition written into the server's
// configuration and read back by a fresh connection as the embedded directory holds the same
// definition; each refusal giving the embedded directory's code and leaving the schema as it
// was; definitions in use kept; and the server starting again on what the removals left.
#include "LdapFixture.h"
#include "SchemaDump.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

using Lists = std::array<std::vector<std::string>, 5>;

NWDSCCODE defineAttr(DirectoryClient& c, NWDSContextHandle ctx, const std::string& name,
                     std::uint32_t flags, std::uint32_t syntax, std::uint32_t lower = 0,
                     std::uint32_t upper = 0) {
    Attr_Info_T info{};
    info.attrFlags = flags;
    info.attrSyntaxID = syntax;
    info.attrLower = lower;
    info.attrUpper = upper;
    return c.NWDSDefineAttr(ctx, name.c_str(), &info);
}

NWDSCCODE defineClass(DirectoryClient& c, NWDSContextHandle ctx, const std::string& name,
                      std::uint32_t flags, const Lists& lists) {
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    EXPECT_EQ(c.NWDSInitBuf(ctx, DSV_DEFINE_CLASS, buf), 0);
    for (const auto& list : lists) {
        EXPECT_EQ(c.NWDSBeginClassItem(ctx, buf), 0);
        for (const auto& item : list)
            EXPECT_EQ(c.NWDSPutClassItem(ctx, buf, item.c_str()), 0);
    }
    Class_Info_T info{};
    info.classFlags = flags;
    const NWDSCCODE rc = c.NWDSDefineClass(ctx, name.c_str(), &info, buf);
    c.NWDSFreeBuf(buf);
    return rc;
}

NWDSCCODE addOptional(DirectoryClient& c, NWDSContextHandle ctx, const std::string& name,
                      const std::vector<std::string>& attributes) {
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    EXPECT_EQ(c.NWDSInitBuf(ctx, DSV_MODIFY_CLASS_DEF, buf), 0);
    for (const auto& a : attributes)
        EXPECT_EQ(c.NWDSPutClassItem(ctx, buf, a.c_str()), 0);
    const NWDSCCODE rc = c.NWDSModifyClass(ctx, name.c_str(), buf);
    c.NWDSFreeBuf(buf);
    return rc;
}

NWDSCCODE addObject(DirectoryClient& c, NWDSContextHandle ctx, const std::string& name,
                    const std::vector<std::pair<std::string, std::string>>& values) {
    Buf_T* buf = nullptr;
    c.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    EXPECT_EQ(c.NWDSInitBuf(ctx, DSV_ADD_ENTRY, buf), 0);
    for (const auto& [attr, value] : values) {
        EXPECT_EQ(c.NWDSPutAttrName(ctx, buf, attr.c_str()), 0) << attr;
        std::uint32_t syntax = SYN_CI_STRING;
        c.NWDSGetSyntaxID(ctx, attr.c_str(), &syntax);
        EXPECT_EQ(c.NWDSPutAttrVal(ctx, buf, syntax, value.c_str()), 0) << attr;
    }
    const NWDSCCODE rc = c.NWDSAddObject(ctx, name.c_str(), nullptr, false, buf);
    c.NWDSFreeBuf(buf);
    return rc;
}

// One schema operation, run on either directory.
using Operation = std::function<NWDSCCODE(DirectoryClient&, NWDSContextHandle)>;

// A server of its own for each test, as each changes the schema.
class LdapSchemaWrites : public SharedSlapd<::testing::Test, SlapdPer::Test> {
protected:
    static void SetUpTestSuite() {
        serverOptions.extraLdif = {writeClerk(suiteFolder())};
        SharedSlapd::SetUpTestSuite();
    }
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(SharedSlapd::SetUp());
        ldap = open(false);
        ASSERT_NE(ldap, nullptr);
        embedded = EmbeddedDirectory::openDemo();
        ASSERT_NE(embedded, nullptr);
        ctx = pageContext(*ldap);
        ectx = pageContext(*embedded);
    }
    void TearDown() override {
        if (ldap) {
            ldap->NWDSFreeContext(ctx);
            embedded->NWDSFreeContext(ectx);
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
            ldap.reset();
        }
        SharedSlapd::TearDown();
    }

    // A client bound as the administrator, or as the clerk who may only read.
    static std::unique_ptr<LdapDirectory> open(bool clerk) {
        std::string error;
        auto dir = LdapDirectory::open(ldapOptionsFor(*server, clerk, suiteFolder()), &error);
        EXPECT_NE(dir, nullptr) << error;
        return dir;
    }
    void onBoth(const char* what, const Operation& op, NWDSCCODE expected) {
        EXPECT_EQ(op(*embedded, ectx), expected) << "embedded: " << what;
        EXPECT_EQ(op(*ldap, ctx), expected) << "LDAP: " << what << ": " << ldap->lastFailure().text;
    }
    // Class and attribute definitions as a fresh connection reads them.
    static std::pair<SchemaDump, SchemaDump> freshSchema() {
        auto fresh = open(false);
        if (!fresh)
            return {};
        NWDSContextHandle c = pageContext(*fresh);
        auto out = std::make_pair(classDump(*fresh, c, false), attrDump(*fresh, c));
        fresh->NWDSFreeContext(c);
        return out;
    }
    std::pair<SchemaDump, SchemaDump> embeddedSchema() {
        return {classDump(*embedded, ectx, false), attrDump(*embedded, ectx)};
    }

    std::unique_ptr<LdapDirectory> ldap;
    std::unique_ptr<EmbeddedDirectory> embedded;
    NWDSContextHandle ctx = NO_CONTEXT, ectx = NO_CONTEXT;
};

TEST_F(LdapSchemaWrites, DefinitionsAreWrittenAndReadBackAsTheEmbeddedDirectoryHoldsThem) {
    const std::vector<std::pair<const char*, Operation>> steps = {
        {"sized single-valued string",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Badge Color",
                               DS_SINGLE_VALUED_ATTR | DS_SIZED_ATTR | DS_STRING_ATTR,
                               SYN_CI_STRING, 1, 32);
         }},
        {"hidden integer",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Badge Number", DS_HIDDEN_ATTR | DS_PUBLIC_READ, SYN_INTEGER);
         }},
        {"container class in units and in itself",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(d, c, "Badge Holder", DS_CONTAINER_CLASS | DS_EFFECTIVE_CLASS,
                                {{{"Top"},
                                  {"Organizational Unit", "Badge Holder"},
                                  {"CN"},
                                  {"CN"},
                                  {"Badge Color"}}});
         }},
        // An auxiliary super class, which the server takes only folded into the class.
        {"class below an auxiliary class",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(
                 d, c, "Badge Login", DS_EFFECTIVE_CLASS,
                 {{{"ndsLoginProperties"}, {"Organizational Unit"}, {"CN"}, {"CN"}, {}}});
         }},
        {"names with quotes and backslashes",
         [](DirectoryClient& d, NWDSContextHandle c) {
             const NWDSCCODE rc = defineAttr(d, c, "O'Neil\\Code", DS_STRING_ATTR, SYN_CI_STRING);
             return rc != 0 ? rc
                            : defineClass(d, c, "Bob's Desk", 0,
                                          {{{"Top"}, {}, {}, {}, {"O'Neil\\Code"}}});
         }},
        {"optional attribute added to the new class",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return addOptional(d, c, "Badge Holder", {"Badge Number"});
         }},
        {"optional attribute added to a base class",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return addOptional(d, c, "Organizational Unit", {"Badge Number"});
         }},
    };
    for (const auto& [what, op] : steps)
        onBoth(what, op, 0);

    // The client that made the changes sees them at once, as does a fresh connection.
    const auto want = embeddedSchema();
    const SchemaDump own = attrDump(*ldap, ctx);
    EXPECT_EQ(own.items.at("Badge Color"), want.second.items.at("Badge Color"));
    const auto [classes, attributes] = freshSchema();
    EXPECT_EQ(classes.items, want.first.items);
    EXPECT_EQ(attributes.items, want.second.items);

    // The server takes objects of the new class with values of the new attributes.
    ASSERT_EQ(addObject(*ldap, ctx, "Front Desk.Sales.Acme",
                        {{"Object Class", "Badge Holder"}, {"Badge Color", "red"}}),
              0);
    std::map<std::string, ReadItem> read;
    ASSERT_EQ(readAll(*ldap, ctx, "Front Desk.Sales.Acme", DS_ATTRIBUTE_VALUES, read), 0);
    EXPECT_EQ(read["Badge Color"].syntax, std::uint32_t(SYN_CI_STRING));
    EXPECT_EQ(read["Badge Color"].values.size(), 1u);
    // Single values are the server's to keep.
    EXPECT_NE(
        addObject(
            *ldap, ctx, "Back Desk.Sales.Acme",
            {{"Object Class", "Badge Holder"}, {"Badge Color", "red"}, {"Badge Color", "blue"}}),
        0);
}

TEST_F(LdapSchemaWrites, RefusedChangesGiveTheEmbeddedDirectorysCodesAndChangeNothing) {
    const auto before = freshSchema();
    const Lists unit = {{{"Top"}, {"Organizational Unit"}, {"CN"}, {"CN"}, {}}};
    auto withList = [&](int list, std::vector<std::string> items) {
        Lists l = unit;
        l[list] = std::move(items);
        return l;
    };
    struct Case {
        const char* what;
        Operation op;
        NWDSCCODE expected;
    };
    const std::vector<Case> cases = {
        {"attribute name taken",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Surname", DS_STRING_ATTR, SYN_CI_STRING);
         },
         ERR_ATTRIBUTE_ALREADY_EXISTS},
        {"unknown syntax",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Odd Value", 0, SYN_UNKNOWN);
         },
         ERR_BAD_SYNTAX},
        {"bounds without the sized flag",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Odd Value", 0, SYN_CI_STRING, 1, 5);
         },
         ERR_BOUNDS_NOT_SIZED},
        {"lower bound above the upper",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, "Odd Value", DS_SIZED_ATTR, SYN_CI_STRING, 9, 5);
         },
         ERR_LOWER_ABOVE_UPPER},
        {"name too long",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return defineAttr(d, c, std::string(40, 'n'), 0, SYN_CI_STRING);
         },
         ERR_NAME_TOO_LONG},
        {"class name taken",
         [&](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(d, c, "User", DS_EFFECTIVE_CLASS, unit);
         },
         ERR_CLASS_ALREADY_EXISTS},
        {"unknown super class",
         [&](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(d, c, "Odd Class", DS_EFFECTIVE_CLASS,
                                withList(ClassDefinition::SuperClasses, {"Nonesuch"}));
         },
         ERR_NO_SUCH_CLASS},
        {"contained in a class that holds nothing",
         [&](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(d, c, "Odd Class", DS_EFFECTIVE_CLASS,
                                withList(ClassDefinition::Containment, {"User"}));
         },
         ERR_ILLEGAL_CONTAINMENT},
        {"unknown mandatory attribute",
         [&](DirectoryClient& d, NWDSContextHandle c) {
             return defineClass(d, c, "Odd Class", DS_EFFECTIVE_CLASS,
                                withList(ClassDefinition::Mandatory, {"Nonesuch"}));
         },
         ERR_NO_SUCH_ATTRIBUTE},
        {"optional attribute the class has already",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return addOptional(d, c, "User", {"Title"});
         },
         ERR_DUPLICATE_OPTIONAL},
        {"optional attribute for an unknown class",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return addOptional(d, c, "Nonesuch", {"Title"});
         },
         ERR_NO_SUCH_CLASS},
        {"remove a base attribute",
         [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveAttrDef(c, "Title"); },
         ERR_SCHEMA_IS_NONREMOVABLE},
        {"remove an unknown attribute",
         [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveAttrDef(c, "Nonesuch"); },
         ERR_NO_SUCH_ATTRIBUTE},
        {"remove a base class",
         [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveClassDef(c, "User"); },
         ERR_SCHEMA_IS_NONREMOVABLE},
        {"remove an unknown class",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSRemoveClassDef(c, "Nonesuch");
         },
         ERR_NO_SUCH_CLASS},
    };
    for (const auto& k : cases)
        onBoth(k.what, k.op, k.expected);

    // An identity without the supervisor right on [Root] changes nothing, whatever it asks.
    auto clerk = open(true);
    ASSERT_NE(clerk, nullptr);
    auto jane = EmbeddedDirectory::openDemo("Jane.Sales.Acme");
    NWDSContextHandle cc = pageContext(*clerk), jc = pageContext(*jane);
    for (const auto& k :
         std::vector<Case>{cases[0],
                           cases[5],
                           {"define an attribute",
                            [](DirectoryClient&d, NWDSContextHandle c) {
                                return defineAttr(d, c, "Clerk Note", 0, SYN_CI_STRING);
                            },
                            ERR_NO_ACCESS},
                           {"define a class",
                            [&](DirectoryClient&d, NWDSContextHandle c) {
                                return defineClass(d, c, "Clerk Class", DS_EFFECTIVE_CLASS, unit);
                            },
                            ERR_NO_ACCESS},
                           cases[9],
                           cases[11],
                           cases[13]}) {
        EXPECT_EQ(k.op(*jane, jc), ERR_NO_ACCESS) << "embedded: " << k.what;
        EXPECT_EQ(k.op(*clerk, cc), ERR_NO_ACCESS) << "LDAP: " << k.what;
    }
    clerk->NWDSFreeContext(cc);
    jane->NWDSFreeContext(jc);

    const auto after = freshSchema();
    EXPECT_EQ(after.first.items, before.first.items);
    EXPECT_EQ(after.second.items, before.second.items);
}

TEST_F(LdapSchemaWrites, DefinitionsInUseAreKeptAndTheServerStartsAgainAfterRemovals) {
    onBoth(
        "define",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return defineAttr(d, c, "Locker Code", DS_STRING_ATTR, SYN_CI_STRING);
        },
        0);
    onBoth(
        "define",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return defineAttr(d, c, "Locker Size", DS_SINGLE_VALUED_ATTR, SYN_INTEGER);
        },
        0);
    onBoth(
        "define",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return defineClass(
                d, c, "Locker", DS_EFFECTIVE_CLASS,
                {{{"Top"}, {"Organizational Unit"}, {"CN"}, {"CN"}, {"Locker Code"}}});
        },
        0);
    onBoth(
        "define",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return defineClass(d, c, "Big Locker", DS_EFFECTIVE_CLASS,
                               {{{"Locker"}, {"Organizational Unit"}, {"CN"}, {"CN"}, {}}});
        },
        0);
    onBoth(
        "extend a base class",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return addOptional(d, c, "Organizational Unit", {"Locker Size"});
        },
        0);
    // An object of the class, holding the attribute, on each directory.
    for (auto [client, context] :
         {std::pair<DirectoryClient*, NWDSContextHandle>{ldap.get(), ctx}, {embedded.get(), ectx}})
        ASSERT_EQ(addObject(*client, context, "L1.Sales.Acme",
                            {{"Object Class", "Locker"}, {"Locker Code", "A-17"}}),
                  0);

    const std::vector<std::pair<const char*, Operation>> inUse = {
        {"attribute a class lists",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSRemoveAttrDef(c, "Locker Code");
         }},
        {"attribute a base class was given",
         [](DirectoryClient& d, NWDSContextHandle c) {
             return d.NWDSRemoveAttrDef(c, "Locker Size");
         }},
        {"class another class derives from",
         [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveClassDef(c, "Locker"); }},
    };
    for (const auto& [what, op] : inUse)
        onBoth(what, op, ERR_SCHEMA_IS_IN_USE);
    onBoth(
        "class nothing uses",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return d.NWDSRemoveClassDef(c, "Big Locker");
        },
        0);
    // Now only the object keeps the class in use.
    onBoth(
        "class of an object",
        [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveClassDef(c, "Locker"); },
        ERR_SCHEMA_IS_IN_USE);
    onBoth(
        "remove the object",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return d.NWDSRemoveObject(c, "L1.Sales.Acme");
        },
        0);
    onBoth(
        "class no longer used",
        [](DirectoryClient& d, NWDSContextHandle c) { return d.NWDSRemoveClassDef(c, "Locker"); },
        0);
    onBoth(
        "attribute no longer used",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return d.NWDSRemoveAttrDef(c, "Locker Code");
        },
        0);
    const auto want = embeddedSchema();
    EXPECT_EQ(freshSchema().first.items, want.first.items);

    // The configuration the removals left loads when the server starts again.
    ldap->NWDSFreeContext(ctx);
    ldap.reset();
    server->stop();
    ASSERT_TRUE(server->start()) << server->failure();
    ldap = open(false);
    ASSERT_NE(ldap, nullptr);
    ctx = pageContext(*ldap);
    const auto [classes, attributes] = freshSchema();
    EXPECT_EQ(classes.items, want.first.items);
    EXPECT_EQ(attributes.items, want.second.items);
    EXPECT_EQ(classes.items.count("Locker"), 0u);
    EXPECT_EQ(attributes.items.count("Locker Code"), 0u);
    EXPECT_EQ(attributes.items.count("Locker Size"), 1u);
}

} // namespace

namespace {

// The server's own Top takes no change; the project's class, on every entry, carries what is
// added to Top, and the schema read gives it back to Top.
TEST_F(LdapSchemaWrites, TopTakesOptionalAttributesAsOnTheEmbeddedDirectory) {
    onBoth(
        "define",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return defineAttr(d, c, "Badge Color", DS_SINGLE_VALUED_ATTR | DS_STRING_ATTR,
                              SYN_CI_STRING);
        },
        0);
    onBoth(
        "added to Top",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return addOptional(d, c, "Top", {"Badge Color"});
        },
        0);
    const auto got = freshSchema();
    const auto want = embeddedSchema();
    EXPECT_EQ(got.first.items, want.first.items);
    EXPECT_EQ(got.second.items, want.second.items);
    // Any object may hold it now, and Top's use of it keeps it.
    onBoth(
        "held by a new unit",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return addObject(d, c, "Badged.Acme",
                             {{"Object Class", "Organizational Unit"}, {"Badge Color", "red"}});
        },
        0);
    onBoth(
        "removed while Top names it",
        [](DirectoryClient& d, NWDSContextHandle c) {
            return d.NWDSRemoveAttrDef(c, "Badge Color");
        },
        ERR_SCHEMA_IS_IN_USE);
    // The server's other own classes take no change (the embedded directory's do).
    ASSERT_EQ(defineAttr(*ldap, ctx, "Badge Shape", DS_STRING_ATTR, SYN_CI_STRING), 0);
    EXPECT_EQ(addOptional(*ldap, ctx, "Alias", {"Badge Shape"}), ERR_NOT_SUPPORTED);
    // The server starts again on the changed configuration.
    server->stop();
    ASSERT_TRUE(server->start()) << server->failure();
    EXPECT_EQ(freshSchema().first.items, want.first.items);
}

} // namespace
