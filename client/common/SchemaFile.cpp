#include "SchemaFile.h"

#include "client/common/Names.h"
#include "directory/Codes.h"

#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace schemafile {
namespace {

struct Token {
    enum Kind { Open, Close, Dollar, Word, Quoted } kind;
    std::string text;
    int line;
};

bool tokenize(std::string_view text, std::vector<Token>& out, std::string& error) {
    int line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '(' || c == ')' || c == '$') {
            out.push_back({c == '('   ? Token::Open
                           : c == ')' ? Token::Close
                                      : Token::Dollar,
                           std::string(1, c), line});
            ++i;
        } else if (c == '\'') {
            std::string s;
            ++i;
            while (i < text.size() && text[i] != '\'') {
                if (text[i] == '\n') {
                    error = std::to_string(line) + ": unterminated quoted string";
                    return false;
                }
                s += text[i] == '\\' && i + 1 < text.size() ? unescapeAt(text, i) : text[i];
                ++i;
            }
            if (i == text.size()) {
                error = std::to_string(line) + ": unterminated quoted string";
                return false;
            }
            ++i;
            out.push_back({Token::Quoted, std::move(s), line});
        } else {
            std::string s;
            while (i < text.size() &&
                   std::string_view(" \t\r\n()$'#").find(text[i]) == std::string_view::npos)
                s += text[i++];
            out.push_back({Token::Word, std::move(s), line});
        }
    }
    return true;
}

const std::vector<std::string_view> kFlagKeys = {
    "SINGLE-VALUE",         "STRUCTURAL", "AUXILIARY", "ABSTRACT",
    "NO-USER-MODIFICATION", "OBSOLETE",   "COLLECTIVE"};

struct Statement {
    std::string keyword; // attributetype, objectclass, ldapsyntax
    std::string oid;
    std::map<std::string, std::vector<std::string>> fields;
    int line = 0;
    bool has(const std::string& key) const { return fields.count(key) != 0; }
    std::string one(const std::string& key) const {
        auto it = fields.find(key);
        return it == fields.end() || it->second.empty() ? std::string() : it->second.front();
    }
    const std::vector<std::string>& list(const std::string& key) const {
        static const std::vector<std::string> none;
        auto it = fields.find(key);
        return it == fields.end() ? none : it->second;
    }
};

bool parseStatements(const std::vector<Token>& t, std::vector<Statement>& out, std::string& error) {
    std::size_t i = 0;
    auto fail = [&](int line, const std::string& what) {
        error = std::to_string(line) + ": " + what;
        return false;
    };
    while (i < t.size()) {
        if (t[i].kind != Token::Word)
            return fail(t[i].line, "expected attributetype, objectclass or ldapsyntax");
        Statement s;
        s.keyword = names::fold(t[i].text);
        s.line = t[i].line;
        if (s.keyword != "attributetype" && s.keyword != "objectclass" && s.keyword != "ldapsyntax")
            return fail(t[i].line, "unknown statement '" + t[i].text + "'");
        if (++i >= t.size() || t[i].kind != Token::Open)
            return fail(s.line, "expected '('");
        if (++i >= t.size() || t[i].kind != Token::Word)
            return fail(s.line, "expected an OID");
        s.oid = t[i++].text;
        while (i < t.size() && t[i].kind != Token::Close) {
            if (t[i].kind != Token::Word)
                return fail(t[i].line, "expected a keyword");
            const std::string key = t[i++].text;
            auto& values = s.fields[key];
            bool flag = false;
            for (auto k : kFlagKeys)
                flag = flag || k == key;
            if (flag)
                continue;
            if (i >= t.size())
                return fail(s.line, "missing value of " + key);
            if (t[i].kind == Token::Open) {
                ++i;
                while (i < t.size() && t[i].kind != Token::Close) {
                    if (t[i].kind != Token::Dollar)
                        values.push_back(t[i].text);
                    ++i;
                }
                if (i >= t.size())
                    return fail(s.line, "unterminated list of " + key);
                ++i;
            } else if (t[i].kind == Token::Word || t[i].kind == Token::Quoted) {
                values.push_back(t[i++].text);
            } else {
                return fail(t[i].line, "bad value of " + key);
            }
        }
        if (i >= t.size())
            return fail(s.line, "missing ')'");
        ++i;
        out.push_back(std::move(s));
    }
    return true;
}

