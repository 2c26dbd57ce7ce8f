#pragma once

#include "HostileAnswers.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// An LDAP server of the tests' own on loopback, run in a thread of the test process, that
// answers as the behaviour it is given (HostileAnswers.h) and records what the client did:
// its requests, the searches it abandoned, whether it closed its connections. Every wait is
// bounded, and the destructor stops it whatever the client left behind.
class HostileServer {
public:
    struct Seen {
        int connections = 0;    // accepted
        int open = 0;           // still open
        int closedByClient = 0; // the client ended them
        int binds = 0;
        int searches = 0;
        int unbinds = 0;
        std::vector<int> listings;  // message ids of the listings of the container
        std::vector<int> abandoned; // message ids the client abandoned
        bool abandonedAny(const std::vector<int>& ids) const;
    };

    explicit HostileServer(hostile::Options options);
    ~HostileServer();
    HostileServer(const HostileServer&) = delete;
    HostileServer& operator=(const HostileServer&) = delete;

    bool listening() const { return listener_ >= 0; }
    std::string uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }

    Seen seen() const;
    // Waits at most `limit` for `condition` to hold of what was seen; whether it did.
    bool waitFor(const std::function<bool(const Seen&)>& condition,
                 std::chrono::milliseconds limit) const;

private:
    using Clock = std::chrono::steady_clock;
    struct Connection {
        int fd = -1;
        std::string in;
        std::string out;
        std::size_t sent = 0; // of `out`
        std::deque<hostile::Answer> answers;
        Clock::time_point due{};
        Clock::time_point accepted = Clock::now();
        int listings = 0;
        bool silent = false;  // reads and forgets, answers nothing more
        bool closing = false; // closes once `out` has gone
    };
    void run();
    void accept();
    // false once the connection is to be closed.
    bool readFrom(Connection& c);
    void handle(Connection& c, const ldapwire::Request& request);
    void produce(Connection& c, Clock::time_point now);
    bool writeTo(Connection& c);
    void closed(Connection& c, bool byClient);
    template <class Change> void record(Change change);

    hostile::Options options_;
    int listener_ = -1;
    int port_ = 0;
    int wake_[2] = {-1, -1};
    std::vector<Connection> connections_; // the server's thread only
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    Seen seen_;
    std::thread thread_;
};
