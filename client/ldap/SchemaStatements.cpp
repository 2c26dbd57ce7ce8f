#include "SchemaStatements.h"

#include "client/common/Names.h"
#include "client/common/SchemaFile.h"

#include <algorithm>
#include <cctype>

namespace schemastatements {
namespace {

struct Token {
    enum Kind { Open, Close, Dollar, Word, Quoted } kind;
    std::string text; // unquoted text of a Quoted token
    std::size_t begin = 0, end = 0;
    int line = 0;
};

bool tokenize(std::string_view s, bool comments, std::vector<Token>& out, std::string& error) {
    int line = 1;
    for (std::size_t i = 0; i < s.size();) {
        const char c = s[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (comments && c == '#') {
            while (i < s.size() && s[i] != '\n')
                ++i;
        } else if (c == '(' || c == ')' || c == '$') {
            out.push_back({c == '('   ? Token::Open
                           : c == ')' ? Token::Close
                                      : Token::Dollar,
                           std::string(1, c), i, i + 1, line});
            ++i;
        } else if (c == '\'') {
            const std::size_t begin = i++;
            std::string text;
            while (i < s.size() && s[i] != '\'') {
                text += s[i] == '\\' && i + 1 < s.size() ? schemafile::unescapeAt(s, i) : s[i];
                ++i;
            }
            if (i == s.size()) {
                error = "line " + std::to_string(line) + ": unterminated quoted string";
                return false;
            }
            ++i;
            out.push_back({Token::Quoted, std::move(text), begin, i, line});
        } else {
            const std::size_t begin = i;
            while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i])) &&
                   std::string_view("()$'").find(s[i]) == std::string_view::npos &&
                   !(comments && s[i] == '#'))
                ++i;
            out.push_back({Token::Word, std::string(s.substr(begin, i - begin)), begin, i, line});
        }
    }
    return true;
}

bool isFlagKeyword(std::string_view key) {
    static constexpr std::string_view kFlags[] = {
        "SINGLE-VALUE", "STRUCTURAL", "AUXILIARY",           "ABSTRACT",
        "OBSOLETE",     "COLLECTIVE", "NO-USER-MODIFICATION"};
    return std::find(std::begin(kFlags), std::end(kFlags), key) != std::end(kFlags);
}

// Reads "( oid fields )" from tokens[i]; i ends after the ")".
bool parseBody(std::string_view s, const std::vector<Token>& t, std::size_t& i, Definition& def,
               std::string& error) {
    auto fail = [&](const std::string& what) {
        error = "line " + std::to_string(i < t.size() ? t[i].line : t.back().line) + ": " + what;
        return false;
    };
    if (i >= t.size() || t[i].kind != Token::Open)
        return fail("expected '('");
    if (++i >= t.size() || t[i].kind != Token::Word)
        return fail("expected an OID");
    def.oid = t[i++].text;
    while (i < t.size() && t[i].kind != Token::Close) {
        if (t[i].kind != Token::Word)
            return fail("expected a keyword");
        Field f;
        f.key = t[i++].text;
        std::transform(f.key.begin(), f.key.end(), f.key.begin(),
                       [](unsigned char c) { return char(std::toupper(c)); });
        if (!isFlagKeyword(f.key)) {
            if (i >= t.size())
                return fail("missing value of " + f.key);
            const std::size_t begin = t[i].begin;
            if (t[i].kind == Token::Open) {
                ++i;
                while (i < t.size() && t[i].kind != Token::Close) {
                    if (t[i].kind == Token::Open)
                        return fail("nested list in " + f.key);
                    if (t[i].kind != Token::Dollar)
                        f.values.push_back(t[i].text);
                    ++i;
                }
                if (i >= t.size())
                    return fail("unterminated list of " + f.key);
            } else if (t[i].kind != Token::Word && t[i].kind != Token::Quoted) {
                return fail("bad value of " + f.key);
            } else {
                f.values.push_back(t[i].text);
            }
            f.text = std::string(s.substr(begin, t[i].end - begin));
            ++i;
        }
        def.fields.push_back(std::move(f));
    }
    if (i >= t.size())
        return fail("missing ')'");
    ++i;
    return true;
}

} // namespace

const Field* Definition::find(std::string_view key) const {
    for (const auto& f : fields) {
        if (f.key == key)
            return &f;
    }
    return nullptr;
}

std::string Definition::first(std::string_view key) const {
    const Field* f = find(key);
    return f == nullptr || f->values.empty() ? std::string() : f->values.front();
}

const std::vector<std::string>& Definition::values(std::string_view key) const {
    static const std::vector<std::string> none;
    const Field* f = find(key);
    return f == nullptr ? none : f->values;
}

void Definition::remove(std::string_view key) {
    std::erase_if(fields, [&](const Field& f) { return f.key == key; });
}

void Definition::setQuoted(std::string_view key, const std::vector<std::string>& values) {
    remove(key);
    Field f{std::string(key), values, {}};
    if (values.size() == 1) {
        f.text = quote(values.front());
    } else {
        f.text = "(";
        for (const auto& v : values)
            f.text += " " + quote(v);
        f.text += " )";
    }
    fields.push_back(std::move(f));
}

void Definition::setFlag(std::string_view key) {
    if (!has(key))
        fields.push_back(Field{std::string(key), {}, {}});
}

std::string Definition::text() const {
    std::string out = "( " + oid;
    for (const auto& f : fields) {
        out += " " + f.key;
        if (!f.text.empty())
            out += " " + f.text;
    }
    return out + " )";
}

std::string statementText(const Definition& def) {
    return def.keyword + " " + def.text();
}

std::string quote(std::string_view value) {
    std::string out = "'";
    // RFC 4512's escapes, which servers take where a bare backslash is refused.
    for (char c : value)
        out += c == '\'' ? "\\27" : c == '\\' ? "\\5C" : std::string(1, c);
    return out + "'";
}

bool parseDescription(std::string_view keyword, std::string_view text, Definition& out) {
    std::vector<Token> tokens;
    std::string error;
    if (!tokenize(text, false, tokens, error) || tokens.empty())
        return false;
    out = Definition{};
    out.keyword = std::string(keyword);
    std::size_t i = 0;
    return parseBody(text, tokens, i, out, error) && i == tokens.size();
}

bool parseFile(std::string_view text, std::vector<Definition>& out, std::string* error) {
    std::vector<Token> tokens;
    std::string why;
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = names::printable(what);
        return false;
    };
    if (!tokenize(text, true, tokens, why))
        return fail(why);
    for (std::size_t i = 0; i < tokens.size();) {
        Definition def;
        def.keyword = tokens[i].text;
        std::transform(def.keyword.begin(), def.keyword.end(), def.keyword.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (tokens[i].kind != Token::Word ||
            (def.keyword != "attributetype" && def.keyword != "objectclass" &&
             def.keyword != "ldapsyntax"))
            return fail("line " + std::to_string(tokens[i].line) +
                        ": expected attributetype, objectclass or ldapsyntax");
        ++i;
        if (!parseBody(text, tokens, i, def, why))
            return fail(why);
        out.push_back(std::move(def));
    }
    return true;
}

} // namespace schemastatements
