#include "LdapSettings.h"

#include "client/common/Names.h"
#include "client/common/TextFile.h"
#include "directory/Codes.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <type_traits>

SettingSource environmentSettings() {
    return [](const char* name) -> std::optional<std::string> {
        const char* v = std::getenv(name);
        if (v == nullptr || *v == '\0')
            return std::nullopt;
        return std::string(v);
    };
}

std::string hostOfUri(std::string_view uri) {
    const auto scheme = uri.find("://");
    if (scheme == std::string_view::npos)
        return {};
    if (uri.substr(0, scheme) == "ldapi")
        return {};
    std::string_view rest = uri.substr(scheme + 3);
    rest = rest.substr(0, rest.find('/'));
    if (!rest.empty() && rest.front() == '[') // [v6 address]:port
        return std::string(rest.substr(1, rest.find(']') - 1));
    return std::string(rest.substr(0, rest.find(':')));
}

std::string treeNameOfHost(std::string_view host) {
    std::string name;
    for (unsigned char c : host)
        name += std::isalnum(c) ? char(std::toupper(c)) : '_';
    if (name.empty())
        name = "LOCAL_TREE";
    return name.substr(0, MAX_TREE_NAME_CHARS);
}

bool parseTreesFile(std::string_view text, std::vector<LdapTreeSetting>& out, std::string* error) {
    std::istringstream lines{std::string(text)};
    std::string line;
    int number = 0;
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = "line " + std::to_string(number) + ": " + what;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::istringstream words(line.substr(first));
        std::string kind;
        words >> kind;
        if (kind == "tree") {
            LdapTreeSetting tree;
            words >> tree.name >> tree.uri;
            if (tree.name.empty() || tree.uri.empty())
                return fail("expected: tree NAME URI");
            if (tree.name.size() > MAX_TREE_NAME_CHARS)
                return fail("tree name longer than 32 characters");
            for (const auto& known : out) {
                if (names::equalFolded(known.name, tree.name))
                    return fail("tree " + tree.name + " is named a second time");
            }
            out.push_back(std::move(tree));
        } else if (kind == "base") {
            if (out.empty())
                return fail("base before the first tree");
            std::string dn;
            std::getline(words >> std::ws, dn);
            while (!dn.empty() && (dn.back() == ' ' || dn.back() == '\r'))
                dn.pop_back();
            if (dn.empty())
                return fail("expected: base DN");
            out.back().bases.push_back(dn);
        } else {
            return fail("unknown line '" + kind + "'");
        }
    }
    return true;
}

bool readLdapSettings(const SettingSource& source, const std::string& defaultUri, LdapSettings& out,
                      std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = what;
        return false;
    };
    out = LdapSettings{};
    if (auto file = source("OSTREL_LDAP_TREES")) {
        std::string text, why;
        if (!readRegularFile(*file, kMaxDataFileBytes, text, why))
            return fail("the trees file " + *file + " " + why);
        if (!parseTreesFile(text, out.trees, &why))
            return fail(*file + ": " + why);
        if (out.trees.empty())
            return fail(*file + ": names no tree");
    } else {
        LdapTreeSetting tree;
        tree.uri = source("LDAPURI").value_or(defaultUri);
        // ldap.conf may list several URIs; the first is the server.
        tree.uri = tree.uri.substr(0, tree.uri.find_first_of(" \t,"));
        if (tree.uri.empty())
            return fail("no LDAP server: set LDAPURI, the URI of ldap.conf or OSTREL_LDAP_TREES");
        tree.name = source("OSTREL_LDAP_TREE").value_or(treeNameOfHost(hostOfUri(tree.uri)));
        if (tree.name.size() > MAX_TREE_NAME_CHARS)
            return fail("OSTREL_LDAP_TREE: longer than 32 characters");
        if (auto base = source("LDAPBASE"))
            tree.bases.push_back(*base);
        out.trees.push_back(std::move(tree));
    }
    out.bindDn = source("LDAPBINDDN").value_or("");
    out.identity = source("OSTREL_IDENTITY").value_or("");
    out.passwordFile = source("OSTREL_LDAP_PASSWORD_FILE").value_or("");
    if (auto ca = source("LDAPTLS_CACERT")) {
        std::string certificates, why;
        if (!readRegularFile(*ca, LdapSettings::kMaxCaFileBytes, certificates, why))
            return fail("the CA file " + *ca + " " + why);
        out.caCertFile = *ca;
    }
    const std::string startTls = source("OSTREL_LDAP_STARTTLS").value_or("no");
    if (startTls != "yes" && startTls != "no")
        return fail("OSTREL_LDAP_STARTTLS: expected yes or no");
    out.startTls = startTls == "yes";
    out.schemaHints = source("OSTREL_LDAP_SCHEMA").value_or("");
    // A whole number within bounds, or a message that names the setting and the bounds.
    auto number = [&](const char* name, long long low, long long high, auto& into) {
        const auto text = source(name);
        if (!text)
            return true;
        const bool digits = !text->empty() && text->size() <= 10 &&
                            std::all_of(text->begin(), text->end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
        const long long value = digits ? std::stoll(*text) : 0;
        if (value < low || value > high)
            return fail(std::string(name) + ": expected a number from " + std::to_string(low) +
                        " to " + std::to_string(high));
        into = static_cast<std::remove_reference_t<decltype(into)>>(value);
        return true;
    };
    if (!number("OSTREL_LDAP_TIMEOUT", 1, LdapSettings::kMaxTimeoutSeconds, out.timeoutSeconds))
        return false;
    if (!number("OSTREL_LDAP_OPERATION_TIMEOUT", 1, 24 * 3600, out.operationSeconds))
        return false;
    if (!number("OSTREL_LDAP_MAX_ENTRIES", 1, 100000000, out.maxEntries))
        return false;
    return true;
}
