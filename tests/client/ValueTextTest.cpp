// The text forms of values, dotted names, DNs and base64.
#include "client/common/ValueText.h"

#include "client/common/Names.h"
#include "directory/ResultCodes.h"
#include "ldif/Base64.h"

#include <gtest/gtest.h>

namespace {
const valuetext::PlainNames kPlain;

std::string roundTrip(std::uint32_t syntax, const std::string& text) {
    std::string w, back;
    EXPECT_EQ(valuetext::parse(syntax, text, kPlain, w), 0) << text;
    EXPECT_EQ(valuetext::format(syntax, w, kPlain, back), 0) << text;
    return back;
}
} // namespace

TEST(ValueText, CanonicalTextFormsSurviveARoundTrip) {
    const std::pair<std::uint32_t, const char*> forms[] = {
        {SYN_DIST_NAME, "Admin.Sales.Acme"},
        {SYN_CI_LIST, "a$b\\$c$d"},
        {SYN_BOOLEAN, "FALSE"},
        {SYN_INTEGER, "-42"},
        {SYN_COUNTER, "4294967295"},
        {SYN_FAX_NUMBER, "+1 555 0101"},
        {SYN_FAX_NUMBER, "+1 555 0101$9$FF80"},
        {SYN_NET_ADDRESS, "9#0C1F0A000006"},
        {SYN_OCTET_LIST, "00FF$10"},
        {SYN_EMAIL_ADDRESS, "0#a@b.c"},
        {SYN_PATH, "0#SYS.Acme#\\USERS\\DEMO"},
        {SYN_REPLICA_POINTER, "FS1.Acme#0#1#0:0A#1:0B0C"},
        {SYN_OBJECT_ACL, "35#subtree#Admin.Acme#Telephone Number"},
        {SYN_PO_ADDRESS, "1$2$3$4$5$6"},
        {SYN_TIMESTAMP, "20240301120000Z#4294967295"},
        {SYN_BACK_LINK, "305419896#FS1.Acme"},
        {SYN_TIME, "19700101000000Z"},
        {SYN_TYPED_NAME, "0#1#FS1.Acme"},
        {SYN_HOLD, "250#FS1.Acme"},
        {SYN_INTERVAL, "7776000"},
    };
    for (const auto& [syntax, text] : forms)
        EXPECT_EQ(roundTrip(syntax, text), text) << "syntax " << syntax;
    // LDAP DNs become dotted names.
    std::string w;
    ASSERT_EQ(valuetext::parse(SYN_DIST_NAME, "cn=Admin,ou=Sales,o=Acme", kPlain, w), 0);
    EXPECT_EQ(w, "Admin.Sales.Acme");
}

TEST(ValueText, TextThatIsNoValueOfItsSyntaxIsRefused) {
    const std::pair<std::uint32_t, const char*> bad[] = {
        {SYN_BOOLEAN, "maybe"},
        {SYN_INTEGER, "12x"},
        {SYN_INTEGER, "99999999999"},
        {SYN_TIME, "2024"},
        {SYN_TIME, "20241301000000Z"},
        {SYN_NET_ADDRESS, "0#ABC"},
        {SYN_NET_ADDRESS, "0"},
        {SYN_PO_ADDRESS, "1$2$3$4$5$6$7"},
        {SYN_OBJECT_ACL, "1#forever#Admin.Acme#CN"},
        {SYN_OBJECT_ACL, "1#entry#Admin.Acme"},
        {SYN_FAX_NUMBER, "1$2"},
        {SYN_FAX_NUMBER, "1$20$FF"},
        {SYN_TYPED_NAME, "1#Admin.Acme"},
        {SYN_REPLICA_POINTER, "FS1#0#1#0-0A"},
        {SYN_DIST_NAME, "cn=a+uid=b,o=Acme"},
        {SYN_CI_STRING, "nul\0inside"},
    };
    for (const auto& [syntax, text] : bad) {
        std::string w;
        const std::string t =
            std::string(text) + (syntax == SYN_CI_STRING ? std::string(1, '\0') : "");
        EXPECT_NE(valuetext::parse(syntax, t, kPlain, w), 0) << text;
    }
    std::string w;
    EXPECT_EQ(valuetext::parse(SYN_UNKNOWN, "x", kPlain, w), ERR_BAD_SYNTAX);
}

