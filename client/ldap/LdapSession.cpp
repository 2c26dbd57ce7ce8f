#include "LdapSession.h"

#include "LdapControls.h"
#include "LdapEntryDecoding.h"
#include "directory/ResultCodes.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ldap.h>
#include <sys/socket.h>

const std::vector<std::string>* LdapEntry::find(std::string_view name) const {
    for (const auto& [n, values] : attributes) {
        if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0)
            return &values;
    }
    return nullptr;
}

NWDSCCODE codeOfLdapResult(int rc) {
    switch (rc) {
    case LDAP_SUCCESS:
        return 0;
    case LDAP_NO_SUCH_OBJECT:
        return ERR_NO_SUCH_ENTRY;
    case LDAP_INSUFFICIENT_ACCESS:
        return ERR_NO_ACCESS;
    case LDAP_SIZELIMIT_EXCEEDED:
    case LDAP_ADMINLIMIT_EXCEEDED:
        return ERR_MAXIMUM_ENTRIES_EXIST;
    case LDAP_SERVER_DOWN:
    case LDAP_CONNECT_ERROR:
        return ERR_UNREACHABLE_SERVER;
    case LDAP_TIMEOUT:
    case LDAP_TIMELIMIT_EXCEEDED:
        return ERR_TIMEOUT;
    case LDAP_UNAVAILABLE:
    case LDAP_BUSY:
    case LDAP_OTHER:
        return ERR_REMOTE_FAILURE;
    case LDAP_INVALID_CREDENTIALS:
    case LDAP_INAPPROPRIATE_AUTH:
    case LDAP_STRONG_AUTH_REQUIRED:
    case LDAP_CONFIDENTIALITY_REQUIRED:
    case LDAP_AUTH_UNKNOWN:
    case LDAP_AUTH_METHOD_NOT_SUPPORTED:
        return ERR_INCOMPLETE_AUTHENTICATION;
    case LDAP_NO_SUCH_ATTRIBUTE:
    case LDAP_UNDEFINED_TYPE:
        return ERR_NO_SUCH_ATTRIBUTE;
    case LDAP_INVALID_DN_SYNTAX:
    case LDAP_NAMING_VIOLATION:
        return ERR_ILLEGAL_DS_NAME;
    case LDAP_ALREADY_EXISTS:
        return ERR_ENTRY_ALREADY_EXISTS;
    case LDAP_OBJECT_CLASS_VIOLATION:
        return ERR_OBJECT_CLASS_VIOLATION;
    case LDAP_NOT_ALLOWED_ON_NONLEAF:
        return ERR_ENTRY_IS_NOT_LEAF;
    case LDAP_NOT_ALLOWED_ON_RDN:
        return ERR_CANT_REMOVE_NAMING_VALUE;
    case LDAP_INVALID_SYNTAX:
    case LDAP_CONSTRAINT_VIOLATION:
        return ERR_SYNTAX_VIOLATION;
    case LDAP_TYPE_OR_VALUE_EXISTS:
        return ERR_DUPLICATE_VALUE;
    case LDAP_INAPPROPRIATE_MATCHING:
        return ERR_INVALID_COMPARISON;
    case LDAP_UNWILLING_TO_PERFORM:
    case LDAP_NOT_SUPPORTED:
        return ERR_NOT_SUPPORTED;
    case LDAP_REFERRAL:
        return ERR_NO_REFERRALS;
    case LDAP_NO_MEMORY:
        return ERR_NOT_ENOUGH_MEMORY;
    case LDAP_DECODING_ERROR:
        return ERR_INVALID_SERVER_RESPONSE;
    case LDAP_ALIAS_PROBLEM:
    case LDAP_ALIAS_DEREF_PROBLEM:
        return ERR_ALIAS_OF_AN_ALIAS;
    case LDAP_FILTER_ERROR:
    case LDAP_PARAM_ERROR:
    case LDAP_PROTOCOL_ERROR:
        return ERR_INVALID_REQUEST;
    default:
        return ERR_REMOTE_FAILURE;
    }
}

namespace {

std::string diagnostic(LDAP* ld) {
    char* text = nullptr;
    ldap_get_option(ld, LDAP_OPT_DIAGNOSTIC_MESSAGE, &text);
    std::string out = text != nullptr ? text : "";
    ldap_memfree(text);
    return out;
}

struct MessageGuard {
    LDAPMessage* m = nullptr;
    ~MessageGuard() {
        if (m != nullptr)
            ldap_msgfree(m);
    }
};

} // namespace

LdapSession::~LdapSession() {
    detachStreams();
    if (ld_ != nullptr)
        ldap_unbind_ext_s(ld_, nullptr, nullptr);
}

