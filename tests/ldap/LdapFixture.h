#pragma once

#include "SlapdServer.h"
#include "client/common/Buffer.h"
#include "client/common/Wire.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "client/ldap/LdapDirectory.h"
#include "directory/ResultCodes.h"
#include "tests/support/PageContext.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

// Whether the tests of a suite share one server, or each test has one of its own (a suite
// whose tests change the server's schema).
enum class SlapdPer { Suite, Test };

// A private slapd with the demo data for the tests of one suite: started before its first
// test and stopped after its last (or, `per` Test, around each test). `Base` is
// ::testing::Test or a ::testing::TestWithParam. A suite whose server needs more than the
// demo data (more entries, TLS, a known administrator's password) sets `serverOptions` in a
// SetUpTestSuite of its own, before calling this one's; the files it writes for that go into
// `suiteFolder()`, removed after the suite's last test.
template <class Base = ::testing::Test, SlapdPer per = SlapdPer::Suite>
class SharedSlapd : public Base {
public:
    static void SetUpTestSuite() {
        if constexpr (per == SlapdPer::Suite)
            startServer();
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
        serverOptions = {};
        if (!folder_.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(folder_, ec);
            folder_.clear();
        }
    }

protected:
    void SetUp() override {
        if constexpr (per == SlapdPer::Test)
            startServer();
        ASSERT_TRUE(server && server->running()) << (server ? server->failure() : "");
    }
    void TearDown() override {
        if constexpr (per == SlapdPer::Test) {
            delete server;
            server = nullptr;
        }
    }

    // A temporary folder of the suite's own, made when first asked for.
    static const std::string& suiteFolder() {
        if (folder_.empty()) {
            std::string pattern = (std::filesystem::temp_directory_path() / "ostrel-suite-XXXXXX");
            if (mkdtemp(pattern.data()) != nullptr)
                folder_ = pattern;
        }
        return folder_;
    }

    static inline SlapdServer* server = nullptr;
    static inline SlapdServer::Options serverOptions;

private:
    static void startServer() {
        server = new SlapdServer(serverOptions);
        ASSERT_TRUE(server->running()) << server->failure();
    }
    static inline std::string folder_;
};

// The settings of the LDAP client for a private slapd: its trees, bound as the demo's
// administrator; no hints file, as a user runs it.
inline LdapDirectory::Options ldapOptionsFor(const SlapdServer& server) {
    LdapDirectory::Options options;
    std::string error;
    auto source = [&](const char* name) -> std::optional<std::string> {
        const std::string n = name;
        if (n == "OSTREL_LDAP_TREES")
            return server.treesFile();
        if (n == "LDAPBINDDN")
            return std::string("cn=Admin,o=Acme");
        if (n == "OSTREL_LDAP_PASSWORD_FILE")
            return server.passwordFile();
        return std::nullopt;
    };
    readLdapSettings(source, "", options.settings, &error);
    return options;
}

// The same, logged in as a User of the demo by its dotted name (OSTREL_IDENTITY), which the
// client looks up and binds as with the demo password.
inline LdapDirectory::Options ldapOptionsAs(const SlapdServer& server, const std::string& user) {
    LdapDirectory::Options options = ldapOptionsFor(server);
    options.settings.bindDn.clear();
    options.settings.identity = user;
    return options;
}

// A User of the demo who may only read, for the suites that ask what it may not do: its entry
// as LDIF to add to a server's data, and its password file, written into `folder`.
constexpr char kClerkDn[] = "cn=Clerk,ou=Sales,o=Acme";
inline std::string writeClerk(const std::string& folder) {
    std::ofstream(folder + "/clerk.ldif")
        << "dn: " << kClerkDn
        << "\nobjectClass: inetOrgPerson\ncn: Clerk\nsn: Clerk\nuserPassword: clerk-pass\n\n";
    std::ofstream(folder + "/clerk.password") << "clerk-pass\n";
    return "ACME_TREE=" + folder + "/clerk.ldif";
}

// The settings of the LDAP client for a private slapd bound as the administrator, or as the
// clerk (whose password file writeClerk wrote into `folder`).
inline LdapDirectory::Options ldapOptionsFor(const SlapdServer& server, bool clerk,
                                             const std::string& folder) {
    LdapDirectory::Options options = ldapOptionsFor(server);
    if (clerk) {
        options.settings.bindDn = kClerkDn;
        options.settings.passwordFile = folder + "/clerk.password";
    }
    return options;
}

// One object of a listing as the browser sees it.
struct ListedItem {
    std::string name;
    std::string baseClass;
    bool container = false;
    bool operator<(const ListedItem& o) const { return name < o.name; }
    bool operator==(const ListedItem& o) const = default;
};

// An attribute of a read: syntax and values in wire form, in the order given.
struct ReadItem {
    std::uint32_t syntax = 0;
    std::vector<std::string> values;
    bool operator==(const ReadItem& o) const = default;
};

