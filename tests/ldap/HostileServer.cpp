#include "HostileServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// What may wait in a connection's output before the next part of an answer is made.
constexpr std::size_t kOutputAhead = 256u << 10;
// The longest the thread sleeps: how late it may notice the destructor at worst.
constexpr int kLongestPollMs = 100;

void closeFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

} // namespace

bool HostileServer::Seen::abandonedAny(const std::vector<int>& ids) const {
    return std::any_of(ids.begin(), ids.end(), [&](int id) {
        return std::find(abandoned.begin(), abandoned.end(), id) != abandoned.end();
    });
}

HostileServer::HostileServer(hostile::Options options) : options_(options) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener_, 8) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0 ||
        pipe2(wake_, O_CLOEXEC) != 0) {
        closeFd(listener_);
        return;
    }
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

HostileServer::~HostileServer() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!write(wake_[1], &stop, 1);
        thread_.join();
    }
    for (Connection& c : connections_)
        closeFd(c.fd);
    closeFd(listener_);
    closeFd(wake_[0]);
    closeFd(wake_[1]);
}

HostileServer::Seen HostileServer::seen() const {
    const std::lock_guard lock(mutex_);
    return seen_;
}

bool HostileServer::waitFor(const std::function<bool(const Seen&)>& condition,
                            std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return condition(seen_); });
}

template <class Change> void HostileServer::record(Change change) {
    {
        const std::lock_guard lock(mutex_);
        change(seen_);
    }
    changed_.notify_all();
}

void HostileServer::run() {
    for (;;) {
        const auto now = Clock::now();
        int timeout = kLongestPollMs;
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (Connection& c : connections_) {
            produce(c, now);
            const bool pending = c.sent < c.out.size();
            if (!pending && !c.silent && !c.answers.empty() && c.due > now) {
                const auto wait =
                    std::chrono::duration_cast<std::chrono::milliseconds>(c.due - now).count();
                timeout = std::clamp(int(wait) + 1, 0, timeout);
            }
            fds.push_back({c.fd, short(POLLIN | (pending ? POLLOUT : 0)), 0});
        }
        if (poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents != 0)
            return;
        // Connections accepted now are polled from the next round on.
        const std::size_t polled = connections_.size();
        if (fds[1].revents & POLLIN)
            accept();
        for (std::size_t i = 0; i < polled; ++i) {
            Connection& c = connections_[i];
            const short events = fds[2 + i].revents;
            bool open = true;
            if (events & (POLLIN | POLLHUP | POLLERR))
                open = readFrom(c);
            if (open && (events & POLLOUT))
                open = writeTo(c);
            if (open && c.closing && c.sent == c.out.size()) {
                closed(c, false);
            }
        }
        std::erase_if(connections_, [](const Connection& c) { return c.fd < 0; });
    }
}

void HostileServer::accept() {
    Connection c;
    c.fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (c.fd < 0)
        return;
    connections_.push_back(std::move(c));
    record([](Seen& s) {
        ++s.connections;
        ++s.open;
    });
}

void HostileServer::closed(Connection& c, bool byClient) {
    closeFd(c.fd);
    c.answers.clear();
    record([byClient](Seen& s) {
        --s.open;
        if (byClient)
            ++s.closedByClient;
    });
}

bool HostileServer::readFrom(Connection& c) {
    char data[16384];
    const ssize_t n = recv(c.fd, data, sizeof data, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return true;
    if (n <= 0) {
        closed(c, true);
        return false;
    }
    c.in.append(data, std::size_t(n));
    for (;;) {
        const std::size_t size = ldapwire::wholeMessage(c.in);
        if (size == 0)
            return true;
        ldapwire::Request request;
        if (size == std::string::npos ||
            !ldapwire::readRequest(std::string_view(c.in).substr(0, size), request)) {
            closed(c, false); // nothing a client of these tests sends
            return false;
        }
        c.in.erase(0, size);
        handle(c, request);
    }
}

void HostileServer::handle(Connection& c, const ldapwire::Request& request) {
    const bool listing = request.operation == ldapwire::kSearchRequest && request.scope == 1 &&
                         request.base == hostile::kContainer;
    record([&](Seen& s) {
        switch (request.operation) {
        case ldapwire::kBindRequest:
            ++s.binds;
            break;
        case ldapwire::kSearchRequest:
            ++s.searches;
            if (listing)
                s.listings.push_back(request.id);
            break;
        case ldapwire::kUnbindRequest:
            ++s.unbinds;
            break;
        case ldapwire::kAbandonRequest:
            s.abandoned.push_back(request.abandons);
            break;
        default:
            break;
        }
    });
    if (request.operation == ldapwire::kAbandonRequest) {
        std::erase_if(c.answers,
                      [&](const hostile::Answer& a) { return a.id == request.abandons; });
        return;
    }
    const int listingsBefore = listing ? c.listings++ : c.listings;
    if (c.silent || c.closing)
        return;
    if (auto answer = hostile::answerTo(options_, request, listingsBefore))
        c.answers.push_back(std::move(*answer));
}

void HostileServer::produce(Connection& c, Clock::time_point now) {
    if (now - c.accepted > options_.answerFor) {
        c.silent = true;
        c.answers.clear();
    }
    while (!c.silent && !c.closing && !c.answers.empty() && c.out.size() - c.sent < kOutputAhead &&
           c.due <= now) {
        hostile::Answer& a = c.answers.front();
        const hostile::Step step = a.next(c.out);
        if (a.pause.count() > 0)
            c.due = now + a.pause;
        switch (step) {
        case hostile::Step::More:
            break;
        case hostile::Step::Done:
            c.answers.pop_front();
            break;
        case hostile::Step::FallSilent:
            c.silent = true;
            c.answers.clear();
            break;
        case hostile::Step::Close:
            c.closing = true;
            c.answers.clear();
            break;
        }
    }
}

bool HostileServer::writeTo(Connection& c) {
    while (c.sent < c.out.size()) {
        const ssize_t n =
            send(c.fd, c.out.data() + c.sent, c.out.size() - c.sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            break;
        if (n <= 0) {
            closed(c, true); // the client is gone
            return false;
        }
        c.sent += std::size_t(n);
    }
    if (c.sent == c.out.size() || c.sent > (1u << 20)) {
        c.out.erase(0, c.sent);
        c.sent = 0;
    }
    return true;
}
