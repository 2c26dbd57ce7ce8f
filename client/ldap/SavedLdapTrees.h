#pragma once

#include "LdapSettings.h"
#include "client/common/SavedTree.h"

#include <string>
#include <vector>

// The settings of the LDAP client on saved connections: one tree each, read from its settings
// as the environment's are (readLdapSettings), reached with its own bind, TLS, CA file and
// time limit (LdapTreeAccess). false with a message naming the connection when one does not
// read, or when two name the same tree.
bool readSavedTrees(const std::vector<SavedTree>& saved, LdapSettings& out, std::string* error);
