#include "ForeignServer.h"

#include "SlapdServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// The last lines of a log, to carry into a failure message (the folder may be gone by the time
// someone reads it).
std::string tail(const std::string& path, std::size_t count = 12) {
    std::ifstream in(path);
    std::deque<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        if (lines.size() > count)
            lines.pop_front();
    }
    std::string out;
    for (const auto& line : lines)
        out += "\n  " + line;
    return out;
}

const char* script(ForeignServer::Kind kind) {
    return kind == ForeignServer::Kind::Dirsrv ? OSTREL_DIRSRV_SCRIPT : OSTREL_SLAPD_STOCK_SCRIPT;
}

const char* serverName(ForeignServer::Kind kind) {
    return kind == ForeignServer::Kind::Dirsrv ? "389-ds" : "the stock slapd";
}

bool keepFolder() {
    return std::getenv("OSTREL_KEEP_SLAPD") != nullptr;
}

} // namespace

ForeignServer::ForeignServer(Kind kind) : kind_(kind) {
    char pattern[] = "/tmp/ostrel-foreign-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        failure_ = "no temporary folder";
        return;
    }
    dir_ = pattern;
    port_ = SlapdServer::freePort(); // 389 also wants the port after it free (its secure port)
    if (port_ <= 0) {
        failure_ = "no free loopback port";
        return;
    }
    const std::string log = dir_ + "/prepare.log";
    const std::string command =
        "OSTREL_FOREIGN_DATA=" + SlapdServer::shellQuoted(OSTREL_FOREIGN_DATA_SCRIPT) + " bash " +
        SlapdServer::shellQuoted(script(kind)) + " prepare " + SlapdServer::shellQuoted(dir_) +
        " " + std::to_string(port_) + " >" + SlapdServer::shellQuoted(log) + " 2>&1";
    if (std::system(command.c_str()) != 0) {
        failure_ = std::string("preparing ") + serverName(kind) + " failed:" + tail(log);
        return;
    }
    start();
}

ForeignServer::~ForeignServer() {
    const bool keep = keepFolder();
    if (pid_ > 0) {
        // A clean stop of 389 takes seconds; with the folder about to go there is nothing
        // on disk worth a clean stop.
        ::kill(pid_, keep ? SIGTERM : SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    if (!dir_.empty() && !keep) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
}

std::string ForeignServer::ldapiUri() const {
    if (kind_ == Kind::Dirsrv)
        return {};
    std::string path;
    for (char c : dir_ + "/ldapi")
        path += c == '/' ? std::string("%2F") : std::string(1, c);
    return "ldapi://" + path;
}

std::string ForeignServer::rootDn() const {
    return kind_ == Kind::Dirsrv ? "cn=Directory Manager" : "cn=admin,dc=example,dc=com";
}

bool ForeignServer::start() {
    // Everything the child needs is made before the fork: between fork and exec it only
    // calls what is safe in a copy of a threaded program.
    const std::string log = dir_ + "/run.log";
    const std::string port = std::to_string(port_);
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) {
        failure_ = "fork failed";
        return false;
    }
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // gone with the test program, whatever ends it
        if (getppid() != parent)
            _exit(1); // the test program ended before the line above
        const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0)
            _exit(126);
        if (out > 2)
            close(out);
        // The script execs the server, which so keeps this process and the death signal.
        execl("/bin/bash", "bash", script(kind_), "run", dir_.c_str(), port.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    // 389 opens its databases before it listens: give it longer.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kind_ == Kind::Dirsrv ? 60 : 10);
    while (!SlapdServer::canConnect(port_)) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            failure_ = std::string(serverName(kind_)) + " ended at start:" + tail(log);
            if (kind_ == Kind::Dirsrv) {
                failure_ +=
                    "\n  (in the foreground 389 writes no error log; with OSTREL_KEEP_SLAPD set,";
                failure_ +=
                    std::string(" `") + OSTREL_DIRSRV_SCRIPT + " start " + dir_ + "` writes one)";
            }
            return false;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            failure_ = std::string(serverName(kind_)) + " did not start listening";
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}
