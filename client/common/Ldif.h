#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Content records of LDIF (RFC 2849): "dn:" then "name: value" lines; "::" introduces a
// base64 value and ":<" a file URL ("file:streams/x.txt" is taken relative to the LDIF's own
// folder, "file:///..." is absolute), which must name a regular file inside the data folder
// of at most 16 MiB. Lines starting with one blank continue the line before; "#" lines are
// comments; attribute options (";binary") are dropped.
namespace ldif {

struct Attribute {
    std::string name;
    std::string value;
    int line = 0; // where the value starts
};

struct Record {
    std::string dn;
    int line = 0;
    std::vector<Attribute> attributes;
};

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

// The same, handing each record over as soon as it is read, so that a large file is never
// held as records all at once. Parsing stops when `each` returns false (having said why).
using RecordHandler = std::function<bool(Record& record)>;
bool parse(std::string_view text, const Source& source, const RecordHandler& each,
           std::string* error);

// The same over text that arrives in pieces (a file read a block at a time): feed each piece
// in order, then finish. Lines may be split anywhere between pieces.
class Reader {
public:
    Reader(Source source, RecordHandler each, std::string* error);
    bool feed(std::string_view chunk);
    bool finish();

private:
    bool line(std::string_view raw);
    bool take(const std::string& line, int number);
    bool flush();
    bool fail(int line, const std::string& what);

    Source source_;
    RecordHandler each_;
    std::string* error_;
    Record current_;
    bool inRecord_ = false;
    std::string logical_; // the logical line being continued
    int logicalNumber_ = 0;
    bool haveLogical_ = false;
    int number_ = 0;
    std::string partial_; // a line the last piece ended inside
};

} // namespace ldif
