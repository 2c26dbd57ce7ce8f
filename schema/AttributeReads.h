#pragma once

#include "ReportPolicy.h"
#include "SchemaDefinitions.h"

#include <functional>

class DirectoryPage;

using AttrDefSink = std::function<void(const AttrDef&)>;

// Reads every attribute with its full definition, over as many passes as the directory
// needs, in the directory's order. Failures are reported as the policy says (the pages that
// walk the attributes are silent); the buffer is released on every path.
ReadOutcome WalkAttributeDefinitions(DirectoryPage& page, const ReportPolicy& policy,
                                     const AttrDefSink& deliver);
