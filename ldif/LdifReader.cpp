#include "LdifReader.h"

#include "Base64.h"

#include <cctype>

namespace ldif {
namespace {

// One line with its continuations joined, numbered by its first line in the file.
struct Line {
    std::string text;
    int number = 0;
};

bool sameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// Unfolds the text into logical lines; comments are dropped, an empty line stays (it ends a
// record).
std::vector<Line> logicalLines(std::string_view text) {
    std::vector<Line> lines;
    bool inComment = false;
    int number = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        ++number;
        pos = end + 1;
        const bool continues = !raw.empty() && raw.front() == ' ';
        if (continues && inComment)
            continue;
        if (continues && !lines.empty() && !lines.back().text.empty()) {
            lines.back().text.append(raw.substr(1));
            continue;
        }
        inComment = !raw.empty() && raw.front() == '#';
        if (!inComment)
            lines.push_back({std::string(raw), number});
    }
    return lines;
}

class Reader {
public:
    Reader(const ReadOptions& options, std::string* error) : options_(options), error_(error) {}

    bool fail(int line, const std::string& what) {
        if (error_ != nullptr)
            *error_ = options_.fileName + ":" + std::to_string(line) + ": " + what;
        return false;
    }

    // "name: value", "name:: base64" or "name:< URL".
    bool split(const Line& l, std::string& name, std::string& value) {
        const auto colon = l.text.find(':');
        if (colon == std::string::npos || colon == 0)
            return fail(l.number, "expected \"name: value\"");
        name = l.text.substr(0, colon);
        if (auto semi = name.find(';'); semi != std::string::npos)
            name.resize(semi);
        std::string_view rest = std::string_view(l.text).substr(colon + 1);
        if (!rest.empty() && rest.front() == ':') {
            auto decoded = base64::decode(rest.substr(1));
            if (!decoded)
                return fail(l.number, "bad base64 value of " + name);
            value = std::move(*decoded);
            return true;
        }
        if (!rest.empty() && rest.front() == '<') {
            rest.remove_prefix(1);
            while (!rest.empty() && rest.front() == ' ')
                rest.remove_prefix(1);
            if (!options_.readUrl)
                return fail(l.number, "the value of " + name + " names a file, which is not read");
            std::string why;
            if (!options_.readUrl(name, rest, value, why))
                return fail(l.number, why);
            return true;
        }
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
        value.assign(rest);
        return true;
    }

    // The lines of one record, from its "dn:" line on.
    bool record(const std::vector<Line>& lines, Record& out) {
        std::string name, value;
        std::size_t at = 0;
        if (!split(lines[at], name, value))
            return false;
        if (!sameWord(name, "dn"))
            return fail(lines[at].number, "a record starts with dn:");
        out.dn = std::move(value);
        out.line = lines[at].number;
        ++at;
        if (at < lines.size()) {
            if (!split(lines[at], name, value))
                return false;
            if (sameWord(name, "control"))
                return fail(lines[at].number, "controls are not read");
            if (sameWord(name, "changetype")) {
                out.changeLine = lines[at].number;
                if (sameWord(value, "add"))
                    out.change = ChangeType::Add;
                else if (sameWord(value, "delete"))
                    out.change = ChangeType::Delete;
                else if (sameWord(value, "modify"))
                    out.change = ChangeType::Modify;
                else if (sameWord(value, "modrdn") || sameWord(value, "moddn"))
                    out.change = ChangeType::ModRdn;
                else
                    return fail(lines[at].number, "unknown changetype: " + value);
                ++at;
            }
        }
        switch (out.change) {
        case ChangeType::Content:
        case ChangeType::Add:
            return attributes(lines, at, out);
        case ChangeType::Delete:
            if (at < lines.size())
                return fail(lines[at].number, "a delete record holds nothing after its changetype");
            return true;
        case ChangeType::Modify:
            return modifications(lines, at, out);
        case ChangeType::ModRdn:
            return rename(lines, at, out);
        }
        return true;
    }

private:
    bool attributes(const std::vector<Line>& lines, std::size_t at, Record& out) {
        for (; at < lines.size(); ++at) {
            Attribute a;
            if (!split(lines[at], a.name, a.value))
                return false;
            if (sameWord(a.name, "changetype") || sameWord(a.name, "dn"))
                return fail(lines[at].number, a.name + ": belongs before the attributes");
            a.line = lines[at].number;
            out.attributes.push_back(std::move(a));
        }
        return true;
    }

