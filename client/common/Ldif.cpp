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

bool parse(std::string_view text, const Source& source, const RecordHandler& each,
           std::string* error) {
    auto fail = [&](int line, const std::string& what) {
        if (error != nullptr)
            *error = source.fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    };
    Record current;
    bool inRecord = false;
    auto flush = [&]() {
        if (!inRecord)
            return true;
        inRecord = false;
        const bool taken = each(current);
        current = Record{};
        return taken;
    };
    // One logical line: an empty one ends a record.
    auto take = [&](const std::string& line, int number) {
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
                path = source.folder + "/" + std::string(rest.substr(5));
            else
                return fail(number, "only file: URLs are read");
            std::string why;
            if (!readDataFile(source.dataRoot, path, value, why))
                return fail(number, "the file " + path + " of " + name + " " + why);
        } else {
            while (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
            value.assign(rest);
        }
        if (!inRecord) {
            if (name == "version")
                return true;
            if (name != "dn")
                return fail(number, "a record starts with dn:");
            current.dn = std::move(value);
            current.line = number;
            inRecord = true;
            return true;
        }
        if (name == "changetype") {
            if (value != "add")
                return fail(number, "only changetype: add is read");
            return true;
        }
        current.attributes.push_back({std::move(name), std::move(value), number});
        return true;
    };

    // Lines starting with one blank continue the logical line before them; comments are
    // passed over.
    std::string logical;
    int logicalNumber = 0;
    bool haveLogical = false;
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
        if (!raw.empty() && raw.front() == ' ' && haveLogical && !logical.empty()) {
            logical.append(raw.substr(1));
        } else if (!raw.empty() && raw.front() == '#') {
            // comment
        } else {
            if (haveLogical && !take(logical, logicalNumber))
                return false;
            logical.assign(raw);
            logicalNumber = number;
            haveLogical = true;
        }
        if (end == text.size())
            break;
        pos = end + 1;
    }
    if (haveLogical && !take(logical, logicalNumber))
        return false;
    return flush();
}

} // namespace ldif
