#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// A private slapd for one test program: the demo data (and any extra LDIF) in a temporary
// folder, on a free loopback port, stopped and removed when the object goes, and killed
// with the test program should that die first.
class SlapdServer {
public:
    struct Options {
        std::vector<std::string> extraLdif; // "TREE=/path/file.ldif"
        std::string tlsCert, tlsKey;        // serve StartTLS and ldaps with these
        std::string adminPassword;          // the administrator's (else a random one)
        std::string dataDir;                // the data folder seeded (else the demo's)
    };
    explicit SlapdServer(const Options& options = {});
    ~SlapdServer();
    SlapdServer(const SlapdServer&) = delete;
    SlapdServer& operator=(const SlapdServer&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& failure() const { return failure_; }
    std::string uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
    std::string ldapsUri() const { return "ldaps://127.0.0.1:" + std::to_string(port_ + 1); }
    const std::string& folder() const { return dir_; }
    std::string passwordFile() const { return dir_ + "/password"; }
    std::string treesFile() const { return dir_ + "/seed/trees.conf"; }
    int port() const { return port_; }

    // Stops the server, and starts it again on the same configuration folder and port;
    // start() is false (with failure()) when the server does not come up.
    void stop();
    bool start();

    // A free loopback port with the one after it free too.
    static int freePort();
    // Whether something listens on a loopback port.
    static bool canConnect(int port);
    // A text quoted for the shell.
    static std::string shellQuoted(const std::string& s);

    // ---- A server that goes away ----
    // Killed at once (as by a crash or a pulled cable), its data left as it is on disk.
    void kill();
    // Started again on the same port and data; false when it does not listen in time.
    bool restart();
    // Stopped (SIGSTOP) and continued: a server that takes connections and never answers.
    void pause();
    void resume();

private:
    std::string dir_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
    std::string tlsCert_;
};
