// The writes of one LDAP connection: add, delete, modrdn and modify, each a single request.
#include "LdapSession.h"
#include "directory/ResultCodes.h"

#include <ldap.h>

namespace {

// libldap's form of a list of changes, pointing into the caller's strings.
class ModList {
public:
    explicit ModList(const std::vector<LdapMod>& mods) {
        mods_.resize(mods.size());
        values_.resize(mods.size());
        vectors_.resize(mods.size());
        for (std::size_t i = 0; i < mods.size(); ++i) {
            const LdapMod& m = mods[i];
            for (const auto& v : m.values)
                values_[i].push_back({ber_len_t(v.size()), const_cast<char*>(v.data())});
            for (auto& v : values_[i])
                vectors_[i].push_back(&v);
            vectors_[i].push_back(nullptr);
            LDAPMod& out = mods_[i];
            out.mod_op = LDAP_MOD_BVALUES | (m.op == LdapMod::Delete    ? LDAP_MOD_DELETE
                                             : m.op == LdapMod::Replace ? LDAP_MOD_REPLACE
                                                                        : LDAP_MOD_ADD);
            out.mod_type = const_cast<char*>(m.type.c_str());
            out.mod_bvalues =
                m.values.empty() && m.op != LdapMod::Add ? nullptr : vectors_[i].data();
        }
        for (auto& m : mods_)
            pointers_.push_back(&m);
        pointers_.push_back(nullptr);
    }
    LDAPMod** get() { return pointers_.data(); }

private:
    std::vector<LDAPMod> mods_;
    std::vector<std::vector<berval>> values_;
    std::vector<std::vector<berval*>> vectors_;
    std::vector<LDAPMod*> pointers_;
};

} // namespace

NWDSCCODE LdapSession::add(const std::string& dn, const std::vector<LdapMod>& attributes) {
    ModList mods(attributes);
    ++roundTrips_;
    const int rc = ldap_add_ext_s(ld_, dn.c_str(), mods.get(), nullptr, nullptr);
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}

NWDSCCODE LdapSession::remove(const std::string& dn) {
    ++roundTrips_;
    const int rc = ldap_delete_ext_s(ld_, dn.c_str(), nullptr, nullptr);
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}

NWDSCCODE LdapSession::rename(const std::string& dn, const std::string& newRdn,
                              const std::string& newSuperior, bool deleteOldRdn) {
    ++roundTrips_;
    const int rc = ldap_rename_s(ld_, dn.c_str(), newRdn.c_str(),
                                 newSuperior.empty() ? nullptr : newSuperior.c_str(),
                                 deleteOldRdn ? 1 : 0, nullptr, nullptr);
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}

NWDSCCODE LdapSession::modify(const std::string& dn, const std::vector<LdapMod>& changes) {
    ModList mods(changes);
    ++roundTrips_;
    const int rc = ldap_modify_ext_s(ld_, dn.c_str(), mods.get(), nullptr, nullptr);
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}

namespace {

constexpr char kNoOp[] = "1.3.6.1.4.1.4203.666.5.2";
constexpr int kNoOperation = 0x410e;

} // namespace

NWDSCCODE LdapSession::addDryRun(const std::string& dn, const std::vector<LdapMod>& attributes,
                                 bool& allowed) {
    // The no-op control: the server runs every check of the add, access included, and
    // answers LDAP_X_NO_OPERATION where it would have added the entry.
    LDAPControl noop{const_cast<char*>(kNoOp), {0, nullptr}, 1};
    LDAPControl* controls[2] = {&noop, nullptr};
    ModList mods(attributes);
    ++roundTrips_;
    const int rc = ldap_add_ext_s(ld_, dn.c_str(), mods.get(), controls, nullptr);
    allowed = rc == kNoOperation;
    if (rc == kNoOperation || rc == LDAP_INSUFFICIENT_ACCESS || rc == LDAP_STRONG_AUTH_REQUIRED)
        return 0;
    if (rc == LDAP_UNAVAILABLE_CRITICAL_EXTENSION) {
        fail(rc);
        return ERR_NOT_SUPPORTED; // a server without the no-op control
    }
    return fail(rc);
}

