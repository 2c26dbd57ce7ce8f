#pragma once

#include <string>
#include <sys/types.h>

// A directory server that Ostrel did not seed, as its administrators run it, for one test
// program: a stock slapd (Debian's configuration and standard schema) or a 389 Directory
// Server instance, serving the data of scripts/foreign-data.sh in a temporary folder on a free
// loopback port. Stopped and removed when the object goes (the folder stays when
// OSTREL_KEEP_SLAPD is set), and killed with the test program should that die first.
//
// Both serve dc=example,dc=com with a size limit of 500 (1,200 entries under ou=Staff), and
// cn=editor,dc=example,dc=com may write that tree. The stock slapd also serves
// o=Harbour Lights (root DN cn=admin,o=Harbour Lights, same password), and its cn=config is
// open only to SASL EXTERNAL over ldapiUri(); on 389 the root DN manages cn=config and
// cn=schema.
class ForeignServer {
public:
    enum class Kind { StockSlapd, Dirsrv };

    explicit ForeignServer(Kind kind);
    ~ForeignServer();
    ForeignServer(const ForeignServer&) = delete;
    ForeignServer& operator=(const ForeignServer&) = delete;

    Kind kind() const { return kind_; }
    bool running() const { return pid_ > 0; }
    // Why the server is not running, with the end of the script's output when it failed.
    const std::string& failure() const { return failure_; }
    std::string uri() const { return "ldap://127.0.0.1:" + std::to_string(port_); }
    // The stock slapd's ldapi socket (SASL EXTERNAL manages cn=config); "" for 389.
    std::string ldapiUri() const;
    // cn=admin,dc=example,dc=com on the stock slapd, cn=Directory Manager on 389.
    std::string rootDn() const;
    // The password of the root DN and of the editor.
    std::string passwordFile() const { return dir_ + "/password"; }
    std::string editorDn() const { return "cn=editor,dc=example,dc=com"; }
    std::string folder() const { return dir_; }
    int port() const { return port_; }

private:
    bool start();

    Kind kind_;
    std::string dir_;
    int port_ = 0;
    pid_t pid_ = -1;
    std::string failure_;
};
