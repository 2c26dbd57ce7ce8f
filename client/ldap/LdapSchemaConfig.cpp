#include "LdapSchemaConfig.h"

#include "client/common/Names.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cctype>

namespace schemaconfig {
namespace {

constexpr char kOwnEntry[] = "ostrel";

// "{3}( 1.2 ... )" -> 3 and "( 1.2 ... )"
std::string_view withoutPosition(std::string_view value, std::size_t& position) {
    position = 0;
    if (value.empty() || value.front() != '{')
        return value;
    const std::size_t close = value.find('}');
    if (close == std::string_view::npos)
        return value;
    for (std::size_t i = 1; i < close; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(value[i])))
            return value;
        position = position * 10 + std::size_t(value[i] - '0');
    }
    return value.substr(close + 1);
}

const char* keywordOf(std::string_view attribute) {
    return names::equalFolded(attribute, "olcObjectClasses") ? "objectclass" : "attributetype";
}

} // namespace

NWDSCCODE readConfig(LdapSession& session, ConfigSchema& out);

bool isRunTimeOid(std::string_view oid) {
    return oid.size() > kRunTimeArc.size() && oid.substr(0, kRunTimeArc.size()) == kRunTimeArc &&
           oid[kRunTimeArc.size()] == '.';
}

const StoredDefinition* ConfigSchema::find(std::string_view attribute, std::string_view oid) const {
    for (const auto& s : stored) {
        if (names::equalFolded(s.attribute, attribute) && s.parsed.oid == oid)
            return &s;
    }
    return nullptr;
}

// The run-time definitions of the subschema entry, which alone may be changed there.
NWDSCCODE readSubschema(LdapSession& session, const std::string& subschemaDn, ConfigSchema& out) {
    out = ConfigSchema{};
    out.subschema = true;
    out.schemaDn = subschemaDn;
    out.ownEntryDn = subschemaDn;
    LdapEntry e;
    if (auto rc = session.readEntry(subschemaDn, {"attributeTypes", "objectClasses"}, false,
                                    LdapSession::Deref::Never, e);
        rc != 0)
        return rc;
    for (const char* attribute : {"attributeTypes", "objectClasses"}) {
        const auto* values = e.find(attribute);
        if (values == nullptr)
            continue;
        for (const auto& v : *values) {
            StoredDefinition s{subschemaDn, attribute, v, 0, {}};
            const char* keyword =
                names::equalFolded(attribute, "objectClasses") ? "objectclass" : "attributetype";
            if (schemastatements::parseDescription(keyword, v, s.parsed) &&
                isRunTimeOid(s.parsed.oid))
                out.stored.push_back(std::move(s));
        }
    }
    return 0;
}

NWDSCCODE read(LdapSession& session, const std::string& subschemaDn, ConfigSchema& out) {
    const NWDSCCODE rc = readConfig(session, out);
    if (rc == ERR_NOT_SUPPORTED && !subschemaDn.empty())
        return readSubschema(session, subschemaDn, out);
    return rc;
}

NWDSCCODE mayChange(LdapSession& session, const ConfigSchema& config, bool& may) {
    // A class of the project's own arc that no server holds.
    static const std::string probe =
        "( 2.25.14728172303297623532114484959978199139.6.1 NAME 'ostrelRightsProbe' "
        "SUP top AUXILIARY )";
    const NWDSCCODE rc = session.modify(
        config.schemaDn,
        {{LdapMod::Delete, config.objectClasses(), {config.subschema ? probe : "{0}" + probe}}});
    const int ldapCode = session.lastFailure().code;
    may = rc == 0 ||
          (ldapCode != 0 && ldapCode != 50 /* insufficientAccess */ &&
           ldapCode != 53 /* unwillingToPerform */ && ldapCode != 32 /* noSuchObject */ &&
           ldapCode != 8 /* strongerAuthRequired */ && ldapCode != 48 /* inappropriateAuth */);
    if (isConnectionLoss(ldapCode) || rc == ERR_TIMEOUT)
        return rc;
    return 0;
}

