// Opening the LDAP client: settings, connections per tree, the schema, and names.
#include "LdapDirectory.h"

#include "FilterText.h"
#include "LdapSchemaConfig.h"
#include "LdapTree.h"
#include "ServerSchema.h"
#include "client/common/Names.h"
#include "client/common/SchemaFile.h"
#include "client/common/TextFile.h"
#include "client/common/ValueText.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstdio>
#include <ldap.h>

LdapDirectory::LdapDirectory(Options options)
    : options_(std::move(options)), naming_(outcome_), listing_(naming_, outcome_),
      rights_(naming_, outcome_, identity()), schemaWriter_(outcome_),
      objectWriter_(naming_, outcome_), reader_(naming_, listing_, rights_, outcome_),
      searcher_(naming_, outcome_) {}

LdapDirectory::~LdapDirectory() {
    std::fill(password_.begin(), password_.end(), '\0');
}

std::uint64_t LdapDirectory::roundTrips() const {
    std::uint64_t n = 0;
    for (const auto& t : trees_)
        n += t->session ? t->session->roundTrips() : 0;
    return n;
}

std::unique_ptr<LdapDirectory> LdapDirectory::open(Options options, std::string* error) {
    auto fail = [&](const std::string& what) -> std::unique_ptr<LdapDirectory> {
        if (error != nullptr)
            *error = what;
        return nullptr;
    };
    std::unique_ptr<LdapDirectory> dir(new LdapDirectory(std::move(options)));
    const LdapSettings& s = dir->options_.settings;
    if (s.trees.empty())
        return fail("no LDAP server is set");
    if (!s.schemaHints.empty()) {
        std::string text, why;
        dir->hints_ = std::make_unique<Schema>();
        if (!readRegularFile(s.schemaHints, kMaxDataFileBytes, text, why))
            return fail("the schema file " + s.schemaHints + " " + why);
        if (!schemafile::load(text, s.schemaHints, *dir->hints_, &why))
            return fail(why);
    }
    const std::string who = !s.bindDn.empty() ? s.bindDn : s.identity;
    if (!who.empty()) {
        if (!s.passwordFile.empty()) {
            std::string text, why;
            if (!readRegularFile(s.passwordFile, LdapSettings::kMaxPasswordFileBytes, text, why))
                return fail("the password file " + s.passwordFile + " " + why);
            dir->password_ = text.substr(0, text.find_first_of("\r\n"));
            std::fill(text.begin(), text.end(), '\0');
        } else if (dir->options_.askPassword) {
            auto answer = dir->options_.askPassword(who);
            if (!answer)
                return fail("no password was given for " + who);
            dir->password_ = std::move(*answer);
        } else {
            return fail("no password for " + who + ": set OSTREL_LDAP_PASSWORD_FILE");
        }
    }
    for (const auto& t : s.trees) {
        auto tree = std::make_unique<Tree>();
        tree->setting = t;
        tree->hints = dir->hints_.get();
        std::string host = hostOfUri(t.uri);
        if (host.empty())
            host = "localhost";
        dir->addServer(host, t.name);
        dir->advertiseTree(t.name, host);
        dir->trees_.push_back(std::move(tree));
    }
    std::string message;
    if (dir->connect(*dir->trees_.front(), &message) != 0)
        return fail(message);

    // Who the server says we are, as a dotted name; contexts start in that object's container.
    Tree& first = *dir->trees_.front();
    std::string authz;
    if (first.session->whoAmI(authz) == 0 && authz.rfind("dn:", 0) == 0 && authz.size() > 3) {
        const std::string dn = authz.substr(3);
        std::vector<valuetext::DnComponent> parts;
        // An identity of several naming values outside the tree (SASL EXTERNAL's
        // "gidNumber=0+uidNumber=0,cn=peercred,...") reads best as the DN it is.
        const bool foreign =
            valuetext::splitDn(dn, parts) &&
            dir->naming_.baseOf(first, parts) == first.bases.size() &&
            std::any_of(parts.begin(), parts.end(), [](const valuetext::DnComponent& p) {
                return names::isMultiValued(p.value);
            });
        if (!parts.empty() && !foreign &&
            dir->naming_.nameOfDn(first, dn, false).size() <= MAX_DN_CHARS) {
            dir->setIdentity(dir->naming_.nameOfDn(first, dn, false));
            // Contexts start in the identity's container when that lies in the tree; a root
            // DN of a database, or an identity outside every naming context, starts at [Root].
            const std::string container = ldapnames::parentDn(dn);
            std::vector<valuetext::DnComponent> above;
            if (!container.empty() && valuetext::splitDn(container, above) &&
                dir->naming_.baseOf(first, above) < first.bases.size())
                dir->setDefaultNameContext(dir->naming_.nameOfDn(first, container, false));
        } else {
            dir->setIdentity(dn.substr(0, MAX_DN_CHARS));
        }
    } else if (!authz.empty()) {
        dir->setIdentity(authz.substr(0, MAX_DN_CHARS));
    } else {
        dir->setIdentity("[Public]");
    }
    return dir;
}

