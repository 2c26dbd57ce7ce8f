#include "SyntaxReads.h"

#include "DefinitionPasses.h"

#include <cstring>

ReadOutcome WalkSyntaxNames(DirectoryPage& page, const ReportPolicy& policy,
                            const SyntaxNameSink& deliver) {
    DirectoryClient& client = page.client();
    const NWDSContextHandle context = page.context();
    return walkDefinitionPasses(
        page, policy,
        [&](std::int32_t* iteration, Buf_T* result) {
            return client.NWDSReadSyntaxes(context, DS_INFO_NAMES, true, nullptr, iteration,
                                           result);
        },
        [&](Buf_T* result, std::uint32_t* count) {
            return client.NWDSGetSyntaxCount(context, result, count);
        },
        [&](Buf_T* result) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            Syntax_Info_T unused{};
            const NWDSCCODE rc =
                client.NWDSGetSyntaxDef(context, result, name, sizeof name, &unused);
            if (rc >= 0)
                deliver(std::string(name, strnlen(name, sizeof name)));
            return rc;
        });
}

ReadOutcome ReadAttributeSyntax(DirectoryPage& page, const std::string& attrName,
                                const ReportPolicy& policy, AttributeSyntax& syntax) {
    DirectoryClient& client = page.client();
    syntax = {};
    std::uint32_t id = 0;
    NWDSCCODE rc = client.NWDSGetSyntaxID(page.context(), attrName.c_str(), &id);
    if (rc < 0)
        return policy.failure(page, SchemaStep::SyntaxId, rc);
    syntax.id = id;

    Syntax_Info_T info{};
    rc = client.NWDSReadSyntaxDef(page.context(), id, &info);
    if (rc < 0)
        return policy.failure(page, SchemaStep::SyntaxDef, rc);
    syntax.name.assign(info.defStr, strnlen(info.defStr, sizeof info.defStr));
    return {};
}
