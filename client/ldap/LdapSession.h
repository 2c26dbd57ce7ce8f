#pragma once

#include "LdapLimits.h"
#include "LdapSettings.h"
#include "directory/Codes.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct ldap; // libldap's connection, kept out of this header
class LdapSearchStream;

// One entry as a search returns it: its DN and its attributes by LDAP name, each with its
// values (none when only types were asked for).
struct LdapEntry {
    std::string dn;
    std::vector<std::pair<std::string, std::vector<std::string>>> attributes;
    const std::vector<std::string>* find(std::string_view name) const;
};

// One change of an LDAP modify (or one attribute of an add, op ignored).
struct LdapMod {
    enum Op { Add, Delete, Replace } op = Add;
    std::string type;
    std::vector<std::string> values; // none with Delete: the whole attribute
};

// What went wrong on the server side of the last failed call: the LDAP result code and its
// text, for the message the caller shows; or the client's own limit that ended it (code 0).
// Never holds a password.
struct LdapFailure {
    int code = 0;
    std::string text;
    LimitReached limit;
};

// One LDAP connection: connected, secured and bound at open; searches over it (paged where the
// server offers paging). Results come back as the seam's codes.
class LdapSession {
public:
    struct Security {
        std::string caCertFile; // verify the server's certificate against these
        bool startTls = false;
    };
    struct Credentials {
        std::string bindDn;   // empty: SASL EXTERNAL, or anonymous when `anonymous`
        std::string password; // for a bind DN; overwritten when the credentials go
        bool anonymous = false;
        Credentials() = default;
        Credentials(const Credentials&) = default;
        Credentials& operator=(const Credentials&) = default;
        ~Credentials();
    };
    enum class Deref { Never, Finding, Always };

    ~LdapSession();
    LdapSession(const LdapSession&) = delete;
    LdapSession& operator=(const LdapSession&) = delete;

    // nullptr with the failure (and a message for the user) when the server cannot be reached,
    // the TLS handshake fails or the bind is refused.
    // Connecting, and every request after it, waits at most the limits' wait for the server;
    // what a search or read takes from it is bounded by the rest of the limits.
    static std::unique_ptr<LdapSession> open(const std::string& uri, const Security& security,
                                             const Credentials& credentials, int pageSize,
                                             NWDSCCODE& code, std::string& message,
                                             const LdapLimits& limits = {});

    // scope: 0 base, 1 one level, 2 subtree. `each` gets every entry; it may return false to
    // stop early. With `valuesOf`, only those attributes keep their values (the others come
    // by name). ERR_* on failure, with lastFailure() telling the server's word or the limit;
    // the entries before a failure have been handed over. Entries that do not decode and
    // search references are passed over and counted in lastSearchSkipped().
    NWDSCCODE search(const std::string& base, int scope, const std::string& filter,
                     const std::vector<std::string>& attributes, bool typesOnly, Deref deref,
                     const std::function<bool(LdapEntry&&)>& each,
                     const std::vector<std::string>* valuesOf = nullptr);
    // The one entry at `dn` (base search); ERR_NO_SUCH_ENTRY when it is not there.
    NWDSCCODE readEntry(const std::string& dn, const std::vector<std::string>& attributes,
                        bool typesOnly, Deref deref, LdapEntry& out);
    // The authorization identity of the bind (RFC 4532), "dn:..." or "u:..." or "".
    NWDSCCODE whoAmI(std::string& out);