std::size_t LdapDirectory::openSearches() const {
    std::size_t n = 0;
    for (const auto& t : trees_)
        n += t->session ? t->session->openStreams() : 0;
    return n;
}

NWDSCCODE LdapDirectory::connect(Tree& tree, std::string* message) {
    const LdapSettings& s = settingsOfTree(options_.settings, tree.setting);
    if (auto rc = givePasswordOfTree(tree.setting, tree.password, message); rc != 0)
        return rc;
    const std::string& password = tree.setting.access ? tree.password.text : password_;
    LdapSession::Security security{s.caCertFile, s.startTls};
    LdapSession::Credentials credentials;
    const bool ldapi = tree.setting.uri.rfind("ldapi://", 0) == 0;
    credentials.anonymous = !ldapi || !s.identity.empty();
    if (!s.bindDn.empty()) {
        credentials.bindDn = s.bindDn;
        credentials.password = password;
        credentials.anonymous = false;
    }
    NWDSCCODE code = 0;
    std::string why;
    tree.session = LdapSession::open(tree.setting.uri, security, credentials, s.pageSize, code, why,
                                     s.limits());
    if (!tree.session) {
        tree.password.forget();
        outcome_.lastFailure = {0, why};
        if (message != nullptr)
            *message = why;
        return code;
    }
    // The root DSE: the naming contexts (unless the settings name the bases), the schema,
    // and whether the server pages as asked.
    LdapEntry root;
    std::string subschema = "cn=Subschema";
    bool pagesHonoured = false;
    const bool configuredBases = !tree.setting.bases.empty();
    if (tree.session->readEntry("", {"namingContexts", "subschemaSubentry", "supportedControl"},
                                false, LdapSession::Deref::Never, root) == 0) {
        if (auto* v = root.find("subschemaSubentry"); v != nullptr && !v->empty())
            subschema = v->front();
        if (!configuredBases && root.find("namingContexts") != nullptr)
            tree.setting.bases = *root.find("namingContexts");
        if (auto* v = root.find("supportedControl")) {
            pagesHonoured = std::find(v->begin(), v->end(), LDAP_CONTROL_PAGEDRESULTS) != v->end();
            tree.supportedControls = *v;
        }
    }
    tree.session->setPagesHonoured(pagesHonoured);
    auto refuse = [&](NWDSCCODE rc, const std::string& what) {
        outcome_.lastFailure = {0, what};
        if (message != nullptr)
            *message = what;
        tree.session.reset();
        return rc;
    };
    tree.bases.clear();
    tree.baseValues.clear();
    tree.baseRdnValues.clear();
    tree.baseParts.clear();
    for (const auto& b : tree.setting.bases) {
        std::vector<valuetext::DnComponent> parts;
        if (b.empty() || !valuetext::splitDn(b, parts)) {
            if (configuredBases)
                return refuse(ERR_ILLEGAL_DS_NAME,
                              tree.setting.uri + ": the base \"" + names::printable(b) +
                                  "\" (LDAPBASE or the trees file) is not a DN");
            continue; // a naming context the server lists but no client can name
        }
        const std::string canonical = ldapnames::canonicalDn(b);
        if (std::any_of(tree.bases.begin(), tree.bases.end(), [&](const std::string& known) {
                return ldapnames::sameFolded(known, canonical);
            }))
            continue; // a naming context listed twice is one top object
        tree.bases.push_back(canonical);
        std::vector<std::string> values;
        values.reserve(parts.size());
        for (auto& p : parts)
            values.push_back(p.value);
        tree.baseValues.push_back({values.size() == 1 ? values.front() : names::join(values)});
        tree.baseRdnValues.push_back(std::move(values));
        tree.baseParts.push_back(std::move(parts));
    }
    tree.subschemaDn = subschema;
    if (auto rc = loadTreeSchema(tree, outcome_.lastFailure, message); rc != 0) {
        tree.session.reset();
        return rc;
    }

    // With an identity but no bind DN: find the identity's DN anonymously, then bind as it.
    if (s.bindDn.empty() && !s.identity.empty()) {
        names::ParsedName parsed;
        std::string dn;
        if (names::parse(s.identity, parsed) != 0 || parsed.root ||
            naming_.dnOfComponents(tree, parsed.components, dn) != 0) {
            if (&tree != trees_.front().get())
                return 0; // another tree, where the identity is not an object: anonymous
            if (message != nullptr)
                *message =
                    "OSTREL_IDENTITY=" + s.identity + ": no such object on " + tree.setting.uri;
            tree.session.reset();
            return ERR_NO_SUCH_ENTRY;
        }
        credentials.anonymous = false;
        credentials.bindDn = dn;
        credentials.password = password;
        auto bound = LdapSession::open(tree.setting.uri, security, credentials, s.pageSize, code,
                                       why, s.limits());
        if (!bound) {
            tree.session.reset();
            outcome_.lastFailure = {0, why};
            if (message != nullptr)
                *message = why;
            return code;
        }
        tree.session = std::move(bound);
        tree.session->setPagesHonoured(pagesHonoured);
    }
    // Bases the settings name must name entries, seen as the bound identity sees them.
    for (std::size_t i = 0; configuredBases && i < tree.bases.size(); ++i) {
        LdapEntry top;
        const NWDSCCODE rc =
            tree.session->readEntry(tree.bases[i], {"1.1"}, true, LdapSession::Deref::Never, top);
        if (rc == ERR_NO_SUCH_ENTRY)
            return refuse(rc, tree.setting.uri + ": the base \"" + names::printable(tree.bases[i]) +
                                  "\" (LDAPBASE or the trees file) names no entry on the server");
    }
    return 0;
}

