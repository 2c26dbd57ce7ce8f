#pragma once

#include "ReportPolicy.h"
#include "SchemaDefinitions.h"

#include <functional>
#include <string>

class DirectoryPage;

// Receives each class definition once all its items are out of the buffer (or, when the
// read stops inside it, with what was read; `complete` is then false).
using ClassDefSink = std::function<void(const ClassDef&)>;

// Reads every class with its full definition, over as many passes as the directory needs,
// in the directory's order. Failures are reported as the policy says; the buffer is released
// on every path and what was delivered before a failure stays delivered.
ReadOutcome WalkClassDefinitions(DirectoryPage& page, const ReportPolicy& policy,
                                 const ClassDefSink& deliver);

// Reads the full definition of one named class the same way, with a request buffer
// holding the name.
ReadOutcome ReadClassDefinition(DirectoryPage& page, const std::string& className,
                                const ReportPolicy& policy, const ClassDefSink& deliver);
