// A program that calls libldap: it links only against a library that brings libldap along.
#include <ldap.h>

int main() {
    LDAP* ld = nullptr;
    return ldap_initialize(&ld, "ldap://127.0.0.1") == LDAP_SUCCESS ? 0 : 1;
}
