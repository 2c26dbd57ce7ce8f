// Searches handed over as they arrive: asynchronous requests, one page after another.
#include "LdapSearchStream.h"

#include "LdapControls.h"
#include "LdapEntryDecoding.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>
#include <ldap.h>

namespace {

// Passes' worth of entries that may wait before the connection is read again.
constexpr std::size_t kPassesReadAhead = 8;

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
    if (cookie_ != nullptr) {
        ber_bvfree(cookie_);
        cookie_ = nullptr;
    }
    LDAPControl* response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr);
    ber_int_t estimate = 0;
    berval next{0, nullptr};
    if (response != nullptr &&
        ldap_parse_pageresponse_control(ld, response, &estimate, &next) == LDAP_SUCCESS) {
        if (next.bv_len > 0)
            cookie_ = ber_bvdup(&next);
        ber_memfree(next.bv_val);
    }
    ldap_controls_free(returned);
    // The next page is asked for at once, so that the server works while the caller does.
    return cookie_ == nullptr || sendPage();
}

void LdapSearchStream::pump(bool block) {
    LDAP* ld = session_->ld_;
    timeval* limit = nullptr; // the session's time limit for calls, when one is set
    if (block)
        ldap_get_option(ld, LDAP_OPT_TIMEOUT, &limit);
    timeval zero{0, 0};
    bool waiting = block;
    while (msgid_ >= 0) {
        MessageGuard msg;
        const int rc = ldap_result(ld, msgid_, LDAP_MSG_ONE, waiting ? limit : &zero, &msg.m);
        if (rc == 0) {
            if (waiting)
                stop(session_->fail(LDAP_TIMEOUT));
            break;
        }
        if (rc < 0) {
            int err = LDAP_SERVER_DOWN;
            ldap_get_option(ld, LDAP_OPT_RESULT_CODE, &err);
            msgid_ = -1; // nothing more can come on this connection
            stop(session_->fail(err != LDAP_SUCCESS ? err : LDAP_SERVER_DOWN));
            break;
        }
        if (rc == LDAP_RES_SEARCH_ENTRY) {
            ++pageEntries_;
            if (skip_ > 0) {
                --skip_; // handed over already, before the search began again
                continue;
            }
            queued_.push_back(msg.m);
            msg.m = nullptr;
            waiting = false;
        } else if (rc == LDAP_RES_SEARCH_RESULT) {
            if (!pageDone(msg.m))
                break;
        }
        // Search references are not followed, as by the synchronous searches.
    }
    if (limit != nullptr)
        ldap_memfree(limit);
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
    if (wait && queued_.empty() && session_ != nullptr && msgid_ >= 0)
        pump(true);
    // A detached stream has nothing queued; the session is asked for the entries' decoding.
    while (session_ != nullptr && !queued_.empty() && taken < most) {
        MessageGuard msg{queued_.front()};
        queued_.pop_front();
        ldapber::decodeEntry(session_->ld_, msg.m, entry_);
        ++taken;
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
    while (session_ != nullptr && msgid_ >= 0)
        pump(true);
}

void LdapSearchStream::dropQueued() {
    for (LDAPMessage* m : queued_)
        ldap_msgfree(m);
    queued_.clear();
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