std::optional<std::uint32_t> number(const std::string& s) {
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (s.empty() || ec != std::errc() || p != s.data() + s.size() || v > 0xFFFFFFFFull)
        return std::nullopt;
    return std::uint32_t(v);
}

template <std::size_t N>
bool flagsOf(const std::vector<std::string>& words,
             const std::pair<std::string_view, std::uint32_t> (&table)[N], std::uint32_t& out,
             std::string& bad) {
    for (const auto& w : words) {
        bool found = false;
        for (const auto& [name, bit] : table) {
            if (w == name) {
                out |= bit;
                found = true;
            }
        }
        if (!found) {
            bad = w;
            return false;
        }
    }
    return true;
}

constexpr std::pair<std::string_view, std::uint32_t> kAttrFlags[] = {
    {"SINGLE-VALUED", DS_SINGLE_VALUED_ATTR},
    {"SIZED", DS_SIZED_ATTR},
    {"NONREMOVABLE", DS_NONREMOVABLE_ATTR},
    {"READ-ONLY", DS_READ_ONLY_ATTR},
    {"HIDDEN", DS_HIDDEN_ATTR},
    {"STRING", DS_STRING_ATTR},
    {"SYNC-IMMEDIATE", DS_SYNC_IMMEDIATE},
    {"PUBLIC-READ", DS_PUBLIC_READ},
    {"SERVER-READ", DS_SERVER_READ},
    {"WRITE-MANAGED", DS_WRITE_MANAGED},
    {"PER-REPLICA", DS_PER_REPLICA},
};
constexpr std::pair<std::string_view, std::uint32_t> kClassFlags[] = {
    {"CONTAINER", DS_CONTAINER_CLASS},
    {"EFFECTIVE", DS_EFFECTIVE_CLASS},
    {"NONREMOVABLE", DS_NONREMOVABLE_CLASS},
    {"AMBIGUOUS-NAMING", DS_AMBIGUOUS_NAMING},
    {"AMBIGUOUS-CONTAINMENT", DS_AMBIGUOUS_CONTAINMENT},
};
constexpr std::pair<std::string_view, std::uint32_t> kSyntaxFlags[] = {
    {"STRING", SYNTAX_STRING},
    {"SINGLE-VALUED", SYNTAX_SINGLE_VALUED},
    {"ORDERED", SYNTAX_ORDERED},
    {"EQUALITY", SYNTAX_EQUALITY},
    {"IGNORE-CASE", SYNTAX_IGNORE_CASE},
    {"IGNORE-SPACE", SYNTAX_IGNORE_SPACE},
    {"IGNORE-DASH", SYNTAX_IGNORE_DASH},
    {"DIGITS-ONLY", SYNTAX_DIGITS_ONLY},
    {"PRINTABLE-ONLY", SYNTAX_PRINTABLE_ONLY},
    {"SIZEABLE", SYNTAX_SIZEABLE},
    {"BITWISE-EQUAL", SYNTAX_BITWISE_EQUAL},
};

