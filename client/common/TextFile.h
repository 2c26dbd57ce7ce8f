#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// The largest file the data folder may hand the directory: a schema, an LDIF file or a value
// read from a file reference. Settings files other than passwords have the same limit.
constexpr std::size_t kMaxDataFileBytes = 16u * 1024 * 1024;

// Why `path` cannot be a file to read, from its status alone (nothing is opened): "does not
// exist", "is a folder, not a file", "is not a regular file" (a pipe, a device, a socket) or
// "cannot be read: <reason>"; "" when it is a regular file.
std::string fileKindProblem(const std::string& path);

// The whole content of `path`, which must be a regular file of at most `limit` bytes. Neither
// a pipe nor a device is ever waited on: the path is checked before it is opened, and the
// opened file again. false with the reason in `why`, as fileKindProblem gives it or "is larger
// than the limit of 16 MiB", "cannot be read: <reason>", "changed while it was opened".
bool readRegularFile(const std::string& path, std::size_t limit, std::string& out,
                     std::string& why);

// readRegularFile for a file that must lie inside the folder `dataRoot` (once links are
// followed), with the limit kMaxDataFileBytes; besides readRegularFile's reasons, "is outside
// the data folder ...".
bool readDataFile(const std::string& dataRoot, const std::string& path, std::string& out,
                  std::string& why);

// A data file of any size, handed to `each` a block at a time, with readDataFile's checks;
// false with the reason in `why`, or with `why` empty when `each` stopped the reading.
bool readDataFileInPieces(const std::string& dataRoot, const std::string& path,
                          const std::function<bool(std::string_view)>& each, std::string& why);
