#include "LdapLimits.h"

#include "directory/ResultCodes.h"

#include <algorithm>
#include <sys/time.h>

namespace {
// Pages in a row that announce more and bring nothing: a server going round in a circle.
constexpr int kMostEmptyPages = 3;
} // namespace

std::string byteSize(std::size_t bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return std::to_string(bytes / (1024 * 1024)) + " MiB";
    if (bytes >= 1024 && bytes % 1024 == 0)
        return std::to_string(bytes / 1024) + " KiB";
    return std::to_string(bytes) + " bytes";
}

OperationBudget::OperationBudget(const LdapLimits& limits, bool pagesHonoured)
    : limits_(limits), pagesHonoured_(pagesHonoured),
      deadline_(std::chrono::steady_clock::now() + std::chrono::seconds(limits.operationSeconds)) {}

bool OperationBudget::stop(NWDSCCODE code, std::string reason) {
    if (reached_.code == 0)
        reached_ = {code, std::move(reason)};
    return false;
}

bool OperationBudget::nextWait(timeval& wait) {
    using namespace std::chrono;
    const auto left = duration_cast<microseconds>(deadline_ - steady_clock::now());
    if (left.count() <= 0) {
        lastWaitCut_ = true;
        return stop(waitEnded().code, waitEnded().reason);
    }
    const auto limit = microseconds(seconds(limits_.waitSeconds));
    lastWaitCut_ = left < limit;
    const auto chosen = std::min(left, limit);
    wait.tv_sec = static_cast<time_t>(chosen.count() / 1000000);
    wait.tv_usec = static_cast<suseconds_t>(chosen.count() % 1000000);
    return true;
}

LimitReached OperationBudget::waitEnded() const {
    if (lastWaitCut_)
        return {ERR_TIMEOUT, "the time limit of " + std::to_string(limits_.operationSeconds) +
                                 " s for one listing, search or read "
                                 "(OSTREL_LDAP_OPERATION_TIMEOUT) was reached"};
    return {ERR_TIMEOUT, "the server gave no answer within " + std::to_string(limits_.waitSeconds) +
                             " s (OSTREL_LDAP_TIMEOUT)"};
}

bool OperationBudget::admitEntry(int inPage, int pageSize) {
    if (++entries_ > limits_.maxEntries)
        return stop(ERR_MAXIMUM_ENTRIES_EXIST,
                    "the limit of " + std::to_string(limits_.maxEntries) +
                        " entries for one listing or search (OSTREL_LDAP_MAX_ENTRIES) was reached");
    if (pagesHonoured_ && pageSize > 0 && inPage > pageSize)
        return stop(ERR_MAXIMUM_ENTRIES_EXIST,
                    "the server sent more entries in one page than the " +
                        std::to_string(pageSize) + " asked for");
    return true;
}

bool OperationBudget::admitPage(int entries, bool another) {
    if (!another)
        return true;
    emptyPages_ = entries == 0 ? emptyPages_ + 1 : 0;
    if (emptyPages_ >= kMostEmptyPages)
        return stop(ERR_MAXIMUM_ENTRIES_EXIST, "the server announced more pages " +
                                                   std::to_string(kMostEmptyPages) +
                                                   " times in a row without sending an entry");
    return true;
}
