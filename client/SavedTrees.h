#pragma once

#include "ClientFactory.h"
#include "client/common/SavedTree.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The environment's settings that choose the client, those that are set: OSTREL_CLIENT,
// OSTREL_DATA, LDAPURI and OSTREL_LDAP_TREES. While any is set the saved connections wait.
std::vector<std::string> clientSettingsInEnvironment();

// The LDAP client on saved connections, one tree each, the first connected now; nullptr with
// a message (never a password) when it cannot be opened, or when the program is built
// without the LDAP client.
std::unique_ptr<DirectoryClient> openSavedTrees(const std::vector<SavedTree>& trees,
                                                std::string* error);

// What the program opens, each time it asks: the client the environment's settings choose
// when they choose one (directoryClientOpener); else the saved connections that `saved` reads
// now, when there are any; else the embedded demo. When the saved connections cannot be
// opened, `fellBack` is told why and the demo opens, so that they can be changed.
DirectoryClientOpener savedTreesOpener(std::function<std::vector<SavedTree>()> saved,
                                       PasswordPrompt askPassword, std::string demoData,
                                       std::function<void(const std::string& why)> fellBack);
