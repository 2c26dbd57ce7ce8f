#include "LdapRelay.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

bool sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void closeFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

// The size of the first whole LDAP message in `data` and its protocol-operation tag; 0 while
// the message is not complete.
std::size_t wholeMessage(const std::string& data, unsigned char& tag) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
    std::size_t at = 1;
    auto length = [&](std::size_t& out) {
        if (at >= data.size())
            return false;
        const unsigned char first = byte(at++);
        if (first < 0x80) {
            out = first;
            return true;
        }
        out = 0;
        for (int k = first & 0x7F; k > 0; --k) {
            if (at >= data.size())
                return false;
            out = out << 8 | byte(at++);
        }
        return true;
    };
    std::size_t total = 0;
    if (data.size() < 2 || !length(total) || data.size() < at + total)
        return 0;
    const std::size_t end = at + total;
    // SEQUENCE { messageID INTEGER, protocolOp ... }
    std::size_t idLength = 0;
    ++at; // the INTEGER tag
    if (!length(idLength))
        return 0;
    at += idLength;
    tag = at < end ? byte(at) : 0;
    return end;
}

} // namespace

LdapRelay::LdapRelay(int serverPort) : serverPort_(serverPort) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    socklen_t size = sizeof a;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(listener_, 16) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0 || pipe(wake_) != 0) {
        closeFd(listener_);
        return;
    }
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { run(); });
}

LdapRelay::~LdapRelay() {
    if (thread_.joinable()) {
        const char stop = 1;
        (void)!write(wake_[1], &stop, 1);
        thread_.join();
    }
    for (Line& line : lines_) {
        closeFd(line.client);
        closeFd(line.server);
    }
    closeFd(listener_);
    closeFd(wake_[0]);
    closeFd(wake_[1]);
}

void LdapRelay::cutAfterAnswerBytes(std::size_t bytes, std::function<void()> action) {
    const std::lock_guard lock(mutex_);
    answerBudget_ = bytes;
    afterAnswers_ = std::move(action);
}

void LdapRelay::cutOnRequest(unsigned char tag, std::function<void()> action) {
    const std::lock_guard lock(mutex_);
    requestTag_ = tag;
    onRequest_ = std::move(action);
}

void LdapRelay::swallowFromRequest(unsigned char tag) {
    const std::lock_guard lock(mutex_);
    swallowTag_ = tag;
}

int LdapRelay::requests(unsigned char tag) const {
    const std::lock_guard lock(mutex_);
    auto it = requests_.find(tag);
    return it == requests_.end() ? 0 : it->second;
}

void LdapRelay::run() {
    for (;;) {
        std::vector<pollfd> fds{{wake_[0], POLLIN, 0}, {listener_, POLLIN, 0}};
        for (const Line& line : lines_) {
            fds.push_back({line.client, POLLIN, 0});
            fds.push_back({line.server, line.server >= 0 ? short(POLLIN) : short(0), 0});
        }
        if (poll(fds.data(), fds.size(), -1) < 0)
            continue;
        if (fds[0].revents != 0)
            return;
        if (fds[1].revents & POLLIN)
            accept();
        for (std::size_t i = 0; i < lines_.size() && 2 + 2 * i + 1 < fds.size(); ++i) {
            Line& line = lines_[i];
            bool open = true;
            if (fds[2 + 2 * i].revents != 0)
                open = fromClient(line);
            if (open && line.client >= 0 && fds[3 + 2 * i].revents != 0)
                open = fromServer(line);
            if (!open) {
                closeFd(line.client);
                closeFd(line.server);
            }
        }
        std::erase_if(lines_, [](const Line& l) { return l.client < 0; });
    }
}

void LdapRelay::accept() {
    Line line;
    line.client = ::accept(listener_, nullptr, nullptr);
    if (line.client < 0)
        return;
    if (serverPort_ != 0) {
        line.server = socket(AF_INET, SOCK_STREAM, 0);
        const sockaddr_in a = loopback(serverPort_);
        if (connect(line.server, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            // Nothing behind: the client sees its connection closed at once.
            closeFd(line.server);
            closeFd(line.client);
            return;
        }
    }
    lines_.push_back(std::move(line));
}

bool LdapRelay::fromClient(Line& line) {
    char data[16384];
    const ssize_t n = recv(line.client, data, sizeof data, 0);
    if (n <= 0)
        return false;
    if (line.server < 0 || line.swallowed)
        return true; // a server that never answers reads and forgets
    line.pending.append(data, std::size_t(n));
    unsigned char tag = 0;
    while (std::size_t size = wholeMessage(line.pending, tag)) {
        std::function<void()> action;
        {
            const std::lock_guard lock(mutex_);
            ++requests_[tag];
            if (onRequest_ && tag == requestTag_)
                action = std::exchange(onRequest_, nullptr);
            if (swallowTag_ != 0 && tag == swallowTag_) {
                swallowTag_ = 0;
                line.swallowed = true;
            }
        }
        if (line.swallowed)
            return true;
        if (action) {
            cutAll(action);
            return false;
        }
        if (!sendAll(line.server, line.pending.data(), size))
            return false;
        line.pending.erase(0, size);
    }
    return true;
}

bool LdapRelay::fromServer(Line& line) {
    char data[16384];
    ssize_t n = recv(line.server, data, sizeof data, 0);
    if (n <= 0)
        return false; // the server is gone: so is the client's connection
    if (line.swallowed)
        return true;
    std::function<void()> action;
    {
        const std::lock_guard lock(mutex_);
        if (afterAnswers_) {
            if (std::size_t(n) >= answerBudget_) {
                n = ssize_t(answerBudget_);
                action = std::exchange(afterAnswers_, nullptr);
            } else {
                answerBudget_ -= std::size_t(n);
            }
        }
    }
    if (!sendAll(line.client, data, std::size_t(n)))
        return false;
    if (action) {
        cutAll(action);
        return false;
    }
    return true;
}

void LdapRelay::cutAll(const std::function<void()>& action) {
    action();
    cut_ = true;
    for (Line& line : lines_) {
        closeFd(line.client);
        closeFd(line.server);
    }
}
