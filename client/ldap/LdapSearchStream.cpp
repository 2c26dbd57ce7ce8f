// Searches handed over as they arrive: asynchronous requests, one page after another.
#include "LdapSearchStream.h"

#include "LdapControls.h"
#include "LdapEntryDecoding.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ldap.h>
#include <thread>

namespace {

// Passes' worth of entries that may wait before the connection is read again.
constexpr std::size_t kPassesReadAhead = 8;
// How long a pass that waited and found only a few entries lets more arrive: a client faster
// than its server would otherwise wake for every entry the server writes, and on shared
// processors take the time the server needs to send the rest.
constexpr std::chrono::milliseconds kGatherTime{2};

struct MessageGuard {
    LDAPMessage* m = nullptr;
    ~MessageGuard() {
        if (m != nullptr)
            ldap_msgfree(m);
    }
};

int derefOption(LdapSession::Deref deref) {
    return deref == LdapSession::Deref::Always    ? LDAP_DEREF_ALWAYS
           : deref == LdapSession::Deref::Finding ? LDAP_DEREF_FINDING
                                                  : LDAP_DEREF_NEVER;
}

} // namespace

LdapSearchStream::LdapSearchStream(LdapSession& session, Request request)
    : session_(&session), request_(std::move(request)) {
    session_->streams_.push_back(this);
}

LdapSearchStream::~LdapSearchStream() {
    abandon();
    dropQueued();
    if (cookie_ != nullptr)
        ber_bvfree(cookie_);
    if (session_ != nullptr) {
        auto& streams = session_->streams_;
        streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
    }
}

void LdapSearchStream::readAhead() {
    // A listing is thousands of small messages: read in large blocks, a message buffered
    // needs neither a poll nor two reads of its own.
    Sockbuf* sb = nullptr;
    if (ldap_get_option(session_->ld_, LDAP_OPT_SOCKBUF, &sb) != LDAP_OPT_SUCCESS || sb == nullptr)
        return;
    if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_HAS_IO, &ber_sockbuf_io_readahead) > 0)
        return;
    int size = 64 * 1024;
    ber_sockbuf_add_io(sb, &ber_sockbuf_io_readahead, LBER_SBIOD_LEVEL_PROVIDER, &size);
}

NWDSCCODE LdapSearchStream::start() {
    // Another paged search on this connection would cut this one's pages off.
    std::vector<LdapSearchStream*> others;
    for (auto* s : session_->streams_) {
        if (s != this)
            others.push_back(s);
    }
    for (auto* s : others)
        s->settle();
    readAhead();
    budget_ = std::make_unique<OperationBudget>(session_->limits_, session_->pagesHonoured_);
    if (!sendPage()) {
        const NWDSCCODE rc = code_;
        code_ = 0;
        return rc;
    }
    return 0;
}

bool LdapSearchStream::sendPage() {
    LDAP* ld = session_->ld_;
    LDAPControl* page = nullptr;
    if (pageSize_ == 0)
        pageSize_ = session_->pageSize_;
    pageEntries_ = 0;
    int rc = ldap_create_page_control(ld, ber_int_t(pageSize_), cookie_, 0, &page);
    if (rc != LDAP_SUCCESS) {
        stop(session_->fail(rc));
        return false;
    }
    std::vector<char*> attrv;
    for (const auto& a : request_.attributes)
        attrv.push_back(const_cast<char*>(a.c_str()));
    attrv.push_back(nullptr);
    const int deref = derefOption(request_.deref);
    ldap_set_option(ld, LDAP_OPT_DEREF, &deref);
    LDAPControl manage = manageDsaIt();
    LDAPControl* controls[3] = {page, &manage, nullptr};
    ++session_->roundTrips_;
    rc = ldap_search_ext(ld, request_.base.c_str(), request_.scope, request_.filter.c_str(),
                         attrv.data(), 0, controls, nullptr, nullptr, LDAP_NO_LIMIT, &msgid_);
    ldap_control_free(page);
    if (rc != LDAP_SUCCESS) {
        msgid_ = -1;
        stop(session_->fail(rc));
        return false;
    }
    return true;
}

void LdapSearchStream::stop(NWDSCCODE code) {
    abandon();
    code_ = code;
    if (session_ != nullptr)
        failure_ = session_->failure_;
}

void LdapSearchStream::stop(const LimitReached& limit) {
    stop(session_->fail(limit));
}

void LdapSearchStream::abandon() {
    if (msgid_ < 0 || session_ == nullptr)
        return;
    LDAP* ld = session_->ld_;
    // Entries already queued for the search go first: with them still there, the library
    // would take them for the whole answer and tell the server nothing.
    while (ldap_msgdelete(ld, msgid_) == 0) {
    }
    ldap_abandon_ext(ld, msgid_, nullptr, nullptr);
    msgid_ = -1;
}

