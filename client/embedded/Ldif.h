#pragma once

#include <string>
#include <string_view>
#include <vector>

// Content records of LDIF (RFC 2849): "dn:" then "name: value" lines; "::" introduces a
// base64 value and ":<" a file URL ("file:streams/x.txt" is taken relative to the LDIF's own
// folder, "file:///..." is absolute). Lines starting with one blank continue the line
// before; "#" lines are comments; attribute options (";binary") are dropped.
namespace ldif {

struct Attribute {
    std::string name;
    std::string value;
};

struct Record {
    std::string dn;
    int line = 0;
    std::vector<Attribute> attributes;
};

// false with a message naming the line on malformed input or an unreadable file.
bool parse(std::string_view text, const std::string& baseDir, std::vector<Record>& out,
           std::string* error);

} // namespace ldif
