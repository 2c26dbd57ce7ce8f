// Object writes over LDAP: adding an object from an add-entry request, removing, renaming and
// moving one. The rules a server does not know (containment, the bounds of sized attributes,
// effective classes) are checked first (LdapWriteChecks, CreateRules), with the codes the
// embedded directory gives, so a refused write sends nothing.
#include "LdapNaming.h"
#include "LdapObjectWriter.h"
#include "LdapObjects.h"
#include "LdapOutcome.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "OstrelObjectClass.h"
#include "client/common/CreateRules.h"
#include "client/common/Names.h"
#include "client/common/NewObjectClass.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>

NWDSCCODE LdapObjectWriter::add(const ContextState& ctx, LdapTree& tree, const char* objectName,
                                const std::vector<request::Attribute>& attributes) {
    std::string parentDn, ownName;
    if (auto rc = checks_.resolveNew(ctx, tree, objectName, parentDn, ownName); rc != 0)
        return rc;
    const Schema& schema = *tree.schema;

    const ClassDefinition* cls = nullptr;
    if (auto rc = request::classOfNewObject(schema, attributes, cls); rc != 0)
        return rc;
    if (auto rc = checks_.checkContainment(tree, *cls, parentDn); rc != 0)
        return rc;
    if (parentDn.empty()) {
        // No server holds the tree's top: each holds its naming contexts, and an entry goes
        // below one of them. Sent, the add would be refused for want of a superior.
        std::string contexts;
        for (const auto& b : tree.bases)
            contexts += (contexts.empty() ? "" : ", ") + names::printable(b);
        outcome_.refusal = {ERR_NOT_SUPPORTED,
                            "An LDAP server holds only its naming contexts (" + contexts +
                                "): create the object below one of them, not at [Root]."};
        return ERR_NOT_SUPPORTED;
    }
    const AttributeDefinition* namingAttr = createrules::namingAttribute(schema, *cls);
    if (namingAttr == nullptr || namingAttr->ldapName.empty())
        return ERR_BAD_NAMING_ATTRIBUTES;
    if (auto rc = createrules::checkName(*namingAttr, ownName); rc != 0)
        return rc;

    const std::string dn = namingAttr->ldapName + "=" + valuetext::escapeDnValue(ownName) +
                           (parentDn.empty() ? "" : "," + parentDn);
    // The directory finds an existing name before anything wrong with the attributes; the
    // server is asked only when the attributes are refused.
    auto refuse = [&](NWDSCCODE rc) {
        LdapEntry existing;
        return tree.session->readEntry(dn, {"1.1"}, true, LdapSession::Deref::Never, existing) == 0
                   ? NWDSCCODE(ERR_ENTRY_ALREADY_EXISTS)
                   : rc;
    };
    std::vector<createrules::Planned> planned;
    if (auto rc = createrules::plan(schema, *cls, *namingAttr, ownName, attributes, planned);
        rc != 0)
        return refuse(rc);

    // The attributes as the server takes them. Where the server defines it, the class that
    // lets the object hold what every directory object may (an ACL, say) goes on from the
    // start.
    LdapValueNames valueNames(schema, naming_.dnOfName(tree));
    std::vector<LdapMod> mods;
    std::vector<std::string> classes = {cls->ldapName};
    if (ostrelobject::allowedBy(tree.subschemaValues.objectClasses))
        classes.emplace_back(ostrelobject::kLdapName);
    mods.push_back({LdapMod::Add, "objectClass", std::move(classes)});
    for (const auto& p : planned) {
        if (p.def->ldapName.empty())
            return refuse(ERR_NO_SUCH_ATTRIBUTE);
        if (p.values.empty())
            continue;
        LdapMod mod{LdapMod::Add, p.def->ldapName, {}};
        for (const auto& wire : p.values) {
            std::string text;
            if (auto rc = valuetext::format(p.def->syntax, wire, valueNames, text); rc != 0)
                return refuse(rc);
            mod.values.push_back(std::move(text));
        }
        mods.push_back(std::move(mod));
    }

    if (auto rc = tree.session->add(dn, mods); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    naming_.rememberNaming(tree, parentDn, ownName, namingAttr->ldapName);
    return 0;
}

NWDSCCODE LdapObjectWriter::remove(LdapTree& tree, const std::string& dn) {
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    if (auto rc = tree.session->remove(dn); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    naming_.forgetNaming(tree, dn);
    return 0;
}

NWDSCCODE LdapObjectWriter::rename(LdapTree& tree, const std::string& dn, const char* newName,
                                   bool deleteOldName) {
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    std::string type, name;
    if (auto rc = checks_.newName(tree, dn, newName, type, name); rc != 0)
        return rc;
    if (auto rc = tree.session->rename(dn, valuetext::rdnText(type, name), "", deleteOldName);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const std::string parent = ldapnames::parentDn(dn);
    naming_.forgetNaming(tree, dn);
    naming_.rememberNaming(tree, parent, name, type);
    return 0;
}

NWDSCCODE LdapObjectWriter::move(const ContextState& ctx, LdapTree& tree, const char* objectName,
                                 const char* destParentName, const char* destName) {
    std::string dn, destination;
    if (auto rc = naming_.resolve(ctx, tree, objectName, dn); rc != 0)
        return rc;
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    if (auto rc = naming_.resolve(ctx, tree, destParentName, destination); rc != 0)
        return rc;
    // A container cannot go below itself.
    const std::string folded = names::fold(ldapnames::canonicalDn(dn));
    for (std::string at = ldapnames::canonicalDn(destination); !at.empty();
         at = ldapnames::parentDn(at)) {
        if (names::fold(at) == folded)
            return ERR_INVALID_REQUEST;
    }
    const ClassDefinition* cls = nullptr;
    if (auto rc = checks_.classOfEntry(tree, dn, cls); rc != 0)
        return rc;
    if (cls == nullptr)
        return ERR_ILLEGAL_CONTAINMENT;
    if (auto rc = checks_.checkContainment(tree, *cls, destination); rc != 0)
        return rc;
    std::string type, newName;
    if (auto rc = checks_.newName(tree, dn, destName, type, newName); rc != 0)
        return rc;
    if (auto rc = tree.session->rename(dn, valuetext::rdnText(type, newName), destination, true);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    naming_.forgetNaming(tree, dn);
    naming_.rememberNaming(tree, destination, newName, type);
    return 0;
}
