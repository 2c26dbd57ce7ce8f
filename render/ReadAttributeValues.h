#pragma once

#include "ValueSurfaces.h"

#include <string>

class DirectoryPage;

// Reads every value of one attribute of one object and renders it into the surfaces:
// the value list for every syntax but streams, the text panel for streams, the syntax
// name into "Syntax:". `objectName` is the object's label relative to the page's
// current context; it holds the full name afterwards. Failures are reported through
// the page and end the read; what was shown before the failure stays.
void ReadAttributeValues(DirectoryPage& page, ValueSurfaces& surfaces, std::string& objectName,
                         const std::string& attrName);
