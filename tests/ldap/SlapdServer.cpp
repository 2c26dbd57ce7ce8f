#include "SlapdServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

int boundPort(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int result = -1;
    if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
        socklen_t len = sizeof a;
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
        result = ntohs(a.sin_port);
    }
    close(s);
    return result;
}

} // namespace

bool SlapdServer::canConnect(int port) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    return ok;
}

std::string SlapdServer::shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int SlapdServer::freePort() {
    for (int attempt = 0; attempt < 50; ++attempt) {
        const int port = boundPort(0);
        if (port > 0 && port < 65535 && boundPort(port + 1) == port + 1)
            return port;
    }
    return -1;
}

SlapdServer::SlapdServer(const Options& options) {
    char pattern[] = "/tmp/ostrel-slapd-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        failure_ = "no temporary folder";
        return;
    }
    dir_ = pattern;
    port_ = freePort();
    if (!options.adminPassword.empty()) {
        std::ofstream(dir_ + "/password") << options.adminPassword;
        std::filesystem::permissions(dir_ + "/password", std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_write);
    }
    std::string env = "OSTREL_SEED=" + shellQuoted(OSTREL_SEED_PROGRAM) + " ";
    if (!options.dataDir.empty())
        env += "OSTREL_DATA=" + shellQuoted(options.dataDir) + " ";
    if (!options.tlsCert.empty())
        env += "OSTREL_SLAPD_TLS_CERT=" + shellQuoted(options.tlsCert) +
               " OSTREL_SLAPD_TLS_KEY=" + shellQuoted(options.tlsKey) + " ";
    std::string command = env + "bash " + shellQuoted(OSTREL_SLAPD_SCRIPT) + " prepare " +
                          shellQuoted(dir_) + " " + std::to_string(port_);
    for (const auto& extra : options.extraLdif)
        command += " " + shellQuoted(extra);
    command += " >" + shellQuoted(dir_ + "/prepare.log") + " 2>&1";
    if (std::system(command.c_str()) != 0) {
        failure_ = "preparing slapd failed: see " + dir_ + "/prepare.log";
        return;
    }
    tlsCert_ = options.tlsCert;
    start();
}

void SlapdServer::kill() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool SlapdServer::restart() {
    kill();
    return start();
}

void SlapdServer::pause() {
    if (pid_ > 0)
        ::kill(pid_, SIGSTOP);
}

void SlapdServer::resume() {
    if (pid_ > 0)
        ::kill(pid_, SIGCONT);
}

SlapdServer::~SlapdServer() {
    if (pid_ > 0) {
        ::kill(pid_, SIGCONT); // a paused server would not take the signal
        ::kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (!dir_.empty() && std::getenv("OSTREL_KEEP_SLAPD") == nullptr) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

// ---- Stopping and starting again on the same configuration ----

void SlapdServer::stop() {
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

bool SlapdServer::start() {
    if (pid_ > 0)
        return true;
    failure_.clear();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // gone with the test program, whatever ends it
        if (!tlsCert_.empty())
            setenv("OSTREL_SLAPD_TLS_CERT", tlsCert_.c_str(), 1);
        execl("/bin/bash", "bash", OSTREL_SLAPD_SCRIPT, "run", dir_.c_str(),
              std::to_string(port_).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!canConnect(port_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = "slapd ended at start";
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            failure_ = "slapd did not start listening";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
