// Object writes over LDAP: adding an object from an add-entry request, removing, renaming and
// moving one. The server enforces its own schema and access; the rules it does not know
// (containment, the bounds of sized attributes, effective classes) are checked here first,
// with the codes the embedded directory gives, so a refused write sends nothing.
#include "LdapDirectory.h"
#include "LdapObjects.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "OstrelObjectClass.h"
#include "client/common/CreateRules.h"
#include "client/common/Names.h"
#include "client/common/NewObjectClass.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>

namespace {

NWDSCCODE singleComponent(const char* name, std::string& component, std::string* tags = nullptr) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root || parsed.leadingDot || parsed.components.size() != 1)
        return ERR_INVALID_OBJECT_NAME;
    component = parsed.components.front();
    if (tags != nullptr)
        *tags = parsed.tags.front();
    return 0;
}

// The naming attribute's LDAP type of the entry at `dn` (its RDN's type).
std::string rdnTypeOf(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return {};
    return parts.front().type;
}

// The new name a rename or a move gives the entry at `dn`: one component, a valid object name
// and valid values of the naming attributes. A value written with a type tag
// ("Ann Lee+EMPLOYEENUMBER=4711") has that type; otherwise it keeps the type of the entry's RDN
// at its place when the new name has as many values as the RDN, the first value keeps the
// first type, and each further one takes the attribute of the entry that holds it (`holderOf`,
// "" for none).
NWDSCCODE newNameOf(const Schema& schema, std::string_view dn, const char* given,
                    const std::function<std::string(std::string_view)>& holderOf, std::string& type,
                    std::string& newName) {
    std::string tagged;
    if (auto rc = singleComponent(given, newName, &tagged); rc != 0)
        return rc;
    if (auto rc = createrules::checkObjectName(newName); rc != 0)
        return rc;
    const auto oldTypes = names::valuesOf(rdnTypeOf(dn));
    const auto values = names::valuesOf(newName);
    const auto tags = names::valuesOf(tagged);
    std::vector<std::string> types;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const AttributeDefinition* naming = nullptr;
        if (i < tags.size() && !tags[i].empty()) {
            naming = schema.findAttribute(tags[i]);
            if (naming == nullptr)
                naming = schema.findAttributeByLdapName(tags[i]);
        } else {
            const bool kept = i == 0 || values.size() == oldTypes.size();
            naming = schema.findAttributeByLdapName(kept ? oldTypes[i] : holderOf(values[i]));
        }
        if (naming == nullptr || naming->ldapName.empty())
            return ERR_BAD_NAMING_ATTRIBUTES;
        if (auto rc = createrules::checkName(*naming, values[i]); rc != 0)
            return rc;
        types.push_back(naming->ldapName);
    }
    type = names::joinValues(types);
    return 0;
}

} // namespace

NWDSCCODE LdapDirectory::classOfEntry(Tree& tree, const std::string& dn,
                                      const ClassDefinition*& cls) {
    cls = nullptr;
    LdapEntry e;
    if (auto rc = tree.session->readEntry(dn, {"structuralObjectClass", "objectClass"}, false,
                                          LdapSession::Deref::Never, e);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const Object_Info_T info = ldapobjects::infoOf(tree, e);
    cls = tree.schema->findClass(info.baseClass);
    return 0;
}

NWDSCCODE LdapDirectory::checkContainment(Tree& tree, const ClassDefinition& cls,
                                          const std::string& parentDn) {
    const ClassDefinition* parent = nullptr;
    if (!parentDn.empty()) {
        if (auto rc = classOfEntry(tree, parentDn, parent); rc != 0)
            return rc;
        if (parent == nullptr)
            return ERR_ILLEGAL_CONTAINMENT;
    }
    return createrules::containmentAllows(*tree.schema, cls, parent) ? 0 : ERR_ILLEGAL_CONTAINMENT;
}

NWDSCCODE LdapDirectory::resolveNew(const ContextState& ctx, Tree& tree, const char* name,
                                    std::string& parentDn, std::string& ownName) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    ownName = parsed.components.front();
    if (auto rc = createrules::checkObjectName(ownName); rc != 0)
        return rc;
    // A new object is named by its class's one naming attribute.
    if (names::isMultiValued(ownName))
        return ERR_BAD_NAMING_ATTRIBUTES;
    std::vector<std::string> above(parsed.components.begin() + 1, parsed.components.end());
    if (above.empty()) {
        // One component goes into the name context (".Name" at the top).
        if (parsed.leadingDot || ctx.nameContext.empty() || ctx.nameContext == ROOT_NAME) {
            parentDn.clear();
            return 0;
        }
        return naming_.resolve(ctx, tree, ("." + ctx.nameContext).c_str(), parentDn);
    }
    const std::string parentName = (parsed.leadingDot ? "." : "") + names::join(above);
    return naming_.resolve(ctx, tree, parentName.c_str(), parentDn);
}

