#include "ClientFactory.h"

#include "embedded/EmbeddedDirectory.h"
#ifdef OSTREL_HAVE_LDAP
#include "ldap/LdapDirectory.h"
#endif

#include <cstdlib>

namespace {
std::string setting(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::string(v) : fallback;
}

#ifdef OSTREL_HAVE_LDAP
std::unique_ptr<DirectoryClient> openLdap(std::string* error, const PasswordPrompt& ask) {
    LdapDirectory::Options options;
    std::string why;
    if (!readLdapSettings(environmentSettings(), configuredLdapUri(), options.settings, &why)) {
        if (error != nullptr)
            *error = why;
        return nullptr;
    }
    options.askPassword = ask;
    return LdapDirectory::open(std::move(options), error);
}
#endif
} // namespace

namespace {
std::unique_ptr<DirectoryClient> openClient(std::string* error, const PasswordPrompt& askPassword,
                                            const std::string& demoData) {
    const std::string kind = setting("OSTREL_CLIENT", "embedded");
#ifdef OSTREL_HAVE_LDAP
    if (kind == "ldap")
        return openLdap(error, askPassword);
    const char* known = "embedded, ldap";
#else
    (void)askPassword;
    const char* known = "embedded";
#endif
    if (kind != "embedded") {
        if (error != nullptr)
            *error = "OSTREL_CLIENT=" + kind + ": unknown client (known: " + known + ")";
        return nullptr;
    }
    EmbeddedDirectory::Options options;
    options.dataDir = embeddedDataFolder(demoData);
    options.identity = setting("OSTREL_IDENTITY", options.identity);
    return EmbeddedDirectory::open(options, error);
}
} // namespace

std::unique_ptr<DirectoryClient> createDirectoryClient(std::string* error) {
    return openClient(error, {}, {});
}

std::string embeddedDataFolder(const std::string& demoData) {
    if (setting("OSTREL_CLIENT", "embedded") != "embedded")
        return {};
    return setting("OSTREL_DATA", demoData.empty() ? EmbeddedDirectory::demoDataDir() : demoData);
}

DirectoryClientOpener directoryClientOpener(PasswordPrompt askPassword, std::string demoData) {
    return [ask = std::move(askPassword), data = std::move(demoData)](std::string* error) {
        return openClient(error, ask, data);
    };
}
