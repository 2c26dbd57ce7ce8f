#pragma once

#include "ldif/LdifReader.h"
#include "ldif/LdifRecord.h"

#include <functional>
#include <memory>
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

// The same over a data file read a block at a time: feed each piece in order, then finish;
// each record goes to `each` as soon as it is read, so that a file of a million objects is
// never held whole, as text or as records. Stops at the first fault, or when `each` returns
// false (having said why).
class DataFileReader {
public:
    DataFileReader(const Source& source, std::function<bool(Record&)> each, std::string* error);
    ~DataFileReader();
    bool feed(std::string_view piece);
    bool finish();

private:
    std::unique_ptr<RecordReader> reader_;
};

} // namespace ldif
