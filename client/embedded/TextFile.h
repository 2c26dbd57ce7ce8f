#pragma once

#include <string>

// The whole content of a file of the data folder; false when it cannot be read.
bool readWholeFile(const std::string& path, std::string& out);