TEST(ValueText, GeneralizedTimes) {
    EXPECT_EQ(valuetext::formatGeneralizedTime(0), "19700101000000Z");
    EXPECT_EQ(valuetext::formatGeneralizedTime(951782400), "20000229000000Z");
    EXPECT_EQ(valuetext::formatGeneralizedTime(4294967295u), "21060207062815Z");
    EXPECT_EQ(valuetext::parseGeneralizedTime("20000229000000Z"), 951782400u);
    EXPECT_EQ(valuetext::parseGeneralizedTime("21060207062816Z"), std::nullopt);
    EXPECT_EQ(valuetext::parseGeneralizedTime("19691231235959Z"), std::nullopt);
}

TEST(ValueText, DistinguishedNames) {
    std::vector<valuetext::DnComponent> parts;
    ASSERT_TRUE(valuetext::splitDn("cn=Smith\\, John,ou=Sales, o=Acme", parts));
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[0].type, "cn");
    EXPECT_EQ(parts[0].value, "Smith, John");
    EXPECT_EQ(parts[2].value, "Acme");
    ASSERT_TRUE(valuetext::splitDn("cn=\\41B", parts));
    EXPECT_EQ(parts[0].value, "AB");
    EXPECT_FALSE(valuetext::splitDn("cn=,o=Acme", parts));
    EXPECT_FALSE(valuetext::splitDn("Acme", parts));
    EXPECT_TRUE(valuetext::splitDn("", parts));
    EXPECT_TRUE(parts.empty());
    EXPECT_EQ(valuetext::escapeDnValue("#a,b "), "\\#a\\,b\\ ");
}

TEST(DottedNames, ParsingWithTagsEscapesAndLimits) {
    names::ParsedName p;
    ASSERT_EQ(names::parse("CN=Admin.OU=Sales.O=Acme", p), 0);
    EXPECT_EQ(p.components, (std::vector<std::string>{"Admin", "Sales", "Acme"}));
    ASSERT_EQ(names::parse("A\\.B.Acme", p), 0);
    EXPECT_EQ(p.components, (std::vector<std::string>{"A.B", "Acme"}));
    EXPECT_EQ(names::join(p.components), "A\\.B.Acme");
    ASSERT_EQ(names::parse("x\\=y.Acme", p), 0);
    EXPECT_EQ(p.components.front(), "x=y");
    ASSERT_EQ(names::parse("Two Words=Value", p), 0); // not a tag: a blank in it
    EXPECT_EQ(p.components.front(), "Two Words=Value");
    ASSERT_EQ(names::parse(".Admin.Acme", p), 0);
    EXPECT_TRUE(p.leadingDot);
    ASSERT_EQ(names::parse("[Root]", p), 0);
    EXPECT_TRUE(p.root);
    EXPECT_EQ(names::parse("a..b", p), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::parse(".", p), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::parse(std::string(257, 'a'), p), ERR_NAME_TOO_LONG);
    EXPECT_EQ(names::parse(std::string(129, 'a'), p), ERR_NAME_TOO_LONG);
    EXPECT_EQ(names::parse(std::string(128, 'a') + ".b", p), 0);
    EXPECT_EQ(names::parse(static_cast<const char*>(nullptr), p), ERR_NULL_POINTER);
    EXPECT_TRUE(names::equalFolded("Sales.ACME", "sales.acme"));
}

TEST(Base64, RoundTripsAndRefusesGarbage) {
    for (const std::string& s :
         std::vector<std::string>{"", "a", "ab", "abc", "abcd", std::string("\0\xff\x80", 3)})
        EXPECT_EQ(base64::decode(base64::encode(s)), s);
    EXPECT_EQ(base64::encode("ABCDEFGHIJKLMNOPQRST"), "QUJDREVGR0hJSktMTU5PUFFSU1Q=");
    EXPECT_EQ(base64::decode("QUJD\nREVG"), "ABCDEF");
    EXPECT_EQ(base64::decode("QU*D"), std::nullopt);
    EXPECT_EQ(base64::decode("Q"), std::nullopt);
}

TEST(ValueText, PostalLinesLoseTheBlanksAroundTheirSeparators) {
    // Servers write "line $ line"; a blank escaped before "$" stays part of its line.
    EXPECT_EQ(roundTrip(SYN_PO_ADDRESS, "Harbour Lights $ 12 Quay Road $Port Ellis"),
              "Harbour Lights$12 Quay Road$Port Ellis");
    EXPECT_EQ(roundTrip(SYN_CI_LIST, " a $ b "), " a$b ");
    EXPECT_EQ(roundTrip(SYN_PO_ADDRESS, "a\\ $b"), "a $b");
}