NWDSCCODE LdapSession::fail(int rc) {
    lost_ = lost_ || isConnectionLoss(rc);
    failure_ = {};
    failure_.code = rc;
    failure_.text = ldap_err2string(rc);
    const std::string more = diagnostic(ld_);
    if (!more.empty())
        failure_.text += ": " + more;
    return codeOfLdapResult(rc);
}

NWDSCCODE LdapSession::fail(const LimitReached& limit) {
    failure_ = {};
    failure_.limit = limit;
    return limit.code;
}

NWDSCCODE LdapSession::failWait(int result, const OperationBudget& budget) {
    if (result == 0) {
        if (budget.lastWaitCut())
            return fail(budget.waitEnded()); // the operation's own time: the connection is sound
        const NWDSCCODE code = fail(LDAP_TIMEOUT);
        failure_.limit = budget.waitEnded();
        return code;
    }
    // The library refuses a message over the connection's cap as a lost connection.
    const int cause = errno;
    int err = LDAP_SERVER_DOWN;
    ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &err);
    if (cause == ERANGE && (err == LDAP_SERVER_DOWN || err == LDAP_SUCCESS)) {
        lost_ = true;
        // The rest of that message is never read: the server learns at once that no one will.
        int fd = -1;
        if (ldap_get_option(ld_, LDAP_OPT_DESC, &fd) == LDAP_OPT_SUCCESS && fd >= 0)
            shutdown(fd, SHUT_RDWR);
        return fail(LimitReached{ERR_NOT_ENOUGH_MEMORY,
                                 "the server sent an entry larger than the limit of " +
                                     byteSize(limits_.maxMessageBytes) + " for one entry"});
    }
    return fail(err != LDAP_SUCCESS ? err : LDAP_SERVER_DOWN);
}

void LdapSession::limitMessages() {
    Sockbuf* sb = nullptr;
    if (ldap_get_option(ld_, LDAP_OPT_SOCKBUF, &sb) != LDAP_OPT_SUCCESS || sb == nullptr)
        return;
    ber_len_t most = limits_.maxMessageBytes;
    ber_sockbuf_ctrl(sb, LBER_SB_OPT_SET_MAX_INCOMING, &most);
}

