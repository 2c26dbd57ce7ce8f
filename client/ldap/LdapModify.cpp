// Modifying one object's attributes over LDAP: every change of the request goes in one modify
// request, so the server applies all of them or none. The directory's rules
// (client/common/ModifyRules.h) are checked here first against the values the object holds,
// as the embedded directory checks them: what a server cannot judge (the bounds of sized
// attributes, attributes the directory's class does not allow, values the request adds that
// the object already holds) is settled before anything is sent.
#include "LdapNaming.h"
#include "LdapObjectWriter.h"
#include "LdapObjects.h"
#include "LdapOutcome.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "OstrelObjectClass.h"
#include "client/common/ModifyRules.h"
#include "client/common/Names.h"
#include "client/common/RequestDecoding.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace {

// An entry another tool made lacks the class that lets it hold what every directory object
// may; when a change gives it such an attribute, the same modify adds the class (where the
// server defines it), so the server sees the class and the value together.
void addOstrelObjectWhereNeeded(const std::vector<std::string>& serverClasses,
                                const LdapEntry& entry, std::vector<LdapMod>& mods) {
    const auto* held = entry.find("objectClass");
    if (held != nullptr && std::any_of(held->begin(), held->end(), [](const std::string& c) {
            return ostrelobject::isThisClass(c);
        }))
        return;
    const auto allowed = ostrelobject::allowedBy(serverClasses);
    if (!allowed)
        return;
    const bool needed = std::any_of(mods.begin(), mods.end(), [&](const LdapMod& m) {
        return m.op != LdapMod::Delete && allowed->count(names::fold(m.type)) > 0;
    });
    if (needed)
        mods.insert(mods.begin(),
                    {LdapMod::Add, "objectClass", {std::string(ostrelobject::kLdapName)}});
}

} // namespace

NWDSCCODE LdapObjectWriter::modify(LdapTree& tree, const std::string& dn,
                                   const std::vector<request::Change>& changes) {
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    const Schema& schema = *tree.schema;

    // The object's class and the values it holds of the attributes the request names.
    std::vector<std::string> wanted = {"structuralObjectClass", "objectClass"};
    for (const auto& c : changes) {
        const AttributeDefinition* def = schema.findAttribute(c.name);
        if (def == nullptr || def->ldapName.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
        wanted.push_back(def->ldapName);
    }
    LdapEntry entry;
    if (auto rc = tree.session->readEntry(dn, wanted, false, LdapSession::Deref::Never, entry);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const ClassDefinition* cls = schema.findClass(ldapobjects::infoOf(tree, entry).baseClass);
    // The naming value stays: the server would refuse its removal as a class violation.
    std::vector<valuetext::DnComponent> rdn;
    if (!valuetext::splitDn(dn, rdn) || rdn.empty())
        return ERR_INVALID_REQUEST;
    const auto rdnTypes = names::valuesOf(rdn.front().type);
    const auto rdnValues = names::valuesOf(rdn.front().value);
    auto isNamingValue = [&](const AttributeDefinition& def, std::string_view text) {
        for (std::size_t i = 0; i < rdnTypes.size() && i < rdnValues.size(); ++i) {
            if (names::equalFolded(def.ldapName, rdnTypes[i]) &&
                names::equalFolded(text, rdnValues[i]))
                return true;
        }
        return false;
    };

    LdapValueNames valueNames(schema, naming_.dnOfName(tree));
    modifyrules::Target target;
    target.baseClass = cls;
    target.held = [&](const AttributeDefinition& def) {
        const auto* now = entry.find(def.ldapName);
        return now != nullptr ? *now : std::vector<std::string>{};
    };
    target.isNamingValue = isNamingValue;
    target.form = [&](const AttributeDefinition& def, const std::string& wire, std::string& text) {
        return valuetext::format(def.syntax, wire, valueNames, text);
    };
    modifyrules::Outcome outcome;
    if (auto rc = modifyrules::apply(schema, target, changes, outcome); rc != 0)
        return rc;
    std::vector<LdapMod> mods;
    for (auto& effect : outcome.effects) {
        const std::string& type = effect.def->ldapName;
        switch (effect.kind) {
        case modifyrules::Effect::AddValues:
            mods.push_back({LdapMod::Add, type, std::move(effect.values)});
            break;
        case modifyrules::Effect::RemoveAttribute:
            mods.push_back({LdapMod::Delete, type, {}});
            break;
        case modifyrules::Effect::RemoveValues:
            mods.push_back({LdapMod::Delete, type, std::move(effect.values)});
            break;
        case modifyrules::Effect::Replace:
            mods.push_back({LdapMod::Replace, type, std::move(effect.values)});
            break;
        }
    }
    if (mods.empty())
        return 0;
    addOstrelObjectWhereNeeded(tree.subschemaValues.objectClasses, entry, mods);
    if (auto rc = tree.session->modify(dn, mods); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    tree.listedNames.erase(names::fold(ldapnames::canonicalDn(dn)));
    tree.listedByName.objects.clear();
    // A server's access rules are its own configuration, not these values: rewriting them
    // would take its configuration's administrator, and would overwrite rules the server's
    // administrators wrote themselves. The values are kept; the user is told they rule nothing.
    const bool rights = std::any_of(changes.begin(), changes.end(), [](const request::Change& c) {
        return names::equalFolded(c.name, "ACL") || names::equalFolded(c.name, "Security Equals");
    });
    if (rights)
        outcome_.changeNote =
            "The values were stored, but the server's own access rules were not "
            "changed: on an LDAP server they are the server's configuration, and rights "
            "there stay as they were.";
    return 0;
}
