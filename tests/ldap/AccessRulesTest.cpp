// The access rules the seed gives a private slapd, made from a tree's ACL values: which rule
// protects what, and which identities each grants what, case by case. Whether slapd then
// allows what the embedded directory does is RightsParityTest's matter.
#include "client/ldap/seed/AccessRules.h"

#include "client/common/Names.h"

#include <gtest/gtest.h>

namespace {

using accessrules::Object;

accessrules::Attributes attributes() {
    accessrules::Attributes a;
    for (const char* name :
         {"cn", "ou", "o", "description", "telephoneNumber", "objectClass", "ACL"})
        a.ldapNames[names::fold(name)] = name;
    a.ldapNames["telephone number"] = "telephoneNumber";
    a.naming = {"cn", "ou", "o"};
    a.publicRead = {"description"};
    return a;
}

// The rule that starts with `head`, or "" when none does.
std::string ruleStarting(const std::vector<std::string>& rules, const std::string& head) {
    for (const auto& r : rules) {
        if (r.rfind(head, 0) == 0)
            return r;
    }
    return {};
}

std::size_t positionOf(const std::vector<std::string>& rules, const std::string& head) {
    for (std::size_t i = 0; i < rules.size(); ++i) {
        if (rules[i].rfind(head, 0) == 0)
            return i;
    }
    return rules.size();
}

const Object kRoot{
    "", {"16#subtree#cn=Admin,o=Acme#[Entry Rights]", "1#subtree#[Public]#[Entry Rights]"}, {}};

struct Case {
    const char* name;
    std::vector<Object> tree;
    const char* suffix;
    const char* rule; // the head of the rule looked at
    std::vector<const char*> holds;
    std::vector<const char*> lacks;
};

TEST(AccessRules, EachRuleGrantsWhatTheAclValuesGiveThere) {
    const std::vector<Case> cases = {
        {"[Public] is everyone, anonymous included; supervisor holds every entry right",
         {kRoot, {"o=Acme", {}, {}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" attrs=entry ",
         {"by * +rscd continue", "by dn.subtree=\"cn=Admin,o=Acme\" +wrscd continue",
          "by * +0 stop"},
         {"users"}},
        {"[Root] is every identity that bound",
         {{"", {"2#subtree#[Root]#[Entry Rights]"}, {}}, {"o=Acme", {}, {}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" attrs=entry ",
         {"by users +a continue"},
         {"by * +rscd"}},
        {"a lower value for the same trustee replaces what flows down",
         {kRoot,
          {"o=Acme", {}, {}},
          {"ou=Eng,o=Acme", {"15#subtree#cn=Boss,ou=Eng,o=Acme#[Entry Rights]"}, {}},
          {"ou=Lab,ou=Eng,o=Acme", {"1#subtree#cn=Boss,ou=Eng,o=Acme#[Entry Rights]"}, {}}},
         "o=Acme",
         "to dn.subtree=\"ou=Lab,ou=Eng,o=Acme\" attrs=entry ",
         {"by dn.subtree=\"cn=Boss,ou=Eng,o=Acme\" +rscd continue"},
         {}},
        {"entry and all-attributes values of one trustee are replaced apart",
         {kRoot,
          {"o=Acme", {"3#subtree#ou=Sales,o=Acme#[All Attributes Rights]"}, {}},
          {"ou=Sales,o=Acme", {"1#subtree#ou=Sales,o=Acme#[Entry Rights]"}, {}}},
         "o=Acme",
         "to dn.subtree=\"ou=Sales,o=Acme\" by ",
         {"by dn.subtree=\"ou=Sales,o=Acme\" +rsc continue"},
         {}},
        {"browse searches the naming attributes; rename writes them",
         {kRoot, {"o=Acme", {"9#subtree#cn=Ren,o=Acme#[Entry Rights]"}, {}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" attrs=cn,ou,o ",
         {"by * +s continue", "by dn.subtree=\"cn=Ren,o=Acme\" +ws continue"},
         {}},
        {"an object giving Rename is found by its values where a rename puts it",
         {kRoot,
          {"o=Acme", {}, {}},
          {"ou=Eng,o=Acme",
           {"8#subtree#cn=R,o=Acme#[Entry Rights]", "1#subtree#[Public]#(x*)"},
           {}}},
         "o=Acme",
         "to dn.onelevel=\"o=Acme\" filter=(&(ACL=8#subtree#cn=R,o=Acme#[Entry\\20"
         "Rights])(ACL=1#subtree#[Public]#\\28x\\2a\\29)) attrs=cn,ou,o ",
         {"by dn.subtree=\"cn=R,o=Acme\" +w continue", "by * +0 break"},
         {}},
        {"a named attribute replaces the trustee's all-attributes rights on its object only",
         {kRoot,
          {"o=Acme", {"2#subtree#cn=Jo,o=Acme#[All Attributes Rights]"}, {}},
          {"cn=X,o=Acme", {"4#entry#cn=Jo,o=Acme#Telephone Number"}, {}}},
         "o=Acme",
         "to dn.base=\"cn=X,o=Acme\" attrs=telephoneNumber ",
         {"by dn.subtree=\"cn=Jo,o=Acme\" +w continue",
          "by dn.subtree=\"cn=Admin,o=Acme\" +wrsc continue"},
         {}},
        {"a security equivalent holds the trustee's rights",
         {kRoot,
          {"o=Acme", {"2#subtree#cn=Staff,o=Acme#[Entry Rights]"}, {}},
          {"cn=Demo,o=Acme", {}, {"cn=Staff,o=Acme"}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" attrs=entry ",
         {"by dn.subtree=\"cn=Staff,o=Acme\" +a continue",
          "by dn.exact=\"cn=Demo,o=Acme\" +a continue"},
         {}},
        {"quotes and backslashes of a DN are escaped",
         {kRoot, {"o=A\\\"B", {"1#subtree#cn=C\\\\D,o=A\\\"B#[Entry Rights]"}, {}}},
         "o=A\\\"B",
         "to dn.subtree=\"o=A\\\\\\\"B\" attrs=entry ",
         {"by dn.subtree=\"cn=C\\\\\\\\D,o=A\\\\\\\"B\" +rscd continue"},
         {}},
        {"values that do not parse, or protect what the server does not hold, grant nothing",
         {kRoot,
          {"o=Acme",
           {"x#subtree#cn=A,o=Acme#[Entry Rights]", "2#forever#cn=B,o=Acme#[Entry Rights]",
            "2#entry#cn=C,o=Acme#Shoe Size", "48#entry#cn=D,o=Acme#[SMS Rights]"},
           {}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" ",
         {},
         {"cn=A,", "cn=B,", "cn=C,", "cn=D,", "dn.base"}},
        {"another top object's values stay in its own rules",
         {kRoot, {"o=Acme", {}, {}}, {"o=Other", {"31#subtree#cn=O,o=Other#[Entry Rights]"}, {}}},
         "o=Acme",
         "to dn.subtree=\"o=Acme\" attrs=entry ",
         {},
         {"cn=O,o=Other"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rules = accessrules::databaseRules(c.tree, c.suffix, attributes());
        std::string all;
        for (const auto& r : rules)
            all += r + "\n";
        const std::string rule = ruleStarting(rules, c.rule);
        if (!c.holds.empty()) {
            ASSERT_FALSE(rule.empty()) << all;
        }
        for (const char* piece : c.holds)
            EXPECT_NE(rule.find(piece), std::string::npos) << piece << "\nin: " << rule;
        for (const char* piece : c.lacks)
            EXPECT_EQ(all.find(piece), std::string::npos) << piece << "\nin: " << all;
    }
}

TEST(AccessRules, SlapdsOwnNeedsComeFirstAndTheNearestRegionBeforeTheOnesAbove) {
    const std::vector<Object> tree = {
        kRoot,
        {"o=Acme", {}, {}},
        {"ou=Eng,o=Acme", {"15#subtree#cn=Boss,ou=Eng,o=Acme#[Entry Rights]"}, {}},
        {"ou=Lab,ou=Eng,o=Acme", {"1#subtree#cn=Boss,ou=Eng,o=Acme#[Entry Rights]"}, {}},
        {"cn=X,ou=Lab,ou=Eng,o=Acme", {"2#entry#cn=Boss,ou=Eng,o=Acme#description"}, {}}};
    const auto rules = accessrules::databaseRules(tree, "o=Acme", attributes());
    ASSERT_GE(rules.size(), 4u);
    EXPECT_EQ(rules[0], "to attrs=userPassword by anonymous auth by * none");
    EXPECT_EQ(rules[1], "to attrs=children by * +az stop");
    // Whether an object is seen at all comes before anything else, nearest region first;
    // then every attribute's name is shown to whoever sees the object, not its values.
    const std::size_t names = positionOf(rules, "to attrs=@extensibleObject by * +r break");
    EXPECT_EQ(names, 2 + 3u); // the entry rules of the three regions
    for (std::size_t i = 2; i < names; ++i)
        EXPECT_NE(rules[i].find(" attrs=entry by "), std::string::npos) << rules[i];
    EXPECT_EQ(rules[names + 1], "to attrs=@extensibleObject val.regex=\".*\" by * -r break");
    EXPECT_EQ(rules[names + 2], "to attrs=description by * +rsc break");
    const std::size_t named = positionOf(rules, "to dn.base=\"cn=X,ou=Lab,ou=Eng,o=Acme\"");
    const std::size_t lab = positionOf(rules, "to dn.subtree=\"ou=Lab,ou=Eng,o=Acme\" attrs=cn");
    const std::size_t eng = positionOf(rules, "to dn.subtree=\"ou=Eng,o=Acme\" attrs=cn");
    const std::size_t top = positionOf(rules, "to dn.subtree=\"o=Acme\" attrs=cn");
    EXPECT_LT(named, lab);
    EXPECT_LT(lab, eng);
    EXPECT_LT(eng, top);
    EXPECT_LT(top, rules.size());
    // Each region protects the entry, the naming attributes, objectClass, what a listing
    // shows and the rest; every rule ends in a clause that keeps what was granted.
    // Eng and Lab renamed (the administrator's supervisor right holds Rename), found by
    // their values; what they grant adds to what their container's region does.
    const std::size_t renamed = positionOf(rules, "to dn.onelevel=");
    EXPECT_LT(named, renamed);
    EXPECT_LT(renamed, lab);
    EXPECT_EQ(rules.size(), 2 + 3 + 3 + 1 + 2 + 3 * 4u);
    for (std::size_t i = names + 3; i < rules.size(); ++i) {
        const bool follows = rules[i].starts_with("to dn.onelevel=");
        EXPECT_TRUE(rules[i].ends_with(follows ? " by * +0 break" : " by * +0 stop")) << rules[i];
    }
}

} // namespace