std::unique_ptr<LdapSession> LdapSession::open(const std::string& uri, const Security& security,
                                               const Credentials& credentials, int pageSize,
                                               NWDSCCODE& code, std::string& message,
                                               const LdapLimits& limits) {
    const int timeoutSeconds = limits.waitSeconds;
    // A server that closes its end while a request is written must fail that request, not end
    // the program: writes to a closed socket report EPIPE rather than raise SIGPIPE.
    static const bool pipeSignalIgnored = [] {
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)pipeSignalIgnored;
    LDAP* ld = nullptr;
    int rc = ldap_initialize(&ld, uri.c_str());
    if (rc != LDAP_SUCCESS) {
        code = ERR_INVALID_REQUEST;
        message = uri + ": not an LDAP URI (" + ldap_err2string(rc) + ")";
        return nullptr;
    }
    std::unique_ptr<LdapSession> session(new LdapSession(ld, pageSize, limits));
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    // Every request that names no controls of its own carries ManageDsaIT.
    LDAPControl manage = manageDsaIt();
    LDAPControl* defaults[2] = {&manage, nullptr};
    ldap_set_option(ld, LDAP_OPT_SERVER_CONTROLS, defaults);
    setLdapTimeouts(ld, timeoutSeconds);
    // The server's certificate is always verified; a CA file replaces the system's.
    const int demand = LDAP_OPT_X_TLS_DEMAND;
    ldap_set_option(ld, LDAP_OPT_X_TLS_REQUIRE_CERT, &demand);
    if (!security.caCertFile.empty())
        ldap_set_option(ld, LDAP_OPT_X_TLS_CACERTFILE, security.caCertFile.c_str());
    const int newContext = 0;
    ldap_set_option(ld, LDAP_OPT_X_TLS_NEWCTX, &newContext);

    auto failed = [&](const std::string& what) {
        code = session->fail(rc);
        const std::string why =
            rc == LDAP_TIMEOUT
                ? "no answer within " + std::to_string(timeoutSeconds) + " s (OSTREL_LDAP_TIMEOUT)"
                : what;
        message =
            uri + ": " + why + " (LDAP " + std::to_string(rc) + ": " + session->failure_.text + ")";
        return nullptr;
    };
    const bool tls = uri.rfind("ldaps://", 0) == 0;
    if (security.startTls && !tls && uri.rfind("ldapi://", 0) != 0) {
        rc = ldap_start_tls_s(ld, nullptr, nullptr);
        if (rc != LDAP_SUCCESS) {
            failed(rc == LDAP_CONNECT_ERROR
                       ? "StartTLS failed: the server's certificate was not accepted"
                       : "StartTLS failed");
            if (rc == LDAP_CONNECT_ERROR)
                code = ERR_INVALID_CERTIFICATE;
            return nullptr;
        }
    }
    // Connected first, so that a failed bind tells a server not there from one that answered
    // with what is not LDAP.
    bool connected = tls || (security.startTls && uri.rfind("ldapi://", 0) != 0);
    if (!connected) {
        rc = ldap_connect(ld);
        if (rc != LDAP_SUCCESS)
            return failed("the server cannot be reached");
        connected = true;
    }
    berval cred{0, nullptr};
    bool external = false;
    const char* dn = nullptr;
    std::string password = credentials.password;
    if (!credentials.bindDn.empty()) {
        dn = credentials.bindDn.c_str();
        cred.bv_val = password.data();
        cred.bv_len = password.size();
    } else if (!credentials.anonymous) {
        external = true;
    }
    if (external) {
        // The identity is the socket's peer (or the TLS client's): nothing to ask.
        auto noInteraction = [](LDAP*, unsigned, void*, void*) { return int(LDAP_SUCCESS); };
        rc = ldap_sasl_interactive_bind_s(ld, nullptr, "EXTERNAL", nullptr, nullptr,
                                          LDAP_SASL_QUIET, noInteraction, nullptr);
    } else {
        rc = ldap_sasl_bind_s(ld, dn, LDAP_SASL_SIMPLE, &cred, nullptr, nullptr, nullptr);
    }
    std::fill(password.begin(), password.end(), '\0');
    ++session->roundTrips_;
    if (rc != LDAP_SUCCESS) {
        if (rc == LDAP_INVALID_CREDENTIALS)
            return failed("the password or bind DN was refused");
        if (tls && (rc == LDAP_CONNECT_ERROR || rc == LDAP_SERVER_DOWN)) {
            NWDSCCODE c = session->fail(rc);
            (void)c;
            code = ERR_INVALID_CERTIFICATE;
            message = uri +
                      ": the TLS connection failed; is the server's certificate signed by "
                      "a CA of LDAPTLS_CACERT? (LDAP " +
                      std::to_string(rc) + ": " + session->failure_.text + ")";
            return nullptr;
        }
        if (rc == LDAP_DECODING_ERROR || rc == LDAP_PROTOCOL_ERROR || rc == LDAP_LOCAL_ERROR) {
            failed("the server's answer to the bind is not LDAP");
            code = ERR_INVALID_SERVER_RESPONSE;
            return nullptr;
        }
        if (rc == LDAP_SERVER_DOWN && connected && !tls)
            return failed("the server took the connection but closed it, or answered the bind "
                          "with what is not LDAP");
        if (rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR)
            return failed("the server cannot be reached");
        return failed(external ? "SASL EXTERNAL bind refused" : "bind refused");
    }
    session->limitMessages();
    code = 0;
    return session;
}