// "A, B, A" when following super classes from `start` comes back to it, "" otherwise.
std::string superClassCycle(const Schema& schema, const std::string& start) {
    std::vector<std::string> path{start};
    std::vector<std::string> done;
    // Depth first; a class on the current path met again closes a cycle.
    std::function<bool(const std::string&)> visit = [&](const std::string& name) -> bool {
        const ClassDefinition* c = schema.findClass(name);
        if (c == nullptr)
            return false;
        for (const auto& super : c->lists[ClassDefinition::SuperClasses]) {
            if (names::equalFolded(super, start)) {
                path.push_back(super);
                return true;
            }
            bool seen = false;
            for (const auto& d : done)
                seen = seen || names::equalFolded(d, super);
            for (const auto& p : path)
                seen = seen || names::equalFolded(p, super);
            if (seen)
                continue;
            path.push_back(super);
            if (visit(super))
                return true;
            path.pop_back();
            done.push_back(super);
        }
        return false;
    };
    if (!visit(start))
        return {};
    std::string out;
    for (const auto& p : path)
        out += (out.empty() ? "" : ", ") + p;
    return out;
}

} // namespace

char unescapeAt(std::string_view text, std::size_t& i) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    if (i + 2 < text.size() && hex(text[i + 1]) >= 0 && hex(text[i + 2]) >= 0) {
        i += 2;
        return char(hex(text[i - 1]) * 16 + hex(text[i]));
    }
    return text[++i];
}

