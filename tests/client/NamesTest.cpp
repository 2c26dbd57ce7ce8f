// Names with special characters: typeless dotted names, DNs, and the labels and full names the
// pages build from what the directory lists.
#include "client/common/Names.h"

#include "client/common/ValueText.h"
#include "directory/NameRules.h"
#include "directory/ResultCodes.h"

#include <gtest/gtest.h>

namespace {

struct Special {
    std::string component; // the name's own text
    std::string typeless;  // as one component of a dotted name
    std::string dnValue;   // as an RDN value of a DN
};

// Every character that means something in either form, at the places where it does.
const std::vector<Special> kSpecials = {
    {"a.b", "a\\.b", "a.b"},
    {"Boss=Admin", "Boss\\=Admin", "Boss\\=Admin"},
    {"Smith, John", "Smith, John", "Smith\\, John"},
    {"R+D", "R\\+D", "R\\+D"},
    {"back\\slash", "back\\\\slash", "back\\\\slash"},
    {" lead", " lead", "\\ lead"},
    {"trail ", "trail ", "trail\\ "},
    {" ", " ", "\\ "},
    {"#hash", "#hash", "\\#hash"},
    {"mid#hash", "mid#hash", "mid#hash"},
    {"[Root]", "\\[Root]", "[Root]"},
    {"a;b<c>\"d\"", "a;b<c>\"d\"", "a\\;b\\<c\\>\\\"d\\\""},
    {"M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC", "M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC",
     "M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC"},
    {"tab\there", "tab\there", "tab\\09here"},
    {"..", "\\.\\.", ".."},
};

TEST(NameEscaping, EverySpecialCharacterRoundTripsThroughBothForms) {
    for (const auto& s : kSpecials) {
        SCOPED_TRACE(s.component);
        const std::vector<std::string> components{s.component, "Sales", "Acme"};
        EXPECT_EQ(names::escapeComponent(s.component), s.typeless);
        EXPECT_EQ(valuetext::escapeDnValue(s.component), s.dnValue);

        const std::string typeless = names::join(components);
        EXPECT_EQ(typeless, s.typeless + ".Sales.Acme");
        names::ParsedName parsed;
        ASSERT_EQ(names::parse(typeless, parsed), 0);
        EXPECT_FALSE(parsed.root);
        EXPECT_EQ(parsed.components, components);

        const std::string dn = names::toDn(components, {"cn", "ou", "o"});
        EXPECT_EQ(dn, "cn=" + s.dnValue + ",ou=Sales,o=Acme");
        std::vector<valuetext::DnComponent> parts;
        ASSERT_TRUE(valuetext::splitDn(dn, parts));
        ASSERT_EQ(parts.size(), 3u);
        EXPECT_EQ(parts[0].type, "cn");
        EXPECT_EQ(parts[0].value, s.component);

        std::string fromDn;
        ASSERT_EQ(names::fromDn(dn, fromDn), 0);
        EXPECT_EQ(fromDn, typeless);

        // What a page shows for the listed name, and the name it reads it by again.
        EXPECT_EQ(labelOf(s.typeless), s.component);
        EXPECT_EQ(labelOf(s.typeless + ".Sales"), s.component);
        EXPECT_EQ(fullNameOf(s.component, "Sales.Acme"), typeless);
        EXPECT_EQ(fullNameOf(s.component, "[Root]"), s.typeless);
        EXPECT_EQ(parentContextOf(typeless), "Sales.Acme");
    }
}

TEST(NameEscaping, DnsInTheirOtherSpellings) {
    struct Case {
        std::string dn;
        std::vector<std::string> values; // empty: refused
    };
    const std::vector<Case> cases = {
        {"cn=Smith\\, John,ou=Sales, o=Acme", {"Smith, John", "Sales", "Acme"}},
        {"CN = Admin , O = Acme", {"Admin", "Acme"}},
        {"cn=\\41B", {"AB"}},
        {"cn=M\\C3\\BCller", {"M\xC3\xBCller"}},
        {"2.5.4.3=Admin", {"Admin"}},
        {"cn=a\\=b", {"a=b"}},
        {"cn=a=b", {"a=b"}},
        {"cn=\\ x\\ ", {" x "}},
        {"cn=x  ", {"x"}},
        {"cn=", {}},
        {"cn=,o=Acme", {}},
        {"Acme", {}},
        {"cn=a+uid=b",
         {"a\xFF"
          "b"}},
        {"cn=a + uid=b ,o=Acme",
         {"a\xFF"
          "b",
          "Acme"}},
        {"cn=a+", {}},
        {"cn=a+uid", {}},
        {"cn=a++uid=b", {}},
        {"cn=a\\FF", {}},
        {"cn=#04024869", {}},
        {"cn=a,", {}},
        {",o=Acme", {}},
        {"c n=a", {}},
        {"cn=a\\", {}},
        {"cn=a;b", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dn);
        std::vector<valuetext::DnComponent> parts;
        const bool ok = valuetext::splitDn(c.dn, parts);
        ASSERT_EQ(ok, !c.values.empty());
        std::vector<std::string> values;
        for (const auto& p : parts)
            values.push_back(p.value);
        EXPECT_EQ(values, c.values);
    }
    std::vector<valuetext::DnComponent> parts;
    EXPECT_TRUE(valuetext::splitDn("", parts));
    EXPECT_TRUE(parts.empty());
    std::string name;
    ASSERT_EQ(names::fromDn("", name), 0);
    EXPECT_EQ(name, "[Root]");
}

TEST(NameEscaping, NamesThatCannotBeRepresentedAreRefused) {
    std::string name;
    EXPECT_EQ(names::fromDn("cn=a\\00b,o=Acme", name), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::fromDn("cn=\\FF\\FE,o=Acme", name), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::fromDn("cn=" + std::string(129, 'x'), name), ERR_NAME_TOO_LONG);
    EXPECT_EQ(names::fromDn("cn=" + std::string(128, 'x'), name), 0);
    std::string longDn;
    for (int i = 0; i < 30; ++i)
        longDn += (i ? ",ou=" : "cn=") + std::string(9, 'x');
    EXPECT_EQ(names::fromDn(longDn, name), ERR_NAME_TOO_LONG);
    EXPECT_EQ(names::checkComponent(std::string("a\0b", 3)), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::checkComponent(""), ERR_INVALID_OBJECT_NAME);
    // Overlong forms, surrogates, a truncated sequence, beyond U+10FFFF.
    for (const char* bad : {"\xC0\xAE", "\xED\xA0\x80", "\xE6\x97", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(names::isUtf8(bad)) << bad;
    EXPECT_TRUE(names::isUtf8("\xF0\x9F\x98\x80 \xC3\xA9"));
    names::ParsedName parsed;
    for (const char* bad : {"R+.Acme", "+D.Acme", "R++D", "R+CN=.Acme", "R+M\xFCller"})
        EXPECT_EQ(names::parse(bad, parsed), ERR_INVALID_OBJECT_NAME) << bad;
    EXPECT_EQ(names::parse("a\\", parsed), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::parse("M\xFCller.Acme", parsed), ERR_INVALID_OBJECT_NAME);
}

TEST(MultiValuedNames, RoundTripThroughBothForms) {
    struct Case {
        std::string dn;
        std::string typeless;
        std::vector<std::string> values; // of the first component
    };
    const std::vector<Case> cases = {
        {"cn=Ann Lee+employeeNumber=4711,ou=People,dc=example",
         "Ann Lee+4711.People.example",
         {"Ann Lee", "4711"}},
        {"cn=R\\+D+uid=rd,ou=People,dc=example", "R\\+D+rd.People.example", {"R+D", "rd"}},
        {"cn=a.b+uid=x\\,y+l=\\ z,ou=People,dc=example",
         "a\\.b+x,y+ z.People.example",
         {"a.b", "x,y", " z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dn);
        std::string name;
        ASSERT_EQ(names::fromDn(c.dn, name), 0);
        EXPECT_EQ(name, c.typeless);
        names::ParsedName parsed;
        ASSERT_EQ(names::parse(name, parsed), 0);
        ASSERT_EQ(parsed.components.size(), 3u);
        EXPECT_TRUE(names::isMultiValued(parsed.components[0]));
        EXPECT_FALSE(names::isMultiValued(parsed.components[1]));
        EXPECT_EQ(names::valuesOf(parsed.components[0]), c.values);
        EXPECT_EQ(names::joinValues(c.values), parsed.components[0]);
        EXPECT_EQ(names::checkComponent(parsed.components[0]), 0);
        EXPECT_EQ(names::join(parsed.components), c.typeless);

        std::vector<valuetext::DnComponent> parts;
        ASSERT_TRUE(valuetext::splitDn(c.dn, parts));
        ASSERT_EQ(parts.size(), 3u);
        EXPECT_EQ(parts[0].value, parsed.components[0]);
        EXPECT_EQ(names::toDn(parsed.components, {parts[0].type, "ou", "dc"}), c.dn);
        EXPECT_EQ(valuetext::rdnText(parts[0].type, parts[0].value),
                  c.dn.substr(0, c.dn.find(",ou=")));
    }
    // Typed, each value with its own tag; types not given are "cn".
    names::ParsedName typed;
    ASSERT_EQ(names::parse("CN=Ann Lee+EMPLOYEENUMBER=4711.OU=People", typed), 0);
    EXPECT_EQ(typed.components,
              (std::vector<std::string>{names::joinValues({"Ann Lee", "4711"}), "People"}));
    EXPECT_EQ(typed.tags,
              (std::vector<std::string>{names::joinValues({"CN", "EMPLOYEENUMBER"}), "OU"}));
    EXPECT_EQ(names::toDn(typed.components, {}), "cn=Ann Lee+cn=4711,cn=People");
    ASSERT_EQ(names::parse("Ann Lee+UID=al.People", typed), 0);
    EXPECT_EQ(typed.tags, (std::vector<std::string>{names::joinValues({"", "UID"}), ""}));
    // A value holding the join byte, or an empty value, is no component.
    EXPECT_EQ(names::checkComponent(names::joinValues({"a", ""})), ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(names::checkComponent(names::joinValues({"a", "\xFE"})), ERR_INVALID_OBJECT_NAME);
    // A plain component with a "+" stays one value, distinct from the joined one.
    ASSERT_EQ(names::parse("Ann Lee\\+4711", typed), 0);
    EXPECT_EQ(typed.components, (std::vector<std::string>{"Ann Lee+4711"}));
    EXPECT_FALSE(names::isMultiValued(typed.components[0]));
}

TEST(MultiValuedNames, LabelsKeepTheValuesApartAndShowTheListedName) {
    struct Case {
        std::string listed; // as the directory lists it, with its container
        std::string shown;  // what a page shows
    };
    for (const Case& c : std::vector<Case>{{"Ann Lee+4711.People", "Ann Lee+4711"},
                                           {"R\\+D+rd.Groups", "R\\+D+rd"},
                                           {"a\\.b+\\\\+c", "a\\.b+\\\\+c"}}) {
        SCOPED_TRACE(c.listed);
        const std::string label = labelOf(c.listed);
        EXPECT_TRUE(isMultiValuedLabel(label));
        EXPECT_EQ(labelText(label), c.shown);
        names::ParsedName parsed;
        ASSERT_EQ(names::parse(c.listed, parsed), 0);
        EXPECT_EQ(label, parsed.components.front());
        EXPECT_EQ(fullNameOf(label, parentContextOf(c.listed)), c.listed);
        // The shown text taken as a label is one value with "+" in it: another object.
        EXPECT_NE(fullNameOf(labelText(label), parentContextOf(c.listed)), c.listed);
    }
    EXPECT_EQ(labelOf("R\\+D.Groups"), "R+D");
    EXPECT_FALSE(isMultiValuedLabel("R+D"));
    EXPECT_EQ(labelText("R+D"), "R+D");
    EXPECT_EQ(fullNameOf("R+D", "Groups"), "R\\+D.Groups");
}

TEST(NameEscaping, LabelsAndContextsOfPlainNames) {
    EXPECT_EQ(labelOf("Admin.Sales"), "Admin");
    EXPECT_EQ(labelOf("Admin"), "Admin");
    EXPECT_EQ(labelOf("[Root]"), "[Root]");
    EXPECT_EQ(labelOf("a\\\\.b"), "a\\"); // an escaped backslash ends before the dot
    EXPECT_EQ(fullNameOf("Admin", "Sales.Acme"), "Admin.Sales.Acme");
    EXPECT_EQ(fullNameOfListed("a\\.b", "Acme"), "a\\.b.Acme");
    EXPECT_EQ(fullNameOfListed("Acme", "[Root]"), "Acme");
    EXPECT_EQ(parentContextOf("Acme"), "[Root]");
    EXPECT_EQ(parentContextOf("a\\.b"), "[Root]");
    EXPECT_EQ(splitEscapedName("a\\.b.c\\\\.d"),
              (std::vector<std::string_view>{"a\\.b", "c\\\\", "d"}));
}

TEST(NameEscaping, DnValuesInsideValueTextKeepTheirEscapes) {
    // A DN with "\", "#" and "," inside a field of a "#"-separated value reads back whole.
    struct Dotted : valuetext::PlainNames {
        std::string nameToText(std::string_view name) const override {
            names::ParsedName p;
            if (names::parse(name, p) != 0)
                return std::string(name);
            return names::toDn(p.components, {});
        }
    } mapping;
    std::string wire;
    ASSERT_EQ(valuetext::parse(SYN_TYPED_NAME, "1#2#cn=\\#a\\\\b\\, c,cn=Acme", mapping, wire), 0);
    std::string back;
    ASSERT_EQ(valuetext::format(SYN_TYPED_NAME, wire, mapping, back), 0);
    std::string again;
    ASSERT_EQ(valuetext::parse(SYN_TYPED_NAME, back, mapping, again), 0);
    EXPECT_EQ(again, wire);
    std::string name;
    ASSERT_EQ(names::fromDn("cn=\\#a\\\\b\\, c,cn=Acme", name), 0);
    EXPECT_NE(wire.find(name), std::string::npos);
}

TEST(NameEscaping, IntegersOutside32BitsAreNoValues) {
    std::string w;
    const valuetext::PlainNames plain;
    EXPECT_NE(valuetext::parse(SYN_INTEGER, "-4294967295", plain, w), 0);
    EXPECT_NE(valuetext::parse(SYN_INTEGER, "-2147483649", plain, w), 0);
    EXPECT_NE(valuetext::parse(SYN_INTEGER, "4294967296", plain, w), 0);
    EXPECT_NE(valuetext::parse(SYN_INTEGER, "-0x80000001", plain, w), 0);
    EXPECT_EQ(valuetext::parse(SYN_INTEGER, "-2147483648", plain, w), 0);
    EXPECT_EQ(valuetext::parse(SYN_INTEGER, "4294967295", plain, w), 0);
}

} // namespace