NWDSCCODE LdapSession::search(const std::string& base, int scope, const std::string& filter,
                              const std::vector<std::string>& attributes, bool typesOnly,
                              Deref deref, const std::function<bool(LdapEntry&&)>& each,
                              const std::vector<std::string>* valuesOf) {
    std::vector<char*> attrv;
    for (const auto& a : attributes)
        attrv.push_back(const_cast<char*>(a.c_str()));
    attrv.push_back(nullptr);
    const int derefOption = deref == Deref::Always    ? LDAP_DEREF_ALWAYS
                            : deref == Deref::Finding ? LDAP_DEREF_FINDING
                                                      : LDAP_DEREF_NEVER;
    ldap_set_option(ld_, LDAP_OPT_DEREF, &derefOption);
    skipped_ = {};

    const bool paged = scope != LDAP_SCOPE_BASE;
    if (paged)
        settleStreams();
    // Entries are taken one message at a time as they arrive, so that neither an endless
    // answer nor a slow one holds more than one entry or outlasts the operation's time.
    OperationBudget budget(limits_, pagesHonoured_);
    berval* cookie = nullptr;
    NWDSCCODE result = 0;
    bool more = true;
    while (more && result == 0) {
        more = false;
        LDAPControl* page = nullptr;
        if (paged) {
            if (int rc = ldap_create_page_control(ld_, ber_int_t(pageSize_), cookie, 0, &page);
                rc != LDAP_SUCCESS) {
                result = fail(rc);
                break;
            }
        }
        LDAPControl manage = manageDsaIt();
        LDAPControl* controls[3] = {page, &manage, nullptr};
        int msgid = -1;
        ++roundTrips_;
        int rc = ldap_search_ext(ld_, base.c_str(), scope, filter.c_str(), attrv.data(),
                                 typesOnly ? 1 : 0, paged ? controls : nullptr, nullptr, nullptr,
                                 LDAP_NO_LIMIT, &msgid);
        if (page != nullptr)
            ldap_control_free(page);
        if (rc != LDAP_SUCCESS) {
            result = fail(rc);
            break;
        }
        int inPage = 0;
        bool stop = false;
        bool passing = false; // a base search's entry is in: the rest is read to its end
        for (;;) {
            timeval wait{};
            if (!budget.nextWait(wait)) {
                result = fail(budget.reached());
                break;
            }
            MessageGuard msg;
            const int got = ldap_result(ld_, msgid, LDAP_MSG_ONE, &wait, &msg.m);
            if (got <= 0) {
                result = failWait(got, budget);
                break;
            }
            if (got == LDAP_RES_SEARCH_REFERENCE) {
                ++skipped_.references;
                continue;
            }
            if (got == LDAP_RES_SEARCH_ENTRY) {
                if (!budget.admitEntry(++inPage, paged ? pageSize_ : 0)) {
                    result = fail(budget.reached());
                    break;
                }
                LdapEntry entry;
                if (passing)
                    continue;
                if (!ldapber::collectEntry(ld_, msg.m, typesOnly, valuesOf, entry)) {
                    ++skipped_.undecodable;
                    continue;
                }
                if (!each(std::move(entry))) {
                    passing = !paged;
                    stop = paged;
                    if (stop)
                        break;
                }
                continue;
            }
            if (got != LDAP_RES_SEARCH_RESULT)
                continue;
            msgid = -1;
            LDAPControl** returned = nullptr;
            int err = LDAP_SUCCESS;
            rc = ldap_parse_result(ld_, msg.m, &err, nullptr, nullptr, nullptr, &returned, 0);
            if (rc != LDAP_SUCCESS || (err != LDAP_SUCCESS && !passing)) {
                ldap_controls_free(returned);
                result = fail(rc != LDAP_SUCCESS ? rc : err);
                break;
            }
            berval next{0, nullptr};
            LDAPControl* response =
                paged ? ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr) : nullptr;
            ber_int_t estimate = 0;
            if (response != nullptr &&
                ldap_parse_pageresponse_control(ld_, response, &estimate, &next) == LDAP_SUCCESS &&
                next.bv_len > 0) {
                if (budget.admitPage(inPage, true)) {
                    if (cookie != nullptr)
                        ber_bvfree(cookie);
                    cookie = ber_bvdup(&next);
                    more = true;
                } else {
                    result = fail(budget.reached());
                }
            }
            ber_memfree(next.bv_val);
            ldap_controls_free(returned);
            break;
        }
        if (msgid >= 0) { // ended before its result: the server stops working on it
            while (ldap_msgdelete(ld_, msgid) == 0) {
            }
            ldap_abandon_ext(ld_, msgid, nullptr, nullptr);
        }
        if (stop || passing)
            break;
    }
    if (cookie != nullptr)
        ber_bvfree(cookie);
    return result;
}

NWDSCCODE LdapSession::readEntry(const std::string& dn, const std::vector<std::string>& attributes,
                                 bool typesOnly, Deref deref, LdapEntry& out) {
    bool found = false;
    NWDSCCODE rc = search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, typesOnly, deref,
                          [&](LdapEntry&& e) {
                              out = std::move(e);
                              found = true;
                              return false;
                          });
    if (rc != 0)
        return rc;
    return found ? 0 : ERR_NO_SUCH_ENTRY;
}

NWDSCCODE LdapSession::whoAmI(std::string& out) {
    berval* authzid = nullptr;
    ++roundTrips_;
    int rc = ldap_whoami_s(ld_, &authzid, nullptr, nullptr);
    if (rc != LDAP_SUCCESS)
        return fail(rc);
    out = authzid != nullptr ? std::string(authzid->bv_val, authzid->bv_len) : std::string();
    ber_bvfree(authzid);
    return 0;
}

std::string configuredLdapUri() {
    char* uri = nullptr;
    if (ldap_get_option(nullptr, LDAP_OPT_URI, &uri) != LDAP_OPT_SUCCESS || uri == nullptr)
        return {};
    std::string out = uri;
    ldap_memfree(uri);
    return out;
}