NWDSCCODE LdapDirectory::treeOf(const ContextState& ctx, Tree*& out) {
    for (auto& t : trees_) {
        if (names::equalFolded(t->setting.name, ctx.treeName)) {
            if (t->session && t->session->connectionLost())
                dropConnection(*t); // the server went away: connect again, as the same user
            if (!t->session) {
                if (auto rc = connect(*t, nullptr); rc != 0)
                    return rc;
            }
            out = t.get();
            return 0;
        }
    }
    return ERR_NO_SUCH_TREE;
}

bool LdapDirectory::isKnownSyntax(std::uint32_t syntaxID) const {
    if (syntaxID < SYNTAX_COUNT)
        return true;
    // A syntax of the directory's own that a server's schema names (X-NDS-SYNTAX '31').
    return std::any_of(trees_.begin(), trees_.end(), [&](const auto& t) {
        return t->schema && t->schema->findSyntax(syntaxID) != nullptr;
    });
}

NWDSCCODE LdapDirectory::objectOf(const ContextState& ctx, const char* name, Tree*& tree,
                                  std::string& dn) {
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    return naming_.resolve(ctx, *tree, name, dn);
}

// ---- What the last call leaves for the pages' messages ----

std::string LdapDirectory::clientReason(NWDSCCODE code) const {
    return code != 0 && outcome_.refusal.code == code ? outcome_.refusal.reason : std::string();
}

std::string LdapDirectory::limitReached(NWDSCCODE code) const {
    return code != 0 && outcome_.lastFailure.limit.code == code ? outcome_.lastFailure.limit.reason
                                                                : std::string();
}

std::string LdapDirectory::takeRefusedNote() {
    std::string note = outcome_.refused.note();
    outcome_.refused.clear();
    return note;
}

std::string LdapDirectory::serverReason(NWDSCCODE code) const {
    if (outcome_.lastFailure.code == 0 || outcome_.lastFailure.text.empty() ||
        codeOfLdapResult(outcome_.lastFailure.code) != code)
        return {};
    return "LDAP " + std::to_string(outcome_.lastFailure.code) + ": " + outcome_.lastFailure.text;
}
