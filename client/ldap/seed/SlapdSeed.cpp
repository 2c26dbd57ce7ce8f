#include "SlapdSeed.h"

#include "AccessRules.h"
#include "client/common/Ldif.h"
#include "client/common/Names.h"
#include "client/common/TextFile.h"
#include "client/common/ValueText.h"
#include "client/ldap/LdapSettings.h"
#include "client/ldap/OstrelObjectClass.h"
#include "client/ldap/SchemaStatements.h"
#include "client/ldap/StoredDefinitions.h"
#include "ldif/Base64.h"
#include "ldif/LdifWriter.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace slapdseed {
namespace {

namespace fs = std::filesystem;
using schemastatements::Definition;

void writeAttr(std::ostream& out, std::string_view name, std::string_view value) {
    std::string line;
    ldif::appendLine(line, name, value);
    out << line;
}

struct ConfFile {
    std::vector<std::string> schemaFiles;
    std::vector<std::string> trees;                         // in order
    std::vector<std::pair<std::string, std::string>> loads; // tree, file
};

bool readConf(const std::string& dataDir, ConfFile& conf, std::string* error) {
    std::string text, why;
    if (!readRegularFile(dataDir + "/directory.conf", kMaxDataFileBytes, text, why)) {
        *error = dataDir + "/directory.conf " + why;
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, a, b;
        words >> kind >> a >> b;
        if (kind == "schema")
            conf.schemaFiles.push_back(a);
        else if (kind == "tree")
            conf.trees.push_back(a);
        else if (kind == "load")
            conf.loads.emplace_back(a, b);
    }
    return true;
}

// The first line of the password file; "" when none is named.
bool readPassword(const std::string& file, std::string& password, std::string* error) {
    password.clear();
    if (file.empty())
        return true;
    std::string text, why;
    if (!readRegularFile(file, LdapSettings::kMaxPasswordFileBytes, text, why)) {
        *error = "the password file " + file + " " + why;
        return false;
    }
    password = text.substr(0, text.find_first_of("\r\n"));
    std::fill(text.begin(), text.end(), '\0');
    return true;
}

// The ldapsyntax, attributetype and objectclass values of the schema entry.
bool schemaEntry(const std::vector<Definition>& defs, const std::set<std::string>& builtIn,
                 std::ostream& out) {
    out << "dn: cn=ostrel,cn=schema,cn=config\nobjectClass: olcSchemaConfig\ncn: ostrel\n";
    std::map<std::string, std::uint32_t> syntaxIds;
    for (auto d : defs) {
        if (d.keyword != "ldapsyntax" || builtIn.count(d.oid))
            continue;
        const std::uint32_t id = std::uint32_t(std::stoul("0" + d.first("X-NDS-ID")));
        syntaxIds[d.oid] = id;
        d.setQuoted("X-SUBST", {storeddefinitions::storageOf(id).syntax});
        writeAttr(out, "olcLdapSyntaxes", d.text());
    }
    for (auto d : defs) {
        if (d.keyword != "attributetype" || builtIn.count(d.oid))
            continue;
        // The server stores the value as a standard syntax; X-NDS-SYNTAX keeps the directory's.
        storeddefinitions::storeAttribute(d);
        writeAttr(out, "olcAttributeTypes", d.text());
    }
    std::map<std::string, const Definition*> auxiliary; // by folded LDAP name
    for (const auto& d : defs) {
        if (d.keyword == "objectclass" && d.has("AUXILIARY"))
            auxiliary[names::fold(d.first("NAME"))] = &d;
    }
    auto auxiliaryOf = [&](std::string_view name) -> const Definition* {
        auto it = auxiliary.find(names::fold(name));
        return it == auxiliary.end() ? nullptr : it->second;
    };
    for (auto d : defs) {
        if (d.keyword != "objectclass" || builtIn.count(d.oid))
            continue;
        storeddefinitions::storeClass(d, auxiliaryOf);
        writeAttr(out, "olcObjectClasses", d.text());
    }
    // What the directory lets every object hold and the server's own classes do not; Top's
    // optional attributes among it are read back as Top's, with no hints needed.
    std::vector<std::string> topOptional;
    for (const auto& d : defs) {
        if (d.keyword == "objectclass" && names::equalFolded(d.first("NAME"), "top"))
            topOptional = d.values("MAY");
    }
    // The demo's identities log in with a password, which the class lets every entry hold.
    auto allowed = ostrelobject::attributesFor(defs, builtIn);
    allowed.push_back("userPassword");
    writeAttr(out, "olcObjectClasses", ostrelobject::description(allowed, topOptional));
    out << "\n";
    return true;
}

// The top-level object a DN lies under ("o=Acme" for "cn=Admin,o=Acme").
std::string suffixOf(const std::string& dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return {};
    return parts.back().type + "=" + valuetext::escapeDnValue(parts.back().value);
}

bool holdsOstrelObject(const ldif::Record& r) {
    return std::any_of(r.attributes.begin(), r.attributes.end(), [](const auto& a) {
        return names::equalFolded(a.name, "objectClass") && ostrelobject::isThisClass(a.value);
    });
}

// The attribute names of the schema the access rules may use: every definition's LDAP name,
// reached by it or by the directory name; the naming attributes the client searches names
// by; those everyone reads.
accessrules::Attributes ruleAttributes(const std::vector<Definition>& defs) {
    accessrules::Attributes out;
    for (const auto& d : defs) {
        if (d.keyword != "attributetype" || d.first("NAME").empty())
            continue;
        const std::string name = d.first("NAME");
        out.ldapNames[names::fold(name)] = name;
        if (!d.first("X-NDS-NAME").empty())
            out.ldapNames.emplace(names::fold(d.first("X-NDS-NAME")), name);
        const auto& flags = d.values("X-NDS-FLAGS");
        if (std::find(flags.begin(), flags.end(), "PUBLIC-READ") != flags.end())
            out.publicRead.push_back(name);
    }
    auto addNaming = [&](std::string_view attr) {
        auto it = out.ldapNames.find(names::fold(attr));
        if (it != out.ldapNames.end() &&
            std::find(out.naming.begin(), out.naming.end(), it->second) == out.naming.end())
            out.naming.push_back(it->second);
    };
    // The client's own list of naming types, then those of the schema's classes.
    for (const char* standard : {"cn", "ou", "o", "l", "st", "c", "dc", "uid"})
        addNaming(standard);
    for (const auto& d : defs) {
        if (d.keyword == "objectclass") {
            for (const auto& a : d.values("X-NDS-NAMING"))
                addNaming(a);
        }
    }
    return out;
}

// The LDAP name of the attribute or class the directory calls `directoryName`.
std::string ldapNameOf(const std::vector<Definition>& defs, std::string_view keyword,
                       std::string_view directoryName) {
    for (const auto& d : defs) {
        if (d.keyword == keyword && names::equalFolded(d.first("X-NDS-NAME"), directoryName))
            return d.first("NAME");
    }
    return std::string(directoryName);
}

bool holdsAttribute(const ldif::Record& r, std::string_view name) {
    return std::any_of(r.attributes.begin(), r.attributes.end(),
                       [&](const auto& a) { return names::equalFolded(a.name, name); });
}

} // namespace

