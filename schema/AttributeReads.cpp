#include "AttributeReads.h"

#include "DefinitionPasses.h"

#include <cstring>

ReadOutcome WalkAttributeDefinitions(DirectoryPage& page, const ReportPolicy& policy,
                                     const AttrDefSink& deliver) {
    DirectoryClient& client = page.client();
    const NWDSContextHandle context = page.context();
    return walkDefinitionPasses(
        page, policy,
        [&](std::int32_t* iteration, Buf_T* result) {
            return client.NWDSReadAttrDef(context, DS_INFO_DEFS, true, nullptr, iteration, result);
        },
        [&](Buf_T* result, std::uint32_t* count) {
            return client.NWDSGetAttrCount(context, result, count);
        },
        [&](Buf_T* result) {
            char name[MAX_SCHEMA_NAME_BYTES] = {};
            AttrDef definition;
            const NWDSCCODE rc =
                client.NWDSGetAttrDef(context, result, name, sizeof name, &definition.info);
            if (rc >= 0) {
                definition.name.assign(name, strnlen(name, sizeof name));
                deliver(definition);
            }
            return rc;
        });
}
