// The private slapd's access rules give every identity of the demo the rights the embedded
// directory computes from the same ACL values. For each User of acme.ldif and the anonymous
// client, each object of acme.ldif and a set of attributes, what NWDSGetEffectiveRights answers
// on the embedded directory is compared with what slapd lets that identity do, tried by real
// operations bound as it: read (a base search for the values), compare, write (a modify that
// adds a value), add (a child), delete and rename. The changing ones carry the no-op control:
// the server runs every check, access included, and changes nothing.
#include "LdapFixture.h"
#include "client/common/Ldif.h"
#include "client/common/Names.h"
#include "client/common/TextFile.h"
#include "client/common/ValueText.h"

#include <chrono>
#include <fstream>
#include <ldap.h>

namespace {

constexpr char kNoOp[] = "1.3.6.1.4.1.4203.666.5.2";
constexpr int kNoOperation = 0x410e;

// One bound connection for what LdapSession does not send: compare, and modify, delete and
// rename with the no-op control. Each answers the LDAP result code.
class RawConnection {
public:
    RawConnection(const std::string& uri, const std::string& dn, const std::string& password) {
        if (ldap_initialize(&ld_, uri.c_str()) != LDAP_SUCCESS)
            return;
        int version = LDAP_VERSION3;
        ldap_set_option(ld_, LDAP_OPT_PROTOCOL_VERSION, &version);
        berval cred{ber_len_t(password.size()), const_cast<char*>(password.data())};
        bound_ = ldap_sasl_bind_s(ld_, dn.empty() ? nullptr : dn.c_str(), LDAP_SASL_SIMPLE, &cred,
                                  nullptr, nullptr, nullptr) == LDAP_SUCCESS;
    }
    ~RawConnection() {
        if (ld_ != nullptr)
            ldap_unbind_ext_s(ld_, nullptr, nullptr);
    }
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;
    bool bound() const { return bound_; }

    int compare(const std::string& dn, const std::string& attr, const std::string& value) {
        berval v{ber_len_t(value.size()), const_cast<char*>(value.data())};
        return ldap_compare_ext_s(ld_, dn.c_str(), attr.c_str(), &v, nullptr, nullptr);
    }
    int addValue(const std::string& dn, const std::string& attr, const std::string& value) {
        berval v{ber_len_t(value.size()), const_cast<char*>(value.data())};
        berval* values[] = {&v, nullptr};
        LDAPMod mod{};
        mod.mod_op = LDAP_MOD_ADD | LDAP_MOD_BVALUES;
        mod.mod_type = const_cast<char*>(attr.c_str());
        mod.mod_bvalues = values;
        LDAPMod* mods[] = {&mod, nullptr};
        return ldap_modify_ext_s(ld_, dn.c_str(), mods, noop(), nullptr);
    }
    int remove(const std::string& dn) {
        return ldap_delete_ext_s(ld_, dn.c_str(), noop(), nullptr);
    }
    int rename(const std::string& dn, const std::string& newRdn) {
        return ldap_rename_s(ld_, dn.c_str(), newRdn.c_str(), nullptr, 1, noop(), nullptr);
    }

private:
    LDAPControl** noop() {
        static LDAPControl control{const_cast<char*>(kNoOp), {0, nullptr}, 1};
        static LDAPControl* controls[] = {&control, nullptr};
        return controls;
    }
    LDAP* ld_ = nullptr;
    bool bound_ = false;
};

// An anonymous client is refused every change for want of authentication.
bool refused(int rc) {
    return rc == LDAP_INSUFFICIENT_ACCESS || rc == LDAP_STRONG_AUTH_REQUIRED;
}

// What the test asks of every object: these attributes, and the object's naming attribute.
struct Attr {
    const char* directoryName;
    const char* ldapName;
    const char* probe; // a value of its syntax, for objects that hold none
    bool publicRead;   // read and compared by everyone, as the embedded directory lets them
};
const Attr kAttributes[] = {
    {"Object Class", "objectClass", "top", false},
    {"Description", "description", "parity probe", false},
    {"Telephone Number", "telephoneNumber", "+1 555 0199", false},
    {"Title", "title", "Parity Probe", false},
    {"Network Address", "networkAddress", "0#0A0000090001", true},
    {"ACL", "ACL", "1#subtree#[Public]#[Entry Rights]", false},
};
const std::map<std::string, std::string> kNamingNames = {
    {"cn", "CN"}, {"ou", "OU"}, {"o", "O"}, {"l", "L"}, {"c", "C"}};

// The typeless dotted name of a DN ("Jane.Sales.Acme").
std::string dottedName(const std::string& dn) {
    std::vector<valuetext::DnComponent> parts;
    valuetext::splitDn(dn, parts);
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '.';
        for (std::size_t i = 0; i < p.value.size(); ++i) {
            const char c = p.value[i];
            if (c == '.' || c == '\\' || c == '=' || c == '+' || (i == 0 && c == '['))
                out += '\\';
            out += c;
        }
    }
    return out;
}

