#include "FilterText.h"

#include "client/common/Wire.h"
#include "directory/ResultCodes.h"

namespace ldapfilter {

std::string baseClassFilter(std::string_view ldapClass,
                            const std::vector<std::string>& ldapSubclasses) {
    std::string term = "(objectClass=" + escapeValue(ldapClass) + ")";
    if (ldapSubclasses.empty())
        return term;
    term = "(&" + term + "(!(|";
    for (const auto& sub : ldapSubclasses)
        term += "(objectClass=" + escapeValue(sub) + ")";
    return term + ")))";
}

std::string escapeValue(std::string_view value) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : value) {
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c < 0x20 || c >= 0x7F) {
            out += '\\';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

NWDSCCODE translate(const std::vector<FilterToken>& tokens, const Directory& dir,
                    std::string& out) {
    std::vector<std::vector<std::string>> groups(1); // OR of AND groups
    std::size_t i = 0;
    auto at = [&](std::size_t k) -> const FilterToken* {
        return k < tokens.size() ? &tokens[k] : nullptr;
    };
    bool expectCriterion = true;
    for (; i < tokens.size() && tokens[i].token != FTOK_END;) {
        const FilterToken& t = tokens[i];
        if (!expectCriterion) {
            if (t.token == FTOK_AND)
                ;
            else if (t.token == FTOK_OR)
                groups.emplace_back();
            else
                return ERR_EXPECTED_IDENTIFIER;
            ++i;
            expectCriterion = true;
            continue;
        }
        std::string term;
        if (t.token == FTOK_ANAME) {
            const FilterToken* op = at(i + 1);
            const FilterToken* value = at(i + 2);
            if (op == nullptr || value == nullptr || value->token != FTOK_AVAL)
                return ERR_EXPECTED_IDENTIFIER;
            const char* relation = op->token == FTOK_EQ   ? "="
                                   : op->token == FTOK_GE ? ">="
                                   : op->token == FTOK_LE ? "<="
                                                          : nullptr;
            if (relation == nullptr)
                return ERR_EXPECTED_IDENTIFIER;
            std::string text;
            if (auto rc = dir.valueText(value->syntax, value->value, text); rc != 0)
                return rc;
            const auto attr = dir.attributeName(t.value);
            if (!attr)
                return ERR_NO_SUCH_ATTRIBUTE;
            term = "(" + *attr + relation + escapeValue(text) + ")";
            i += 3;
        } else if (t.token == FTOK_PRESENT || t.token == FTOK_RDN || t.token == FTOK_BASECLS) {
            const FilterToken* name = at(i + 1);
            if (name == nullptr || name->token != FTOK_ANAME)
                return ERR_ATTR_TYPE_EXPECTED;
            if (t.token == FTOK_PRESENT) {
                const auto attr = dir.attributeName(name->value);
                if (!attr)
                    return ERR_NO_SUCH_ATTRIBUTE;
                term = "(" + *attr + "=*)";
            } else if (t.token == FTOK_BASECLS) {
                term = dir.baseClassFilter(name->value);
            } else {
                // The object's own name: the value of whichever attribute names it.
                term = "(|";
                for (const auto& type : dir.namingTypes)
                    term += "(" + type + "=" + escapeValue(name->value) + ")";
                term += ")";
            }
            i += 2;
        } else {
            return ERR_EXPECTED_IDENTIFIER;
        }
        groups.back().push_back(std::move(term));
        expectCriterion = false;
    }
    if (expectCriterion && !(groups.size() == 1 && groups.front().empty()))
        return ERR_EXPECTED_IDENTIFIER; // a connector with nothing after it
    if (groups.size() == 1 && groups.front().empty()) {
        out = "(objectClass=*)";
        return 0;
    }
    auto joined = [](const std::vector<std::string>& terms, char op) {
        if (terms.size() == 1)
            return terms.front();
        std::string s = "(";
        s += op;
        for (const auto& t : terms)
            s += t;
        return s + ")";
    };
    std::vector<std::string> ors;
    ors.reserve(groups.size());
    for (const auto& g : groups)
        ors.push_back(joined(g, '&'));
    out = joined(ors, '|');
    return 0;
}

} // namespace ldapfilter
