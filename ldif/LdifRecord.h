#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One record of an LDIF file (RFC 2849) as read or to be written: a content record, or a
// change record (add, delete, modify, modrdn/moddn). Names and values are the file's own
// text, base64 and folding undone; line numbers are those of the file.
namespace ldif {

struct Attribute {
    std::string name; // options (";binary", ";lang-de") left off
    std::string value;
    int line = 0; // where the value starts
};

enum class ChangeType : std::uint8_t { Content, Add, Delete, Modify, ModRdn };

struct Modification {
    enum class Op : std::uint8_t { Add, Delete, Replace };
    Op op = Op::Add;
    std::string attribute;
    std::vector<Attribute> values; // none: the whole attribute (delete, replace)
    int line = 0;                  // of the "add:", "delete:" or "replace:" line
};

struct Record {
    std::string dn;
    int line = 0; // of the "dn:" line
    ChangeType change = ChangeType::Content;
    int changeLine = 0; // of the "changetype:" line (0 for a content record)
    // Content and add records.
    std::vector<Attribute> attributes;
    // Modify records, in the file's order.
    std::vector<Modification> modifications;
    // Modrdn and moddn records.
    std::string newRdn;
    bool deleteOldRdn = false;
    std::optional<std::string> newSuperior;
};

} // namespace ldif
