#include "SavedLdapTrees.h"

#include "LdapTreeAccess.h"
#include "client/common/Names.h"

#include <algorithm>
#include <cstring>

bool readSavedTrees(const std::vector<SavedTree>& saved, LdapSettings& out, std::string* error) {
    out = LdapSettings{};
    for (const SavedTree& one : saved) {
        // Only the names a saved connection holds, whatever else the map carries.
        const SettingSource source = [&one](const char* name) -> std::optional<std::string> {
            const bool known =
                std::any_of(SavedTreeSettingNames.begin(), SavedTreeSettingNames.end(),
                            [name](const char* n) { return std::strcmp(n, name) == 0; });
            const auto it = one.settings.find(name);
            if (!known || it == one.settings.end() || it->second.empty())
                return std::nullopt;
            return it->second;
        };
        auto access = std::make_shared<LdapTreeAccess>();
        std::string why;
        const auto named = one.settings.find("OSTREL_LDAP_TREE");
        const std::string name = named != one.settings.end() ? named->second : std::string();
        if (!readLdapSettings(source, "", access->settings, &why)) {
            if (error != nullptr)
                *error = "the saved connection " + name;
            error->append(": ").append(why);
            return false;
        }
        LdapTreeSetting tree = std::move(access->settings.trees.front());
        access->settings.trees.clear();
        for (const LdapTreeSetting& known : out.trees) {
            if (names::equalFolded(known.name, tree.name)) {
                if (error != nullptr)
                    *error = "two saved connections are named " + tree.name;
                return false;
            }
        }
        access->askPassword = one.askPassword;
        tree.access = std::move(access);
        out.trees.push_back(std::move(tree));
    }
    if (out.trees.empty()) {
        if (error != nullptr)
            *error = "no connection is saved";
        return false;
    }
    return true;
}