NWDSCCODE LdapSession::tryChange(const TriedChange& change, int& result) {
    LDAPControl noop{const_cast<char*>(kNoOp), {0, nullptr}, 1};
    LDAPControl* controls[2] = {&noop, nullptr};
    ++roundTrips_;
    int rc = LDAP_OTHER;
    switch (change.kind) {
    case TriedChange::Modify: {
        ModList mods(change.mods);
        rc = ldap_modify_ext_s(ld_, change.dn.c_str(), mods.get(), controls, nullptr);
        break;
    }
    case TriedChange::Delete:
        rc = ldap_delete_ext_s(ld_, change.dn.c_str(), controls, nullptr);
        break;
    case TriedChange::Rename:
        rc = ldap_rename_s(ld_, change.dn.c_str(), change.newRdn.c_str(), nullptr, 0, controls,
                           nullptr);
        break;
    }
    if (rc == LDAP_UNAVAILABLE_CRITICAL_EXTENSION) {
        fail(rc);
        return ERR_NOT_SUPPORTED;
    }
    // Negative codes are the client's own: the connection, not the change, failed.
    if (rc < 0)
        return fail(rc);
    result = rc == kNoOperation ? LDAP_SUCCESS : rc;
    return 0;
}

NWDSCCODE LdapSession::effectiveRights(const std::string& dn, const std::string& authzId,
                                       const std::vector<std::string>& attributes, LdapEntry& out) {
    // The get-effective-rights control: the server reports, as entryLevelRights, what the
    // identity may do to the entry ("v" view, "a" add below, "d" delete, "n" rename), and as
    // attributeLevelRights what it may do to each attribute asked for ("cn:rscwo, ...").
    static constexpr char kGetRights[] = "1.3.6.1.4.1.42.2.27.9.5.2";
    out = {};
    // Its value is the subject's authorization identity itself.
    LDAPControl getRights{const_cast<char*>(kGetRights),
                          {ber_len_t(authzId.size()), const_cast<char*>(authzId.data())},
                          1};
    LDAPControl* controls[2] = {&getRights, nullptr};
    std::vector<char*> attrs;
    for (const auto& a : attributes)
        attrs.push_back(const_cast<char*>(a.c_str()));
    attrs.push_back(nullptr);
    LDAPMessage* res = nullptr;
    ++roundTrips_;
    const int rc = ldap_search_ext_s(ld_, dn.c_str(), LDAP_SCOPE_BASE, "(objectClass=*)",
                                     attrs.data(), 0, controls, nullptr, nullptr, 1, &res);
    if (rc == LDAP_SUCCESS && res != nullptr) {
        if (LDAPMessage* e = ldap_first_entry(ld_, res)) {
            BerElement* ber = nullptr;
            for (char* a = ldap_first_attribute(ld_, e, &ber); a != nullptr;
                 a = ldap_next_attribute(ld_, e, ber)) {
                std::vector<std::string> values;
                if (berval** v = ldap_get_values_len(ld_, e, a)) {
                    for (berval** p = v; *p != nullptr; ++p)
                        values.emplace_back((*p)->bv_val, (*p)->bv_len);
                    ldap_value_free_len(v);
                }
                out.attributes.emplace_back(a, std::move(values));
                ldap_memfree(a);
            }
            if (ber != nullptr)
                ber_free(ber, 0);
        }
    }
    if (res != nullptr)
        ldap_msgfree(res);
    if (rc == LDAP_UNAVAILABLE_CRITICAL_EXTENSION) {
        fail(rc);
        return ERR_NOT_SUPPORTED;
    }
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}

NWDSCCODE LdapSession::entryRights(const std::string& dn, const std::string& authzId,
                                   std::string& rights) {
    rights.clear();
    LdapEntry e;
    const NWDSCCODE rc = effectiveRights(dn, authzId, {"entryLevelRights"}, e);
    if (auto* v = e.find("entryLevelRights"); v != nullptr && !v->empty())
        rights = v->front();
    return rc;
}
