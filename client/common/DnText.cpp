// LDAP distinguished names in their string form (RFC 4514), and their conversion to and from
// typeless dotted names: the one place both directions are defined.
#include "Names.h"
#include "ValueText.h"
#include "directory/NameRules.h"
#include "directory/ResultCodes.h"
#include "directory/TypedNumbers.h"

namespace valuetext {
namespace {

bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A descriptor ("cn", "x-name") or a numeric OID ("2.5.4.3").
bool isAttributeType(std::string_view t) {
    if (t.empty())
        return false;
    if (isAlpha(t[0])) {
        for (char c : t) {
            if (!isAlpha(c) && !isDigit(c) && c != '-')
                return false;
        }
        return true;
    }
    bool digitBefore = false;
    for (char c : t) {
        if (isDigit(c)) {
            digitBefore = true;
        } else if (c == '.' && digitBefore) {
            digitBefore = false;
        } else {
            return false;
        }
    }
    return digitBefore;
}

// Reads one "type=value" from `dn` at `i`, up to an unescaped ",", "+" or the end.
bool readValue(std::string_view dn, std::size_t& i, DnComponent& out) {
    while (i < dn.size() && dn[i] == ' ')
        ++i;
    const std::size_t typeStart = i;
    while (i < dn.size() && dn[i] != '=' && dn[i] != ',' && dn[i] != '+' && dn[i] != ' ')
        ++i;
    out.type.assign(dn.substr(typeStart, i - typeStart));
    while (i < dn.size() && dn[i] == ' ')
        ++i;
    if (!isAttributeType(out.type) || i == dn.size() || dn[i] != '=')
        return false;
    ++i;
    while (i < dn.size() && dn[i] == ' ')
        ++i;
    if (i < dn.size() && dn[i] == '#')
        return false;     // BER-encoded values are not names this directory uses
    std::size_t keep = 0; // length of the value up to its last escaped or non-blank byte
    for (; i < dn.size() && dn[i] != ',' && dn[i] != '+'; ++i) {
        const char c = dn[i];
        if (c == '\\') {
            if (++i == dn.size())
                return false;
            const int high = hexDigitValue(dn[i]);
            const int low = i + 1 < dn.size() ? hexDigitValue(dn[i + 1]) : -1;
            if (high >= 0 && low >= 0) {
                out.value += char(high * 16 + low);
                ++i;
            } else {
                out.value += dn[i];
            }
            keep = out.value.size();
            continue;
        }
        if (c == '"' || c == ';' || c == '<' || c == '>' || c == '\0')
            return false;
        out.value += c;
        if (c != ' ')
            keep = out.value.size();
    }
    out.value.resize(keep);
    // The join byte stands between the values of one RDN, never inside one.
    return !out.value.empty() && out.value.find(names::kValueJoin) == std::string::npos;
}

// Reads one RDN, its values joined as names::ParsedName joins them (types likewise).
bool readComponent(std::string_view dn, std::size_t& i, DnComponent& out) {
    if (!readValue(dn, i, out))
        return false;
    while (i < dn.size() && dn[i] == '+') {
        ++i;
        DnComponent next;
        if (!readValue(dn, i, next))
            return false;
        out.type.append(1, names::kValueJoin).append(next.type);
        out.value.append(1, names::kValueJoin).append(next.value);
    }
    return true;
}

} // namespace

bool splitDn(std::string_view dn, std::vector<DnComponent>& out) {
    out.clear();
    std::size_t i = 0;
    while (i < dn.size() && dn[i] == ' ')
        ++i;
    if (i == dn.size())
        return true;
    for (;;) {
        DnComponent c;
        if (!readComponent(dn, i, c)) {
            out.clear();
            return false;
        }
        out.push_back(std::move(c));
        if (i == dn.size())
            return true;
        ++i; // the ","
    }
}

bool wellEscapedDn(std::string_view dn) {
    const auto hex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    };
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] != '\\')
            continue;
        if (i + 1 >= dn.size())
            return false;
        const char next = dn[i + 1];
        if (hex(next) && i + 2 < dn.size() && hex(dn[i + 2])) {
            i += 2;
        } else if (std::string_view(" \"#+,;<=>\\").find(next) != std::string_view::npos) {
            ++i;
        } else {
            return false;
        }
    }
    return true;
}

std::string escapeDnValue(std::string_view value) {
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size() + 4);
    for (std::size_t i = 0; i < value.size(); ++i) {
        const auto c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 || c == 0x7F) {
            out += '\\';
            out += hex[c >> 4];
            out += hex[c & 15];
            continue;
        }
        if (c == ',' || c == '+' || c == '"' || c == '\\' || c == '<' || c == '>' || c == ';' ||
            c == '=' || (c == '#' && i == 0) || (c == ' ' && (i == 0 || i + 1 == value.size())))
            out += '\\';
        out += char(c);
    }
    return out;
}

std::string rdnText(std::string_view type, std::string_view value) {
    const auto types = names::valuesOf(type);
    const auto values = names::valuesOf(value);
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += '+';
        out += i < types.size() && !types[i].empty() ? types[i] : std::string("cn");
        out += '=';
        out += escapeDnValue(values[i]);
    }
    return out;
}

} // namespace valuetext

namespace names {

NWDSCCODE fromDn(std::string_view dn, std::string& name) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts))
        return ERR_INVALID_OBJECT_NAME;
    std::vector<std::string> components;
    components.reserve(parts.size());
    for (auto& p : parts) {
        if (auto rc = checkComponent(p.value); rc != 0)
            return rc;
        components.push_back(std::move(p.value));
    }
    name = join(components);
    if (name.size() > MAX_DN_CHARS)
        return ERR_NAME_TOO_LONG;
    return 0;
}

bool isDn(std::string_view text) {
    std::vector<valuetext::DnComponent> parts;
    if (text.empty() || !valuetext::splitDn(text, parts))
        return false;
    bool comma = false;
    bool dot = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == ',')
            comma = true;
        else if (text[i] == '.')
            dot = true;
    }
    return comma || !dot;
}

std::string toDn(const std::vector<std::string>& components,
                 const std::vector<std::string>& types) {
    std::string out;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i != 0)
            out += ',';
        out += valuetext::rdnText(i < types.size() ? types[i] : std::string(), components[i]);
    }
    return out;
}

} // namespace names