    bool modifications(const std::vector<Line>& lines, std::size_t at, Record& out) {
        while (at < lines.size()) {
            Modification m;
            std::string op;
            if (!split(lines[at], op, m.attribute))
                return false;
            m.line = lines[at].number;
            if (sameWord(op, "add"))
                m.op = Modification::Op::Add;
            else if (sameWord(op, "delete"))
                m.op = Modification::Op::Delete;
            else if (sameWord(op, "replace"))
                m.op = Modification::Op::Replace;
            else
                return fail(m.line, "expected add:, delete: or replace: in a modify record");
            if (auto semi = m.attribute.find(';'); semi != std::string::npos)
                m.attribute.resize(semi);
            if (m.attribute.empty())
                return fail(m.line, op + ": names no attribute");
            for (++at;; ++at) {
                if (at == lines.size())
                    return fail(lines[at - 1].number,
                                "the change of " + m.attribute + " does not end with a \"-\" line");
                if (lines[at].text == "-")
                    break;
                Attribute a;
                if (!split(lines[at], a.name, a.value))
                    return false;
                if (!sameWord(a.name, m.attribute))
                    return fail(lines[at].number, "a value of " + a.name + " inside the " + op +
                                                      ": of " + m.attribute);
                a.line = lines[at].number;
                m.values.push_back(std::move(a));
            }
            if (m.op == Modification::Op::Add && m.values.empty())
                return fail(m.line, "add: of " + m.attribute + " gives no value");
            out.modifications.push_back(std::move(m));
            ++at; // past "-"
        }
        return true;
    }

    // The line at `at` as "<word>: value"; false with `missing` when it is absent or another.
    bool keyword(const std::vector<Line>& lines, std::size_t at, std::string_view word,
                 const std::string& missing, std::string& value) {
        if (at == lines.size())
            return fail(lines[at - 1].number, missing);
        std::string name;
        if (!split(lines[at], name, value))
            return false;
        if (!sameWord(name, word))
            return fail(lines[at].number, missing);
        return true;
    }

    bool rename(const std::vector<Line>& lines, std::size_t at, Record& out) {
        std::string value;
        if (!keyword(lines, at, "newrdn", "expected newrdn: after changetype: modrdn", out.newRdn))
            return false;
        ++at;
        if (!keyword(lines, at, "deleteoldrdn", "expected deleteoldrdn: after newrdn:", value))
            return false;
        if (value != "0" && value != "1")
            return fail(lines[at].number, "deleteoldrdn: is 0 or 1");
        out.deleteOldRdn = value == "1";
        ++at;
        if (at < lines.size()) {
            if (!keyword(lines, at, "newsuperior", "expected newsuperior: or the end of the record",
                         value))
                return false;
            out.newSuperior = std::move(value);
            ++at;
        }
        if (at < lines.size())
            return fail(lines[at].number, "a modrdn record ends after newsuperior:");
        return true;
    }

    const ReadOptions& options_;
    std::string* error_;
};

} // namespace

std::string_view changeTypeName(ChangeType type) {
    switch (type) {
    case ChangeType::Content:
        return "";
    case ChangeType::Add:
        return "add";
    case ChangeType::Delete:
        return "delete";
    case ChangeType::Modify:
        return "modify";
    case ChangeType::ModRdn:
        return "modrdn";
    }
    return "";
}

bool read(std::string_view text, const ReadOptions& options, std::vector<Record>& out,
          std::string* error) {
    const std::vector<Line> lines = logicalLines(text);
    Reader reader(options, error);
    std::vector<Record> records;
    std::vector<Line> current;
    bool first = true;
    auto flush = [&]() {
        if (current.empty())
            return true;
        Record r;
        if (!reader.record(current, r))
            return false;
        records.push_back(std::move(r));
        current.clear();
        return true;
    };
    for (const Line& l : lines) {
        if (l.text.empty()) {
            if (!flush())
                return false;
            continue;
        }
        // "version: 1" may come first, before any record.
        if (first && current.empty() && records.empty() &&
            sameWord(l.text.substr(0, 8), "version:")) {
            first = false;
            std::string_view v = std::string_view(l.text).substr(8);
            while (!v.empty() && v.front() == ' ')
                v.remove_prefix(1);
            if (v != "1")
                return reader.fail(l.number, "version 1 is the only one read");
            continue;
        }
        first = false;
        current.push_back(l);
    }
    if (!flush())
        return false;
    for (auto& r : records)
        out.push_back(std::move(r));
    return true;
}

} // namespace ldif