bool LdapSearchStream::pageDone(LDAPMessage* result) {
    LDAP* ld = session_->ld_;
    msgid_ = -1;
    int err = LDAP_SUCCESS;
    LDAPControl** returned = nullptr;
    int rc = ldap_parse_result(ld, result, &err, nullptr, nullptr, nullptr, &returned, 0);
    if (rc != LDAP_SUCCESS) {
        stop(session_->fail(rc));
        return false;
    }
    if (err == LDAP_SIZELIMIT_EXCEEDED && pagesDone_ == 0 && !retried_ && pageEntries_ > 1 &&
        pageEntries_ <= pageSize_) {
        // A server that counts its size limit against each page stopped the first one: the
        // search begins again with pages below that limit, and what came already is skipped.
        ldap_controls_free(returned);
        retried_ = true;
        skip_ = pageEntries_;
        pageSize_ = pageEntries_ - 1;
        return sendPage();
    }
    if (err != LDAP_SUCCESS) {
        ldap_controls_free(returned);
        stop(session_->fail(err));
        return false;
    }
    ++pagesDone_;
    LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr);
    ber_int_t estimate = 0;
    berval next{0, nullptr};
    berval* previous = cookie_;
    cookie_ = nullptr;
    if (response != nullptr &&
        ldap_parse_pageresponse_control(ld, response, &estimate, &next) == LDAP_SUCCESS) {
        if (next.bv_len > 0)
            cookie_ = ber_bvdup(&next);
        ber_memfree(next.bv_val);
    }
    ldap_controls_free(returned);
    if (previous != nullptr)
        ber_bvfree(previous);
    if (!budget_->admitPage(pageEntries_, cookie_ != nullptr)) {
        stop(budget_->reached());
        return false;
    }
    // The next page is asked for at once, so that the server works while the caller does.
    return cookie_ == nullptr || sendPage();
}

void LdapSearchStream::pump(bool block) {
    LDAP* ld = session_->ld_;
    timeval zero{0, 0};
    bool waiting = block;
    // What has been read and not yet taken stays under the limit: past it the server waits.
    while (msgid_ >= 0 && queuedBytes_ < session_->limits_.maxBufferedBytes) {
        timeval wait = zero;
        if (waiting && !budget_->nextWait(wait)) {
            stop(budget_->reached());
            break;
        }
        MessageGuard msg;
        const int rc = ldap_result(ld, msgid_, LDAP_MSG_ONE, &wait, &msg.m);
        if (rc == 0) {
            if (waiting)
                stop(session_->failWait(0, *budget_));
            break;
        }
        if (rc < 0) {
            const NWDSCCODE code = session_->failWait(rc, *budget_);
            msgid_ = -1; // nothing more can come on this connection
            stop(code);
            break;
        }
        if (rc == LDAP_RES_SEARCH_ENTRY) {
            ++pageEntries_;
            if (skip_ > 0) {
                --skip_; // handed over already, before the search began again
                continue;
            }
            if (!budget_->admitEntry(pageEntries_, pageSize_)) {
                stop(budget_->reached());
                break;
            }
            const std::size_t bytes = ldapber::messageBytes(ld, msg.m);
            queued_.push_back(msg.m);
            queuedSizes_.push_back(bytes);
            queuedBytes_ += bytes;
            msg.m = nullptr;
            waiting = false;
        } else if (rc == LDAP_RES_SEARCH_RESULT) {
            if (!pageDone(msg.m))
                break;
        } else if (rc == LDAP_RES_SEARCH_REFERENCE) {
            ++references_; // not followed, as by the synchronous searches
        }
        // A server that never pauses still meets the operation's end.
        if (timeval left{}; !budget_->nextWait(left)) {
            stop(budget_->reached());
            break;
        }
    }
}

NWDSCCODE LdapSearchStream::take(const std::function<void(const LdapEntryView&)>& each, bool wait,
                                 std::size_t most, std::size_t& taken) {
    taken = 0;
    // Whatever has arrived is read off the connection, so that a page's end is seen (and the
    // next page asked for) while the entries before it are still being handed over; but not
    // while several passes' worth of entries wait already: reading at every pass made one read,
    // with the acknowledgement the system sends for it, for every few entries.
    if (session_ != nullptr && msgid_ >= 0 && queued_.size() < kPassesReadAhead * most)
        pump(false);
    if (wait && queued_.empty() && session_ != nullptr && msgid_ >= 0) {
        pump(true);
        if (msgid_ >= 0 && queued_.size() < most / 4) {
            std::this_thread::sleep_for(kGatherTime);
            pump(false);
        }
    }
    // A detached stream has nothing queued; the session is asked for the entries' decoding.
    while (session_ != nullptr && !queued_.empty() && taken < most) {
        MessageGuard msg{queued_.front()};
        queued_.pop_front();
        queuedBytes_ -= queuedSizes_.front();
        queuedSizes_.pop_front();
        ++taken;
        if (!ldapber::decodeEntry(session_->ld_, msg.m, entry_)) {
            ++undecodable_;
            continue;
        }
        each(entry_);
    }
    if (code_ != 0 && taken == 0) {
        const NWDSCCODE rc = code_;
        code_ = 0;
        return rc;
    }
    return 0;
}

void LdapSearchStream::settle() {
    while (session_ != nullptr && msgid_ >= 0) {
        if (queuedBytes_ >= session_->limits_.maxBufferedBytes) {
            stop(LimitReached{ERR_NOT_ENOUGH_MEMORY,
                              "another request needed the connection while more than " +
                                  byteSize(session_->limits_.maxBufferedBytes) +
                                  " of the listing waited to be shown"});
            break;
        }
        pump(true);
    }
}

void LdapSearchStream::dropQueued() {
    for (LDAPMessage* m : queued_)
        ldap_msgfree(m);
    queued_.clear();
    queuedSizes_.clear();
    queuedBytes_ = 0;
}

void LdapSearchStream::detach() {
    if (msgid_ >= 0 || !queued_.empty()) {
        msgid_ = -1;
        code_ = ERR_UNREACHABLE_SERVER;
        failure_ = {LDAP_SERVER_DOWN, ldap_err2string(LDAP_SERVER_DOWN)};
    }
    dropQueued();
    session_ = nullptr;
}

void LdapSession::settleStreams() {
    for (auto* s : streams_)
        s->settle();
}

void LdapSession::detachStreams() {
    for (auto* s : streams_)
        s->detach();
    streams_.clear();
}
