// Searches on a slapd with the demo data, built as the query page builds them: the objects
// found, in full dotted names, with the attributes asked for, over several passes.
#include "LdapFixture.h"

namespace {

struct Criterion {
    std::uint32_t token;
    const char* text;
    std::uint32_t syntax;
};

class LdapSearch : public SharedSlapd<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        ctx = pageContext(*ldap);
    }
    void TearDown() override {
        if (ldap) {
            ldap->NWDSFreeContext(ctx);
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
        }
    }

    // The full names found below `base` (subtree), and how many passes it took.
    NWDSCCODE search(const char* base, const std::vector<Criterion>& criteria,
                     std::set<std::string>& found, std::size_t bufferSize = DEFAULT_MESSAGE_LEN,
                     int* passes = nullptr, std::map<std::string, ReadItem>* firstAttrs = nullptr) {
        Filter_Cursor_T* cursor = nullptr;
        ldap->NWDSAllocFilter(&cursor);
        std::int32_t numbers[16] = {};
        int n = 0;
        for (const auto& c : criteria) {
            const void* value = c.text;
            if (c.token == FTOK_AVAL && c.syntax == SYN_INTEGER) {
                numbers[n] = std::atoi(c.text);
                value = &numbers[n++];
            }
            EXPECT_EQ(ldap->NWDSAddFilterToken(cursor, c.token, value, c.syntax), 0);
        }
        ldap->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0);
        Buf_T *filter = nullptr, *result = nullptr;
        ldap->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &filter);
        ldap->NWDSInitBuf(ctx, DSV_SEARCH_FILTER, filter);
        EXPECT_EQ(ldap->NWDSPutFilter(ctx, filter, cursor, nullptr), 0);
        ldap->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &result);
        result->capacity = std::uint32_t(bufferSize);
        std::int32_t it = NO_MORE_ITERATIONS;
        NWDSCCODE rc = 0;
        do {
            std::int32_t searched = 0;
            rc = ldap->NWDSSearch(ctx, base, DS_SEARCH_SUBTREE, false, filter, DS_ATTRIBUTE_VALUES,
                                  true, nullptr, &it, 0, &searched, result);
            if (rc != 0)
                break;
            if (passes != nullptr)
                ++*passes;
            wire::Reader r(result->data.data(), result->length);
            const std::uint32_t objects = r.u32();
            for (std::uint32_t i = 0; i < objects && r.ok(); ++i) {
                const std::string name(r.str());
                found.insert(name);
                r.u32(), r.u32(), r.u32();
                r.str();
                const std::uint32_t attrs = r.u32();
                for (std::uint32_t a = 0; a < attrs && r.ok(); ++a) {
                    const std::string attr(r.str());
                    ReadItem item;
                    item.syntax = r.u32();
                    const std::uint32_t values = r.u32();
                    for (std::uint32_t v = 0; v < values; ++v)
                        item.values.emplace_back(r.str());
                    if (firstAttrs != nullptr && found.size() == 1)
                        (*firstAttrs)[attr] = item;
                }
            }
        } while (it != NO_MORE_ITERATIONS);
        ldap->NWDSFreeBuf(filter);
        ldap->NWDSFreeBuf(result);
        return rc;
    }

    std::unique_ptr<LdapDirectory> ldap;
    NWDSContextHandle ctx = NO_CONTEXT;
};

TEST_F(LdapSearch, EveryCriterionKindFindsItsObjects) {
    std::set<std::string> found;
    ASSERT_EQ(search("Sales.Acme", {{FTOK_RDN, nullptr, 0}, {FTOK_ANAME, "Jane", 3}}, found), 0);
    EXPECT_EQ(found, std::set<std::string>{"Jane.Sales.Acme"});
    found.clear();
    ASSERT_EQ(search("Acme",
                     {{FTOK_ANAME, "Surname", 3}, {FTOK_EQ, nullptr, 0}, {FTOK_AVAL, "Bulk042", 3}},
                     found),
              0);
    EXPECT_EQ(found, std::set<std::string>{"User042.Bulk.Acme"});
    found.clear();
    ASSERT_EQ(search("Acme",
                     {{FTOK_ANAME, "Login Grace Limit", 8},
                      {FTOK_GE, nullptr, 0},
                      {FTOK_AVAL, "6", SYN_INTEGER},
                      {FTOK_AND, nullptr, 0},
                      {FTOK_BASECLS, nullptr, 0},
                      {FTOK_ANAME, "User", 20}},
                     found),
              0);
    EXPECT_EQ(found, std::set<std::string>{"Demo.Sales.Acme"});
    found.clear();
    ASSERT_EQ(search("Sales.Acme",
                     {{FTOK_PRESENT, nullptr, 0}, {FTOK_ANAME, "Telephone Number", 10}}, found),
              0);
    EXPECT_TRUE(found.count("Jane.Sales.Acme") && found.count("Sales.Acme"));
    EXPECT_FALSE(found.count("Mary.Sales.Acme"));
}

TEST_F(LdapSearch, AndBindsTighterThanOrAndValuesAreEscaped) {
    // Jane OR (John AND base class Group): John is no group, so Jane alone.
    std::set<std::string> found;
    ASSERT_EQ(search("Sales.Acme",
                     {{FTOK_RDN, nullptr, 0},
                      {FTOK_ANAME, "Jane", 3},
                      {FTOK_OR, nullptr, 0},
                      {FTOK_RDN, nullptr, 0},
                      {FTOK_ANAME, "John", 3},
                      {FTOK_AND, nullptr, 0},
                      {FTOK_BASECLS, nullptr, 0},
                      {FTOK_ANAME, "Group", 20}},
                     found),
              0);
    EXPECT_EQ(found, std::set<std::string>{"Jane.Sales.Acme"});
    found.clear();
    ASSERT_EQ(search("Acme",
                     {{FTOK_ANAME, "Surname", 3}, {FTOK_EQ, nullptr, 0}, {FTOK_AVAL, "*", 3}},
                     found),
              0);
    EXPECT_TRUE(found.empty()) << "a '*' value is a value, not a wildcard";
    EXPECT_EQ(
        search("Acme",
               {{FTOK_ANAME, "No Such Attribute", 3}, {FTOK_EQ, nullptr, 0}, {FTOK_AVAL, "x", 3}},
               found),
        ERR_NO_SUCH_ATTRIBUTE);
}

TEST_F(LdapSearch, ResultsComeOverSeveralPassesWithTheirValues) {
    std::set<std::string> found;
    int passes = 0;
    std::map<std::string, ReadItem> attrs;
    ASSERT_EQ(search("Bulk.Acme", {{FTOK_BASECLS, nullptr, 0}, {FTOK_ANAME, "User", 20}}, found,
                     DEFAULT_MESSAGE_LEN, &passes, &attrs),
              0);
    EXPECT_EQ(found.size(), 500u);
    EXPECT_GT(passes, 1);
    ASSERT_TRUE(attrs.count("Surname"));
    EXPECT_EQ(attrs["Surname"].values.size(), 1u);
}

} // namespace
