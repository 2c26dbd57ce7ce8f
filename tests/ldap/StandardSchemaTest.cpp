// A server's own standard schema, without any of the directory's extensions and without a
// hints file: the directory's names come from the built-in table, everything else from the
// server's definitions.
#include "client/common/SchemaFile.h"
#include "client/ldap/ServerSchema.h"
#include "client/ldap/StandardNames.h"
#include "directory/Codes.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

constexpr const char* kDirectoryString = "1.3.6.1.4.1.1466.115.121.1.15";

std::string attr(const char* oid, const char* names, const std::string& rest) {
    return std::string("( ") + oid + " NAME " + names + " " + rest + " )";
}

// Definitions as a stock server publishes them (written here from the RFCs' names).
serverschema::SubschemaValues stockValues() {
    serverschema::SubschemaValues v;
    const std::string ds = std::string("SYNTAX ") + kDirectoryString;
    v.attributeTypes = {
        attr("2.5.4.0", "'objectClass'",
             "EQUALITY objectIdentifierMatch SYNTAX "
             "1.3.6.1.4.1.1466.115.121.1.38"),
        attr("2.5.4.41", "'name'", "EQUALITY caseIgnoreMatch " + std::string(ds) + "{32768}"),
        attr("2.5.4.3", "( 'cn' 'commonName' )", "SUP name"),
        attr("2.5.4.4", "( 'sn' 'surname' )", "SUP name"),
        attr("2.5.4.42", "( 'givenName' 'gn' )", "SUP name"),
        attr("2.5.4.11", "( 'ou' 'organizationalUnitName' )", "SUP name"),
        attr("2.5.4.10", "( 'o' 'organizationName' )", "SUP name"),
        attr("0.9.2342.19200300.100.1.25", "( 'dc' 'domainComponent' )",
             "EQUALITY caseIgnoreIA5Match SYNTAX 1.3.6.1.4.1.1466.115.121.1.26 SINGLE-VALUE"),
        attr("2.5.4.20", "'telephoneNumber'", "SYNTAX 1.3.6.1.4.1.1466.115.121.1.50"),
        attr("2.5.4.16", "'postalAddress'", "SYNTAX 1.3.6.1.4.1.1466.115.121.1.41"),
        attr("2.5.4.13", "'description'", "EQUALITY caseIgnoreMatch " + ds),
        attr("0.9.2342.19200300.100.1.1", "( 'uid' 'userid' )", "EQUALITY caseIgnoreMatch " + ds),
        attr("2.16.840.1.113730.3.1.1", "'carLicense'", "EQUALITY caseIgnoreMatch " + ds),
        attr("2.25.77.1", "'badgeCode'", "EQUALITY caseExactMatch " + ds),
        attr("2.16.840.1.113730.3.1.3", "'employeeNumber'",
             "EQUALITY caseIgnoreMatch " + ds + " SINGLE-VALUE"),
        attr("0.9.2342.19200300.100.1.60", "'jpegPhoto'", "SYNTAX 1.3.6.1.4.1.1466.115.121.1.28"),
    };
    v.objectClasses = {
        "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
        "( 2.5.6.4 NAME 'organization' SUP top STRUCTURAL MUST o MAY ( description $ "
        "telephoneNumber $ postalAddress ) )",
        "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou MAY description )",
        "( 0.9.2342.19200300.100.4.13 NAME 'domain' SUP top STRUCTURAL MUST dc MAY "
        "( o $ description ) )",
        "( 1.3.6.1.4.1.1466.344 NAME 'dcObject' SUP top AUXILIARY MUST dc )",
        "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) MAY ( telephoneNumber $ "
        "description ) )",
        "( 2.5.6.7 NAME 'organizationalPerson' SUP person STRUCTURAL MAY ( telephoneNumber $ "
        "postalAddress $ ou ) )",
        "( 2.16.840.1.113730.3.2.2 NAME 'inetOrgPerson' SUP organizationalPerson STRUCTURAL "
        "MAY ( givenName $ uid $ carLicense $ employeeNumber $ jpegPhoto $ telephoneNumber ) )",
        "( 2.25.77.2 NAME 'badgeHolder' SUP top STRUCTURAL MUST ( badgeCode $ cn ) )",
    };
    return v;
}

