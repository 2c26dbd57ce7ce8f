#include "SchemaRightsCheck.h"

#include "directory/DirectoryPage.h"

namespace {
constexpr std::size_t kOwnNameBytes = 256;
} // namespace

bool HasSchemaRights(DirectoryPage& page) {
    DirectoryClient& client = page.client();
    char ownName[kOwnNameBytes] = {};
    NWDSCCODE rc = client.NWDSWhoAmI(page.context(), ownName, sizeof ownName);
    if (rc < 0) {
        page.report("NWDSWhoAmI() returned: %04X\n", unsigned(rc));
        return false;
    }
    ownName[sizeof ownName - 1] = '\0';
    std::uint32_t rights = 0;
    rc = client.NWDSGetEffectiveRights(page.context(), ownName, ROOT_NAME, "[Entry Rights]",
                                       &rights);
    if (rc < 0) {
        page.report("NWDSGetEffectiveRights() returned: %04X\n", unsigned(rc));
        return false;
    }
    return (rights & DS_ENTRY_SUPERVISOR) != 0;
}