struct Identity {
    std::string dn; // "" for the anonymous client
    std::string subject() const { return dn.empty() ? "[Public]" : dottedName(dn); }
};

// One right compared: where, what, and both sides.
struct Difference {
    std::string identity, object, what;
    bool embedded, server;
};

class LdapRightsParity : public SharedSlapd<> {
protected:
    static void SetUpTestSuite() {
        SharedSlapd::SetUpTestSuite();
        std::ifstream(server->passwordFile()) >> password;
        const std::string dataDir = EmbeddedDirectory::demoDataDir();
        std::string text, why;
        ASSERT_TRUE(readRegularFile(dataDir + "/acme/acme.ldif", kMaxDataFileBytes, text, why));
        ASSERT_TRUE(ldif::parse(text, {"acme.ldif", dataDir + "/acme", dataDir}, records, &why))
            << why;
    }
    static std::string password;
    static std::vector<ldif::Record> records;
};
std::string LdapRightsParity::password;
std::vector<ldif::Record> LdapRightsParity::records;

const std::vector<std::string>* valuesOf(const ldif::Record& r, std::string_view name,
                                         std::vector<std::string>& scratch) {
    scratch.clear();
    for (const auto& a : r.attributes) {
        if (names::equalFolded(a.name, name))
            scratch.push_back(a.value);
    }
    return scratch.empty() ? nullptr : &scratch;
}

// A page's context that names an alias itself, as the server's operations on it meet it.
NWDSContextHandle withoutAliases(DirectoryClient& dir) {
    NWDSContextHandle ctx = pageContext(dir);
    std::uint32_t flags = 0;
    dir.NWDSGetContext(ctx, DCK_FLAGS, &flags, sizeof flags);
    flags &= ~std::uint32_t(DCV_DEREF_ALIASES);
    dir.NWDSSetContext(ctx, DCK_FLAGS, &flags);
    return ctx;
}

bool isUser(const ldif::Record& r) {
    std::vector<std::string> scratch;
    const auto* classes = valuesOf(r, "objectClass", scratch);
    return classes != nullptr &&
           std::find(classes->begin(), classes->end(), "inetOrgPerson") != classes->end();
}

// The Users of acme.ldif by their typeless dotted names.
std::vector<std::string> usersOf(const std::vector<ldif::Record>& records) {
    std::vector<std::string> users;
    for (const auto& r : records) {
        if (isUser(r))
            users.push_back(dottedName(r.dn));
    }
    return users;
}