NWDSCCODE readConfig(LdapSession& session, ConfigSchema& out) {
    out = ConfigSchema{};
    LdapEntry root;
    std::string configDn = "cn=config";
    bool advertised = false;
    if (session.readEntry("", {"configContext"}, false, LdapSession::Deref::Never, root) == 0) {
        if (auto* v = root.find("configContext"); v != nullptr && !v->empty()) {
            configDn = v->front();
            advertised = true;
        }
    }
    out.schemaDn = "cn=schema," + configDn;
    const std::vector<std::string> attributes = {"cn", "olcAttributeTypes", "olcObjectClasses"};
    bool found = false;
    NWDSCCODE rc = session.search(
        out.schemaDn, 2, "(objectClass=olcSchemaConfig)", attributes, false,
        LdapSession::Deref::Never, [&](LdapEntry&& e) {
            found = true;
            if (auto* cn = e.find("cn"); cn != nullptr && !cn->empty()) {
                std::size_t position = 0;
                if (names::equalFolded(withoutPosition(cn->front(), position), kOwnEntry))
                    out.ownEntryDn = e.dn;
            }
            for (const char* attribute : {"olcAttributeTypes", "olcObjectClasses"}) {
                const auto* values = e.find(attribute);
                if (values == nullptr)
                    continue;
                for (const auto& v : *values) {
                    StoredDefinition s{e.dn, attribute, v, 0, {}};
                    const std::string_view text = withoutPosition(v, s.position);
                    if (schemastatements::parseDescription(keywordOf(attribute), text, s.parsed))
                        out.stored.push_back(std::move(s));
                }
            }
            return true;
        });
    // No schema entries at all: hidden from this identity, or a server that keeps its
    // configuration otherwise.
    if (rc == ERR_NO_SUCH_ENTRY || rc == ERR_NO_ACCESS || (rc == 0 && !found))
        return advertised ? ERR_NO_ACCESS : ERR_NOT_SUPPORTED;
    return rc;
}

NWDSCCODE add(LdapSession& session, const ConfigSchema& config, const std::string& attribute,
              const std::string& description) {
    if (config.subschema)
        return session.modify(config.schemaDn, {{LdapMod::Add, attribute, {description}}});
    if (config.ownEntryDn.empty()) {
        return session.add(std::string("cn=") + kOwnEntry + "," + config.schemaDn,
                           {{LdapMod::Add, "objectClass", {"olcSchemaConfig"}},
                            {LdapMod::Add, "cn", {kOwnEntry}},
                            {LdapMod::Add, attribute, {description}}});
    }
    return session.modify(config.ownEntryDn, {{LdapMod::Add, attribute, {description}}});
}

NWDSCCODE replace(LdapSession& session, const StoredDefinition& old,
                  const std::string& description) {
    // The configuration keeps each value at its position; a subschema entry has none.
    const std::string value = old.attribute.rfind("olc", 0) == 0
                                  ? "{" + std::to_string(old.position) + "}" + description
                                  : description;
    return session.modify(old.entryDn, {{LdapMod::Delete, old.attribute, {old.value}},
                                        {LdapMod::Add, old.attribute, {value}}});
}

NWDSCCODE remove(LdapSession& session, const StoredDefinition& old) {
    return session.modify(old.entryDn, {{LdapMod::Delete, old.attribute, {old.value}}});
}

std::string newOid(int kind, const std::vector<std::string>& descriptions) {
    const std::string prefix = std::string(kRunTimeArc) + "." + std::to_string(kind) + ".";
    unsigned long highest = 0;
    for (const auto& d : descriptions) {
        // "( oid ..." : the OID is the first word.
        std::size_t at = d.find_first_not_of(" (");
        if (at == std::string::npos || d.compare(at, prefix.size(), prefix) != 0)
            continue;
        at += prefix.size();
        std::size_t end = at;
        while (end < d.size() && std::isdigit(static_cast<unsigned char>(d[end])))
            ++end;
        if (end > at && end - at < 10)
            highest = std::max(highest, std::stoul(d.substr(at, end - at)));
    }
    return prefix + std::to_string(highest + 1);
}

std::string newLdapName(std::string_view directoryName,
                        const std::vector<std::string>& descriptions) {
    // camelCase: words joined, each but the first capitalised, the capitals that begin the
    // first word lower-cased ("EMail Address" becomes emailAddress).
    std::string base;
    bool upper = false, leading = true;
    for (char c : directoryName) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u)) {
            if (leading && std::isupper(u))
                c = char(std::tolower(u));
            else if (upper)
                c = char(std::toupper(u));
            leading = leading && std::isupper(u);
            base += c;
            upper = false;
        } else if (c == '-' && !base.empty()) {
            base += c;
            leading = false;
        } else {
            upper = !base.empty();
            leading = leading && base.empty();
        }
    }
    if (base.empty() || !std::isalpha(static_cast<unsigned char>(base.front())))
        base = "ds" + base;
    std::vector<std::string> taken;
    for (const auto& text : descriptions) {
        schemastatements::Definition d;
        if (schemastatements::parseDescription("any", text, d)) {
            for (const auto& n : d.values("NAME"))
                taken.push_back(names::fold(n));
        }
    }
    std::string name = base;
    for (int n = 2; std::find(taken.begin(), taken.end(), names::fold(name)) != taken.end(); ++n)
        name = base + "-" + std::to_string(n);
    return name;
}

bool refersTo(const schemastatements::Definition& d, std::initializer_list<const char*> keys,
              std::string_view name) {
    for (const char* key : keys) {
        for (const auto& v : d.values(key)) {
            if (names::equalFolded(v, name))
                return true;
        }
    }
    return false;
}

} // namespace schemaconfig
