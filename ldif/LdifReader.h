#pragma once

#include "LdifRecord.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Reading LDIF (RFC 2849): an optional "version: 1", then records separated by blank lines,
// each a content record or a change record. Lines starting with one blank continue the line
// before; "#" lines (and their continuations) are comments; "::" introduces a base64 value,
// ":<" a URL. Attribute options are left off. Controls are refused.
namespace ldif {

// Reads the value a ":<" line names, `url` as written; false with the reason, which the
// message gives after "<file>:<line>: ".
using UrlReader = std::function<bool(std::string_view attribute, std::string_view url,
                                     std::string& value, std::string& why)>;

struct ReadOptions {
    std::string fileName; // as messages name the file
    UrlReader readUrl;    // none: a ":<" value is refused
};

using RecordHandler = std::function<bool(Record& record)>;

// The same reading over text that arrives in pieces (a file read a block at a time): feed
// each piece in order, then finish; each record goes to `each` as soon as it is read, so a
// large file is never held as records all at once. Reading stops at the first fault, or
// when `each` returns false (having said why).
class RecordReader {
public:
    RecordReader(ReadOptions options, RecordHandler each, std::string* error);
    ~RecordReader();
    bool feed(std::string_view piece);
    bool finish();

private:
    struct State;
    bool line(std::string_view raw);
    bool logical(std::string text, int number);
    bool flush();

    ReadOptions options_;
    RecordHandler each_;
    std::unique_ptr<State> state_;
};

// Every record of `text`, or false with "<fileName>:<line>: <what is wrong>" for the first
// fault (and `out` as it was): the whole text is read before anything is taken from it.
bool read(std::string_view text, const ReadOptions& options, std::vector<Record>& out,
          std::string* error);

// The keyword of a change type as files write it ("modrdn" for ChangeType::ModRdn, "" for a
// content record).
std::string_view changeTypeName(ChangeType type);

} // namespace ldif
