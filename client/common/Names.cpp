#include "Names.h"

#include "directory/NameRules.h"
#include "directory/ResultCodes.h"

#include <cstring>

namespace names {
namespace {

bool isTagChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
}

} // namespace

NWDSCCODE parse(const char* name, ParsedName& out) {
    if (name == nullptr)
        return ERR_NULL_POINTER;
    const std::size_t n = strnlen(name, MAX_DN_CHARS + 1);
    if (n > MAX_DN_CHARS)
        return ERR_NAME_TOO_LONG;
    return parse(std::string_view(name, n), out);
}

NWDSCCODE parse(std::string_view name, ParsedName& out) {
    out = ParsedName{};
    if (name.size() > MAX_DN_CHARS)
        return ERR_NAME_TOO_LONG;
    if (name.empty())
        return ERR_INVALID_OBJECT_NAME;
    if (name == ROOT_NAME) {
        out.root = true;
        return 0;
    }
    std::size_t i = 0;
    if (name[0] == '.') {
        out.leadingDot = true;
        i = 1;
    }
    // Split on unescaped dots and a component's values on unescaped "+"; a value's "TAG="
    // prefix is dropped when it is unescaped.
    struct Char {
        char c;
        bool escaped;
    };
    std::vector<Char> part;
    std::string component, tags;
    auto finishValue = [&]() -> NWDSCCODE {
        std::size_t k = 0;
        while (k < part.size() && !part[k].escaped && isTagChar(part[k].c))
            ++k;
        const std::size_t start =
            (k > 0 && k < part.size() && !part[k].escaped && part[k].c == '=') ? k + 1 : 0;
        if (start == part.size())
            return ERR_INVALID_OBJECT_NAME;
        for (std::size_t j = 0; j + 1 < start; ++j)
            tags += part[j].c;
        const std::size_t valueStart = component.size();
        for (std::size_t j = start; j < part.size(); ++j)
            component += part[j].c;
        part.clear();
        // A name the pages could not show as text is no name.
        if (!isUtf8(std::string_view(component).substr(valueStart)))
            return ERR_INVALID_OBJECT_NAME;
        return 0;
    };
    auto finish = [&]() -> NWDSCCODE {
        if (auto rc = finishValue(); rc != 0)
            return rc;
        if (component.size() > MAX_RDN_CHARS)
            return ERR_NAME_TOO_LONG;
        out.components.push_back(std::move(component));
        out.tags.push_back(std::move(tags));
        component.clear();
        tags.clear();
        return 0;
    };
    for (; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '\\') {
            if (i + 1 == name.size())
                return ERR_INVALID_OBJECT_NAME;
            part.push_back({name[++i], true});
        } else if (c == '.') {
            if (auto rc = finish(); rc != 0)
                return rc;
        } else if (c == '+') {
            if (auto rc = finishValue(); rc != 0)
                return rc;
            component += kValueJoin;
            tags += kValueJoin;
        } else {
            part.push_back({c, false});
        }
    }
    return finish();
}

std::vector<std::string> valuesOf(std::string_view component) {
    std::vector<std::string> out;
    for (;;) {
        const auto at = component.find(kValueJoin);
        out.emplace_back(component.substr(0, at));
        if (at == std::string_view::npos)
            return out;
        component.remove_prefix(at + 1);
    }
}

std::string joinValues(const std::vector<std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += kValueJoin;
        out += values[i];
    }
    return out;
}

bool isMultiValued(std::string_view component) {
    return component.find(kValueJoin) != std::string_view::npos;
}

std::string escapeComponent(std::string_view component) {
    return escapeNameComponent(component);
}

bool isUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t n = 0;
        std::uint32_t min = 0;
        std::uint32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            n = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (i + n >= text.size())
            return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::string printable(std::string_view text) {
    static const char* const hex = "0123456789ABCDEF";
    const bool utf8 = isUtf8(text);
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && !utf8)) {
            out += '\\';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

NWDSCCODE checkComponent(std::string_view component) {
    for (const auto& v : valuesOf(component)) {
        if (v.empty() || v.find('\0') != std::string::npos || !isUtf8(v))
            return ERR_INVALID_OBJECT_NAME;
    }
    if (component.size() > MAX_RDN_CHARS)
        return ERR_NAME_TOO_LONG;
    return 0;
}

std::string join(const std::vector<std::string>& components) {
    if (components.empty())
        return ROOT_NAME;
    std::string out;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i != 0)
            out += '.';
        out += escapeComponent(components[i]);
    }
    return out;
}

NWDSCCODE checkSchemaName(const char* name) {
    if (name == nullptr)
        return ERR_NULL_POINTER;
    const std::size_t n = strnlen(name, MAX_SCHEMA_NAME_CHARS + 1);
    if (n > MAX_SCHEMA_NAME_CHARS)
        return ERR_NAME_TOO_LONG;
    if (n == 0)
        return ERR_INVALID_REQUEST;
    return 0;
}

std::string fold(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

bool equalFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace names
