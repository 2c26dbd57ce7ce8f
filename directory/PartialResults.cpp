#include "PartialResults.h"

#include "DirectoryClient.h"
#include "FormatText.h"
#include "ResultCodes.h"

std::string partialResultNote(const DirectoryClient& client, NWDSCCODE rc, std::size_t shown) {
    std::string why = client.limitReached(rc);
    if (why.empty() && rc == ERR_MAXIMUM_ENTRIES_EXIST)
        why = "the server's size limit was reached before the rest arrived";
    else if (why.empty() && rc == ERR_TIMEOUT)
        why = "the time limit was reached before the rest arrived";
    if (why.empty())
        return {};
    return formatText("Showing %zu object%s: %s.\n", shown, shown == 1 ? "" : "s", why.c_str());
}
