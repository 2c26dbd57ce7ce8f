#include "LdapValueNames.h"

#include "client/common/Names.h"

std::optional<std::string> LdapValueNames::nameFromText(std::string_view text) const {
    if (text.empty())
        return std::nullopt;
    if (text.front() == '[')
        return std::string(text);
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(text, parts))
        return std::nullopt;
    std::vector<std::string> components;
    components.reserve(parts.size());
    for (auto& p : parts)
        components.push_back(std::move(p.value));
    return names::join(components);
}

std::string LdapValueNames::nameToText(std::string_view name) const {
    if (name.empty() || name.front() == '[')
        return std::string(name);
    auto dn = dnOf_ ? dnOf_(name) : std::nullopt;
    return dn ? *dn : std::string(name);
}
