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

Asn1_ID_T Schema::asn1Of(std::string_view oid) {
    Asn1_ID_T id{};
    std::vector<std::uint32_t> arcs;
    while (!oid.empty()) {
        const auto dot = oid.find('.');
        const auto part = oid.substr(0, dot);
        std::uint32_t v = 0;
        auto [p, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
        if (ec != std::errc() || p != part.data() + part.size())
            return Asn1_ID_T{};
        arcs.push_back(v);
        oid = dot == std::string_view::npos ? std::string_view() : oid.substr(dot + 1);
    }
    if (arcs.size() < 2)
        return id;
    std::vector<std::uint8_t> ber;
    auto encode = [&](std::uint32_t v) {
        std::uint8_t tmp[5];
        int n = 0;
        do {
            tmp[n++] = std::uint8_t(v & 0x7F);
            v >>= 7;
        } while (v != 0);
        while (n > 0) {
            const std::uint8_t b = tmp[--n];
            ber.push_back(n > 0 ? std::uint8_t(b | 0x80) : b);
        }
    };
    encode(arcs[0] * 40 + arcs[1]);
    for (std::size_t i = 2; i < arcs.size(); ++i)
        encode(arcs[i]);
    if (ber.size() > sizeof id.data)
        return id;
    id.length = std::uint32_t(ber.size());
    for (std::size_t i = 0; i < ber.size(); ++i)
        id.data[i] = ber[i];
    return id;
}
