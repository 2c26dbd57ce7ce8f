#include "ReadAttributeNames.h"

#include "ClientBuffer.h"
#include "DirectoryPage.h"
#include "FormatText.h"
#include "NameRules.h"
#include "ServerReason.h"

void ReadAttributeNames(DirectoryPage& page, const std::string& listedName,
                        const std::function<void(const std::string& attrName)>& insert,
                        std::string* failure) {
    DirectoryClient& client = page.client();
    auto fail = [&](const char* format, NWDSCCODE rc) {
        // The server's own words, where it gave them, go on the line after the code.
        std::string text = formatText(format, unsigned(rc));
        text.insert(text.size() - 1, serverSaid(client, rc));
        if (failure != nullptr)
            *failure = std::move(text);
        else
            page.report("%s", text.c_str());
    };
    ClientBuffer buffer(client);
    NWDSCCODE rc = buffer.allocate();
    if (rc < 0) {
        fail("NWDSAllocBuf returned: %04X\n", rc);
        return;
    }
    const std::string fullName = fullNameOfListed(listedName, page.currentContext());

    std::int32_t iteration = NO_MORE_ITERATIONS;
    do {
        rc = client.NWDSRead(page.context(), fullName.c_str(), DS_ATTRIBUTE_NAMES, true, nullptr,
                             &iteration, buffer.get());
        if (rc < 0) {
            fail("\nNWDSRead returned: %04X\n", rc);
            break;
        }
        std::uint32_t count = 0;
        rc = client.NWDSGetAttrCount(page.context(), buffer.get(), &count);
        if (rc < 0) {
            fail("\nNWDSGetAttrCount returned: %04X\n", rc);
            break;
        }
        for (std::uint32_t i = 0; i < count && rc >= 0; ++i) {
            char attrName[MAX_SCHEMA_NAME_BYTES] = {};
            std::uint32_t valueCount = 0;
            std::uint32_t syntax = 0;
            rc = client.NWDSGetAttrName(page.context(), buffer.get(), attrName, sizeof attrName,
                                        &valueCount, &syntax);
            if (rc < 0)
                fail("\nNWDSGetAttrName returned: %04X\n", rc);
            else
                insert(attrName);
        }
    } while (rc >= 0 && iteration != NO_MORE_ITERATIONS);
}
