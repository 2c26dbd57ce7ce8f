// Modifying one object's attributes over LDAP: every change of the request goes in one modify
// request, so the server applies all of them or none. What the server cannot judge (the
// bounds of sized attributes, attributes the directory's class does not allow, values the
// request adds that the object already holds) is settled here before anything is sent.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "OstrelObjectClass.h"
#include "client/common/Names.h"
#include "client/common/RequestDecoding.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace {

bool caseIgnored(std::uint32_t syntax) {
    return syntax == SYN_CI_STRING || syntax == SYN_CLASS_NAME || syntax == SYN_DIST_NAME ||
           syntax == SYN_TEL_NUMBER;
}

bool sameText(std::uint32_t syntax, std::string_view a, std::string_view b) {
    return caseIgnored(syntax) ? names::equalFolded(a, b) : a == b;
}

bool allowedByClass(const Schema& schema, const ClassDefinition* cls,
                    const AttributeDefinition& def) {
    if (cls == nullptr)
        return false;
    for (const ClassDefinition* c : schema.lineage(*cls)) {
        for (auto list :
             {ClassDefinition::Naming, ClassDefinition::Mandatory, ClassDefinition::Optional}) {
            for (const std::string& name : c->lists[list]) {
                if (schema.findAttribute(name) == &def)
                    return true;
            }
        }
    }
    return false;
}

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

