#pragma once

#include "ldif/LdifRecord.h"

#include <string>
#include <string_view>
#include <vector>

// The content records of a data folder's LDIF (RFC 2849, read by ldif/LdifReader.h): "dn:"
// then "name: value" lines, "changetype: add" allowed and no other change. A ":<" value is a
// file URL ("file:streams/x.txt" is taken relative to the LDIF's own folder, "file:///..." is
// absolute), which must name a regular file inside the data folder of at most 16 MiB.
namespace ldif {

// Where the text comes from: its name in messages, its folder (file references are taken
// relative to it) and the data folder that every file reference must stay inside.
struct Source {
    std::string fileName;
    std::string folder;
    std::string dataRoot;
};

// false with "<fileName>:<line>: <reason>" on malformed input or a refused file reference.
bool parse(std::string_view text, const Source& source, std::vector<Record>& out,
           std::string* error);

} // namespace ldif
