// Questions of one LDAP connection that need no more than one entry for an answer.
#include "LdapSession.h"

#include <ldap.h>

NWDSCCODE LdapSession::anyEntry(const std::string& base, const std::string& filter, bool& found) {
    found = false;
    char noAttributes[] = "1.1";
    char* attrs[] = {noAttributes, nullptr};
    const int never = LDAP_DEREF_NEVER;
    ldap_set_option(ld_, LDAP_OPT_DEREF, &never);
    LDAPMessage* res = nullptr;
    ++roundTrips_;
    const int rc = ldap_search_ext_s(ld_, base.c_str(), LDAP_SCOPE_SUBTREE, filter.c_str(), attrs,
                                     1, nullptr, nullptr, nullptr, 1, &res);
    if (res != nullptr) {
        found = ldap_count_entries(ld_, res) > 0;
        ldap_msgfree(res);
    }
    if (rc == LDAP_SIZELIMIT_EXCEEDED) {
        found = true;
        return 0;
    }
    if (rc == LDAP_NO_SUCH_OBJECT)
        return 0; // nothing below a base that is not there
    return rc == LDAP_SUCCESS ? 0 : fail(rc);
}
