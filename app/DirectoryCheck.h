#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

class DirectoryClient;

// `ostrel --check`: opens the directory client with `open`, writes on `out` the folder it was
// loaded from (`dataFolder`, when the settings chose the embedded directory), the tree and the
// identity, and the objects directly below "[Root]" of that tree. Needs no window. Returns the
// exit status: 0 when all of that could be read, 1 with the reason on `err` otherwise.
int checkDirectory(const std::function<std::unique_ptr<DirectoryClient>(std::string* error)>& open,
                   const std::string& dataFolder, std::ostream& out, std::ostream& err);
