#pragma once

#include "ReportPolicy.h"
#include "directory/ClientBuffer.h"
#include "directory/DirectoryPage.h"

// The passes of a schema read whose definitions come one call each: allocate the result
// buffer, then per pass the read call, the count and each definition, until the iteration
// handle comes back as -1. `read(iteration, buffer)` makes the read call,
// `count(buffer, &n)` counts a pass, `take(buffer)` takes out and delivers one definition;
// each gives the client's result.
template <typename Read, typename Count, typename Take>
ReadOutcome walkDefinitionPasses(DirectoryPage& page, const ReportPolicy& policy, Read read,
                                 Count count, Take take) {
    ClientBuffer result(page.client());
    NWDSCCODE rc = result.allocate();
    if (rc < 0)
        return policy.failure(page, SchemaStep::AllocResult, rc);

    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        rc = read(&iteration, result.get());
        if (rc < 0)
            return policy.failure(page, SchemaStep::Read, rc);
        std::uint32_t definitions = 0;
        rc = count(result.get(), &definitions);
        if (rc < 0)
            return policy.failure(page, SchemaStep::Count, rc);
        for (std::uint32_t i = 0; i < definitions; ++i) {
            rc = take(result.get());
            if (rc < 0)
                return policy.failure(page, SchemaStep::Definition, rc);
        }
    } while (iteration != NO_MORE_ITERATIONS);
    return {};
}
