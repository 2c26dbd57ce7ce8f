#include "Schema.h"

#include "client/common/Names.h"

#include <charconv>

namespace {
template <class Map> auto lookup(const Map& map, std::string_view name) {
    auto it = map.find(names::fold(name));
    return it == map.end() ? nullptr : it->second;
}
} // namespace

const ClassDefinition* Schema::findClass(std::string_view name) const {
    return lookup(classByName_, name);
}
const ClassDefinition* Schema::findClassByLdapName(std::string_view ldapName) const {
    return lookup(classByLdap_, ldapName);
}
const AttributeDefinition* Schema::findAttribute(std::string_view name) const {
    return lookup(attrByName_, name);
}
const AttributeDefinition* Schema::findAttributeByLdapName(std::string_view ldapName) const {
    return lookup(attrByLdap_, ldapName);
}

const SyntaxDefinition* Schema::findSyntax(std::uint32_t id) const {
    auto it = syntaxes_.find(id);
    return it == syntaxes_.end() ? nullptr : &it->second;
}

const SyntaxDefinition* Schema::findSyntax(std::string_view name) const {
    for (const auto& [id, def] : syntaxes_) {
        if (names::equalFolded(def.name, name))
            return &def;
    }
    return nullptr;
}

bool Schema::addClass(ClassDefinition def) {
    const std::string key = names::fold(def.name);
    const std::string ldapKey = names::fold(def.ldapName);
    if (key.empty() || classByName_.count(key) != 0 ||
        (!ldapKey.empty() && classByLdap_.count(ldapKey) != 0))
        return false;
    classes_.push_back(std::make_unique<ClassDefinition>(std::move(def)));
    classByName_[key] = classes_.back().get();
    if (!ldapKey.empty())
        classByLdap_[ldapKey] = classes_.back().get();
    return true;
}

bool Schema::addAttribute(AttributeDefinition def) {
    const std::string key = names::fold(def.name);
    const std::string ldapKey = names::fold(def.ldapName);
    if (key.empty() || attrByName_.count(key) != 0 ||
        (!ldapKey.empty() && attrByLdap_.count(ldapKey) != 0))
        return false;
    attributes_.push_back(std::make_unique<AttributeDefinition>(std::move(def)));
    attrByName_[key] = attributes_.back().get();
    if (!ldapKey.empty())
        attrByLdap_[ldapKey] = attributes_.back().get();
    return true;
}

bool Schema::addSyntax(SyntaxDefinition def) {
    return syntaxes_.emplace(def.id, std::move(def)).second;
}

std::vector<const ClassDefinition*> Schema::lineage(const ClassDefinition& cls) const {
    std::vector<const ClassDefinition*> out{&cls};
    for (std::size_t i = 0; i < out.size(); ++i) {
        for (const auto& superName : out[i]->lists[ClassDefinition::SuperClasses]) {
            const ClassDefinition* super = findClass(superName);
            if (super == nullptr)
                continue;
            bool seen = false;
            for (auto* c : out)
                seen = seen || c == super;
            if (!seen)
                out.push_back(super);
        }
    }
    return out;
}

bool Schema::isA(const ClassDefinition& cls, std::string_view ancestor) const {
    for (auto* c : lineage(cls)) {
        if (names::equalFolded(c->name, ancestor))
            return true;
    }
    return false;
}

const std::vector<std::string>& Schema::effectiveList(const ClassDefinition& cls,
                                                      ClassDefinition::List list) const {
    for (auto* c : lineage(cls)) {
        if (!c->lists[list].empty())
            return c->lists[list];
    }
    return cls.lists[list];
}

namespace {

// The base-128 digits of a decimal arc of any length (a UUID arc under 2.25 has 39 digits),
// most significant first; empty when the text is not decimal.
std::vector<std::uint8_t> base128Of(std::string_view decimal) {
    std::vector<std::uint8_t> digits;
    for (char c : decimal) {
        if (c < '0' || c > '9')
            return {};
        digits.push_back(std::uint8_t(c - '0'));
    }
    std::vector<std::uint8_t> groups; // least significant first
    while (!digits.empty()) {
        std::vector<std::uint8_t> quotient;
        unsigned rest = 0;
        for (std::uint8_t d : digits) {
            rest = rest * 10 + d;
            if (!quotient.empty() || rest / 128 != 0)
                quotient.push_back(std::uint8_t(rest / 128));
            rest %= 128;
        }
        groups.push_back(std::uint8_t(rest));
        digits = std::move(quotient);
    }
    if (groups.empty())
        groups.push_back(0);
    return {groups.rbegin(), groups.rend()};
}

} // namespace

Asn1_ID_T Schema::asn1Of(std::string_view oid) {
    Asn1_ID_T id{};
    std::vector<std::string_view> arcs;
    while (!oid.empty()) {
        const auto dot = oid.find('.');
        const auto part = oid.substr(0, dot);
        if (part.empty() || part.size() > 40)
            return Asn1_ID_T{};
        arcs.push_back(part);
        oid = dot == std::string_view::npos ? std::string_view() : oid.substr(dot + 1);
    }
    if (arcs.size() < 2 || arcs[0].size() != 1 || arcs[0][0] > '2' || arcs[1].size() > 9)
        return Asn1_ID_T{};
    std::vector<std::uint8_t> ber;
    auto encode = [&](std::string_view decimal) {
        const auto groups = base128Of(decimal);
        for (std::size_t i = 0; i < groups.size(); ++i)
            ber.push_back(i + 1 < groups.size() ? std::uint8_t(groups[i] | 0x80) : groups[i]);
        return !groups.empty();
    };
    std::uint32_t second = 0;
    auto [p, ec] = std::from_chars(arcs[1].data(), arcs[1].data() + arcs[1].size(), second);
    if (ec != std::errc() || p != arcs[1].data() + arcs[1].size())
        return Asn1_ID_T{};
    encode(std::to_string(std::uint64_t(arcs[0][0] - '0') * 40 + second));
    for (std::size_t i = 2; i < arcs.size(); ++i) {
        if (!encode(arcs[i]))
            return Asn1_ID_T{};
    }
    if (ber.size() > sizeof id.data)
        return id;
    id.length = std::uint32_t(ber.size());
    for (std::size_t i = 0; i < ber.size(); ++i)
        id.data[i] = ber[i];
    return id;
}