NWDSCCODE LdapDirectory::NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                                          std::int32_t* iterationHandle, bool more,
                                          Buf_T* changes) {
    lastFailure_ = {}; // the server's word on this change alone
    changeNote_.clear();
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    std::vector<request::Change> decoded;
    if (auto rc = modifyRequest(iterationHandle, more, changes, decoded); rc != 0)
        return rc;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    std::string dn;
    if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
        return rc;
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    const Schema& schema = *tree->schema;

    // The object's class and the values it holds of the attributes the request names.
    std::vector<std::string> wanted = {"structuralObjectClass", "objectClass"};
    for (const auto& c : decoded) {
        const AttributeDefinition* def = schema.findAttribute(c.name);
        if (def == nullptr || def->ldapName.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
        wanted.push_back(def->ldapName);
    }
    LdapEntry entry;
    if (auto rc = tree->session->readEntry(dn, wanted, false, LdapSession::Deref::Never, entry);
        rc != 0) {
        fail(*tree);
        return rc;
    }
    const ClassDefinition* cls = schema.findClass(infoOf(*tree, entry).baseClass);
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

    LdapValueNames valueNames(schema, dnOfName(*tree));
    std::vector<LdapMod> mods;
    // The values of each attribute as they stand after the changes so far.
    std::vector<std::pair<const AttributeDefinition*, std::vector<std::string>>> held;
    auto heldOf = [&](const AttributeDefinition& def) -> std::vector<std::string>& {
        for (auto& [d, v] : held) {
            if (d == &def)
                return v;
        }
        const auto* now = entry.find(def.ldapName);
        held.emplace_back(&def, now != nullptr ? *now : std::vector<std::string>{});
        return held.back().second;
    };
    for (const request::Change& change : decoded) {
        const AttributeDefinition& def = *schema.findAttribute(change.name);
        if (change.type > DS_OVERWRITE_VALUE)
            return ERR_INVALID_REQUEST;
        std::vector<std::string> texts;
        if (change.type != DS_REMOVE_ATTRIBUTE) {
            if (change.values.empty())
                return ERR_INVALID_REQUEST;
            for (const request::Value& v : change.values) {
                if (v.syntax != def.syntax)
                    return ERR_SYNTAX_VIOLATION;
                if (def.syntax == SYN_STREAM)
                    return ERR_INVALID_REQUEST; // stream content is written through a stream
                const valuerules::AttributeShape shape{def.syntax, def.flags, def.lower, def.upper};
                if (auto rc = valuerules::checkValue(shape, v.bytes); rc != 0)
                    return rc;
                std::string text;
                if (auto rc = valuetext::format(def.syntax, v.bytes, valueNames, text); rc != 0)
                    return rc;
                texts.push_back(std::move(text));
            }
        }
        const bool adds = change.type != DS_REMOVE_ATTRIBUTE && change.type != DS_REMOVE_VALUE;
        if (adds && !allowedByClass(schema, cls, def))
            return ERR_ILLEGAL_ATTRIBUTE;
        std::vector<std::string>& values = heldOf(def);
        auto holds = [&](const std::string& t) {
            return std::any_of(values.begin(), values.end(),
                               [&](const std::string& v) { return sameText(def.syntax, v, t); });
        };
        switch (change.type) {
        case DS_ADD_ATTRIBUTE:
            if (!values.empty())
                return ERR_ATTRIBUTE_ALREADY_EXISTS;
            [[fallthrough]];
        case DS_ADD_VALUE:
            for (const auto& t : texts) {
                if (holds(t))
                    return ERR_DUPLICATE_VALUE;
                values.push_back(t);
            }
            mods.push_back({LdapMod::Add, def.ldapName, texts});
            break;
        case DS_REMOVE_ATTRIBUTE:
            if (values.empty())
                return ERR_NO_SUCH_ATTRIBUTE;
            for (const auto& v : values) {
                if (isNamingValue(def, v))
                    return ERR_CANT_REMOVE_NAMING_VALUE;
            }
            values.clear();
            mods.push_back({LdapMod::Delete, def.ldapName, {}});
            break;
        case DS_REMOVE_VALUE:
            for (const auto& t : texts) {
                auto it = std::find_if(values.begin(), values.end(), [&](const std::string& v) {
                    return sameText(def.syntax, v, t);
                });
                if (it == values.end())
                    return ERR_NO_SUCH_VALUE;
                if (isNamingValue(def, *it))
                    return ERR_CANT_REMOVE_NAMING_VALUE;
                values.erase(it);
            }
            mods.push_back({LdapMod::Delete, def.ldapName, texts});
            break;
        case DS_ADDITIONAL_VALUE:
        case DS_OVERWRITE_VALUE: {
            if (change.type == DS_OVERWRITE_VALUE && (def.flags & DS_SINGLE_VALUED_ATTR)) {
                values = {texts.front()};
                mods.push_back({LdapMod::Replace, def.ldapName, {texts.front()}});
                if (texts.size() > 1)
                    return ERR_CANT_HAVE_MULTIPLE_VALUES;
                break;
            }
            std::vector<std::string> fresh;
            for (const auto& t : texts) {
                if (!holds(t)) {
                    values.push_back(t);
                    fresh.push_back(t);
                }
            }
            if (!fresh.empty())
                mods.push_back({LdapMod::Add, def.ldapName, std::move(fresh)});
            break;
        }
        }
        if ((def.flags & DS_SINGLE_VALUED_ATTR) && values.size() > 1)
            return ERR_CANT_HAVE_MULTIPLE_VALUES;
    }
    // A mandatory attribute the request took away (those never held stay as they were).
    if (cls != nullptr) {
        for (const auto& [def, values] : held) {
            if (!values.empty())
                continue;
            for (const ClassDefinition* c : schema.lineage(*cls)) {
                for (const auto& name : c->lists[ClassDefinition::Mandatory]) {
                    if (schema.findAttribute(name) == def)
                        return ERR_MISSING_MANDATORY;
                }
            }
        }
    }
    if (mods.empty())
        return 0;
    addOstrelObjectWhereNeeded(tree->subschemaValues.objectClasses, entry, mods);
    if (auto rc = tree->session->modify(dn, mods); rc != 0) {
        fail(*tree);
        return rc;
    }
    tree->listedNames.erase(names::fold(ldapnames::canonicalDn(dn)));
    tree->listedByName.objects.clear();
    // A server's access rules are its own configuration, not these values: rewriting them
    // would take its configuration's administrator, and would overwrite rules the server's
    // administrators wrote themselves. The values are kept; the user is told they rule nothing.
    const bool rights = std::any_of(decoded.begin(), decoded.end(), [](const request::Change& c) {
        return names::equalFolded(c.name, "ACL") || names::equalFolded(c.name, "Security Equals");
    });
    if (rights)
        changeNote_ = "The values were stored, but the server's own access rules were not "
                      "changed: on an LDAP server they are the server's configuration, and rights "
                      "there stay as they were.";
    return 0;
}
