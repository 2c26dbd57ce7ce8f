// The demo data folder itself: identifiers of the project's own, so that none of another
// owner's arcs or product strings drifts back in.
#include "client/embedded/EmbeddedDirectory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kProjectArc = "2.25.14728172303297623532114484959978199139.";

// Standard arcs the standard LDAP attributes, classes and syntaxes are numbered under.
const std::vector<std::string> kStandardArcs = {
    "2.5.4.",                      // X.520 attribute types
    "2.5.6.",                      // X.521 object classes
    "0.9.2342.19200300.100.1.",    // RFC 4519 / COSINE attribute types
    "1.3.6.1.4.1.1466.115.121.1.", // RFC 4517 LDAP syntaxes
    "2.16.840.1.113730.3.2.2",     // inetOrgPerson, RFC 2798
};

std::string contentOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool startsWithAny(const std::string& oid, const std::vector<std::string>& arcs) {
    for (const auto& arc : arcs) {
        if (oid.rfind(arc, 0) == 0)
            return true;
    }
    return false;
}

TEST(DemoDataFolder, EveryIdentifierIsTheProjectsOwnOrAStandardOne) {
    int files = 0;
    int ownOids = 0;
    const std::regex oid(R"(\b[0-2](\.[0-9]+){3,}\b)");
    for (const auto& entry : fs::recursive_directory_iterator(EmbeddedDirectory::demoDataDir())) {
        if (!entry.is_regular_file())
            continue;
        ++files;
        const std::string text = contentOf(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), oid), end; it != end; ++it) {
            const std::string found = it->str();
            if (found.rfind(kProjectArc, 0) == 0)
                ++ownOids;
            else
                EXPECT_TRUE(startsWithAny(found, kStandardArcs)) << found << " in " << entry.path();
        }
    }
    EXPECT_GE(files, 5);
    EXPECT_GT(ownOids, 100);
}

TEST(DemoDataFolder, DirectorySyntaxesAreNumberedUnderTheProjectsArc) {
    const std::string schema =
        contentOf(fs::path(EmbeddedDirectory::demoDataDir()) / "schema/base.schema");
    const std::regex syntax(R"(ldapsyntax \( ([0-9.]+) DESC '[^']*' X-NDS-ID '([0-9]+)')");
    int count = 0;
    for (std::sregex_iterator it(schema.begin(), schema.end(), syntax), end; it != end; ++it) {
        EXPECT_EQ((*it)[1].str(), kProjectArc + "1." + (*it)[2].str());
        ++count;
    }
    EXPECT_EQ(count, 29); // syntaxes 0 to 27 and the demo's own record syntax
    // Attribute types name a syntax of the project's or a standard LDAP syntax.
    const std::regex uses(R"(\sSYNTAX ([0-9.]+))");
    for (std::sregex_iterator it(schema.begin(), schema.end(), uses), end; it != end; ++it) {
        const std::string oid = (*it)[1].str();
        EXPECT_TRUE(oid.rfind(kProjectArc + "1.", 0) == 0 || startsWithAny(oid, kStandardArcs))
            << oid;
    }
}

TEST(DemoDataFolder, ServersCarryTheDemosOwnVersionText) {
    int servers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(EmbeddedDirectory::demoDataDir())) {
        if (entry.path().extension() != ".ldif")
            continue;
        std::istringstream lines(contentOf(entry.path()));
        bool inRecord = false;
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("dn:", 0) == 0)
                inRecord = true;
            if (inRecord && line.rfind("version:", 0) == 0) {
                EXPECT_EQ(line, "version: Ostrel Demo Server 1.0") << entry.path();
                ++servers;
            }
        }
    }
    EXPECT_GE(servers, 2);
}

} // namespace
