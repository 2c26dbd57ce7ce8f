#pragma once

#include <cstddef>
#include <string>

// The largest file the data folder may hand the directory: a schema, an LDIF file or a value
// read from a file reference.
constexpr std::size_t kMaxDataFileBytes = 16u * 1024 * 1024;

// The whole content of `path`, which must be a regular file inside the folder `dataRoot`
// (once links are followed) of at most kMaxDataFileBytes. false with the reason in `why`:
// "does not exist", "is a folder, not a file", "is not a regular file", "is outside the data
// folder ...", "is larger than 16 MiB", "cannot be read".
bool readDataFile(const std::string& dataRoot, const std::string& path, std::string& out,
                  std::string& why);
