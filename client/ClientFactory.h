#pragma once

#include "directory/DirectoryClient.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

// Asks the user for the password of `who`; nothing when they cancel.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& who)>;
using DirectoryClientOpener = std::function<std::unique_ptr<DirectoryClient>(std::string* error)>;

// Opens the directory client the settings ask for (see the README and docs/ldap.md):
//   OSTREL_CLIENT    "embedded" (the default) or "ldap"
//   OSTREL_IDENTITY  the object to act as, default "Admin.Acme" (embedded)
//   OSTREL_DATA      the embedded directory's data folder, default the compiled-in one
// and for "ldap" the settings of client/ldap/LdapSettings.h (OSTREL_LDAP_SCHEMA, the schema
// hints, has no default: without it the client names the standard schema itself). nullptr
// with a message in *error (when given) if it cannot be opened. Without a password prompt, an LDAP
// identity needs a password file.
std::unique_ptr<DirectoryClient> createDirectoryClient(std::string* error);

// The same, asking with `askPassword` when the LDAP settings name an identity but no
// password file, and with `demoData` (when not empty) in place of the compiled-in data folder
// when OSTREL_DATA is unset: the program hands the folder installed beside it.
DirectoryClientOpener directoryClientOpener(PasswordPrompt askPassword, std::string demoData = {});

// The data folder the embedded directory opens under these settings: OSTREL_DATA, else
// `demoData` when not empty, else the compiled-in one. Empty when they choose another client.
std::string embeddedDataFolder(const std::string& demoData = {});
