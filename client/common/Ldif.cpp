#include "Ldif.h"

#include "TextFile.h"
#include "client/common/Base64.h"

namespace ldif {
namespace {

struct Line {
    std::string text;
    int number;
};

} // namespace

bool parse(std::string_view text, const Source& source, std::vector<Record>& out,
           std::string* error) {
    // Unfold into logical lines; an empty logical line ends a record.
    std::vector<Line> lines;
    int number = 0;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        ++number;
        if (!raw.empty() && raw.front() == ' ' && !lines.empty() && !lines.back().text.empty()) {
            lines.back().text.append(raw.substr(1));
        } else if (!raw.empty() && raw.front() == '#') {
            // comment
        } else {
            lines.push_back({std::string(raw), number});
        }
        if (end == text.size())
            break;
        pos = end + 1;
    }

    auto fail = [&](int line, const std::string& what) {
        if (error != nullptr)
            *error = source.fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    };
    Record current;
    bool inRecord = false;
    auto flush = [&]() {
        if (inRecord)
            out.push_back(std::move(current));
        current = Record{};
        inRecord = false;
    };
    for (const auto& l : lines) {
        if (l.text.empty()) {
            flush();
            continue;
        }
        const auto colon = l.text.find(':');
        if (colon == std::string::npos || colon == 0)
            return fail(l.number, "expected \"name: value\"");
        std::string name = l.text.substr(0, colon);
        if (auto semi = name.find(';'); semi != std::string::npos)
            name.resize(semi);
        std::string_view rest = std::string_view(l.text).substr(colon + 1);
        std::string value;
        if (!rest.empty() && rest.front() == ':') {
            auto decoded = base64::decode(rest.substr(1));
            if (!decoded)
                return fail(l.number, "bad base64 value of " + name);
            value = std::move(*decoded);
        } else if (!rest.empty() && rest.front() == '<') {
            rest.remove_prefix(1);
            while (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
            std::string path;
            if (rest.starts_with("file://"))
                path = std::string(rest.substr(7));
            else if (rest.starts_with("file:"))
                path = source.folder + "/" + std::string(rest.substr(5));
            else
                return fail(l.number, "only file: URLs are read");
            std::string why;
            if (!readDataFile(source.dataRoot, path, value, why))
                return fail(l.number, "the file " + path + " of " + name + " " + why);
        } else {
            while (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
            value.assign(rest);
        }
        if (!inRecord) {
            if (name == "version")
                continue;
            if (name != "dn")
                return fail(l.number, "a record starts with dn:");
            current.dn = std::move(value);
            current.line = l.number;
            inRecord = true;
            continue;
        }
        if (name == "changetype") {
            if (value != "add")
                return fail(l.number, "only changetype: add is read");
            continue;
        }
        current.attributes.push_back({std::move(name), std::move(value), l.number});
    }
    flush();
    return true;
}

} // namespace ldif