Schema build(const serverschema::SubschemaValues& values, const Schema* hints = nullptr) {
    Schema schema;
    std::string error;
    EXPECT_TRUE(serverschema::build(values, hints, schema, &error)) << error;
    return schema;
}

} // namespace

TEST(StandardSchema, DirectoryNamesComeFromTheTableAndTheLdapNameOtherwise) {
    const Schema s = build(stockValues());
    const std::pair<const char*, const char*> attributes[] = {
        {"cn", "CN"},
        {"sn", "Surname"},
        {"givenName", "Given Name"},
        {"ou", "OU"},
        {"uid", "Unique ID"},
        {"carLicense", "carLicense"},
        {"dc", "dc"},
        {"postalAddress", "Postal Address"},
    };
    for (const auto& [ldap, name] : attributes) {
        const AttributeDefinition* a = s.findAttributeByLdapName(ldap);
        ASSERT_NE(a, nullptr) << ldap;
        EXPECT_EQ(a->name, name) << ldap;
    }
    const std::pair<const char*, const char*> classes[] = {
        {"inetOrgPerson", "User"},      {"organizationalUnit", "Organizational Unit"},
        {"person", "Person"},           {"domain", "domain"},
        {"badgeHolder", "badgeHolder"},
    };
    for (const auto& [ldap, name] : classes) {
        const ClassDefinition* c = s.findClassByLdapName(ldap);
        ASSERT_NE(c, nullptr) << ldap;
        EXPECT_EQ(c->name, name) << ldap;
    }
    // The table's bounds; sizes the server does not know are not invented.
    EXPECT_TRUE(s.findAttribute("CN")->flags & DS_SIZED_ATTR);
    EXPECT_EQ(s.findAttribute("CN")->upper, 64u);
    EXPECT_FALSE(s.findAttribute("carLicense")->flags & DS_SIZED_ATTR);
}

TEST(StandardSchema, SyntaxesSingleValuesAndEffectiveClassesAreTheServers) {
    const Schema s = build(stockValues());
    EXPECT_EQ(s.findAttribute("Telephone Number")->syntax, SYN_TEL_NUMBER);
    EXPECT_EQ(s.findAttribute("Postal Address")->syntax, SYN_PO_ADDRESS);
    EXPECT_EQ(s.findAttribute("dc")->syntax, SYN_CI_STRING);
    EXPECT_EQ(s.findAttribute("badgeCode")->syntax, SYN_CE_STRING); // case-exact equality
    EXPECT_EQ(s.findAttribute("jpegPhoto")->syntax, SYN_OCTET_STRING);
    EXPECT_TRUE(s.findAttribute("employeeNumber")->flags & DS_SINGLE_VALUED_ATTR);
    EXPECT_TRUE(s.findAttribute("Surname")->flags & DS_STRING_ATTR);
    // Person is abstract in the demo's schema; a server that makes it structural has the say.
    for (const char* effective : {"Person", "Organizational Person", "User", "badgeHolder"})
        EXPECT_TRUE(s.findClass(effective)->flags & DS_EFFECTIVE_CLASS) << effective;
    EXPECT_FALSE(s.findClass("dcObject")->flags & DS_EFFECTIVE_CLASS);
    EXPECT_FALSE(s.findClass("Top")->flags & DS_EFFECTIVE_CLASS);
}

