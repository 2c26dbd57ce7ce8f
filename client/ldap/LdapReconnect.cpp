// Losing the server and finding it again: time limits on every wait, a connection that is
// known to be gone, and the reconnect of the next action with the same identity and security.
#include "LdapDirectory.h"
#include "LdapTree.h"

#include <algorithm>
#include <ldap.h>
#include <poll.h>

LdapSession::Credentials::~Credentials() {
    std::fill(password.begin(), password.end(), '\0');
}

void setLdapTimeouts(LDAP* ld, int seconds) {
    const timeval limit{seconds, 0};
    // Connecting, and every synchronous call waiting for its result (binds, searches,
    // writes, extended operations), give up after the limit with LDAP_TIMEOUT.
    ldap_set_option(ld, LDAP_OPT_NETWORK_TIMEOUT, &limit);
    ldap_set_option(ld, LDAP_OPT_TIMEOUT, &limit);
}

bool isConnectionLoss(int ldapCode) {
    // After a time-out the server may still answer the abandoned request later; the
    // connection is not trusted again.
    return ldapCode == LDAP_SERVER_DOWN || ldapCode == LDAP_CONNECT_ERROR ||
           ldapCode == LDAP_TIMEOUT;
}

bool LdapSession::connectionLost() const {
    if (lost_)
        return true;
    // The server closing its end (it stopped, or dropped an idle client) shows on the socket
    // without a request. A check costs one poll, made at most every 20 ms: a listing's names
    // reads come faster than that, a server's restart never does.
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPeerCheck_ < std::chrono::milliseconds(20))
        return false;
    lastPeerCheck_ = now;
    int fd = -1;
    if (ldap_get_option(ld_, LDAP_OPT_DESC, &fd) != LDAP_OPT_SUCCESS || fd < 0)
        return true;
    pollfd p{fd, POLLRDHUP, 0};
    if (poll(&p, 1, 0) != 1)
        return false;
    return (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

void LdapDirectory::dropConnection(Tree& tree) {
    // Reads under way over the lost connection end; what was learnt of names and the
    // attributes of listed objects refers to the schema the next connection reads anew.
    const Tree* gone = &tree;
    pending_.forgetIf([gone](const Pending& p) { return p.tree == gone; });
    tree.listedNames.clear();
    tree.childType.clear();
    tree.listedByName.objects.clear();
    tree.session.reset();
}
