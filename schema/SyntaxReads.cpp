#include "SyntaxReads.h"

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

ReadOutcome WalkSyntaxNames(DirectoryPage& page, const ReportPolicy& policy,
                            const SyntaxNameSink& deliver) {
    DirectoryClient& client = page.client();
    ClientBuffer result(client);
    NWDSCCODE rc = result.allocate();
    if (rc < 0)
        return failed(page, policy, SchemaStep::AllocResult, rc);

    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        rc = client.NWDSReadSyntaxes(page.context(), DS_INFO_NAMES, true, nullptr, &iteration,
                                     result.get());
        if (rc < 0)
            return failed(page, policy, SchemaStep::Read, rc);
        std::uint32_t count = 0;
        rc = client.NWDSGetSyntaxCount(page.context(), result.get(), &count);
        if (rc < 0)
            return failed(page, policy, SchemaStep::Count, rc);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Syntax_Info_T unused{};
            rc = client.NWDSGetSyntaxDef(page.context(), result.get(), name, sizeof name, &unused);
            if (rc < 0)
                return failed(page, policy, SchemaStep::Definition, rc);
            deliver(std::string(name, strnlen(name, sizeof name)));
        }
    } while (iteration != NO_MORE_ITERATIONS);
    return {};
}

ReadOutcome ReadAttributeSyntax(DirectoryPage& page, const std::string& attrName,
                                const ReportPolicy& policy, AttributeSyntax& syntax) {
    DirectoryClient& client = page.client();
    syntax = {};
    std::uint32_t id = 0;
    NWDSCCODE rc = client.NWDSGetSyntaxID(page.context(), attrName.c_str(), &id);
    if (rc < 0)
        return failed(page, policy, SchemaStep::SyntaxId, rc);
    syntax.id = id;

    Syntax_Info_T info{};
    rc = client.NWDSReadSyntaxDef(page.context(), id, &info);
    if (rc < 0)
        return failed(page, policy, SchemaStep::SyntaxDef, rc);
    syntax.name.assign(info.defStr, strnlen(info.defStr, sizeof info.defStr));
    return {};
}
