// Filters the query page builds, put into a request buffer through the seam and written as
// LDAP filters: every criterion kind, AND binding tighter than OR, values escaped.
#include "client/common/FilterDecoding.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "client/ldap/FilterText.h"
#include "directory/ResultCodes.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

struct Token {
    std::uint32_t token;
    std::string text;     // a name or a text value
    std::uint32_t syntax; // 0 for operators
    bool integer = false;
    std::int32_t number = 0;
};

class FilterTranslation : public ::testing::Test {
protected:
    void SetUp() override {
        dir = EmbeddedDirectory::openDemo();
        ASSERT_NE(dir, nullptr);
        ASSERT_EQ(dir->NWDSCreateContextHandle(&ctx), 0);
        directory.attributeName = [](std::string_view a) -> std::optional<std::string> {
            if (a == "Nonexistent")
                return std::nullopt;
            return a == "Telephone Number" ? std::string("telephoneNumber") : std::string(a);
        };
        directory.baseClassFilter = [](std::string_view c) {
            return ldapfilter::baseClassFilter(c == "User" ? "inetOrgPerson" : c,
                                               c == "User" ? std::vector<std::string>{"staff"}
                                                           : std::vector<std::string>{});
        };
        directory.valueText = [](std::uint32_t syntax, std::string_view wireValue,
                                 std::string& text) -> NWDSCCODE {
            if (syntax == SYN_INTEGER && wireValue.size() == 4) {
                std::uint32_t v = 0;
                std::memcpy(&v, wireValue.data(), 4);
                text = std::to_string(v);
            } else {
                text = std::string(wireValue);
            }
            return 0;
        };
        directory.namingTypes = {"cn", "ou"};
    }
    void TearDown() override { dir->NWDSFreeContext(ctx); }

    // The filter string of the tokens, built and put as the query page does.
    NWDSCCODE translate(const std::vector<Token>& tokens, std::string& out) {
        Filter_Cursor_T* cursor = nullptr;
        EXPECT_EQ(dir->NWDSAllocFilter(&cursor), 0);
        for (const auto& t : tokens) {
            const void* value = nullptr;
            if (t.integer)
                value = &t.number;
            else if (!t.text.empty())
                value = t.text.c_str();
            EXPECT_EQ(dir->NWDSAddFilterToken(cursor, t.token, value, t.syntax), 0);
        }
        EXPECT_EQ(dir->NWDSAddFilterToken(cursor, FTOK_END, nullptr, 0), 0);
        Buf_T* buf = nullptr;
        dir->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
        dir->NWDSInitBuf(ctx, DSV_SEARCH_FILTER, buf);
        EXPECT_EQ(dir->NWDSPutFilter(ctx, buf, cursor, nullptr), 0);
        std::vector<FilterToken> decoded;
        NWDSCCODE rc = request::searchFilter(*buf, decoded);
        if (rc == 0)
            rc = ldapfilter::translate(decoded, directory, out);
        dir->NWDSFreeBuf(buf);
        return rc;
    }

    std::unique_ptr<EmbeddedDirectory> dir;
    NWDSContextHandle ctx = NO_CONTEXT;
    ldapfilter::Directory directory;
};

Token name(const char* n, std::uint32_t syntax) {
    return {FTOK_ANAME, n, syntax};
}
Token op(std::uint32_t t) {
    return {t, "", 0};
}
Token text(const char* v, std::uint32_t syntax) {
    return {FTOK_AVAL, v, syntax};
}
Token number(std::int32_t v) {
    return {FTOK_AVAL, "", SYN_INTEGER, true, v};
}

TEST_F(FilterTranslation, EveryCriterionKindTheQueryPageBuilds) {
    struct Case {
        std::vector<Token> tokens;
        const char* want;
    } cases[] = {
        {{name("Title", 3), op(FTOK_EQ), text("Manager", 3)}, "(Title=Manager)"},
        {{name("Title", 3), op(FTOK_GE), text("M", 3)}, "(Title>=M)"},
        {{name("Title", 3), op(FTOK_LE), text("M", 3)}, "(Title<=M)"},
        {{name("Login Grace Limit", 8), op(FTOK_EQ), number(6)}, "(Login Grace Limit=6)"},
        {{op(FTOK_PRESENT), name("Telephone Number", 10)}, "(telephoneNumber=*)"},
        {{op(FTOK_RDN), name("Admin", 3)}, "(|(cn=Admin)(ou=Admin))"},
        {{op(FTOK_BASECLS), name("User", 20)},
         "(&(objectClass=inetOrgPerson)(!(|(objectClass=staff))))"},
    };
    for (const auto& c : cases) {
        std::string out;
        ASSERT_EQ(translate(c.tokens, out), 0) << c.want;
        EXPECT_EQ(out, c.want);
    }
}

TEST_F(FilterTranslation, AndBindsTighterThanOr) {
    const Token a = name("A", 3), eq = op(FTOK_EQ);
    std::string out;
    ASSERT_EQ(translate({a, eq, text("1", 3), op(FTOK_OR), a, eq, text("2", 3), op(FTOK_AND), a, eq,
                         text("3", 3)},
                        out),
              0);
    EXPECT_EQ(out, "(|(A=1)(&(A=2)(A=3)))");
    ASSERT_EQ(translate({a, eq, text("1", 3), op(FTOK_AND), a, eq, text("2", 3), op(FTOK_OR), a, eq,
                         text("3", 3), op(FTOK_AND), a, eq, text("4", 3)},
                        out),
              0);
    EXPECT_EQ(out, "(|(&(A=1)(A=2))(&(A=3)(A=4)))");
    ASSERT_EQ(
        translate({a, eq, text("1", 3), op(FTOK_AND), op(FTOK_BASECLS), name("User", 20)}, out), 0);
    EXPECT_EQ(out, "(&(A=1)(&(objectClass=inetOrgPerson)(!(|(objectClass=staff)))))");
}

TEST_F(FilterTranslation, ValuesAreEscaped) {
    std::string out;
    ASSERT_EQ(translate({name("CN", 3), op(FTOK_EQ), text("a*b(c)d\\e", 3)}, out), 0);
    EXPECT_EQ(out, "(CN=a\\2ab\\28c\\29d\\5ce)");
    EXPECT_EQ(ldapfilter::escapeValue(std::string("x\0y", 3)), "x\\00y");
    ASSERT_EQ(translate({op(FTOK_RDN), name("*)(cn=*", 3)}, out), 0);
    EXPECT_EQ(out, "(|(cn=\\2a\\29\\28cn=\\2a)(ou=\\2a\\29\\28cn=\\2a))");
}

TEST_F(FilterTranslation, NoCriterionSelectsEverythingAndBrokenSequencesAreRefused) {
    std::string out;
    ASSERT_EQ(translate({}, out), 0);
    EXPECT_EQ(out, "(objectClass=*)");
    EXPECT_NE(translate({name("A", 3), op(FTOK_EQ)}, out), 0);
    EXPECT_NE(translate({name("A", 3), op(FTOK_EQ), text("1", 3), op(FTOK_AND)}, out), 0);
    EXPECT_NE(translate({op(FTOK_PRESENT)}, out), 0);
    EXPECT_EQ(translate({op(FTOK_PRESENT), name("Nonexistent", 3)}, out), ERR_NO_SUCH_ATTRIBUTE);
}

} // namespace
