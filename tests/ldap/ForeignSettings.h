#pragma once

// What the tests on servers Ostrel did not seed share: the LDAP client's settings for one of
// the servers' identities, as a new user gives them (no hints file), one server of each kind
// per test program, and the suites' names for the two kinds.
#include "ForeignServer.h"
#include "client/ldap/LdapDirectory.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>

namespace foreign {

enum class Who { Anonymous, Editor, Root, External };

inline LdapDirectory::Options optionsFor(const ForeignServer& server, Who who) {
    LdapDirectory::Options options;
    std::string error;
    const bool binds = who == Who::Editor || who == Who::Root;
    auto source = [&](const char* name) -> std::optional<std::string> {
        const std::string n = name;
        if (n == "LDAPURI")
            return who == Who::External ? server.ldapiUri() : server.uri();
        if (n == "LDAPBINDDN" && binds)
            return who == Who::Editor ? server.editorDn() : server.rootDn();
        if (n == "OSTREL_LDAP_PASSWORD_FILE" && binds)
            return server.passwordFile();
        if (n == "OSTREL_LDAP_TREE")
            return std::string("EXAMPLE");
        return std::nullopt;
    };
    EXPECT_TRUE(readLdapSettings(source, "", options.settings, &error)) << error;
    return options;
}

// The server of a kind, started the first time a test asks for it and stopped when the
// program ends.
inline ForeignServer& serverOf(ForeignServer::Kind kind) {
    static std::unique_ptr<ForeignServer> servers[2];
    auto& slot = servers[int(kind)];
    if (!slot)
        slot = std::make_unique<ForeignServer>(kind);
    return *slot;
}

inline std::string kindName(const testing::TestParamInfo<ForeignServer::Kind>& info) {
    return info.param == ForeignServer::Kind::StockSlapd ? "StockSlapd" : "Dirsrv";
}

// A suite run on each kind of server: the server of its kind, and the client opened on it as
// one of its identities.
class ServerSuite : public ::testing::TestWithParam<ForeignServer::Kind> {
protected:
    void SetUp() override {
        server = &serverOf(GetParam());
        ASSERT_TRUE(server->running()) << server->failure();
    }
    std::unique_ptr<LdapDirectory> open(Who who) {
        std::string error;
        auto dir = LdapDirectory::open(optionsFor(*server, who), &error);
        EXPECT_NE(dir, nullptr) << error;
        return dir;
    }
    bool slapd() const { return server->kind() == ForeignServer::Kind::StockSlapd; }

    ForeignServer* server = nullptr;
};

} // namespace foreign

// Runs a parameterized suite on both kinds of server.
#define OSTREL_ON_FOREIGN_SERVERS(suite)                                                           \
    INSTANTIATE_TEST_SUITE_P(                                                                      \
        Servers, suite,                                                                            \
        ::testing::Values(ForeignServer::Kind::StockSlapd, ForeignServer::Kind::Dirsrv),           \
        foreign::kindName)
