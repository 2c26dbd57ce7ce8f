#include "NameRules.h"

#include "Codes.h"

namespace {

bool needsEscape(char c, bool first) {
    return c == '.' || c == '\\' || c == '=' || c == '+' || (first && c == '[');
}

// Position of the first "." that no "\" escapes, or npos.
std::size_t firstSeparator(std::string_view name) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\')
            ++i;
        else if (name[i] == '.')
            return i;
    }
    return std::string_view::npos;
}

} // namespace

std::string escapeNameComponent(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == kNameValueJoin) {
            out += '+';
            continue;
        }
        if (needsEscape(text[i], i == 0))
            out += '\\';
        out += text[i];
    }
    return out;
}

std::string unescapeNameComponent(std::string_view escaped) {
    std::string out;
    out.reserve(escaped.size());
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        if (escaped[i] == '\\' && ++i == escaped.size())
            break;
        out += escaped[i];
    }
    return out;
}

std::vector<std::string_view> splitEscapedName(std::string_view name) {
    std::vector<std::string_view> out;
    for (;;) {
        const std::size_t dot = firstSeparator(name);
        out.push_back(name.substr(0, dot));
        if (dot == std::string_view::npos)
            return out;
        name.remove_prefix(dot + 1);
    }
}

std::string labelOf(std::string_view listedName) {
    if (isRootName(listedName))
        return std::string(listedName);
    const std::string_view first = listedName.substr(0, firstSeparator(listedName));
    std::string out;
    out.reserve(first.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        if (first[i] == '\\') {
            if (++i == first.size())
                break;
            out += first[i];
        } else {
            out += first[i] == '+' ? kNameValueJoin : first[i];
        }
    }
    return out;
}

bool isMultiValuedLabel(std::string_view label) {
    return label.find(kNameValueJoin) != std::string_view::npos;
}

std::string labelText(std::string_view label) {
    return isMultiValuedLabel(label) ? escapeNameComponent(label) : std::string(label);
}

bool isRootName(std::string_view name) {
    return name == ROOT_NAME;
}

std::string fullNameOfListed(std::string_view listedName, std::string_view context) {
    std::string full(listedName);
    if (!isRootName(context)) {
        full += '.';
        full += context;
    }
    return full;
}

std::string fullNameOf(std::string_view label, std::string_view context) {
    return fullNameOfListed(escapeNameComponent(label), context);
}

std::string parentContextOf(std::string_view context) {
    const auto dot = firstSeparator(context);
    if (dot == std::string_view::npos)
        return ROOT_NAME;
    return std::string(context.substr(dot + 1));
}
