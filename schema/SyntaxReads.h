#pragma once

#include "ReportPolicy.h"
#include "SchemaDefinitions.h"

#include <functional>
#include <string>

class DirectoryPage;

using SyntaxNameSink = std::function<void(const std::string&)>;

// Reads the name of every syntax the directory knows, over as many passes as it needs.
// Failures are reported as the policy says; the buffer is released on every path.
ReadOutcome WalkSyntaxNames(DirectoryPage& page, const ReportPolicy& policy,
                            const SyntaxNameSink& deliver);

// Finds an attribute's syntax id and the syntax's name. On failure `syntax` holds what the
// calls before it gave (the id when only the syntax definition could not be read).
ReadOutcome ReadAttributeSyntax(DirectoryPage& page, const std::string& attrName,
                                const ReportPolicy& policy, AttributeSyntax& syntax);
