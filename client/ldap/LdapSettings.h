#pragma once

#include "LdapLimits.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where the LDAP client connects and as whom, read the way directory tools read theirs:
//   LDAPURI or the URI of ldap.conf     the server (one tree), when no trees file is named
//   OSTREL_LDAP_TREES                   a file of "tree NAME URI" lines, each followed by
//                                       "base DN" lines (the tree's top objects; without
//                                       them the server's naming contexts)
//   OSTREL_LDAP_TREE                    the tree name of the single server (default: its host)
//   LDAPBINDDN                          the DN to bind as; else OSTREL_IDENTITY, a dotted name
//                                       looked up on the server; with neither, SASL EXTERNAL
//   OSTREL_LDAP_PASSWORD_FILE           a file whose first line is the password; without it
//                                       the password is asked for at start-up
//   LDAPTLS_CACERT                      the CA certificates the server's is verified against;
//                                       checked here like every settings file, as libldap
//                                       would wait on a pipe for ever
//   OSTREL_LDAP_STARTTLS=yes            StartTLS on ldap:// URIs (ldaps:// is always TLS)
//   OSTREL_LDAP_SCHEMA                  a schema file naming the server's built-in definitions
//   OSTREL_LDAP_TIMEOUT                 seconds to wait for a connection or for any answer
//                                       before the call fails (default 30)
//   OSTREL_LDAP_OPERATION_TIMEOUT       seconds a whole listing, search or read may take
//                                       (default 300)
//   OSTREL_LDAP_MAX_ENTRIES             entries one listing or search may bring (default
//                                       50000)
struct LdapTreeAccess;
struct LdapTreeSetting {
    std::string name;
    std::string uri;
    std::vector<std::string> bases;
    // A tree bound and secured otherwise than the others (a saved connection,
    // LdapTreeAccess.h); without it the settings' own.
    std::shared_ptr<const LdapTreeAccess> access;
};

struct LdapSettings {
    std::vector<LdapTreeSetting> trees;
    std::string bindDn;
    std::string identity;
    std::string passwordFile;
    std::string caCertFile;
    bool startTls = false;
    std::string schemaHints;
    int pageSize = 1000;
    // How long a connection attempt or any request may wait for the server.
    static constexpr int kDefaultTimeoutSeconds = 30;
    static constexpr int kMaxTimeoutSeconds = 3600;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    int operationSeconds = LdapLimits{}.operationSeconds;
    std::size_t maxEntries = LdapLimits{}.maxEntries;
    std::size_t maxMessageBytes = LdapLimits{}.maxMessageBytes;
    std::size_t maxBufferedBytes = LdapLimits{}.maxBufferedBytes;

    LdapLimits limits() const {
        return {timeoutSeconds, operationSeconds, maxEntries, maxMessageBytes, maxBufferedBytes};
    }
    // The trees and schema files are read up to kMaxDataFileBytes (client/common/TextFile.h).
    static constexpr std::size_t kMaxPasswordFileBytes = 4 * 1024;
    static constexpr std::size_t kMaxCaFileBytes = 4 * 1024 * 1024;
};

// A setting by name, or nothing when unset or empty.
using SettingSource = std::function<std::optional<std::string>(const char* name)>;
SettingSource environmentSettings();

// defaultUri is what ldap.conf names when LDAPURI is unset. false with a message.
bool readLdapSettings(const SettingSource& source, const std::string& defaultUri, LdapSettings& out,
                      std::string* error);
// Tree names compare without regard to case, as contexts name them; a tree named twice is
// refused at its second line.
bool parseTreesFile(std::string_view text, std::vector<LdapTreeSetting>& out, std::string* error);

// The host of an LDAP URI ("ldap://dir.example:389/" gives "dir.example"); "" for ldapi.
std::string hostOfUri(std::string_view uri);
// A tree name made of a host: upper case, characters other than letters and digits as "_".
std::string treeNameOfHost(std::string_view host);
