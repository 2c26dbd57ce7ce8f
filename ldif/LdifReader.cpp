#include "LdifReader.h"

#include "Base64.h"

#include <cctype>
#include <optional>

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
        out.dn = value; // `value` is read again for the next line
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

// The reading itself: physical lines in, logical lines gathered, a record at a time out.
struct RecordReader::State {
    State(const ReadOptions& options, std::string* error) : reader(options, error) {}
    Reader reader;
    std::vector<Line> current;   // the logical lines of the record being read
    std::optional<Line> pending; // the logical line still open to continuations
    bool first = true;
    bool anyRecord = false;
    bool inComment = false;
    int number = 0;
    std::string partial; // a line the last piece ended inside
};

RecordReader::RecordReader(ReadOptions options, RecordHandler each, std::string* error)
    : options_(std::move(options)), each_(std::move(each)),
      state_(std::make_unique<State>(options_, error)) {}

RecordReader::~RecordReader() = default;

bool RecordReader::flush() {
    State& st = *state_;
    if (st.current.empty())
        return true;
    Record r;
    if (!st.reader.record(st.current, r))
        return false;
    st.current.clear();
    st.anyRecord = true;
    return each_(r);
}

bool RecordReader::logical(std::string text, int number) {
    State& st = *state_;
    if (text.empty())
        return flush();
    // "version: 1" may come first, before any record.
    if (st.first && st.current.empty() && !st.anyRecord &&
        sameWord(std::string_view(text).substr(0, 8), "version:")) {
        st.first = false;
        std::string_view v = std::string_view(text).substr(8);
        while (!v.empty() && v.front() == ' ')
            v.remove_prefix(1);
        if (v != "1")
            return st.reader.fail(number, "version 1 is the only one read");
        return true;
    }
    st.first = false;
    st.current.push_back({std::move(text), number});
    return true;
}

bool RecordReader::line(std::string_view raw) {
    State& st = *state_;
    if (!raw.empty() && raw.back() == '\r')
        raw.remove_suffix(1);
    ++st.number;
    const bool continues = !raw.empty() && raw.front() == ' ';
    if (continues && st.inComment)
        return true;
    if (continues && st.pending && !st.pending->text.empty()) {
        st.pending->text.append(raw.substr(1));
        return true;
    }
    if (st.pending) {
        Line done = std::move(*st.pending);
        st.pending.reset();
        if (!logical(std::move(done.text), done.number))
            return false;
    }
    st.inComment = !raw.empty() && raw.front() == '#';
    if (!st.inComment)
        st.pending = Line{std::string(raw), st.number};
    return true;
}

bool RecordReader::feed(std::string_view piece) {
    State& st = *state_;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t end = piece.find('\n', pos);
        if (end == std::string_view::npos) {
            st.partial.append(piece.substr(pos));
            return true;
        }
        bool taken = false;
        if (st.partial.empty()) {
            taken = line(piece.substr(pos, end - pos));
        } else {
            st.partial.append(piece.substr(pos, end - pos));
            taken = line(st.partial);
            st.partial.clear();
        }
        if (!taken)
            return false;
        pos = end + 1;
    }
}

bool RecordReader::finish() {
    State& st = *state_;
    if (!st.partial.empty()) {
        const std::string last = std::move(st.partial);
        st.partial.clear();
        if (!line(last))
            return false;
    }
    if (st.pending) {
        Line done = std::move(*st.pending);
        st.pending.reset();
        if (!logical(std::move(done.text), done.number))
            return false;
    }
    return flush();
}

bool read(std::string_view text, const ReadOptions& options, std::vector<Record>& out,
          std::string* error) {
    std::vector<Record> records;
    RecordReader reader(
        options,
        [&records](Record& r) {
            records.push_back(std::move(r));
            return true;
        },
        error);
    if (!reader.feed(text) || !reader.finish())
        return false;
    for (auto& r : records)
        out.push_back(std::move(r));
    return true;
}

} // namespace ldif
