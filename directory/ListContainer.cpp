#include "ListContainer.h"

#include "ClientBuffer.h"
#include "DirectoryPage.h"
#include "NameRules.h"
#include "PartialResults.h"

bool ListContainer(DirectoryPage& page, const std::string& container, ContainerSink& sink) {
    DirectoryClient& client = page.client();
    ClientBuffer buffer(client);
    NWDSCCODE rc = buffer.allocate();
    if (rc < 0) {
        page.report("NWDSAllocBuf returned: %04X\n", unsigned(rc));
        return false;
    }

    std::int32_t iteration = NO_MORE_ITERATIONS;
    std::size_t shown = 0;
    do {
        rc = client.NWDSList(page.context(), container.c_str(), &iteration, buffer.get());
        if (rc < 0) {
            const std::string note = partialResultNote(client, rc, shown);
            const std::string refused = client.takeRefusedNote();
            page.report("\nNWDSList returned : %04X\n%s%s", unsigned(rc), note.c_str(),
                        refused.c_str());
            return false;
        }
        std::uint32_t count = 0;
        rc = client.NWDSGetObjectCount(page.context(), buffer.get(), &count);
        if (rc < 0) {
            page.report("\nNWDSGetObjectCount returned : %04X\n", unsigned(rc));
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            std::uint32_t attrCount = 0;
            ListedObject object;
            rc = client.NWDSGetObjectName(page.context(), buffer.get(), name, sizeof name,
                                          &attrCount, &object.info);
            if (rc < 0) {
                page.report("\nNWDSGetObjectName returned: %04X\n", unsigned(rc));
                return false;
            }
            object.info.baseClass[sizeof object.info.baseClass - 1] = '\0';
            object.listedName = name;
            object.label = labelOf(object.listedName);
            sink.addObject(object);
            ++shown;
        }
    } while (iteration != NO_MORE_ITERATIONS);
    // What the server sent and the client could not show is said once, not per object.
    if (const std::string refused = client.takeRefusedNote(); !refused.empty())
        page.report("%s", refused.c_str());
    return true;
}
