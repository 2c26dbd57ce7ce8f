#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>

// A saved connection as a client opens it: the settings it stands for, by the names the
// environment gives them, and how its password is given (the desktop's secret store, or the
// user asked). The saved settings are these names only.
struct SavedTree {
    std::map<std::string, std::string> settings;
    // The password of the bind DN; nothing when none is given.
    std::function<std::optional<std::string>(const std::string& who)> askPassword;
};

inline constexpr std::array<const char*, 7> SavedTreeSettingNames = {
    "OSTREL_LDAP_TREE",   "LDAPURI",        "LDAPBASE",
    "LDAPBINDDN",         "LDAPTLS_CACERT", "OSTREL_LDAP_STARTTLS",
    "OSTREL_LDAP_TIMEOUT"};
