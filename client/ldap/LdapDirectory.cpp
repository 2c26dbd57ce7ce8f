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

namespace ldapnames {

std::string canonicalDn(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts))
        return std::string(dn);
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += ',';
        out += valuetext::rdnText(p.type, p.value);
    }
    return out;
}

std::string parentDn(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.size() < 2)
        return {};
    std::string out;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (!out.empty())
            out += ',';
        out += valuetext::rdnText(parts[i].type, parts[i].value);
    }
    return out;
}

} // namespace ldapnames

namespace {

const std::vector<std::string> kStandardNamingTypes = {"cn", "ou", "o",  "l",
                                                       "st", "c",  "dc", "uid"};

// The key of Tree::childType, written into `key` (room reused from call to call).
const std::string& childKey(std::string& key, std::string_view parent, std::string_view value) {
    key.assign(parent).append(1, '\n').append(value);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return key;
}

} // namespace

LdapDirectory::LdapDirectory(Options options) : options_(std::move(options)) {}

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
            valuetext::splitDn(dn, parts) && dir->baseOf(first, parts) == first.bases.size() &&
            std::any_of(parts.begin(), parts.end(), [](const valuetext::DnComponent& p) {
                return names::isMultiValued(p.value);
            });
        if (!parts.empty() && !foreign && dir->nameOfDn(first, dn, false).size() <= MAX_DN_CHARS) {
            dir->setIdentity(dir->nameOfDn(first, dn, false));
            // Contexts start in the identity's container when that lies in the tree; a root
            // DN of a database, or an identity outside every naming context, starts at [Root].
            const std::string container = ldapnames::parentDn(dn);
            std::vector<valuetext::DnComponent> above;
            if (!container.empty() && valuetext::splitDn(container, above) &&
                dir->baseOf(first, above) < first.bases.size())
                dir->setDefaultNameContext(dir->nameOfDn(first, container, false));
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
        lastFailure_ = {0, why};
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
        lastFailure_ = {0, what};
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
    if (auto rc = loadSchema(tree, message); rc != 0) {
        tree.session.reset();
        return rc;
    }

    // With an identity but no bind DN: find the identity's DN anonymously, then bind as it.
    if (s.bindDn.empty() && !s.identity.empty()) {
        names::ParsedName parsed;
        std::string dn;
        if (names::parse(s.identity, parsed) != 0 || parsed.root ||
            dnOfComponents(tree, parsed.components, dn) != 0) {
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
            lastFailure_ = {0, why};
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

void LdapDirectory::fail(Tree& tree) {
    refusal_ = {};
    if (tree.session)
        lastFailure_ = tree.session->lastFailure();
}

bool LdapDirectory::isKnownSyntax(std::uint32_t syntaxID) const {
    if (syntaxID < SYNTAX_COUNT)
        return true;
    // A syntax of the directory's own that a server's schema names (X-NDS-SYNTAX '31').
    return std::any_of(trees_.begin(), trees_.end(), [&](const auto& t) {
        return t->schema && t->schema->findSyntax(syntaxID) != nullptr;
    });
}

void LdapDirectory::contextReleased(NWDSContextHandle context) {
    pending_.forgetIf([context](const Pending& p) { return p.context == context; });
}

// ---- Names ----

void LdapDirectory::rememberNaming(Tree& tree, std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return;
    rememberNaming(tree, ldapnames::parentDn(dn), parts.front().value, parts.front().type);
}

void LdapDirectory::rememberNaming(Tree& tree, std::string_view parentDn, std::string_view value,
                                   std::string_view type) {
    std::string key;
    rememberNaming(tree, parentDn, value, type, key);
}

void LdapDirectory::rememberNaming(Tree& tree, std::string_view parentDn, std::string_view value,
                                   std::string_view type, std::string& key) {
    auto it = tree.childType.find(childKey(key, parentDn, value));
    if (it == tree.childType.end())
        tree.childType.emplace(key, type);
    else if (it->second != type)
        it->second = type;
}

void LdapDirectory::hintNaming(Tree& tree, std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts))
        return;
    std::string parent, key;
    for (std::size_t i = parts.size(); i-- > 0;) {
        childKey(key, parent, parts[i].value);
        if (!tree.childType.count(key))
            tree.hintedType.emplace(key, parts[i].type);
        const std::string rdn = valuetext::rdnText(parts[i].type, parts[i].value);
        parent = parent.empty() ? rdn : rdn + "," + parent;
    }
}

NWDSCCODE LdapDirectory::dnOfComponents(Tree& tree, const std::vector<std::string>& components,
                                        std::string& dn, bool hinted) {
    const std::size_t n = components.size();
    std::size_t best = tree.bases.size(), covered = 0;
    // A top object by its one component ("example\.com"), or written out RDN by RDN
    // ("example.com"), the longest match first.
    for (const auto* forms : {&tree.baseValues, &tree.baseRdnValues}) {
        for (std::size_t b = 0; b < tree.bases.size() && best == tree.bases.size(); ++b) {
            const auto& values = (*forms)[b];
            const std::size_t k = values.size();
            if (k == 0 || k > n || k <= covered)
                continue;
            bool match = true;
            for (std::size_t i = 0; i < k && match; ++i)
                match = names::equalFolded(components[n - k + i], values[i]);
            if (match) {
                best = b;
                covered = k;
            }
        }
    }
    if (best == tree.bases.size())
        return ERR_NO_SUCH_ENTRY;
    dn = tree.bases[best];
    std::string key;
    for (std::size_t i = n - covered; i-- > 0;) {
        const std::string& value = components[i];
        auto it = tree.childType.find(childKey(key, dn, value));
        const std::string* type = it == tree.childType.end() ? nullptr : &it->second;
        if (type == nullptr) {
            // Not seen yet: ask the server which of the naming attributes names it (any
            // value of a multi-valued one; its whole RDN is remembered from the answer).
            std::string filter = "(|";
            for (const auto& v : names::valuesOf(value)) {
                for (const auto& naming : tree.namingTypes)
                    filter += "(" + naming + "=" + ldapfilter::escapeValue(v) + ")";
            }
            filter += ")";
            NWDSCCODE rc = tree.session->search(dn, 1, filter, {"1.1"}, true,
                                                LdapSession::Deref::Never, [&](LdapEntry&& e) {
                                                    rememberNaming(tree, e.dn);
                                                    return true;
                                                });
            if (rc != 0 && !(hinted && rc == ERR_NO_SUCH_ENTRY)) {
                fail(tree);
                return rc;
            }
            it = tree.childType.find(childKey(key, dn, value));
            if (it != tree.childType.end()) {
                type = &it->second;
            } else if (hinted) {
                auto hint = tree.hintedType.find(key);
                if (hint != tree.hintedType.end())
                    type = &hint->second;
            }
            if (type == nullptr)
                return ERR_NO_SUCH_ENTRY;
        }
        dn.insert(0, valuetext::rdnText(*type, value) + ",");
    }
    return 0;
}

NWDSCCODE LdapDirectory::objectOf(const ContextState& ctx, const char* name, Tree*& tree,
                                  std::string& dn) {
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    return resolve(ctx, *tree, name, dn);
}

NWDSCCODE LdapDirectory::resolve(const ContextState& ctx, Tree& tree, const char* name,
                                 std::string& dn, std::vector<std::string>* from) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root) {
        dn.clear();
        return 0;
    }
    const bool canonicalize = (ctx.flags & DCV_CANONICALIZE_NAMES) != 0;
    // The name with the name context after it, when the name is relative to one; only made
    // when it is tried (every object of a listing is resolved once for its names read).
    std::vector<std::string> withContext;
    auto relativeTry = [&]() -> const std::vector<std::string>* {
        names::ParsedName context;
        if (parsed.leadingDot || ctx.nameContext.empty() || ctx.nameContext == ROOT_NAME ||
            names::parse(ctx.nameContext, context) != 0 || context.root)
            return nullptr;
        withContext.reserve(parsed.components.size() + context.components.size());
        withContext = parsed.components;
        withContext.insert(withContext.end(), context.components.begin(), context.components.end());
        return &withContext;
    };
    auto named = [&](const std::vector<std::string>& components) {
        const NWDSCCODE rc = dnOfComponents(tree, components, dn);
        if (rc == 0 && from != nullptr)
            *from = components;
        return rc;
    };
    if (!canonicalize) {
        NWDSCCODE rc = named(parsed.components);
        if (rc != ERR_NO_SUCH_ENTRY)
            return rc;
        const auto* relative = relativeTry();
        return relative != nullptr ? named(*relative) : rc;
    }
    if (const auto* relative = relativeTry()) {
        NWDSCCODE rc = named(*relative);
        if (rc != ERR_NO_SUCH_ENTRY)
            return rc;
    }
    return named(parsed.components);
}

