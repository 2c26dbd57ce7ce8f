#include "ReadAttributeNames.h"

#include "ClientBuffer.h"
#include "DirectoryPage.h"
#include "NameRules.h"

void ReadAttributeNames(DirectoryPage& page, const std::string& listedName,
                        const std::function<void(const std::string& attrName)>& insert) {
    DirectoryClient& client = page.client();
    ClientBuffer buffer(client);
    NWDSCCODE rc = buffer.allocate();
    if (rc < 0) {
        page.report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
        return;
    }
    const std::string fullName = fullNameOfListed(listedName, page.currentContext());

    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        rc = client.NWDSRead(page.context(), fullName.c_str(), DS_ATTRIBUTE_NAMES, true, nullptr,
                             &iteration, buffer.get());
        if (rc < 0) {
            page.report("\nNWDSRead returned: %04X\n", unsigned(rc));
            break;
        }
        std::uint32_t count = 0;
        rc = client.NWDSGetAttrCount(page.context(), buffer.get(), &count);
        if (rc < 0) {
            page.report("\nNWDSGetAttrCount returned: %04X\n", unsigned(rc));
            break;
        }
        for (std::uint32_t i = 0; i < count && rc >= 0; ++i) {
            char attrName[MAX_SCHEMA_NAME_BYTES] = {};
            std::uint32_t valueCount = 0;
            std::uint32_t syntax = 0;
            rc = client.NWDSGetAttrName(page.context(), buffer.get(), attrName, sizeof attrName,
                                        &valueCount, &syntax);
            if (rc < 0)
                page.report("\nNWDSGetAttrName returned: %04X\n", unsigned(rc));
            else
                insert(attrName);
        }
    } while (rc >= 0 && iteration != NO_MORE_ITERATIONS);
}