    // ---- Writes (LdapSessionWrites.cpp) ----
    // Each is one request the server applies whole or not at all.
    NWDSCCODE add(const std::string& dn, const std::vector<LdapMod>& attributes);
    NWDSCCODE remove(const std::string& dn);
    // newSuperior empty: the entry stays where it is.
    NWDSCCODE rename(const std::string& dn, const std::string& newRdn,
                     const std::string& newSuperior, bool deleteOldRdn);
    NWDSCCODE modify(const std::string& dn, const std::vector<LdapMod>& changes);
    // The same add sent with the no-op control: `allowed` is true when the server answers
    // that it would have added the entry, false when it refuses it for access; nothing is
    // added either way.
    NWDSCCODE addDryRun(const std::string& dn, const std::vector<LdapMod>& attributes,
                        bool& allowed);
    // What `authzId` ("dn:...") may do to an entry, as a server with the get-effective-rights
    // control reports it; ERR_NOT_SUPPORTED from a server without it.
    NWDSCCODE entryRights(const std::string& dn, const std::string& authzId, std::string& rights);
    // The same search returning the attributes asked for with their values, entryLevelRights
    // and attributeLevelRights for the attributes asked for.
    NWDSCCODE effectiveRights(const std::string& dn, const std::string& authzId,
                              const std::vector<std::string>& attributes, LdapEntry& out);
    // A modify, delete or rename (in place) sent with the no-op control: `result` is the LDAP
    // code the change would have had (LDAP_SUCCESS where the server would have carried it
    // out); nothing changes. ERR_NOT_SUPPORTED from a server without the control.
    struct TriedChange {
        enum Kind { Modify, Delete, Rename } kind = Modify;
        std::string dn;
        std::vector<LdapMod> mods; // Modify
        std::string newRdn;        // Rename
    };
    NWDSCCODE tryChange(const TriedChange& change, int& result);

    // ---- Checks (LdapSessionChecks.cpp) ----
    // Whether any entry below `base` (subtree) matches the filter: one entry is asked for.
    NWDSCCODE anyEntry(const std::string& base, const std::string& filter, bool& found);

    const LdapFailure& lastFailure() const { return failure_; }
    struct Skipped {
        std::size_t undecodable = 0;
        std::size_t references = 0;
    };
    const Skipped& lastSearchSkipped() const { return skipped_; }
    const LdapLimits& limits() const { return limits_; }
    // Whether the server keeps to the page size asked for (it offers the paging control): a
    // page of more entries is then taken for a server that goes on without end.
    void setPagesHonoured(bool honoured) { pagesHonoured_ = honoured; }
    bool pagesHonoured() const { return pagesHonoured_; }
    std::uint64_t roundTrips() const { return roundTrips_; }

    // ---- Losing the server (LdapReconnect.cpp) ----
    // True once a call found the connection gone or timed out, or when the server has closed
    // its end since (seen without a request). Such a session is not used again.
    bool connectionLost() const;

    // ---- Streamed searches (LdapSearchStream.cpp) ----
    // Searches whose answer is still arriving; each is settled (taken in whole) before
    // another paged search goes out, as a server keeps one paged search per connection.
    std::size_t openStreams() const { return streams_.size(); }

private:
    friend class LdapSearchStream;
    void settleStreams();
    void detachStreams(); // the connection goes: what is still to come never will
    std::vector<LdapSearchStream*> streams_;

    LdapSession(ldap* ld, int pageSize, const LdapLimits& limits)
        : ld_(ld), pageSize_(pageSize), limits_(limits) {}
    NWDSCCODE fail(int ldapCode);
    NWDSCCODE fail(const LimitReached& limit);
    // The failure of a wait for a result that came back empty-handed or in error.
    NWDSCCODE failWait(int result, const OperationBudget& budget);
    // Caps the size of one message the connection takes from the server.
    void limitMessages();

    ldap* ld_;
    int pageSize_;
    LdapLimits limits_;
    bool pagesHonoured_ = false;
    LdapFailure failure_;
    Skipped skipped_;
    std::uint64_t roundTrips_ = 0;
    bool lost_ = false;
    mutable std::chrono::steady_clock::time_point lastPeerCheck_{};
};

// Sets the time limits of a connection: connecting and waiting for any result.
void setLdapTimeouts(ldap* ld, int seconds);
// Whether a failed call leaves the connection unusable (server gone, no answer in time).
bool isConnectionLoss(int ldapCode);

// The seam's code for an LDAP result code.
NWDSCCODE codeOfLdapResult(int ldapCode);

// The URI ldap.conf (or ~/.ldaprc, or LDAPURI) names, "" when none.
std::string configuredLdapUri();