std::size_t LdapDirectory::baseOf(const Tree& tree,
                                  const std::vector<valuetext::DnComponent>& parts) const {
    std::size_t best = tree.bases.size(), covered = 0;
    for (std::size_t b = 0; b < tree.baseParts.size(); ++b) {
        const auto& base = tree.baseParts[b];
        const std::size_t k = base.size();
        if (k == 0 || k > parts.size() || k <= covered)
            continue;
        bool match = true;
        for (std::size_t i = 0; i < k && match; ++i) {
            const auto& p = parts[parts.size() - k + i];
            match = names::equalFolded(p.type, base[i].type) &&
                    names::equalFolded(p.value, base[i].value);
        }
        if (match) {
            best = b;
            covered = k;
        }
    }
    return best;
}

std::string LdapDirectory::nameOfDn(Tree& tree, std::string_view dn, bool typed) const {
    std::vector<valuetext::DnComponent> parts;
    if (dn.empty())
        return ROOT_NAME;
    if (!valuetext::splitDn(dn, parts))
        return std::string(dn);
    // Below a top object of several RDNs, that object is one component.
    const std::size_t base = baseOf(tree, parts);
    if (base < tree.bases.size() && tree.baseParts[base].size() > 1) {
        const std::size_t k = tree.baseParts[base].size();
        parts.resize(parts.size() - k);
        parts.push_back({tree.baseParts[base].front().type, tree.baseValues[base].front()});
    }
    if (!typed) {
        std::vector<std::string> values;
        values.reserve(parts.size());
        for (auto& p : parts)
            values.push_back(std::move(p.value));
        return names::join(values);
    }
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '.';
        out += typedComponent(tree, p.type, p.value);
    }
    return out;
}

