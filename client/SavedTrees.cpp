#include "SavedTrees.h"

#ifdef OSTREL_HAVE_LDAP
#include "ldap/LdapDirectory.h"
#include "ldap/SavedLdapTrees.h"
#endif

#include <cstdlib>

std::vector<std::string> clientSettingsInEnvironment() {
    std::vector<std::string> set;
    for (const char* name : {"OSTREL_CLIENT", "OSTREL_DATA", "LDAPURI", "OSTREL_LDAP_TREES"}) {
        const char* v = std::getenv(name);
        if (v != nullptr && *v != '\0')
            set.emplace_back(name);
    }
    return set;
}

std::unique_ptr<DirectoryClient> openSavedTrees(const std::vector<SavedTree>& trees,
                                                std::string* error) {
#ifdef OSTREL_HAVE_LDAP
    LdapDirectory::Options options;
    if (!readSavedTrees(trees, options.settings, error))
        return nullptr;
    return LdapDirectory::open(std::move(options), error);
#else
    (void)trees;
    if (error != nullptr)
        *error = "this Ostrel is built without the LDAP client";
    return nullptr;
#endif
}

DirectoryClientOpener savedTreesOpener(std::function<std::vector<SavedTree>()> saved,
                                       PasswordPrompt askPassword, std::string demoData,
                                       std::function<void(const std::string& why)> fellBack) {
    DirectoryClientOpener environment =
        directoryClientOpener(std::move(askPassword), std::move(demoData));
    return [saved = std::move(saved), environment, fellBack = std::move(fellBack)](
               std::string* error) -> std::unique_ptr<DirectoryClient> {
        if (!clientSettingsInEnvironment().empty())
            return environment(error);
        const std::vector<SavedTree> trees = saved ? saved() : std::vector<SavedTree>{};
        if (trees.empty())
            return environment(error);
        std::string why;
        if (auto client = openSavedTrees(trees, &why))
            return client;
        if (fellBack)
            fellBack(why);
        return environment(error);
    };
}
