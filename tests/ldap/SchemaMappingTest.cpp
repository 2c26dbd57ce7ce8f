// The directory schema read from a server's subschema values: definitions with the X-NDS-*
// extensions as they are, built-in definitions named by the hints, a standard schema by the
// fallback mapping, and super classes kept aside restored.
#include "client/common/SchemaFile.h"
#include "client/ldap/SchemaStatements.h"
#include "client/ldap/ServerSchema.h"
#include "directory/Codes.h"

#include <gtest/gtest.h>

namespace {

Schema build(const serverschema::SubschemaValues& values, const Schema* hints = nullptr) {
    Schema schema;
    std::string error;
    EXPECT_TRUE(serverschema::build(values, hints, schema, &error)) << error;
    return schema;
}

TEST(SchemaStatements, DescriptionsParseAndWriteBackFieldByField) {
    schemastatements::Definition d;
    ASSERT_TRUE(schemastatements::parseDescription(
        "attributetype",
        "( 2.5.4.3 NAME ( 'cn' 'commonName' ) DESC 'a name' SUP name SINGLE-VALUE "
        "X-NDS-FLAGS ( 'A' 'B' ) X-NDS-NAME 'O\\'Brien' )",
        d));
    EXPECT_EQ(d.oid, "2.5.4.3");
    EXPECT_EQ(d.values("NAME"), (std::vector<std::string>{"cn", "commonName"}));
    EXPECT_TRUE(d.has("SINGLE-VALUE"));
    EXPECT_EQ(d.first("X-NDS-NAME"), "O'Brien");
    EXPECT_EQ(d.values("X-NDS-FLAGS"), (std::vector<std::string>{"A", "B"}));
    d.setQuoted("X-NDS-SYNTAX", {"3"});
    d.remove("SUP");
    schemastatements::Definition again;
    ASSERT_TRUE(schemastatements::parseDescription("attributetype", d.text(), again));
    EXPECT_EQ(again.first("X-NDS-SYNTAX"), "3");
    EXPECT_FALSE(again.has("SUP"));
    EXPECT_EQ(again.first("X-NDS-NAME"), "O'Brien");

    EXPECT_FALSE(schemastatements::parseDescription("objectclass", "( 1.2 NAME 'x'", d));
    EXPECT_FALSE(schemastatements::parseDescription("objectclass", "( 1.2 NAME ( 'x' )", d));
    std::vector<schemastatements::Definition> file;
    std::string error;
    EXPECT_FALSE(
        schemastatements::parseFile("attributetype ( 1.2 NAME 'x' )\nbogus ( 1.3 )", file, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
}

TEST(ServerSchema, AStandardSchemaIsMappedBySyntaxAndKind) {
    serverschema::SubschemaValues v;
    v.attributeTypes = {
        "( 2.5.4.41 NAME 'name' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )",
        "( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )",
        "( 2.5.4.20 NAME 'telephoneNumber' SYNTAX 1.3.6.1.4.1.1466.115.121.1.50 )",
        "( 2.25.101.1 NAME 'count' SYNTAX 1.3.6.1.4.1.1466.115.121.1.27 SINGLE-VALUE )",
        "( 2.25.101.2 NAME 'stamp' SYNTAX 1.3.6.1.4.1.1466.115.121.1.24 NO-USER-MODIFICATION "
        "USAGE directoryOperation )",
        "( 2.25.101.3 NAME 'aVeryLongAttributeNameThatNoDirectoryTakes' "
        "SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )",
    };
    v.objectClasses = {
        "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
        "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( commonName $ count ) MAY "
        "( telephoneNumber $ aVeryLongAttributeNameThatNoDirectoryTakes ) )",
        "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL )",
        "( 2.25.101.4 NAME 'extra' SUP top AUXILIARY MAY name )",
    };
    const Schema s = build(v);
    EXPECT_EQ(s.syntaxes().size(), std::size_t(SYNTAX_COUNT));
    ASSERT_NE(s.findAttribute("cn"), nullptr);
    EXPECT_EQ(s.findAttribute("cn")->syntax, SYN_CI_STRING); // inherited from name
    EXPECT_EQ(s.findAttributeByLdapName("telephoneNumber")->syntax, SYN_TEL_NUMBER);
    EXPECT_EQ(s.findAttribute("count")->syntax, SYN_INTEGER);
    EXPECT_TRUE(s.findAttribute("count")->flags & DS_SINGLE_VALUED_ATTR);
    EXPECT_EQ(s.findAttribute("stamp"), nullptr); // operational
    EXPECT_EQ(s.findAttribute("aVeryLongAttributeNameThatNoDirectoryTakes"), nullptr);
    const ClassDefinition* person = s.findClass("person");
    ASSERT_NE(person, nullptr);
    EXPECT_TRUE(person->flags & DS_EFFECTIVE_CLASS);
    EXPECT_FALSE(person->flags & DS_CONTAINER_CLASS);
    // commonName is the attribute cn, by its first name; standard ones go by the directory's
    // names.
    EXPECT_EQ(person->lists[ClassDefinition::Mandatory], (std::vector<std::string>{"CN", "count"}));
    EXPECT_EQ(person->lists[ClassDefinition::Optional],
              (std::vector<std::string>{"Telephone Number"}));
    EXPECT_TRUE(s.findClassByLdapName("organizationalUnit")->flags & DS_CONTAINER_CLASS);
    EXPECT_FALSE(s.findClass("extra")->flags & DS_EFFECTIVE_CLASS);
    EXPECT_FALSE(s.findClass("top")->flags & DS_EFFECTIVE_CLASS);
}

TEST(ServerSchema, DirectoryDefinitionsComeAsTheyAreAndBuiltInOnesByTheHints) {
    Schema hints;
    std::string error;
    ASSERT_TRUE(schemafile::load(
        "ldapsyntax ( 2.25.109.20 DESC 'Class Name' X-NDS-ID '20' )\n"
        "ldapsyntax ( 2.25.109.3 DESC 'Case Ignore String' X-NDS-ID '3' )\n"
        "attributetype ( 2.5.4.0 NAME 'objectClass' X-NDS-NAME 'Object Class' X-NDS-SYNTAX '20' "
        "X-NDS-FLAGS ( 'NONREMOVABLE' 'STRING' ) )\n"
        "attributetype ( 2.25.105.1 NAME 'acl' X-NDS-NAME 'ACL' X-NDS-SYNTAX '3' )\n"
        "objectclass ( 2.5.6.0 NAME 'top' X-NDS-NAME 'Top' ABSTRACT MUST objectClass MAY acl "
        "X-NDS-FLAGS 'NONREMOVABLE' )\n",
        "hints", hints, &error))
        << error;
    serverschema::SubschemaValues v;
    v.ldapSyntaxes = {
        "( 2.25.109.20 DESC 'Class Name' X-NDS-ID '20' X-SUBST '1.3.6.1.4.1.1466.115.121.1.38' )",
        "( 2.25.109.3 DESC 'Case Ignore String' X-NDS-ID '3' )",
        "( 1.3.6.1.4.1.1466.115.121.1.15 DESC 'Directory String' )"};
    v.attributeTypes = {
        "( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
        "( 2.25.105.1 NAME 'acl' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS-NAME 'ACL' "
        "X-NDS-SYNTAX '3' )",
        "( 2.25.105.2 NAME 'badge' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 X-NDS-NAME 'Badge' "
        "X-NDS-SYNTAX '3' )",
        "( 2.25.199.1 NAME 'serverInternal' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )",
    };
    v.objectClasses = {
        "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
        "( 2.25.106.1 NAME 'login' SUP top AUXILIARY MAY acl X-NDS-NAME 'Login' )",
        "( 2.25.106.2 NAME 'user' SUP top STRUCTURAL MAY ( badge $ acl ) X-NDS-NAME 'User' "
        "X-NDS-FLAGS 'EFFECTIVE' X-NDS-SUPERIORS ( 'top' 'login' ) )",
    };
    const Schema s = build(v, &hints);
    EXPECT_EQ(s.syntaxes().size(), 2u); // the server's own directory syntaxes only
    const AttributeDefinition* oc = s.findAttribute("Object Class");
    ASSERT_NE(oc, nullptr);
    EXPECT_EQ(oc->syntax, SYN_CLASS_NAME);
    EXPECT_EQ(oc->flags, std::uint32_t(DS_NONREMOVABLE_ATTR | DS_STRING_ATTR));
    EXPECT_EQ(s.findAttribute("serverInternal"), nullptr); // the server's own, not the directory's
    const ClassDefinition* top = s.findClass("Top");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->flags, std::uint32_t(DS_NONREMOVABLE_CLASS));
    EXPECT_EQ(top->lists[ClassDefinition::Optional], (std::vector<std::string>{"ACL"}));
    const ClassDefinition* user = s.findClass("User");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(user->lists[ClassDefinition::SuperClasses],
              (std::vector<std::string>{"Top", "Login"}));
    // What the server folded in for the auxiliary super class goes again.
    EXPECT_EQ(user->lists[ClassDefinition::Optional], (std::vector<std::string>{"Badge"}));
}

} // namespace
