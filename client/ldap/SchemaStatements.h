#pragma once

#include <string>
#include <string_view>
#include <vector>

// Definitions in the form of RFC 4512 ("( oid NAME 'x' SUP y ... )"), as a server's subschema
// entry and the schema files write them, kept field by field so that fields can be looked up,
// added or dropped and the definition written out again.
namespace schemastatements {

struct Field {
    std::string key;                 // "NAME", "SUP", "X-NDS-FLAGS", "SINGLE-VALUE", ...
    std::vector<std::string> values; // unquoted; empty for a flag keyword
    std::string text;                // the value as written ("'a'", "( a $ b )"); empty for a flag
};

struct Definition {
    std::string keyword; // "attributetype", "objectclass", "ldapsyntax" (lower case)
    std::string oid;
    std::vector<Field> fields;

    const Field* find(std::string_view key) const;
    bool has(std::string_view key) const { return find(key) != nullptr; }
    // The first value of a field, or "".
    std::string first(std::string_view key) const;
    const std::vector<std::string>& values(std::string_view key) const;
    void remove(std::string_view key);
    // Adds or replaces a field with one quoted value, or with a quoted list when several.
    void setQuoted(std::string_view key, const std::vector<std::string>& values);
    void setFlag(std::string_view key);
    // "( oid FIELD ... )"
    std::string text() const;
};

// One description as a subschema value carries it; false when malformed.
bool parseDescription(std::string_view keyword, std::string_view text, Definition& out);
// A schema file: "attributetype (...)", "objectclass (...)", "ldapsyntax (...)" statements with
// "#" comments; false with a message naming the line when malformed.
bool parseFile(std::string_view text, std::vector<Definition>& out, std::string* error);
// The statement a schema file would hold: keyword, a blank and the description.
std::string statementText(const Definition& def);
// Quotes a value for a description ("'" and "\" escaped).
std::string quote(std::string_view value);

} // namespace schemastatements
