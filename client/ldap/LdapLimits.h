#pragma once

#include "directory/Codes.h"

#include <chrono>
#include <cstddef>
#include <string>

struct timeval;

// What one listing, search or read may take from a server. A server may send anything; each
// of these ends the operation with a code of its own and says which limit it was.
struct LdapLimits {
    int waitSeconds = 30;             // for any one answer (OSTREL_LDAP_TIMEOUT)
    int operationSeconds = 300;       // for the whole operation (OSTREL_LDAP_OPERATION_TIMEOUT)
    std::size_t maxEntries = 2000000; // per operation (OSTREL_LDAP_MAX_ENTRIES)
    std::size_t maxMessageBytes = 16u * 1024 * 1024;  // one entry as it travels
    std::size_t maxBufferedBytes = 32u * 1024 * 1024; // read from the server, not yet taken
};

// Why an operation ended early on the client's side: the seam's code and what to tell the
// user, a clause that ends a sentence ("the time limit of 300 s ... was reached").
struct LimitReached {
    NWDSCCODE code = 0;
    std::string reason;
};

// The running account of one operation against its limits.
class OperationBudget {
public:
    OperationBudget(const LdapLimits& limits, bool pagesHonoured);

    // How long the next wait may last: the wait limit, or what is left of the operation's time
    // when that is less. false, with the limit said, once the operation's time is up.
    bool nextWait(timeval& wait);
    // Whether the last wait that found nothing ended by the operation's time rather than the
    // wait limit; says which.
    LimitReached waitEnded() const;
    bool lastWaitCut() const { return lastWaitCut_; }
    // One more entry arrived, the `inPage`th of a page of at most `pageSize` asked for.
    bool admitEntry(int inPage, int pageSize);
    // A page ended with `entries` and a cookie for another (none: the last page). A server
    // may give every page the same cookie, so only pages without entries count against it.
    bool admitPage(int entries, bool another);

    const LimitReached& reached() const { return reached_; }

private:
    bool stop(NWDSCCODE code, std::string reason);

    LdapLimits limits_;
    bool pagesHonoured_;
    std::chrono::steady_clock::time_point deadline_;
    bool lastWaitCut_ = false; // the last wait was shortened to the operation's end
    std::size_t entries_ = 0;
    int emptyPages_ = 0;
    LimitReached reached_;
};

// "16 MiB", "512 KiB", "300 bytes".
std::string byteSize(std::size_t bytes);