bool load(std::string_view text, std::string_view fileName, Schema& schema, std::string* error) {
    std::string why;
    std::vector<Token> tokens;
    std::vector<Statement> statements;
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = std::string(fileName) + ":" + names::printable(what);
        return false;
    };
    if (!tokenize(text, tokens, why) || !parseStatements(tokens, statements, why))
        return fail(why);
    if (statements.empty())
        return fail(" holds no definitions");

    auto at = [](const Statement& s) { return std::to_string(s.line) + ": "; };
    // One OID names one attribute or class, in this file and in what was loaded before.
    std::map<std::string, int> oidLines;
    for (const auto& a : schema.attributes())
        oidLines.emplace(a->oid, 0);
    for (const auto& c : schema.classes())
        oidLines.emplace(c->oid, 0);
    for (const auto& s : statements) {
        if (s.keyword == "ldapsyntax")
            continue;
        auto [it, added] = oidLines.emplace(s.oid, s.line);
        if (!added)
            return fail(at(s) + "OID " + s.oid + " is already given to another definition" +
                        (it->second != 0 ? " on line " + std::to_string(it->second) : ""));
    }
    // Syntaxes and attributes first, so classes can refer to attributes in any order.
    for (const auto& s : statements) {
        if (s.keyword == "ldapsyntax") {
            SyntaxDefinition def;
            auto id = number(s.one("X-NDS-ID"));
            if (!id)
                return fail(at(s) + "syntax without X-NDS-ID");
            def.id = *id;
            def.name = s.one("DESC");
            def.ldapOid = s.one("X-NDS-LDAP-SYNTAX");
            std::uint32_t flags = 0;
            if (!flagsOf(s.list("X-NDS-FLAGS"), kSyntaxFlags, flags, why))
                return fail(at(s) + "unknown syntax flag " + why);
            def.flags = std::uint16_t(flags);
            if (def.name.empty() || def.name.size() > MAX_SCHEMA_NAME_CHARS)
                return fail(at(s) + "syntax name missing or too long");
            if (!schema.addSyntax(std::move(def)))
                return fail(at(s) + "syntax id defined twice");
        }
    }
    for (const auto& s : statements) {
        if (s.keyword != "attributetype")
            continue;
        AttributeDefinition def;
        def.oid = s.oid;
        def.ldapName = s.one("NAME");
        def.name = s.has("X-NDS-NAME") ? s.one("X-NDS-NAME") : def.ldapName;
        auto syntax = number(s.one("X-NDS-SYNTAX"));
        if (!syntax || schema.findSyntax(*syntax) == nullptr)
            return fail(at(s) + "attribute " + def.name + " has no known X-NDS-SYNTAX");
        def.syntax = *syntax;
        if (!flagsOf(s.list("X-NDS-FLAGS"), kAttrFlags, def.flags, why))
            return fail(at(s) + "unknown attribute flag " + why);
        if (s.has("SINGLE-VALUE"))
            def.flags |= DS_SINGLE_VALUED_ATTR;
        if (s.has("NO-USER-MODIFICATION"))
            def.flags |= DS_READ_ONLY_ATTR;
        if (s.has("X-NDS-LOWER-BOUND") || s.has("X-NDS-UPPER-BOUND")) {
            auto lower = number(s.one("X-NDS-LOWER-BOUND"));
            auto upper = number(s.one("X-NDS-UPPER-BOUND"));
            if (!lower || !upper || *lower > *upper)
                return fail(at(s) + "bad bounds of " + def.name);
            def.flags |= DS_SIZED_ATTR;
            def.lower = *lower;
            def.upper = *upper;
        }
        if (def.name.empty() || def.name.size() > MAX_SCHEMA_NAME_CHARS)
            return fail(at(s) + "attribute name missing or too long");
        const std::string name = def.name;
        if (!schema.addAttribute(std::move(def)))
            return fail(at(s) + "attribute " + name + " defined twice");
    }
    // Classes: lists name classes and attributes by their LDAP names.
    std::vector<const Statement*> classStatements;
    for (const auto& s : statements) {
        if (s.keyword == "objectclass")
            classStatements.push_back(&s);
    }
    std::map<std::string, std::string> classNames; // LDAP name (folded) -> directory name
    for (auto* s : classStatements) {
        const std::string ldap = s->one("NAME");
        classNames[names::fold(ldap)] = s->has("X-NDS-NAME") ? s->one("X-NDS-NAME") : ldap;
    }
    for (const auto& c : schema.classes())
        classNames[names::fold(c->ldapName)] = c->name;
    for (auto* s : classStatements) {
        ClassDefinition def;
        def.oid = s->oid;
        def.ldapName = s->one("NAME");
        def.name = s->has("X-NDS-NAME") ? s->one("X-NDS-NAME") : def.ldapName;
        if (def.name.empty() || def.name.size() > MAX_SCHEMA_NAME_CHARS)
            return fail(at(*s) + "class name missing or too long");
        if (!flagsOf(s->list("X-NDS-FLAGS"), kClassFlags, def.flags, why))
            return fail(at(*s) + "unknown class flag " + why);
        auto classList = [&](const char* key, ClassDefinition::List list) {
            for (const auto& ldap : s->list(key)) {
                auto it = classNames.find(names::fold(ldap));
                if (it == classNames.end()) {
                    why = std::string(key) + " names unknown class " + ldap;
                    return false;
                }
                def.lists[list].push_back(it->second);
            }
            return true;
        };
        auto attrList = [&](const char* key, ClassDefinition::List list) {
            for (const auto& ldap : s->list(key)) {
                const AttributeDefinition* a = schema.findAttributeByLdapName(ldap);
                if (a == nullptr)
                    a = schema.findAttribute(ldap);
                if (a == nullptr) {
                    why = std::string(key) + " names unknown attribute " + ldap;
                    return false;
                }
                def.lists[list].push_back(a->name);
            }
            return true;
        };
        if (!classList("SUP", ClassDefinition::SuperClasses) ||
            !classList("X-NDS-CONTAINMENT", ClassDefinition::Containment) ||
            !attrList("X-NDS-NAMING", ClassDefinition::Naming) ||
            !attrList("MUST", ClassDefinition::Mandatory) ||
            !attrList("MAY", ClassDefinition::Optional))
            return fail(at(*s) + def.name + ": " + why);
        const std::string name = def.name;
        if (!schema.addClass(std::move(def)))
            return fail(at(*s) + "class " + name + " defined twice");
    }
    for (auto* s : classStatements) {
        const std::string name = classNames[names::fold(s->one("NAME"))];
        if (auto cycle = superClassCycle(schema, name); !cycle.empty())
            return fail(at(*s) + "class " + name + " is its own super class through " + cycle);
    }
    return true;
}

} // namespace schemafile
