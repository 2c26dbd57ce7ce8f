#pragma once

#include <ldap.h>

// ManageDsaIT (RFC 3296): referral objects are objects to this client, listed, read and
// changed as any other, never followed or left out. Not critical, so that a server without
// it answers as it would otherwise.
inline LDAPControl manageDsaIt() {
    return LDAPControl{const_cast<char*>(LDAP_CONTROL_MANAGEDSAIT), {0, nullptr}, 0};
}
