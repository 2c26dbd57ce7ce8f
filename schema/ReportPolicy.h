#pragma once

#include "directory/Codes.h"

#include <array>
#include <cstddef>

class DirectoryPage;

// The directory calls of the schema reads, each a step that can fail on its own.
enum class SchemaStep : std::size_t {
    AllocResult,  // the result buffer
    AllocRequest, // the request buffer of the single class read
    InitRequest,  // preparing the request buffer
    PutName,      // the class name put into the request
    Read,         // NWDSReadClassDef, NWDSReadAttrDef or NWDSReadSyntaxes
    Count,        // class definition, attribute or syntax count of a pass
    Definition,   // one class, attribute or syntax definition
    ItemCount,    // the item count of one class list
    Item,         // one item of a class list
    SyntaxId,     // NWDSGetSyntaxID
    SyntaxDef,    // NWDSReadSyntaxDef
    None,         // no step failed
};
inline constexpr std::size_t SchemaStepCount = static_cast<std::size_t>(SchemaStep::None);

// What a read ended with: the step that failed and its code, or SchemaStep::None.
struct ReadOutcome {
    SchemaStep failedStep = SchemaStep::None;
    NWDSCCODE code = 0;

    bool ok() const { return failedStep == SchemaStep::None; }
};

// Which failed steps a caller reports, and with which printf-style text taking the result
// code; steps without a text fail silently. Each page passes its own policy to a read.
class ReportPolicy {
public:
    constexpr ReportPolicy() = default;

    constexpr ReportPolicy& report(SchemaStep step, const char* format) {
        formats_[static_cast<std::size_t>(step)] = format;
        return *this;
    }
    constexpr const char* formatFor(SchemaStep step) const {
        return step == SchemaStep::None ? nullptr : formats_[static_cast<std::size_t>(step)];
    }

    // Shows the step's message through the page, when the policy has one.
    void reportFailure(DirectoryPage& page, SchemaStep step, NWDSCCODE code) const;
    // The same, giving the outcome of the read that ends at that step.
    ReadOutcome failure(DirectoryPage& page, SchemaStep step, NWDSCCODE code) const {
        reportFailure(page, step, code);
        return {step, code};
    }

private:
    std::array<const char*, SchemaStepCount> formats_{};
};
