#pragma once

#include <functional>
#include <string>

class DirectoryPage;

// Reads the names of every attribute the listed object has (names only) and hands each
// to `insert`, in the directory's order. Failures are reported and end this read only.
void ReadAttributeNames(DirectoryPage& page, const std::string& listedName,
                        const std::function<void(const std::string& attrName)>& insert);
