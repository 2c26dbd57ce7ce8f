#include "AttributeReads.h"

#include "directory/ClientBuffer.h"
#include "directory/DirectoryPage.h"

#include <cstring>

namespace {
ReadOutcome failed(DirectoryPage& page, const ReportPolicy& policy, SchemaStep step,
                   NWDSCCODE code) {
    policy.reportFailure(page, step, code);
    return {step, code};
}
} // namespace

ReadOutcome WalkAttributeDefinitions(DirectoryPage& page, const ReportPolicy& policy,
                                     const AttrDefSink& deliver) {
    DirectoryClient& client = page.client();
    ClientBuffer result(client);
    NWDSCCODE rc = result.allocate();
    if (rc < 0)
        return failed(page, policy, SchemaStep::AllocResult, rc);

    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        rc = client.NWDSReadAttrDef(page.context(), DS_INFO_DEFS, true, nullptr, &iteration,
                                    result.get());
        if (rc < 0)
            return failed(page, policy, SchemaStep::Read, rc);
        std::uint32_t count = 0;
        rc = client.NWDSGetAttrCount(page.context(), result.get(), &count);
        if (rc < 0)
            return failed(page, policy, SchemaStep::Count, rc);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            AttrDef definition;
            rc = client.NWDSGetAttrDef(page.context(), result.get(), name, sizeof name,
                                       &definition.info);
            if (rc < 0)
                return failed(page, policy, SchemaStep::Definition, rc);
            definition.name.assign(name, strnlen(name, sizeof name));
            deliver(definition);
        }
    } while (iteration != NO_MORE_ITERATIONS);
    return {};
}
