#include "ClientFactory.h"

#include "embedded/EmbeddedDirectory.h"

#include <cstdlib>

namespace {
std::string setting(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0' ? std::string(v) : fallback;
}
} // namespace

std::unique_ptr<DirectoryClient> createDirectoryClient(std::string* error) {
    const std::string kind = setting("OSTREL_CLIENT", "embedded");
    if (kind != "embedded") {
        if (error != nullptr)
            *error = "OSTREL_CLIENT=" + kind + ": unknown client (known: embedded)";
        return nullptr;
    }
    EmbeddedDirectory::Options options;
    options.dataDir = setting("OSTREL_DATA", EmbeddedDirectory::demoDataDir());
    options.identity = setting("OSTREL_IDENTITY", options.identity);
    return EmbeddedDirectory::open(options, error);
}
