#pragma once

#include "directory/Records.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One attribute definition: the directory's name, the LDAP name the same attribute has on an
// LDAP server, and the fields of the attribute information record.
struct AttributeDefinition {
    std::string name;     // "Telephone Number"
    std::string ldapName; // "telephoneNumber"
    std::string oid;
    std::uint32_t flags = 0;
    std::uint32_t syntax = 0;
    std::uint32_t lower = 0;
    std::uint32_t upper = 0;
    bool base = false; // loaded with the schema files: never removed
};

// One class definition, with its own (not inherited) item lists, by directory names.
struct ClassDefinition {
    enum List { SuperClasses, Containment, Naming, Mandatory, Optional };
    std::string name;
    std::string ldapName;
    std::string oid;
    std::uint32_t flags = 0;
    std::array<std::vector<std::string>, 5> lists;
    bool base = false; // loaded with the schema files: never removed
};

struct SyntaxDefinition {
    std::uint32_t id = 0;
    std::string name;    // "Case Ignore String"
    std::string ldapOid; // the LDAP syntax an LDAP server uses for it
    std::uint16_t flags = 0;
};

// Matching and form properties of a syntax (the flags of a syntax definition).
enum SyntaxFlag : std::uint16_t {
    SYNTAX_STRING = 0x0001,
    SYNTAX_SINGLE_VALUED = 0x0002,
    SYNTAX_ORDERED = 0x0004,
    SYNTAX_EQUALITY = 0x0008,
    SYNTAX_IGNORE_CASE = 0x0010,
    SYNTAX_IGNORE_SPACE = 0x0020,
    SYNTAX_IGNORE_DASH = 0x0040,
    SYNTAX_DIGITS_ONLY = 0x0080,
    SYNTAX_PRINTABLE_ONLY = 0x0100,
    SYNTAX_SIZEABLE = 0x0200,
    SYNTAX_BITWISE_EQUAL = 0x0400,
};

// The schema of one tree. Definitions keep their addresses for the life of the schema, so
// objects refer to their class and attributes by pointer. Names compare without case.
class Schema {
public:
    const ClassDefinition* findClass(std::string_view name) const;
    const ClassDefinition* findClassByLdapName(std::string_view ldapName) const;
    const AttributeDefinition* findAttribute(std::string_view name) const;
    const AttributeDefinition* findAttributeByLdapName(std::string_view ldapName) const;
    const SyntaxDefinition* findSyntax(std::uint32_t id) const;
    const SyntaxDefinition* findSyntax(std::string_view name) const;

    // Adds a definition; false when the name (or LDAP name) is taken.
    bool addClass(ClassDefinition def);
    bool addAttribute(AttributeDefinition def);
    bool addSyntax(SyntaxDefinition def);

    // In definition order.
    const std::vector<std::unique_ptr<ClassDefinition>>& classes() const { return classes_; }
    const std::vector<std::unique_ptr<AttributeDefinition>>& attributes() const {
        return attributes_;
    }
    const std::map<std::uint32_t, SyntaxDefinition>& syntaxes() const { return syntaxes_; }

    // The class and every super class above it, the class first, each once.
    std::vector<const ClassDefinition*> lineage(const ClassDefinition& cls) const;
    bool isA(const ClassDefinition& cls, std::string_view ancestor) const;
    // The containment and naming lists that apply: the class's own, or those inherited from
    // its first super class that has them.
    const std::vector<std::string>& effectiveList(const ClassDefinition& cls,
                                                  ClassDefinition::List list) const;

    // ---- Changes after loading (the rules are the directory's, DirectoryModel) ----
    // Marks every definition held now as a base definition.
    void markAllBase();
    ClassDefinition* findClassToChange(std::string_view name);
    // Forget a definition; false when there is none of that name.
    bool removeClass(std::string_view name);
    bool removeAttribute(std::string_view name);

    // The 36-byte ASN.1 identifier field: the BER encoding of the OID's content octets.
    static Asn1_ID_T asn1Of(std::string_view oid);

private:
    std::vector<std::unique_ptr<ClassDefinition>> classes_;
    std::vector<std::unique_ptr<AttributeDefinition>> attributes_;
    std::unordered_map<std::string, ClassDefinition*> classByName_, classByLdap_;
    std::unordered_map<std::string, AttributeDefinition*> attrByName_, attrByLdap_;
    std::map<std::uint32_t, SyntaxDefinition> syntaxes_;
};
