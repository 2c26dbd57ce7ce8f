// What an identity may do with an object, as an LDAP server lets the client find out. A
// server with the get-effective-rights control reports it for any identity; another is asked
// by trying, as the bound identity, each change with the no-op control.
#include "LdapNaming.h"
#include "LdapOutcome.h"
#include "LdapRightsProbe.h"
#include "LdapTree.h"
#include "client/common/EffectiveRights.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <ldap.h>

namespace {

constexpr char kGetRightsControl[] = "1.3.6.1.4.1.42.2.27.9.5.2";
constexpr char kProbeValue[] = "ostrel-rights-probe";
constexpr std::uint32_t kEntryKnown =
    DS_ENTRY_BROWSE | DS_ENTRY_ADD | DS_ENTRY_DELETE | DS_ENTRY_RENAME;

bool refused(int ldapResult) {
    return ldapResult == LDAP_INSUFFICIENT_ACCESS || ldapResult == LDAP_STRONG_AUTH_REQUIRED;
}

std::uint32_t entryRightsOf(std::string_view letters) {
    std::uint32_t r = 0;
    for (char c : letters) {
        switch (c) {
        case 'v':
            r |= DS_ENTRY_BROWSE;
            break;
        case 'a':
            r |= DS_ENTRY_ADD;
            break;
        case 'd':
            r |= DS_ENTRY_DELETE;
            break;
        case 'n':
            r |= DS_ENTRY_RENAME;
            break;
        default:
            break;
        }
    }
    return r;
}

// "r" read, "s" search and "c" compare, "w" write ("o", deleting values, goes with it), "W"
// and "S" adding or deleting oneself as a value.
std::uint32_t attributeRightsOf(std::string_view letters) {
    std::uint32_t r = 0;
    for (char c : letters) {
        switch (c) {
        case 'r':
            r |= DS_ATTR_READ;
            break;
        case 'c':
        case 's':
            r |= DS_ATTR_COMPARE;
            break;
        case 'w':
            r |= DS_ATTR_WRITE;
            break;
        case 'W':
        case 'S':
            r |= DS_ATTR_SELF;
            break;
        default:
            break;
        }
    }
    return effectiverights::widenAttribute(r);
}

std::string trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

// "cn:rscwo, sn:rsc" as name and letters.
std::vector<std::pair<std::string, std::string>> attributeLevelRights(const LdapEntry& e) {
    std::vector<std::pair<std::string, std::string>> out;
    const auto* values = e.find("attributeLevelRights");
    if (values == nullptr)
        return out;
    for (const auto& value : *values) {
        std::string_view rest(value);
        while (!rest.empty()) {
            const auto comma = rest.find(',');
            const std::string item = trimmed(rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
            const auto colon = item.rfind(':');
            if (colon != std::string::npos && colon > 0)
                out.emplace_back(item.substr(0, colon), item.substr(colon + 1));
        }
    }
    return out;
}

void sortAttributeLines(std::vector<RightsLine>& lines, std::size_t from) {
    std::sort(lines.begin() + std::ptrdiff_t(from), lines.end(),
              [](const RightsLine& a, const RightsLine& b) {
                  return names::fold(a.attribute) < names::fold(b.attribute);
              });
}

} // namespace

NWDSCCODE LdapRightsProbe::explain(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                                   const char* subjectName, RightsReport& report) {
    if (dn.empty()) {
        outcome_.refusal = {ERR_NOT_SUPPORTED,
                            "[Root] is no entry on an LDAP server, so it has no rights of its own: "
                            "select one of the server's naming contexts."};
        return ERR_NOT_SUPPORTED;
    }
    const auto& controls = tree.supportedControls;
    if (std::find(controls.begin(), controls.end(), kGetRightsControl) != controls.end())
        return reportedRights(ctx, tree, subjectName, dn, report);
    if (!isBoundIdentity(subjectName)) {
        outcome_.refusal = {
            ERR_NOT_SUPPORTED,
            "This server reports no identity's rights: they are found by trying changes "
            "as the logged-in identity (" +
                identity_ + "), so only its own rights can be shown."};
        return ERR_NOT_SUPPORTED;
    }
    report.subject = identity_;
    return triedRights(tree, dn, report);
}

NWDSCCODE LdapRightsProbe::reportedRights(const ContextState& ctx, LdapTree& tree,
                                          const char* subjectName, const std::string& dn,
                                          RightsReport& report) {
    // The subject's authorization identity: "dn:" alone is the anonymous client.
    std::string authz = "dn:";
    if (names::equalFolded(subjectName, "[Public]")) {
        report.subject = "[Public]";
    } else if (isBoundIdentity(subjectName)) {
        std::string bound;
        if (auto rc = tree.session->whoAmI(bound); rc != 0) {
            outcome_.fail(tree);
            return rc;
        }
        if (bound.rfind("dn:", 0) == 0)
            authz = bound;
        report.subject = identity_;
    } else {
        std::string subjectDn;
        if (auto rc = naming_.resolve(ctx, tree, subjectName, subjectDn); rc != 0)
            return rc;
        authz += subjectDn;
        report.subject = subjectName;
    }
    LdapEntry e;
    if (auto rc = tree.session->effectiveRights(
            dn, authz, {"*", "entryLevelRights", "attributeLevelRights"}, e);
        rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const auto* entry = e.find("entryLevelRights");
    if (entry == nullptr || entry->empty()) {
        outcome_.refusal = {ERR_NO_ACCESS, "The server reported no rights for " + report.subject +
                                               ": the logged-in identity may not ask for them."};
        return ERR_NO_ACCESS;
    }
    report.lines.push_back({"[Entry Rights]", entryRightsOf(entry->front()), kEntryKnown, {}});
    const std::size_t first = report.lines.size();
    for (const auto& [ldapName, letters] : attributeLevelRights(e)) {
        const AttributeDefinition* def = naming_.ldapAttribute(tree, ldapName);
        report.lines.push_back({def != nullptr ? def->name : ldapName,
                                attributeRightsOf(letters),
                                effectiverights::kAllAttributeRights & ~DS_ATTR_SUPERVISOR,
                                {}});
    }
    sortAttributeLines(report.lines, first);
    report.note = "Reported by the server's get-effective-rights control for " + authz +
                  ". The server does not say which of its access rules (aci values) grants "
                  "each right, and it has no Supervisor right; Self is its selfwrite.";
    return 0;
}

NWDSCCODE LdapRightsProbe::triedRights(LdapTree& tree, const std::string& dn,
                                       RightsReport& report) {
    LdapSession& session = *tree.session;
    auto failed = [&](NWDSCCODE rc) {
        outcome_.fail(tree);
        return rc;
    };
    LdapEntry held;
    NWDSCCODE rc = session.readEntry(dn, {"*"}, false, LdapSession::Deref::Never, held);
    if (rc != 0 && rc != ERR_NO_SUCH_ENTRY && rc != ERR_NO_ACCESS)
        return failed(rc);
    const bool browse = rc == 0;

    std::uint32_t entry = browse ? std::uint32_t(DS_ENTRY_BROWSE) : 0u;
    std::uint32_t entryKnown = kEntryKnown;
    bool mayAdd = false;
    rc = session.addDryRun(std::string("ou=") + kProbeValue + "," + dn,
                           {{LdapMod::Add, "objectClass", {"organizationalUnit"}},
                            {LdapMod::Add, "ou", {kProbeValue}}},
                           mayAdd);
    // Nothing is ever added below an alias, whoever asks: that tells nothing of the rights.
    if (rc == ERR_ALIAS_OF_AN_ALIAS)
        entryKnown &= ~std::uint32_t(DS_ENTRY_ADD);
    else if (rc != 0)
        return failed(rc);
    if (mayAdd)
        entry |= DS_ENTRY_ADD;

    auto allowed = [&](const LdapSession::TriedChange& change, bool& yes) {
        int result = 0;
        const NWDSCCODE sent = session.tryChange(change, result);
        yes = sent == 0 && !refused(result);
        return sent;
    };
    bool yes = false;
    if (rc = allowed({LdapSession::TriedChange::Delete, dn, {}, {}}, yes); rc != 0)
        return failed(rc);
    if (yes)
        entry |= DS_ENTRY_DELETE;
    std::vector<valuetext::DnComponent> rdn;
    if (valuetext::splitDn(dn, rdn) && !rdn.empty()) {
        const std::string newRdn =
            valuetext::rdnText(rdn.front().type, rdn.front().value + " " + kProbeValue);
        if (rc = allowed({LdapSession::TriedChange::Rename, dn, {}, newRdn}, yes); rc != 0)
            return failed(rc);
        if (yes)
            entry |= DS_ENTRY_RENAME;
    }
    report.lines.push_back({"[Entry Rights]", entry, entryKnown, {}});

    // Each attribute the identity can read: read (and so compare), and write, tried by adding
    // a value it already has.
    const std::size_t first = report.lines.size();
    for (const auto& [ldapName, values] : held.attributes) {
        if (values.empty())
            continue;
        std::uint32_t rights = DS_ATTR_READ | DS_ATTR_COMPARE;
        if (rc = allowed({LdapSession::TriedChange::Modify,
                          dn,
                          {{LdapMod::Add, ldapName, {values.front()}}},
                          {}},
                         yes);
            rc != 0)
            return failed(rc);
        if (yes)
            rights |= DS_ATTR_WRITE;
        const AttributeDefinition* def = naming_.ldapAttribute(tree, ldapName);
        report.lines.push_back({def != nullptr ? def->name : ldapName,
                                rights,
                                DS_ATTR_COMPARE | DS_ATTR_READ | DS_ATTR_WRITE,
                                {}});
    }
    sortAttributeLines(report.lines, first);
    report.note =
        "Found by trying, as " + identity_ +
        ", a read of the object, an add below it, its delete and rename and a write of each "
        "attribute it can read, each sent with the no-op control so that the server checks "
        "them and changes nothing. The server does not say which of its access rules "
        "(olcAccess) allows or refuses each; it cannot tell Self or Supervisor, and attributes "
        "the identity cannot read are not listed.";
    return 0;
}
