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

Object_Info_T infoOf(const LdapTree& tree, const LdapEntry& e) {
    const auto base =
        baseClassOf(*tree.schema, valuesIn(e, "structuralObjectClass"), valuesIn(e, "objectClass"));
    Object_Info_T info = infoWith(base, valuesIn(e, "hasSubordinates"));
    if (auto v = valuesIn(e, "modifyTimestamp"); !v.empty())
        info.modificationTime = secondsOf(v.front());
    return info;
}

LdapObjectData dataOf(LdapTree& tree, LdapEntry&& e, bool withValues) {
    LdapObjectData d;
    d.info = infoOf(tree, e);
    d.dn = ldapnames::canonicalDn(e.dn);
    for (auto& [name, values] : e.attributes) {
        const AttributeDefinition* def = LdapNaming::ldapAttribute(tree, name);
        if (!addShown(d.attributes, def))
            continue;
        if (withValues && names::equalFolded(def->ldapName, "objectClass")) {
            // The directory lists an object's classes with every super class above them.
            std::vector<std::string> lineage;
            for (const auto& v : values) {
                const ClassDefinition* c = tree.schema->findClassByLdapName(v);
                if (c == nullptr) {
                    lineage.push_back(v);
                    continue;
                }
                for (const ClassDefinition* up : tree.schema->lineage(*c)) {
                    if (std::find_if(lineage.begin(), lineage.end(), [&](const std::string& n) {
                            return names::equalFolded(n, up->ldapName);
                        }) == lineage.end())
                        lineage.push_back(up->ldapName);
                }
            }
            values = std::move(lineage);
        }
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