namespace {

// The global entry, the modules and the schema root: what comes before any schema entry.
std::string configHead() {
    return "dn: cn=config\nobjectClass: olcGlobal\ncn: config\n\n"
           "dn: cn=module{0},cn=config\nobjectClass: olcModuleList\ncn: module{0}\n"
           "olcModulePath: " OSTREL_SLAPD_MODULE_DIR "\nolcModuleLoad: back_mdb\n\n"
           "dn: cn=schema,cn=config\nobjectClass: olcSchemaConfig\ncn: schema\n\n";
}

std::string frontendAccess() {
    std::string out;
    for (const auto& rule : accessrules::frontendRules())
        out += "olcAccess: " + rule + "\n";
    return out;
}

// The frontend and the configuration database, after the schema (an access rule naming the
// administrator's DN needs the schema of its naming attributes).
std::string configDatabases(const std::string& externalRoot, const std::string& administrator) {
    // The administrator changes the schema at run time; nothing else of the configuration.
    std::string schemaAccess;
    if (!administrator.empty())
        schemaAccess = "olcAccess: to dn.subtree=\"cn=schema,cn=config\" by dn.exact=\"" +
                       administrator + "\" write by * none\n";
    return "dn: olcDatabase={-1}frontend,cn=config\nobjectClass: olcDatabaseConfig\n"
           "objectClass: olcFrontendConfig\nolcDatabase: {-1}frontend\n"
           "olcSizeLimit: unlimited\n" +
           frontendAccess() +
           "\n"
           "dn: olcDatabase={0}config,cn=config\nobjectClass: olcDatabaseConfig\n"
           "olcDatabase: {0}config\nolcRootDN: " +
           externalRoot + "\n" + schemaAccess + "\n";
}

} // namespace

