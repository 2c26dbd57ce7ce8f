#pragma once

#include "LdapEntryDecoding.h"
#include "LdapSession.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct ldapmsg; // libldap's message, kept out of this header

// A paged search whose entries are handed over as they arrive, so that the caller works on
// the first entries while the server is still sending the rest. The next page is asked for
// as soon as a page's result arrives. Dropping the stream before its end abandons the
// search on the server and leaves nothing of it queued on the connection.
class LdapSearchStream {
public:
    struct Request {
        std::string base;
        int scope = 1; // 1 one level, 2 subtree
        std::string filter;
        std::vector<std::string> attributes;
        LdapSession::Deref deref = LdapSession::Deref::Never;
    };

    LdapSearchStream(LdapSession& session, Request request);
    ~LdapSearchStream();
    LdapSearchStream(const LdapSearchStream&) = delete;
    LdapSearchStream& operator=(const LdapSearchStream&) = delete;

    // Sends the first page's request.
    NWDSCCODE start();
    // Hands the entries that have arrived to `each`, at most `most`, and counts them in
    // `taken`. With `wait`, waits for at least one unless the search ends first. The code of
    // the failure that ended the search, once, when the entries before it have been handed over.
    NWDSCCODE take(const std::function<void(const LdapEntryView&)>& each, bool wait,
                   std::size_t most, std::size_t& taken);
    // Nothing more will come: every page arrived, or the search failed or was cut off.
    bool finished() const { return msgid_ < 0 && queued_.empty() && code_ == 0; }
    // The session's server word on the failure that ended the search, or the limit.
    const LdapFailure& failure() const { return failure_; }
    // Entries passed over because they do not decode, and search references (not followed).
    std::size_t undecodable() const { return undecodable_; }
    std::size_t references() const { return references_; }

private:
    friend class LdapSession;
    // Reads in everything still to come, for the session before another paged search.
    void settle();
    // The connection is going away.
    void detach();
    // Reads off the connection what has arrived for this search, asking for the next page
    // as a page ends; with `block`, waits for one entry (or the end) first.
    void pump(bool block);
    void dropQueued();
    void readAhead();
    bool pageDone(ldapmsg* result);
    bool sendPage();
    void stop(NWDSCCODE code);
    void stop(const LimitReached& limit);
    void abandon();

    LdapSession* session_;
    Request request_;
    int msgid_ = -1; // the page request in progress, -1 once none is
    int pageSize_ = 0;
    int pageEntries_ = 0; // entries of the page in progress
    int pagesDone_ = 0;
    int skip_ = 0; // entries to pass over after beginning again
    bool retried_ = false;
    struct berval* cookie_ = nullptr;
    std::deque<ldapmsg*> queued_; // entries read, decoded as they are handed over
    std::deque<std::size_t> queuedSizes_;
    std::size_t queuedBytes_ = 0;
    std::size_t undecodable_ = 0;
    std::size_t references_ = 0;
    std::unique_ptr<OperationBudget> budget_; // from the first page's request on
    NWDSCCODE code_ = 0;                      // the failure still to report
    LdapFailure failure_;
    LdapEntryView entry_; // reused from entry to entry
};
