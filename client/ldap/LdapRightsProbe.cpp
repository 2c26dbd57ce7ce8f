// Effective rights over LDAP. No LDAP server reports them, so they are found by asking the
// server to try: an add of a probe entry sent with the no-op control is checked like any add
// (access included) and then not carried out. Only the bound identity's own rights can be
// found this way.
//   - Browse (and Compare, Read on attributes): the object can be read.
//   - Add: the identity may create objects below the object.
//   - On [Root]: the identity may create objects at the top of a naming context of the tree,
//     that is, it administers that part of the server (Add, Delete, Rename); Supervisor, which
//     is what the Schema Manager asks for, only where it may also change the server's schema.
#include "LdapRightsProbe.h"

#include "LdapOutcome.h"
#include "LdapSchemaConfig.h"
#include "LdapTree.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

namespace {

constexpr std::string_view kEntryRights = "[Entry Rights]";
constexpr std::string_view kAllAttributesRights = "[All Attributes Rights]";
constexpr char kProbeName[] = "ostrel-rights-probe";

std::string withoutLeadingDot(std::string_view name) {
    return std::string(!name.empty() && name.front() == '.' ? name.substr(1) : name);
}

} // namespace

bool LdapRightsProbe::isBoundIdentity(std::string_view subjectName) const {
    return names::equalFolded(withoutLeadingDot(subjectName), withoutLeadingDot(identity_));
}

NWDSCCODE LdapRightsProbe::mayAddBelow(LdapTree& tree, const std::vector<std::string>& parents,
                                       bool& readable, bool& mayAdd) {
    readable = mayAdd = false;
    for (const auto& parent : parents) {
        LdapEntry e;
        const NWDSCCODE read =
            tree.session->readEntry(parent, {"1.1"}, true, LdapSession::Deref::Never, e);
        if (read == ERR_NO_SUCH_ENTRY || read == ERR_NO_ACCESS)
            continue;
        if (read != 0)
            return read;
        bool allowed = false;
        const std::vector<LdapMod> probe = {{LdapMod::Add, "objectClass", {"organizationalUnit"}},
                                            {LdapMod::Add, "ou", {kProbeName}}};
        NWDSCCODE rc =
            tree.session->addDryRun(std::string("ou=") + kProbeName + "," + parent, probe, allowed);
        if (rc == ERR_NOT_SUPPORTED) {
            // No no-op control: the server's own report of the rights, where it gives one.
            std::string authz, entryRights;
            rc = tree.session->whoAmI(authz);
            const std::size_t dn =
                authz.rfind("dn:", 0) == 0 ? authz.find_first_not_of(' ', 3) : std::string::npos;
            if (rc == 0 && dn != std::string::npos) // anonymous adds nothing anywhere
                rc = tree.session->entryRights(parent, "dn:" + authz.substr(dn), entryRights);
            allowed = rc == 0 && entryRights.find('a') != std::string::npos;
        }
        if (rc != 0)
            return rc;
        readable = true;
        mayAdd = mayAdd || allowed;
        if (mayAdd)
            break;
    }
    return 0;
}

bool LdapRightsProbe::readsEverything(LdapTree& tree) {
    // Whoever administers a naming context reads all of it; anyone else may be shown an
    // object without some of its attributes, whose names the server then leaves out too.
    if (!tree.readsEverything) {
        bool readable = false, mayAdd = false;
        tree.readsEverything = mayAddBelow(tree, tree.bases, readable, mayAdd) == 0 && mayAdd;
    }
    return *tree.readsEverything;
}

NWDSCCODE LdapRightsProbe::checkQuestion(const char* subjectName, const char* attrName) const {
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    // The server answers for the identity bound to it, and no other.
    return isBoundIdentity(subjectName) ? 0 : ERR_NOT_SUPPORTED;
}

NWDSCCODE LdapRightsProbe::effectiveRights(LdapTree& tree, const std::string& dn,
                                           std::string_view attr, std::uint32_t& privileges) {
    const bool entry = names::equalFolded(attr, kEntryRights);
    if (!entry && !names::equalFolded(attr, kAllAttributesRights) &&
        tree.schema->findAttribute(attr) == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;

    // Where a probe entry would go: below the object, or at the top of each naming context.
    std::vector<std::string> parents;
    if (dn.empty())
        parents = tree.bases;
    else
        parents = {dn};
    bool readable = false, mayAdd = false;
    if (auto rc = mayAddBelow(tree, parents, readable, mayAdd); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const bool administrator = dn.empty() && mayAdd;
    bool schemaWriter = false;
    if (dn.empty()) {
        schemaconfig::ConfigSchema config;
        const NWDSCCODE rc = schemaconfig::read(*tree.session, tree.subschemaDn, config);
        if (rc == 0) {
            if (auto probe = schemaconfig::mayChange(*tree.session, config, schemaWriter);
                probe != 0) {
                outcome_.fail(tree);
                return probe;
            }
        } else if (rc != ERR_NO_ACCESS && rc != ERR_NOT_SUPPORTED && rc != ERR_NO_SUCH_ENTRY) {
            outcome_.fail(tree);
            return rc;
        }
    }
    std::uint32_t rights = 0;
    if (entry) {
        if (readable || schemaWriter)
            rights |= DS_ENTRY_BROWSE;
        if (mayAdd)
            rights |= DS_ENTRY_ADD;
        if (administrator)
            rights |= DS_ENTRY_DELETE | DS_ENTRY_RENAME;
        if (schemaWriter)
            rights |= DS_ENTRY_SUPERVISOR;
    } else {
        if (readable || schemaWriter)
            rights |= DS_ATTR_COMPARE | DS_ATTR_READ;
        if (administrator)
            rights |= DS_ATTR_WRITE | DS_ATTR_SELF;
        if (schemaWriter)
            rights |= DS_ATTR_SUPERVISOR;
    }
    privileges = rights;
    return 0;
}
