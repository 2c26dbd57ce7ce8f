#pragma once

#include "LdapSettings.h"
#include "directory/Codes.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string>

// How one tree of the settings is reached when it is not reached as the others are: a saved
// connection brings its own bind DN (or none), TLS, CA file and time limit, and its own way
// of giving its password (the desktop's secret store, or the user asked).
struct LdapTreeAccess {
    // Read from the connection's settings as the environment's are (readLdapSettings); its
    // trees are not used.
    LdapSettings settings;
    // The password of settings.bindDn; nothing when none is given (the user cancelled).
    std::function<std::optional<std::string>(const std::string& who)> askPassword;
};

// A password held while the client lives, overwritten when it goes.
struct KeptPassword {
    std::string text;
    bool given = false;
    KeptPassword() = default;
    KeptPassword(const KeptPassword&) = delete;
    KeptPassword& operator=(const KeptPassword&) = delete;
    ~KeptPassword() { forget(); }
    // After a refused bind: asked again the next time.
    void forget() {
        std::fill(text.begin(), text.end(), '\0');
        text.clear();
        given = false;
    }
};

// The settings a tree is connected with: its own access's, else the client's.
const LdapSettings& settingsOfTree(const LdapSettings& client, const LdapTreeSetting& tree);

// For a tree with access of its own that binds with a DN, asks for its password the first
// time (kept in `kept` for reconnecting). 0, or a code with a message in *message when no
// password was given. Nothing to do for other trees: they bind with the client's password.
NWDSCCODE givePasswordOfTree(const LdapTreeSetting& tree, KeptPassword& kept, std::string* message);
