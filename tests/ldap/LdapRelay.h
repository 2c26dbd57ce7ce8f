#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// A loopback relay between the LDAP client and a server, run in a thread of its own, that
// can cut the line at a chosen moment of the conversation: after so many bytes of answers,
// or when the client sends a request of a chosen kind (that request is then not passed on).
// Without a server behind it, it is a server that takes connections and never answers.
class LdapRelay {
public:
    // LDAPv3 protocol-operation tags of requests.
    static constexpr unsigned char kBindRequest = 0x60;
    static constexpr unsigned char kSearchRequest = 0x63;
    static constexpr unsigned char kModifyRequest = 0x66;
    static constexpr unsigned char kAddRequest = 0x68;
    static constexpr unsigned char kDeleteRequest = 0x4A;
    static constexpr unsigned char kModifyDnRequest = 0x6C;

    // serverPort 0: nothing behind, no answers ever.
    explicit LdapRelay(int serverPort);
    ~LdapRelay();
    LdapRelay(const LdapRelay&) = delete;
    LdapRelay& operator=(const LdapRelay&) = delete;

    bool listening() const { return listener_ >= 0; }
    std::string uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }

    // Once `bytes` more bytes of answers have reached the client, `action` runs (in the
    // relay's thread) and every connection is closed.
    void cutAfterAnswerBytes(std::size_t bytes, std::function<void()> action);
    // When the client sends a request with this tag, `action` runs, the request is dropped
    // and every connection is closed.
    void cutOnRequest(unsigned char tag, std::function<void()> action);
    // When the client sends a request with this tag, that request and everything after it on
    // that connection go nowhere, and nothing comes back: a server that stopped answering.
    void swallowFromRequest(unsigned char tag);
    // Requests seen so far with this tag, and whether a cut has happened.
    int requests(unsigned char tag) const;
    bool cut() const { return cut_; }

private:
    struct Line {
        int client = -1;
        int server = -1;
        std::string pending; // what the client sent that does not yet make a whole request
        bool swallowed = false;
    };
    void run();
    void accept();
    bool fromClient(Line& line);
    bool fromServer(Line& line);
    void cutAll(const std::function<void()>& action);

    int serverPort_;
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::vector<Line> lines_;
    mutable std::mutex mutex_;
    std::map<unsigned char, int> requests_;
    std::size_t answerBudget_ = 0;
    std::function<void()> afterAnswers_;
    unsigned char requestTag_ = 0;
    std::function<void()> onRequest_;
    unsigned char swallowTag_ = 0;
    std::atomic<bool> cut_{false};
    std::thread thread_;
};