std::string LdapDirectory::typedComponent(Tree& tree, std::string_view type,
                                          std::string_view value) const {
    if (!names::isMultiValued(value))
        return tagOf(tree, type) + "=" + names::escapeComponent(value);
    const auto types = names::valuesOf(type);
    const auto values = names::valuesOf(value);
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += '+';
        out += tagOf(tree, i < types.size() ? types[i] : "cn") + "=" +
               names::escapeComponent(values[i]);
    }
    return out;
}

std::string LdapDirectory::tagOf(Tree& tree, std::string_view ldapType) const {
    const AttributeDefinition* a =
        tree.schema ? tree.schema->findAttributeByLdapName(ldapType) : nullptr;
    std::string tag = a != nullptr ? a->name : std::string(ldapType);
    std::transform(tag.begin(), tag.end(), tag.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return tag;
}

// ---- The schema, read at connection and again after every schema change ----

NWDSCCODE LdapDirectory::loadSchema(Tree& tree, std::string* message) {
    LdapEntry schemaEntry;
    NWDSCCODE rc = tree.session->readEntry(tree.subschemaDn,
                                           {"ldapSyntaxes", "attributeTypes", "objectClasses"},
                                           false, LdapSession::Deref::Never, schemaEntry);
    if (rc != 0) {
        lastFailure_ = tree.session->lastFailure();
        if (message != nullptr)
            *message = tree.setting.uri + ": the schema cannot be read (" + lastFailure_.text + ")";
        return rc;
    }
    serverschema::SubschemaValues values;
    if (auto* v = schemaEntry.find("ldapSyntaxes"))
        values.ldapSyntaxes = *v;
    if (auto* v = schemaEntry.find("attributeTypes"))
        values.attributeTypes = *v;
    if (auto* v = schemaEntry.find("objectClasses"))
        values.objectClasses = *v;
    auto schema = std::make_unique<Schema>();
    std::string why;
    std::vector<std::string> unreadable;
    if (!serverschema::build(values, hints_.get(), *schema, &why, &unreadable)) {
        if (message != nullptr)
            *message = tree.setting.uri + ": the server's schema cannot be read: " + why;
        return ERR_INVALID_SERVER_RESPONSE;
    }
    if (!unreadable.empty()) {
        // Without what every object holds (its classes, the top class) no page can show an
        // object; without anything else the pages go on, and the user is told what is missing.
        const std::string note = tree.setting.uri + ": " + serverschema::unreadableNote(unreadable);
        if (schema->findAttributeByLdapName("objectClass") == nullptr ||
            schema->findClassByLdapName("top") == nullptr) {
            if (message != nullptr)
                *message = note + "; the definitions every object needs are among them";
            return ERR_INVALID_SERVER_RESPONSE;
        }
        std::fprintf(stderr, "%s; the rest of the schema is used\n", note.c_str());
    }
    // Definitions made at run time may be removed again; the others are the tree's base.
    for (const auto& a : schema->attributes())
        a->base = !schemaconfig::isRunTimeOid(a->oid);
    for (const auto& c : schema->classes())
        c->base = !schemaconfig::isRunTimeOid(c->oid);
    // Reads under way may still point into the schema they began with.
    if (tree.schema)
        tree.retiredSchemas.push_back(std::move(tree.schema));
    tree.listedNames.clear();
    tree.listedByName.objects.clear();
    tree.knownClasses.clear();
    tree.schema = std::move(schema);
    tree.subschemaValues = std::move(values);
    tree.namingTypes = kStandardNamingTypes;
    for (const auto& c : tree.schema->classes()) {
        for (const auto& a : c->lists[ClassDefinition::Naming]) {
            const AttributeDefinition* def = tree.schema->findAttribute(a);
            if (def == nullptr)
                continue;
            const bool known = std::any_of(
                tree.namingTypes.begin(), tree.namingTypes.end(),
                [&](const std::string& t) { return names::equalFolded(t, def->ldapName); });
            if (!known)
                tree.namingTypes.push_back(def->ldapName);
        }
    }
    return 0;
}