inline void PrintTo(const ReadItem& item, std::ostream* os) {
    *os << "syntax " << item.syntax << " [";
    for (const auto& v : item.values) {
        *os << " '";
        for (unsigned char c : v)
            *os << (c >= 0x20 && c < 0x7F ? char(c) : '.');
        *os << "'";
    }
    *os << " ]";
}

// A context on the demo tree, set up as the pages set theirs up (typeless names).
inline NWDSContextHandle pageContext(DirectoryClient& client, const char* tree = "ACME_TREE",
                                     const char* nameContext = ROOT_NAME) {
    return pageContextOn(client, tree, nameContext);
}

// Every object below `container`, over as many passes as it takes; the code of a failure.
inline NWDSCCODE listAll(DirectoryClient& client, NWDSContextHandle ctx,
                         const std::string& container, std::vector<ListedItem>& out,
                         int* passes = nullptr, std::uint32_t capacity = DEFAULT_MESSAGE_LEN) {
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    buf->capacity = capacity; // a smaller reply buffer takes more passes
    std::int32_t it = NO_MORE_ITERATIONS;
    NWDSCCODE rc = 0;
    do {
        rc = client.NWDSList(ctx, container.c_str(), &it, buf);
        if (rc != 0)
            break;
        if (passes != nullptr)
            ++*passes;
        std::uint32_t count = 0;
        client.NWDSGetObjectCount(ctx, buf, &count);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            std::uint32_t attrs = 0;
            Object_Info_T info{};
            rc = client.NWDSGetObjectName(ctx, buf, name, sizeof name, &attrs, &info);
            if (rc != 0)
                break;
            out.push_back({name, info.baseClass, (info.objectFlags & DS_CONTAINER_ENTRY) != 0});
        }
    } while (rc == 0 && it != NO_MORE_ITERATIONS);
    client.NWDSFreeBuf(buf);
    return rc;
}

// Every attribute of an object (names only or with values), taken from the reply bytes.
inline NWDSCCODE readAll(DirectoryClient& client, NWDSContextHandle ctx, const std::string& object,
                         std::uint32_t infoType, std::map<std::string, ReadItem>& out,
                         std::uint32_t capacity = DEFAULT_MESSAGE_LEN) {
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    buf->capacity = capacity; // a smaller reply buffer takes more passes
    std::int32_t it = NO_MORE_ITERATIONS;
    NWDSCCODE rc = 0;
    do {
        rc = client.NWDSRead(ctx, object.c_str(), infoType, true, nullptr, &it, buf);
        if (rc != 0)
            break;
        wire::Reader r(buf->data.data(), buf->length);
        const std::uint32_t n = r.u32();
        for (std::uint32_t i = 0; i < n && r.ok(); ++i) {
            const std::string name(r.str());
            ReadItem& item = out[name]; // an attribute continued from the pass before
            item.syntax = r.u32();
            const std::uint32_t values = r.u32();
            for (std::uint32_t v = 0; v < values && r.ok(); ++v)
                item.values.emplace_back(r.str());
        }
    } while (it != NO_MORE_ITERATIONS);
    client.NWDSFreeBuf(buf);
    return rc;
}

// One names read, after which the client knows whether the names a listing brings are all an
// object's (it asks the server once per tree, at the first names read).
inline void readNamesOnce(DirectoryClient& client, NWDSContextHandle ctx) {
    std::map<std::string, ReadItem> names;
    EXPECT_EQ(readAll(client, ctx, "Acme", DS_ATTRIBUTE_NAMES, names), 0);
}

// Changes of one modify request: type, attribute, values in their text forms.
using Changes = std::vector<std::tuple<std::uint32_t, std::string, std::vector<std::string>>>;

// One modify request through the seam, as the Object Editor sends it.
inline NWDSCCODE modifyObject(DirectoryClient& client, NWDSContextHandle c, const std::string& name,
                              const Changes& changes) {
    Buf_T* buf = nullptr;
    client.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &buf);
    EXPECT_EQ(client.NWDSInitBuf(c, DSV_MODIFY_ENTRY, buf), 0);
    for (const auto& [type, attr, values] : changes) {
        EXPECT_EQ(client.NWDSPutChange(c, buf, type, attr.c_str()), 0) << attr;
        std::uint32_t syntax = SYN_CI_STRING;
        client.NWDSGetSyntaxID(c, attr.c_str(), &syntax);
        for (const auto& v : values)
            EXPECT_EQ(client.NWDSPutAttrVal(c, buf, syntax, v.c_str()), 0) << attr;
    }
    std::int32_t it = NO_MORE_ITERATIONS;
    const NWDSCCODE rc = client.NWDSModifyObject(c, name.c_str(), &it, false, buf);
    client.NWDSFreeBuf(buf);
    return rc;
}
