#pragma once

#include <string>

class DirectoryPage;

// When the directory refuses to remove a definition, what still uses it, read through the
// page's context: lines to append to the refusal's report, ending in "\r", or nothing when
// nothing was found. The reads are silent; what cannot be read is left out.
std::string AttributeUseText(DirectoryPage& page, const std::string& attrName);
std::string ClassUseText(DirectoryPage& page, const std::string& className);