TEST(StandardSchema, ContainersContainmentAndNamingSuitADomainTree) {
    const Schema s = build(stockValues());
    for (const char* container : {"domain", "dcObject", "Organization", "Organizational Unit"})
        EXPECT_TRUE(s.findClass(container)->flags & DS_CONTAINER_CLASS) << container;
    EXPECT_FALSE(s.findClass("User")->flags & DS_CONTAINER_CLASS);
    // Units go below domains; containment names only classes the server has (no locality,
    // no country, no nsContainer here).
    const auto& unitIn =
        s.effectiveList(*s.findClass("Organizational Unit"), ClassDefinition::Containment);
    EXPECT_EQ(unitIn, (std::vector<std::string>{"Organization", "Organizational Unit", "domain",
                                                "dcObject"}));
    EXPECT_EQ(s.effectiveList(*s.findClass("User"), ClassDefinition::Naming),
              (std::vector<std::string>{"CN", "Unique ID"}));
    EXPECT_EQ(s.effectiveList(*s.findClass("domain"), ClassDefinition::Naming),
              (std::vector<std::string>{"dc"}));
    // A class the table does not know is named by its first mandatory naming attribute.
    EXPECT_EQ(s.effectiveList(*s.findClass("badgeHolder"), ClassDefinition::Naming),
              (std::vector<std::string>{"CN"}));
}

TEST(StandardSchema, AChainListsEachAttributeOnce) {
    const Schema s = build(stockValues());
    std::multiset<std::string> seen;
    for (const ClassDefinition* c : s.lineage(*s.findClass("User"))) {
        for (auto list : {ClassDefinition::Mandatory, ClassDefinition::Optional}) {
            for (const auto& a : c->lists[list])
                seen.insert(a);
        }
    }
    for (const auto& a : seen)
        EXPECT_EQ(seen.count(a), 1u) << a;
    EXPECT_EQ(seen.count("Telephone Number"), 1u);
    EXPECT_EQ(seen.count("Given Name"), 1u);
}

TEST(StandardSchema, HintsThatNameWhatTheServerLacksAreSkipped) {
    Schema hints;
    std::string error;
    ASSERT_TRUE(schemafile::load(
        "ldapsyntax ( 9.1 DESC 'Case Ignore String' X-NDS-ID '3' )\n\n"
        "objectclass ( 9.3.1 NAME 'treeRoot' X-NDS-NAME 'Tree Root' STRUCTURAL "
        "X-NDS-FLAGS ( 'CONTAINER' 'EFFECTIVE' ) )\n\n"
        "objectclass ( 0.9.2342.19200300.100.4.13 NAME 'domain' X-NDS-NAME 'Domain' "
        "STRUCTURAL X-NDS-FLAGS ( 'CONTAINER' 'EFFECTIVE' ) )\n\n"
        "objectclass ( 2.5.6.4 NAME 'organization' X-NDS-NAME 'Company' STRUCTURAL "
        "X-NDS-CONTAINMENT ( 'treeRoot' 'domain' ) X-NDS-FLAGS ( 'CONTAINER' 'EFFECTIVE' ) )\n",
        "hints", hints, &error))
        << error;
    testing::internal::CaptureStderr();
    const Schema s = build(stockValues(), &hints);
    const std::string said = testing::internal::GetCapturedStderr();
    const ClassDefinition* company = s.findClass("Company");
    ASSERT_NE(company, nullptr);
    EXPECT_EQ(company->lists[ClassDefinition::Containment], (std::vector<std::string>{"Domain"}));
    EXPECT_EQ(s.findClass("Tree Root"), nullptr);
    EXPECT_NE(said.find("treeRoot"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(StandardSchema, TheTableNamesEachDefinitionOnce) {
    // Aliases of one attribute share its name; two different definitions never do.
    std::set<std::string> classNames;
    for (std::size_t i = 0; i < standardnames::classCount(); ++i)
        EXPECT_TRUE(classNames.insert(std::string(standardnames::classAt(i).name)).second)
            << standardnames::classAt(i).name;
    for (std::size_t i = 0; i < standardnames::attributeCount(); ++i) {
        const auto& a = standardnames::attributeAt(i);
        EXPECT_EQ(standardnames::attribute(a.ldapName)->name, a.name);
    }
}