std::string bareConfig(const std::string& externalRoot) {
    return configHead() + configDatabases(externalRoot, {});
}

std::set<std::string> oidsOfSubschemaDump(const std::string& ldif) {
    // One value a line (ldapsearch -o ldif-wrap=no), plain or in base64.
    std::set<std::string> oids;
    std::istringstream lines(ldif);
    std::string line;
    while (std::getline(lines, line)) {
        const auto colon = line.find(':');
        if (colon == std::string::npos || line.rfind("dn:", 0) == 0)
            continue;
        std::string value;
        if (line.compare(colon, 2, "::") == 0) {
            auto decoded = base64::decode(std::string_view(line).substr(colon + 2));
            if (!decoded)
                continue;
            value = *decoded;
        } else {
            value = line.substr(colon + 1);
        }
        Definition d;
        if (schemastatements::parseDescription("any", value, d))
            oids.insert(d.oid);
    }
    return oids;
}

bool write(const Options& options, std::string* error) {
    std::string why;
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = what;
        return false;
    };
    ConfFile conf;
    if (!readConf(options.dataDir, conf, &why))
        return fail(why);
    std::string password;
    if (!readPassword(options.passwordFile, password, &why))
        return fail(why);
    std::vector<Definition> defs;
    for (const auto& file : conf.schemaFiles) {
        std::string text;
        const std::string path = options.dataDir + "/" + file;
        if (!readRegularFile(path, kMaxDataFileBytes, text, why))
            return fail("the schema file " + path + " " + why);
        if (!schemastatements::parseFile(text, defs, &why))
            return fail(file + ": " + why);
    }

    // Records by tree, then by top-level object: one database each.
    std::vector<std::pair<std::string, std::string>> loads = conf.loads;
    for (const auto& extra : options.extraLdif) {
        const auto eq = extra.find('=');
        if (eq == std::string::npos)
            return fail(extra + ": expected TREE=file.ldif");
        loads.emplace_back(extra.substr(0, eq), extra.substr(eq + 1));
    }
    std::map<std::string, std::vector<std::string>> basesOfTree;
    std::vector<std::string> suffixes;
    std::map<std::string, std::string> treeOfSuffix;
    std::map<std::string, std::ostringstream> databases;
    // What the access rules are made from: each object's ACL and Security Equals values.
    std::map<std::string, std::vector<accessrules::Object>> aclObjects; // by tree
    const std::string aclName = ldapNameOf(defs, "attributetype", "ACL");
    const std::string equalsName = ldapNameOf(defs, "attributetype", "Security Equals");
    const std::string userClass = ldapNameOf(defs, "objectclass", "User");
    for (const auto& load : loads) {
        // Named apart: the record handler below captures them.
        const std::string& tree = load.first;
        const std::string& file = load.second;
        const fs::path path =
            fs::path(file).is_absolute() ? fs::path(file) : fs::path(options.dataDir) / file;
        // Read a block at a time and written a record at a time: a large file is never held
        // whole as records.
        const auto each = [&](const ldif::Record& r) -> bool {
            accessrules::Object object{r.dn, {}, {}};
            for (const auto& a : r.attributes) {
                if (names::equalFolded(a.name, aclName))
                    object.acl.push_back(a.value);
                else if (names::equalFolded(a.name, equalsName))
                    object.securityEquals.push_back(a.value);
            }
            aclObjects[tree].push_back(std::move(object));
            if (r.dn.empty())
                return true; // [Root] itself: the server's root entry holds no data
            std::vector<valuetext::DnComponent> parts;
            if (!valuetext::splitDn(r.dn, parts) || parts.empty()) {
                why = path.string() + ": bad DN " + r.dn;
                return false;
            }
            const std::string suffix = suffixOf(r.dn);
            if (!databases.count(suffix)) {
                suffixes.push_back(suffix);
                basesOfTree[tree].push_back(suffix);
                treeOfSuffix[suffix] = tree;
            }
            std::ostream& out = databases[suffix];
            writeAttr(out, "dn", r.dn);
            // The naming value belongs to the entry even where the data leaves it implied.
            bool hasNaming = false;
            for (const auto& a : r.attributes) {
                hasNaming = hasNaming || (names::equalFolded(a.name, parts.front().type) &&
                                          names::equalFolded(a.value, parts.front().value));
            }
            if (!hasNaming)
                writeAttr(out, parts.front().type, parts.front().value);
            // The classes together, the project's own with them: slapadd keeps values of one
            // attribute apart when other attributes come between them.
            for (const auto& a : r.attributes) {
                if (names::equalFolded(a.name, "objectClass"))
                    writeAttr(out, a.name, a.value);
            }
            if (!holdsOstrelObject(r))
                writeAttr(out, "objectClass", ostrelobject::kLdapName);
            for (const auto& a : r.attributes) {
                if (!names::equalFolded(a.name, "objectClass"))
                    writeAttr(out, a.name, a.value);
            }
            // Loaded without schema checks, an entry gets no structural class from slapadd,
            // and slapd refuses every later modify of it; with one class it is that one.
            int classes = 0;
            bool structural = false;
            std::string onlyClass;
            for (const auto& a : r.attributes) {
                if (names::equalFolded(a.name, "objectClass") &&
                    !ostrelobject::isThisClass(a.value)) {
                    ++classes;
                    onlyClass = a.value;
                }
                structural = structural || names::equalFolded(a.name, "structuralObjectClass");
            }
            if (classes == 1 && !structural)
                writeAttr(out, "structuralObjectClass", onlyClass);
            // Every User logs in with the demo's password, unless the data gives it its own.
            const bool user = std::any_of(r.attributes.begin(), r.attributes.end(), [&](auto& a) {
                return names::equalFolded(a.name, "objectClass") &&
                       names::equalFolded(a.value, userClass);
            });
            if (user && !password.empty() && !holdsAttribute(r, "userPassword"))
                writeAttr(out, "userPassword", password);
            out << "\n";
            return true;
        };
        ldif::DataFileReader reader(
            ldif::Source{path.string(), path.parent_path().string(), options.dataDir},
            [&](ldif::Record& r) { return each(r); }, &why);
        std::string readWhy;
        const bool loaded =
            readDataFileInPieces(
                path.parent_path().string(), path.string(),
                [&](std::string_view piece) { return reader.feed(piece); }, readWhy) &&
            reader.finish();
        if (!loaded && !readWhy.empty())
            return fail("the LDIF file " + path.string() + " " + readWhy);
        if (!loaded)
            return fail(why);
    }

    std::error_code ec;
    fs::create_directories(options.outDir, ec);
    std::ofstream config(options.outDir + "/config.ldif");
    config << configHead();
    schemaEntry(defs, options.builtInOids, config);
    config << configDatabases(options.externalRoot, password.empty() ? "" : options.administrator);
    const accessrules::Attributes ruleNames = ruleAttributes(defs);
    for (std::size_t i = 0; i < suffixes.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        config << "dn: olcDatabase={" << n << "}mdb,cn=config\nobjectClass: olcDatabaseConfig\n"
               << "objectClass: olcMdbConfig\nolcDatabase: {" << n << "}mdb\n"
               << "olcDbDirectory: " << options.outDir << "/db" << n << "\n";
        writeAttr(config, "olcSuffix", suffixes[i]);
        // The database goes with the server's folder: its writes need not wait for the disk.
        config << "olcDbMaxSize: 1073741824\nolcDbNoSync: TRUE\n";
        // No root DN: the administrator's rights, like everyone's, come from the ACLs.
        const auto& objects = aclObjects[treeOfSuffix[suffixes[i]]];
        for (const auto& rule : accessrules::databaseRules(objects, suffixes[i], ruleNames))
            writeAttr(config, "olcAccess", rule);
        config << "\n";
        fs::create_directories(options.outDir + "/db" + n, ec);
        std::ofstream(options.outDir + "/db" + n + ".ldif") << databases[suffixes[i]].str();
    }
    if (!config)
        return fail(options.outDir + "/config.ldif: cannot be written");

    std::ofstream trees(options.outDir + "/trees.conf");
    trees << "# Trees of the private server: tree <name> <URI>, then base <DN> lines.\n";
    for (const auto& tree : conf.trees) {
        trees << "tree " << tree << " " << options.uri << "\n";
        for (const auto& base : basesOfTree[tree])
            trees << "base " << base << "\n";
    }
    std::ofstream(options.outDir + "/databases") << suffixes.size() << "\n";
    return true;
}

} // namespace slapdseed
