#include "PartialResults.h"

#include "FormatText.h"
#include "ResultCodes.h"

std::string partialResultNote(NWDSCCODE rc, std::size_t shown) {
    const char* why = nullptr;
    if (rc == ERR_MAXIMUM_ENTRIES_EXIST)
        why = "the server's size limit";
    else if (rc == ERR_TIMEOUT)
        why = "the time limit";
    if (why == nullptr)
        return {};
    return formatText("Showing %zu object%s: %s was reached before the rest arrived.\n", shown,
                      shown == 1 ? "" : "s", why);
}
