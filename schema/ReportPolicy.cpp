#include "ReportPolicy.h"

#include "directory/DirectoryPage.h"

void ReportPolicy::reportFailure(DirectoryPage& page, SchemaStep step, NWDSCCODE code) const {
    if (const char* format = formatFor(step))
        page.report(format, static_cast<unsigned>(code));
}
