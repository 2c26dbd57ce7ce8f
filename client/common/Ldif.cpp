#include "Ldif.h"

#include "TextFile.h"
#include "client/common/Base64.h"

namespace ldif {
bool parse(std::string_view text, const Source& source, std::vector<Record>& out,
           std::string* error) {
    return parse(
        text, source,
        [&out](Record& record) {
            out.push_back(std::move(record));
            return true;
        },
        error);
}

Reader::Reader(Source source, RecordHandler each, std::string* error)
    : source_(std::move(source)), each_(std::move(each)), error_(error) {}

bool Reader::fail(int line, const std::string& what) {
    if (error_ != nullptr)
        *error_ = source_.fileName + ":" + std::to_string(line) + ": " + what;
    return false;
}

bool Reader::flush() {
    if (!inRecord_)
        return true;
    inRecord_ = false;
    const bool taken = each_(current_);
    current_ = Record{};
    return taken;
}

bool Reader::take(const std::string& line, int number) {
    if (line.empty())
        return flush();
    const auto colon = line.find(':');
    if (colon == std::string::npos || colon == 0)
        return fail(number, "expected \"name: value\"");
    std::string name = line.substr(0, colon);
    if (auto semi = name.find(';'); semi != std::string::npos)
        name.resize(semi);
    std::string_view rest = std::string_view(line).substr(colon + 1);
    std::string value;
    if (!rest.empty() && rest.front() == ':') {
        auto decoded = base64::decode(rest.substr(1));
        if (!decoded)
            return fail(number, "bad base64 value of " + name);
        value = std::move(*decoded);
    } else if (!rest.empty() && rest.front() == '<') {
        rest.remove_prefix(1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        std::string path;
        if (rest.starts_with("file://"))
            path = std::string(rest.substr(7));
        else if (rest.starts_with("file:"))
            path = source_.folder + "/" + std::string(rest.substr(5));
        else
            return fail(number, "only file: URLs are read");
        std::string why;
        if (!readDataFile(source_.dataRoot, path, value, why))
            return fail(number, "the file " + path + " of " + name + " " + why);
    } else {
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        value.assign(rest);
    }
    if (!inRecord_) {
        if (name == "version")
            return true;
        if (name != "dn")
            return fail(number, "a record starts with dn:");
        current_.dn = std::move(value);
        current_.line = number;
        inRecord_ = true;
        return true;
    }
    if (name == "changetype") {
        if (value != "add")
            return fail(number, "only changetype: add is read");
        return true;
    }
    current_.attributes.push_back({std::move(name), std::move(value), number});
    return true;
}

// Lines starting with one blank continue the logical line before them; comments are passed
// over.
bool Reader::line(std::string_view raw) {
    if (!raw.empty() && raw.back() == '\r')
        raw.remove_suffix(1);
    ++number_;
    if (!raw.empty() && raw.front() == ' ' && haveLogical_ && !logical_.empty()) {
        logical_.append(raw.substr(1));
    } else if (!raw.empty() && raw.front() == '#') {
        // comment
    } else {
        if (haveLogical_ && !take(logical_, logicalNumber_))
            return false;
        logical_.assign(raw);
        logicalNumber_ = number_;
        haveLogical_ = true;
    }
    return true;
}

bool Reader::feed(std::string_view chunk) {
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = chunk.find('\n', pos);
        if (end == std::string_view::npos) {
            partial_.append(chunk.substr(pos));
            return true;
        }
        bool read = false;
        if (partial_.empty()) {
            read = line(chunk.substr(pos, end - pos));
        } else {
            partial_.append(chunk.substr(pos, end - pos));
            read = line(partial_);
            partial_.clear();
        }
        if (!read)
            return false;
        pos = end + 1;
    }
}

bool Reader::finish() {
    if (!line(partial_))
        return false;
    partial_.clear();
    if (haveLogical_ && !take(logical_, logicalNumber_))
        return false;
    haveLogical_ = false;
    return flush();
}

bool parse(std::string_view text, const Source& source, const RecordHandler& each,
           std::string* error) {
    Reader reader(source, each, error);
    return reader.feed(text) && reader.finish();
}

} // namespace ldif