NWDSCCODE LdapDirectory::NWDSAddObject(NWDSContextHandle context, const char* objectName,
                                       std::int32_t* iterationHandle, bool more,
                                       Buf_T* objectInfo) {
    outcome_.refusal = {};
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = nullptr;
    std::vector<request::Attribute> attributes;
    if (auto rc = addEntryRequest(context, iterationHandle, more, objectInfo, ctx, attributes);
        rc != 0)
        return rc;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    std::string parentDn, ownName;
    if (auto rc = resolveNew(*ctx, *tree, objectName, parentDn, ownName); rc != 0)
        return rc;
    const Schema& schema = *tree->schema;

    const ClassDefinition* cls = nullptr;
    if (auto rc = request::classOfNewObject(schema, attributes, cls); rc != 0)
        return rc;
    if (auto rc = checkContainment(*tree, *cls, parentDn); rc != 0)
        return rc;
    if (parentDn.empty()) {
        // No server holds the tree's top: each holds its naming contexts, and an entry goes
        // below one of them. Sent, the add would be refused for want of a superior.
        std::string contexts;
        for (const auto& b : tree->bases)
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
        return tree->session->readEntry(dn, {"1.1"}, true, LdapSession::Deref::Never, existing) == 0
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
    LdapValueNames valueNames(schema, naming_.dnOfName(*tree));
    std::vector<LdapMod> mods;
    std::vector<std::string> classes = {cls->ldapName};
    if (ostrelobject::allowedBy(tree->subschemaValues.objectClasses))
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

    if (auto rc = tree->session->add(dn, mods); rc != 0) {
        outcome_.fail(*tree);
        return rc;
    }
    naming_.rememberNaming(*tree, parentDn, ownName, namingAttr->ldapName);
    return 0;
}

NWDSCCODE LdapDirectory::NWDSRemoveObject(NWDSContextHandle context, const char* objectName) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(*ctx, objectName, tree, dn); rc != 0)
        return rc;
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    if (auto rc = tree->session->remove(dn); rc != 0) {
        outcome_.fail(*tree);
        return rc;
    }
    naming_.forgetNaming(*tree, dn);
    return 0;
}

NWDSCCODE LdapDirectory::NWDSModifyRDN(NWDSContextHandle context, const char* objectName,
                                       const char* newDN, bool deleteOldRDN) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(*ctx, objectName, tree, dn); rc != 0)
        return rc;
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    std::string type, newName;
    if (auto rc = newNameOf(*tree->schema, dn, newDN, naming_.holderIn(*tree, dn), type, newName);
        rc != 0)
        return rc;
    if (auto rc = tree->session->rename(dn, valuetext::rdnText(type, newName), "", deleteOldRDN);
        rc != 0) {
        outcome_.fail(*tree);
        return rc;
    }
    const std::string parent = ldapnames::parentDn(dn);
    naming_.forgetNaming(*tree, dn);
    naming_.rememberNaming(*tree, parent, newName, type);
    return 0;
}

NWDSCCODE LdapDirectory::NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                                        const char* destParentDN, const char* destRDN) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    std::string dn, destination;
    if (auto rc = naming_.resolve(*ctx, *tree, objectName, dn); rc != 0)
        return rc;
    if (dn.empty())
        return ERR_INVALID_ENTRY_FOR_ROOT;
    if (auto rc = naming_.resolve(*ctx, *tree, destParentDN, destination); rc != 0)
        return rc;
    // A container cannot go below itself.
    const std::string folded = names::fold(ldapnames::canonicalDn(dn));
    for (std::string at = ldapnames::canonicalDn(destination); !at.empty();
         at = ldapnames::parentDn(at)) {
        if (names::fold(at) == folded)
            return ERR_INVALID_REQUEST;
    }
    const ClassDefinition* cls = nullptr;
    if (auto rc = classOfEntry(*tree, dn, cls); rc != 0)
        return rc;
    if (cls == nullptr)
        return ERR_ILLEGAL_CONTAINMENT;
    if (auto rc = checkContainment(*tree, *cls, destination); rc != 0)
        return rc;
    std::string type, newName;
    if (auto rc = newNameOf(*tree->schema, dn, destRDN, naming_.holderIn(*tree, dn), type, newName);
        rc != 0)
        return rc;
    if (auto rc = tree->session->rename(dn, valuetext::rdnText(type, newName), destination, true);
        rc != 0) {
        outcome_.fail(*tree);
        return rc;
    }
    naming_.forgetNaming(*tree, dn);
    naming_.rememberNaming(*tree, destination, newName, type);
    return 0;
}

std::string LdapDirectory::clientReason(NWDSCCODE code) const {
    return code != 0 && outcome_.refusal.code == code ? outcome_.refusal.reason : std::string();
}

std::string LdapDirectory::limitReached(NWDSCCODE code) const {
    return code != 0 && outcome_.lastFailure.limit.code == code ? outcome_.lastFailure.limit.reason
                                                                : std::string();
}

std::string LdapDirectory::takeRefusedNote() {
    std::string note = outcome_.refused.note();
    outcome_.refused.clear();
    return note;
}

std::string LdapDirectory::serverReason(NWDSCCODE code) const {
    if (outcome_.lastFailure.code == 0 || outcome_.lastFailure.text.empty() ||
        codeOfLdapResult(outcome_.lastFailure.code) != code)
        return {};
    return "LDAP " + std::to_string(outcome_.lastFailure.code) + ": " + outcome_.lastFailure.text;
}