TEST_F(LdapRightsParity, EveryIdentityHoldsOnTheServerTheRightsTheEmbeddedDirectoryGivesIt) {
    const auto started = std::chrono::steady_clock::now();
    auto embedded = EmbeddedDirectory::openDemo();
    ASSERT_NE(embedded, nullptr);
    NWDSContextHandle ctx = withoutAliases(*embedded);

    std::vector<Identity> identities = {{""}};
    std::vector<const ldif::Record*> objects;
    std::vector<std::string> scratch;
    for (const auto& r : records) {
        if (r.dn.empty())
            continue;
        objects.push_back(&r);
        if (isUser(r))
            identities.push_back({r.dn});
    }
    ASSERT_EQ(identities.size(), 9u); // the anonymous client and the eight Users
    ASSERT_EQ(objects.size(), 37u);

    std::vector<Difference> differences;
    std::size_t checks = 0, unanswered = 0, known = 0;
    for (const auto& who : identities) {
        SCOPED_TRACE(who.subject());
        LdapSession::Credentials credentials;
        credentials.bindDn = who.dn;
        credentials.password = who.dn.empty() ? "" : password;
        credentials.anonymous = who.dn.empty();
        NWDSCCODE code = 0;
        std::string message;
        auto session = LdapSession::open(server->uri(), {}, credentials, 100, code, message);
        ASSERT_NE(session, nullptr) << message;
        RawConnection raw(server->uri(), who.dn, who.dn.empty() ? "" : password);
        ASSERT_TRUE(raw.bound());

        for (const ldif::Record* object : objects) {
            const std::string& dn = object->dn;
            const std::string name = dottedName(dn);
            auto compareRight = [&](const std::string& what, bool expected, bool actual) {
                ++checks;
                if (expected != actual)
                    differences.push_back({who.subject(), name, what, expected, actual});
            };
            std::uint32_t entryRights = 0;
            ASSERT_EQ(embedded->NWDSGetEffectiveRights(ctx, who.subject().c_str(), name.c_str(),
                                                       "[Entry Rights]", &entryRights),
                      0)
                << name;

            LdapEntry found;
            const bool browse =
                session->readEntry(dn, {"1.1"}, true, LdapSession::Deref::Never, found) == 0;
            compareRight("browse", entryRights & DS_ENTRY_BROWSE, browse);
            // Below an alias slapd adds nothing, whoever asks.
            bool added = false;
            if (session->addDryRun("ou=Parity Probe," + dn,
                                   {{LdapMod::Add, "objectClass", {"organizationalUnit"}},
                                    {LdapMod::Add, "ou", {"Parity Probe"}}},
                                   added) == 0)
                compareRight("add", entryRights & DS_ENTRY_ADD, added);
            else
                ++unanswered;

            std::vector<valuetext::DnComponent> rdn;
            ASSERT_TRUE(valuetext::splitDn(dn, rdn));
            // A database's top object is deleted and renamed by its root DN alone on slapd;
            // the demo's server has none.
            if (rdn.size() > 1) {
                const int removed = raw.remove(dn);
                compareRight("delete", entryRights & DS_ENTRY_DELETE, !refused(removed));
                const int renamed = raw.rename(
                    dn, valuetext::rdnText(rdn.front().type, rdn.front().value + " Renamed"));
                compareRight("rename", entryRights & DS_ENTRY_RENAME, !refused(renamed));
            }

            std::vector<Attr> attributes(std::begin(kAttributes), std::end(kAttributes));
            const std::string naming = names::fold(rdn.front().type);
            attributes.push_back({kNamingNames.at(naming).c_str(), naming.c_str(),
                                  rdn.front().value.c_str(), false});
            for (const Attr& attr : attributes) {
                std::uint32_t rights = 0;
                ASSERT_EQ(embedded->NWDSGetEffectiveRights(ctx, who.subject().c_str(), name.c_str(),
                                                           attr.directoryName, &rights),
                          0)
                    << name << " " << attr.directoryName;
                const std::string what = std::string(" ") + attr.ldapName;
                const auto* held = valuesOf(*object, attr.ldapName, scratch);
                const std::string value = held != nullptr ? held->front() : attr.probe;
                if (held != nullptr || names::equalFolded(attr.ldapName, naming)) {
                    LdapEntry e;
                    session->readEntry(dn, {attr.ldapName}, false, LdapSession::Deref::Never, e);
                    compareRight("read" + what,
                                 browse && ((rights & DS_ATTR_READ) || attr.publicRead),
                                 e.find(attr.ldapName) != nullptr);
                }
                const int compared = raw.compare(dn, attr.ldapName, value);
                if (compared == LDAP_INAPPROPRIATE_MATCHING || compared == LDAP_INVALID_SYNTAX) {
                    ++unanswered;
                } else {
                    compareRight("compare" + what, (rights & DS_ATTR_COMPARE) || attr.publicRead,
                                 !refused(compared));
                }
                const int written = raw.addValue(dn, attr.ldapName, value);
                // slapd checks the naming values a rename writes as attribute writes, so
                // Rename lets its holder write the naming attribute too.
                const bool renameWrites = names::equalFolded(attr.ldapName, naming) &&
                                          (entryRights & DS_ENTRY_RENAME) &&
                                          !(rights & DS_ATTR_WRITE);
                if (written == LDAP_INVALID_SYNTAX) {
                    ++unanswered;
                } else if (renameWrites) {
                    ++known;
                    compareRight("write" + what + " with Rename", true, !refused(written));
                } else {
                    compareRight("write" + what, rights & DS_ATTR_WRITE, !refused(written));
                }
            }
        }
    }
    embedded->NWDSFreeContext(ctx);

    std::string listed;
    for (const auto& d : differences)
        listed += "\n  " + d.identity + " on " + d.object + ": " + d.what + " embedded " +
                  (d.embedded ? "yes" : "no") + ", slapd " + (d.server ? "yes" : "no");
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count();
    std::printf("%zu identities x %zu objects: %zu rights compared (%zu naming values written "
                "with Rename), %zu unanswered, %zu differences, %lld s\n",
                identities.size(), objects.size(), checks, known, unanswered, differences.size(),
                static_cast<long long>(seconds));
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences:" << listed;

    // The no-op control kept every change out: each object is still there under its name.
    LdapSession::Credentials admin;
    admin.bindDn = "cn=Admin,o=Acme";
    admin.password = password;
    NWDSCCODE code = 0;
    std::string message;
    auto session = LdapSession::open(server->uri(), {}, admin, 100, code, message);
    ASSERT_NE(session, nullptr) << message;
    for (const ldif::Record* object : objects) {
        LdapEntry e;
        EXPECT_EQ(session->readEntry(object->dn, {"1.1"}, true, LdapSession::Deref::Never, e), 0)
            << object->dn;
    }
    bool probe = true;
    ASSERT_EQ(session->anyEntry("o=Acme", "(|(ou=Parity Probe)(cn=* Renamed)(title=Parity Probe))",
                                probe),
              0);
    EXPECT_FALSE(probe);
}

