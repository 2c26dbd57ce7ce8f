#pragma once

#include <QString>
#include <map>
#include <string>

// One saved connection to an LDAP server, shown as a tree in the browser's list of trees.
struct SavedConnection {
    enum class Bind { Anonymous, Simple, SaslExternal };

    QString id; // stable across renames: the key of its password in the secret store
    QString name;
    QString uri;
    QString base; // empty: the server's naming contexts
    Bind bind = Bind::Anonymous;
    QString bindDn;        // Bind::Simple
    bool startTls = false; // ldap:// only; ldaps:// is TLS by its scheme
    QString caFile;
    int timeoutSeconds = 30;
    bool rememberPassword = false;

    static constexpr int kMaxNameChars = 32;
    static constexpr int kMaxTimeoutSeconds = 3600;

    bool needsPassword() const { return bind == Bind::Simple; }
    bool operator==(const SavedConnection&) const = default;
};

// A new connection with a fresh id.
SavedConnection newConnection(const QString& name);

// What is wrong with a connection, for the user; empty when it can be saved.
QString problemOf(const SavedConnection& connection);

// The settings the connection stands for, by the names the environment gives them (LDAPURI,
// LDAPBASE, OSTREL_LDAP_TREE, LDAPBINDDN, LDAPTLS_CACERT, OSTREL_LDAP_STARTTLS,
// OSTREL_LDAP_TIMEOUT, docs/ldap.md): the LDAP client reads them as it reads those.
std::map<std::string, std::string> settingValues(const SavedConnection& connection);
