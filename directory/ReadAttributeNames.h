#pragma once

#include <functional>
#include <string>

class DirectoryPage;

// Reads the names of every attribute the listed object has (names only) and hands each
// to `insert`, in the directory's order. Failures end this read only; they are reported, or,
// given `failure`, written there for a caller that reports many reads at once.
void ReadAttributeNames(DirectoryPage& page, const std::string& listedName,
                        const std::function<void(const std::string& attrName)>& insert,
                        std::string* failure = nullptr);
