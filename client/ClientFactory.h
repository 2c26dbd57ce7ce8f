#pragma once

#include "directory/DirectoryClient.h"

#include <memory>
#include <string>

// Opens the directory client the settings ask for (see client/README.md):
//   OSTREL_CLIENT    "embedded" (the default)
//   OSTREL_IDENTITY  the object to act as, default "Admin.Acme"
//   OSTREL_DATA      the embedded directory's data folder, default the compiled-in one
// nullptr with a message in *error (when given) if it cannot be opened.
std::unique_ptr<DirectoryClient> createDirectoryClient(std::string* error);