// Every User of the demo logs in by its name and the demo password, as OSTREL_IDENTITY does,
// and reads of every object of acme.ldif show it what the embedded directory shows it.
TEST_F(LdapRightsParity, EveryUserLogsInByNameAndReadsWhatTheEmbeddedDirectoryShowsIt) {
    const std::vector<std::string> users = usersOf(records);
    ASSERT_EQ(users.size(), 8u);
    std::size_t reads = 0;
    for (const auto& user : users) {
        SCOPED_TRACE(user);
        std::string error;
        auto ldap = LdapDirectory::open(ldapOptionsAs(*server, user), &error);
        ASSERT_NE(ldap, nullptr) << error;
        auto embedded = EmbeddedDirectory::openDemo(user);
        ASSERT_NE(embedded, nullptr);
        NWDSContextHandle lctx = pageContext(*ldap), ectx = pageContext(*embedded);
        char who[MAX_DN_BYTES] = {};
        ASSERT_EQ(ldap->NWDSWhoAmI(lctx, who, sizeof who), 0);
        EXPECT_EQ(who, user);
        for (const auto& r : records) {
            if (r.dn.empty())
                continue;
            const std::string name = dottedName(r.dn);
            std::map<std::string, ReadItem> fromServer, fromEmbedded;
            EXPECT_EQ(readAll(*ldap, lctx, name, DS_ATTRIBUTE_VALUES, fromServer),
                      readAll(*embedded, ectx, name, DS_ATTRIBUTE_VALUES, fromEmbedded))
                << name;
            EXPECT_EQ(fromServer, fromEmbedded) << name;
            ++reads;
        }
        ldap->NWDSFreeContext(lctx);
        embedded->NWDSFreeContext(ectx);
    }
    std::printf("%zu Users logged in by name, %zu objects read and compared\n", users.size(),
                reads);
}

