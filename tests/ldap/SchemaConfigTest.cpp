// What the LDAP client writes into a server's configuration for a new definition: its LDAP
// name, its OID under the run-time arc, quoted values that come back as they went, and the
// class form the server takes for an auxiliary super class.
#include "client/common/Schema.h"
#include "client/common/SchemaFile.h"
#include "client/ldap/LdapSchemaConfig.h"
#include "client/ldap/StoredDefinitions.h"

#include <gtest/gtest.h>

namespace {

using schemastatements::Definition;

const std::string kArc(schemaconfig::kRunTimeArc);

TEST(SchemaConfig, NewNamesAreLdapNamesNotTakenYet) {
    const std::vector<std::string> known = {"( 2.5.4.3 NAME 'cn' )",
                                            "( 1.2.3 NAME ( 'badgeColor' 'badgeColor-2' ) )"};
    EXPECT_EQ(schemaconfig::newLdapName("Shoe Size", known), "shoeSize");
    EXPECT_EQ(schemaconfig::newLdapName("EMail Address", known), "emailAddress");
    EXPECT_EQ(schemaconfig::newLdapName("CN", known), "cn-2");
    EXPECT_EQ(schemaconfig::newLdapName("Badge Color", known), "badgeColor-3");
    // Only letters, digits and "-", and a letter first.
    EXPECT_EQ(schemaconfig::newLdapName("App:Path (x86)", known), "appPathX86");
    EXPECT_EQ(schemaconfig::newLdapName("3D Model", known), "ds3DModel");
    EXPECT_EQ(schemaconfig::newLdapName("'?'", known), "ds");
}

TEST(SchemaConfig, NewOidsFollowTheHighestOfTheirKindUnderTheRunTimeArc) {
    EXPECT_EQ(schemaconfig::newOid(2, {}), kArc + ".2.1");
    const std::vector<std::string> known = {
        "( " + kArc + ".2.9 NAME 'a' )", "(" + kArc + ".2.10 NAME 'b' )",
        "( " + kArc + ".3.40 NAME 'c' )",
        // The demo's own numbering is another arc.
        "( 2.25.14728172303297623532114484959978199139.2.500 NAME 'd' )"};
    EXPECT_EQ(schemaconfig::newOid(2, known), kArc + ".2.11");
    EXPECT_EQ(schemaconfig::newOid(3, known), kArc + ".3.41");
    EXPECT_TRUE(schemaconfig::isRunTimeOid(kArc + ".2.11"));
    EXPECT_FALSE(schemaconfig::isRunTimeOid("2.25.14728172303297623532114484959978199139.2.5"));
    EXPECT_FALSE(schemaconfig::isRunTimeOid(kArc + "0.2.1"));
}

TEST(SchemaConfig, QuotedNamesComeBackAsTheyWent) {
    Definition d;
    d.keyword = "attributetype";
    d.oid = kArc + ".2.1";
    d.setQuoted("NAME", {"oNeilCode"});
    d.setQuoted("X-NDS-NAME", {"O'Neil\\Code"});
    d.setQuoted("X-NDS-SYNTAX", {"3"});
    storeddefinitions::storeAttribute(d);
    EXPECT_EQ(d.text().find("\\'"), std::string::npos) << d.text();
    Definition back;
    ASSERT_TRUE(schemastatements::parseDescription("attributetype", d.text(), back));
    EXPECT_EQ(back.first("X-NDS-NAME"), "O'Neil\\Code");
    // The stored form: the standard string syntax with its matching rules.
    EXPECT_EQ(back.first("SYNTAX"), "1.3.6.1.4.1.1466.115.121.1.15");
    EXPECT_EQ(back.first("EQUALITY"), "caseIgnoreMatch");
    Schema schema;
    std::string error;
    ASSERT_TRUE(schemafile::load("ldapsyntax ( 1.1 DESC 'Case Ignore String' X-NDS-ID '3' )\n" +
                                     schemastatements::statementText(back),
                                 "test", schema, &error))
        << error;
    EXPECT_NE(schema.findAttribute("O'Neil\\Code"), nullptr);
}

TEST(SchemaConfig, AnAuxiliarySuperClassIsFoldedIntoTheClass) {
    Definition aux;
    ASSERT_TRUE(schemastatements::parseDescription(
        "objectclass", "( 1.2 NAME 'loginProps' SUP top AUXILIARY MUST a MAY ( b $ c ) )", aux));
    auto auxiliary = [&](std::string_view name) -> const Definition* {
        return name == "loginProps" ? &aux : nullptr;
    };
    Definition d;
    ASSERT_TRUE(schemastatements::parseDescription(
        "objectclass", "( 1.3 NAME 'desk' SUP ( top $ loginProps ) STRUCTURAL MAY d )", d));
    storeddefinitions::storeClass(d, auxiliary);
    EXPECT_EQ(d.values("SUP"), std::vector<std::string>{"top"});
    EXPECT_EQ(d.values(storeddefinitions::kSuperiorsExtension),
              (std::vector<std::string>{"top", "loginProps"}));
    EXPECT_EQ(d.values("MAY"), (std::vector<std::string>{"d", "a", "b", "c"}));
    // An auxiliary class keeps its auxiliary super class.
    Definition a;
    ASSERT_TRUE(schemastatements::parseDescription(
        "objectclass", "( 1.4 NAME 'more' SUP loginProps AUXILIARY )", a));
    storeddefinitions::storeClass(a, auxiliary);
    EXPECT_EQ(a.values("SUP"), std::vector<std::string>{"loginProps"});
    EXPECT_FALSE(a.has(storeddefinitions::kSuperiorsExtension));
}

} // namespace
