#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

class DirectoryClient;

// `ostrel --import FILE [--stop-at-refusal]`: applies an LDIF file as the import dialog does,
// on the directory the settings name (client/ClientFactory.h), without a window. It prints
// the preview and the report; the exit status is 0 when every record was applied, 1 when the
// file did not parse, the directory could not be opened or any record was refused, 2 for
// arguments it does not take.
struct ImportCommand {
    std::string file;
    bool stopAtRefusal = false;
    std::string badArgument; // what was not understood
};

// The command when the arguments ask for an import; nothing otherwise.
std::optional<ImportCommand> importCommandOf(int argc, char** argv);

int runImportCommand(const ImportCommand& command,
                     const std::function<std::unique_ptr<DirectoryClient>(std::string*)>& open,
                     std::ostream& out, std::ostream& err);
