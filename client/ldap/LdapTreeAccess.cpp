#include "LdapTreeAccess.h"

#include "directory/ResultCodes.h"

const LdapSettings& settingsOfTree(const LdapSettings& client, const LdapTreeSetting& tree) {
    return tree.access ? tree.access->settings : client;
}

NWDSCCODE givePasswordOfTree(const LdapTreeSetting& tree, KeptPassword& kept,
                             std::string* message) {
    if (!tree.access || tree.access->settings.bindDn.empty() || kept.given)
        return 0;
    const std::string& who = tree.access->settings.bindDn;
    std::optional<std::string> answer;
    if (tree.access->askPassword)
        answer = tree.access->askPassword(who);
    if (!answer) {
        if (message != nullptr)
            *message = "no password was given for " + who + " on " + tree.name;
        return ERR_INCOMPLETE_AUTHENTICATION;
    }
    kept.text = *answer;
    std::fill(answer->begin(), answer->end(), '\0');
    kept.given = true;
    return 0;
}