// The rights view of each User on slapd (found by tries with the no-op control) agrees with
// what the embedded directory computes for it, right by right, for every object it can see.
TEST_F(LdapRightsParity, TheRightsViewShowsEachUserOnTheServerWhatTheEmbeddedDirectoryComputes) {
    const std::vector<std::string> users = usersOf(records);
    std::vector<Difference> differences;
    std::size_t compared = 0;
    for (const auto& user : {users[0], users[1], users[2], users.back()}) {
        SCOPED_TRACE(user);
        std::string error;
        auto ldap = LdapDirectory::open(ldapOptionsAs(*server, user), &error);
        ASSERT_NE(ldap, nullptr) << error;
        auto embedded = EmbeddedDirectory::openDemo(user);
        NWDSContextHandle lctx = withoutAliases(*ldap), ectx = withoutAliases(*embedded);

        // Only the bound identity's own rights can be found by trying.
        RightsReport report;
        const std::string other = user == users[0] ? users[1] : users[0];
        EXPECT_EQ(ldap->explainRights(lctx, other.c_str(), "Acme", report), ERR_NOT_SUPPORTED);
        EXPECT_NE(ldap->clientReason(ERR_NOT_SUPPORTED).find(user), std::string::npos);
        EXPECT_EQ(ldap->explainRights(lctx, user.c_str(), "[Root]", report), ERR_NOT_SUPPORTED);
        EXPECT_NE(ldap->clientReason(ERR_NOT_SUPPORTED).find("naming contexts"), std::string::npos);

        for (const auto& r : records) {
            if (r.dn.empty())
                continue;
            const std::string name = dottedName(r.dn);
            RightsReport want, got;
            ASSERT_EQ(embedded->explainRights(ectx, user.c_str(), name.c_str(), want), 0) << name;
            ASSERT_EQ(ldap->explainRights(lctx, user.c_str(), name.c_str(), got), 0) << name;
            ASSERT_FALSE(got.lines.empty());
            auto differ = [&](const std::string& what, bool embeddedSays, bool serverSays) {
                ++compared;
                if (embeddedSays != serverSays)
                    differences.push_back({user, name, what, embeddedSays, serverSays});
            };
            const std::uint32_t entryWant = want.lines[0].rights, entryGot = got.lines[0].rights;
            const bool top = r.dn.find(',') == std::string::npos;
            for (std::uint32_t right :
                 {DS_ENTRY_BROWSE, DS_ENTRY_ADD, DS_ENTRY_DELETE, DS_ENTRY_RENAME}) {
                // A database's top object is deleted and renamed by its root DN alone.
                if ((top && (right == DS_ENTRY_DELETE || right == DS_ENTRY_RENAME)) ||
                    !(got.lines[0].known & right))
                    continue;
                differ("entry right " + std::to_string(right), entryWant & right, entryGot & right);
            }
            for (std::size_t i = 1; i < got.lines.size(); ++i) {
                const RightsLine& line = got.lines[i];
                const auto match =
                    std::find_if(want.lines.begin(), want.lines.end(), [&](const RightsLine& w) {
                        return w.attribute == line.attribute;
                    });
                if (match == want.lines.end())
                    continue; // the server's own attributes
                differ("read " + line.attribute,
                       (match->rights & DS_ATTR_READ) || match->publicRead, true);
                differ("write " + line.attribute, match->rights & DS_ATTR_WRITE,
                       line.rights & DS_ATTR_WRITE);
            }
        }
        ldap->NWDSFreeContext(lctx);
        embedded->NWDSFreeContext(ectx);
    }
    std::string listed;
    for (const auto& d : differences)
        listed += "\n  " + d.identity + " on " + d.object + ": " + d.what + " embedded " +
                  (d.embedded ? "yes" : "no") + ", server " + (d.server ? "yes" : "no");
    std::printf("%zu rights of the rights view compared\n", compared);
    // Nothing the tries sent was carried out.
    LdapSession::Credentials admin;
    admin.bindDn = "cn=Admin,o=Acme";
    admin.password = password;
    NWDSCCODE code = 0;
    std::string message;
    auto session = LdapSession::open(server->uri(), {}, admin, 100, code, message);
    ASSERT_NE(session, nullptr) << message;
    bool probe = true;
    ASSERT_EQ(
        session->anyEntry("o=Acme", "(|(ou=ostrel-rights-probe)(cn=*ostrel-rights-probe))", probe),
        0);
    EXPECT_FALSE(probe);
    EXPECT_GT(compared, 300u);
    EXPECT_TRUE(differences.empty()) << differences.size() << " differences:" << listed;
}

} // namespace
