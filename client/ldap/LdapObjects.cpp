// The objects the LDAP client shows, made from the entries the server gives.
#include "LdapObjects.h"

#include "LdapNaming.h"
#include "LdapSession.h"
#include "LdapTree.h"
#include "client/common/ReplyWriter.h"
#include "client/common/ValueText.h"
#include "client/common/ValueWire.h"
#include "directory/Codes.h"

namespace ldapobjects {

namespace {

std::span<const std::string> valuesIn(const LdapEntry& e, std::string_view name) {
    const std::vector<std::string>* v = e.find(name);
    return v != nullptr ? std::span<const std::string>(*v) : std::span<const std::string>();
}

} // namespace

std::uint32_t secondsOf(std::string_view stamp) {
    char t[15];
    const std::size_t n = std::min<std::size_t>(stamp.size(), 14);
    std::memcpy(t, stamp.data(), n);
    t[n] = 'Z';
    return valuetext::parseGeneralizedTime(std::string_view(t, n + 1)).value_or(0);
}

bool addShown(std::vector<const AttributeDefinition*>& shown, const AttributeDefinition* def) {
    if (def == nullptr || (def->flags & DS_HIDDEN_ATTR) ||
        std::find(shown.begin(), shown.end(), def) != shown.end())
        return false;
    shown.push_back(def);
    return true;
}

namespace {

// The base class and the lineage of the classes an entry lists, found once for the entries
// alike.
const KnownClasses& knownClassesOf(std::vector<KnownClasses>& known, const Schema& schema,
                                   const LdapEntry& e) {
    const auto structural = valuesIn(e, "structuralObjectClass");
    const auto classes = valuesIn(e, "objectClass");
    for (const auto& k : known) {
        if ((structural.empty() ? k.structural.empty() : k.structural == structural.front()) &&
            std::equal(k.classes.begin(), k.classes.end(), classes.begin(), classes.end()))
            return k;
    }
    const BaseClass base = baseClassOf(schema, structural, classes);
    KnownClasses found{structural.empty() ? "" : structural.front(),
                       {classes.begin(), classes.end()},
                       base.cls,
                       base.alias,
                       {}};
    // The directory lists an object's classes with every super class above them.
    for (const auto& v : classes) {
        const ClassDefinition* c = schema.findClassByLdapName(v);
        if (c == nullptr) {
            found.lineage.push_back(v);
            continue;
        }
        for (const ClassDefinition* up : schema.lineage(*c)) {
            if (std::find_if(found.lineage.begin(), found.lineage.end(), [&](const std::string& n) {
                    return names::equalFolded(n, up->ldapName);
                }) == found.lineage.end())
                found.lineage.push_back(up->ldapName);
        }
    }
    if (known.size() >= 64)
        known.clear();
    known.push_back(std::move(found));
    return known.back();
}

} // namespace

Object_Info_T infoOf(LdapTree& tree, const LdapEntry& e) {
    const KnownClasses& known = knownClassesOf(tree.knownClasses, *tree.schema, e);
    Object_Info_T info =
        infoWith(BaseClass{known.base, known.alias}, valuesIn(e, "hasSubordinates"));
    if (auto v = valuesIn(e, "modifyTimestamp"); !v.empty())
        info.modificationTime = secondsOf(v.front());
    return info;
}

LdapObjectData dataOf(LdapTree& tree, LdapEntry&& e, bool withValues) {
    LdapObjectData d;
    d.info = infoOf(tree, e);
    d.dn = ldapnames::canonicalDn(e.dn);
    // Taken before the entry's values move out.
    const std::vector<std::string> lineage =
        withValues ? knownClassesOf(tree.knownClasses, *tree.schema, e).lineage
                   : std::vector<std::string>{};
    for (auto& [name, values] : e.attributes) {
        const AttributeDefinition* def = LdapNaming::ldapAttribute(tree, name);
        if (!addShown(d.attributes, def))
            continue;
        if (withValues && names::equalFolded(def->ldapName, "objectClass"))
            values = lineage;
        if (withValues)
            d.values.push_back(std::move(values));
    }
    return d;
}

bool addTextValues(ReplyWriter& reply, const AttributeDefinition& def,
                   const std::vector<std::string>& texts, std::size_t& next,
                   const valuetext::NameMapping& names, std::string& wireValue) {
    for (; next < texts.size(); ++next) {
        if (valuetext::parse(def.syntax, texts[next], names, wireValue) != 0)
            continue;
        if (def.syntax == SYN_STREAM)
            wireValue = wire::u32Value(std::uint32_t(wireValue.size()));
        if (!reply.addValue(wireValue))
            return false;
    }
    return true;
}

} // namespace ldapobjects
