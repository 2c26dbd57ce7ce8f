// LDIF export and import on a private slapd, compared entry by entry through the seam with
// the embedded directory: the LDAP client writes the same text, an export imported into
// slapd holds what the embedded directory holds (every syntax of the demo data, binary
// values, names with special characters, 10,000 objects), an export seeds a slapd unchanged,
// and refusals leave objects as they were.
#include "LdapFixture.h"
#include "tests/ldif/DirectoryImage.h"
#include "tests/ldif/TransferSupport.h"
#include "tests/support/TestFolder.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class LdifTransfer : public SharedSlapd<> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        std::string error;
        ldap = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldap, nullptr) << error;
        embedded = EmbeddedDirectory::openDemo();
        ASSERT_NE(embedded, nullptr);
        l = pageContext(*ldap);
        e = pageContext(*embedded);
    }
    void TearDown() override {
        if (ldap) {
            ldap->NWDSFreeContext(l);
            EXPECT_EQ(ldap->outstandingResources(), ClientResourceCounts{});
        }
        if (embedded)
            embedded->NWDSFreeContext(e);
    }
    // Both directories' images of a subtree, which must be the same.
    void expectSameSubtree(const std::string& base) {
        DirectoryImage want, got;
        ASSERT_EQ(imageOf(*embedded, e, base, want), 0) << base;
        ASSERT_EQ(imageOf(*ldap, l, base, got), 0) << base;
        EXPECT_EQ(got.size(), want.size());
        expectSameImages(want, got);
    }

    std::unique_ptr<LdapDirectory> ldap;
    std::unique_ptr<EmbeddedDirectory> embedded;
    NWDSContextHandle l = NO_CONTEXT, e = NO_CONTEXT;
};

// Records by DN with their lines sorted: what the text says, whatever the order of writing.
std::map<std::string, std::vector<std::string>> recordsOf(const std::string& text) {
    std::vector<ldif::Record> records;
    std::string error;
    EXPECT_TRUE(ldif::read(text, {"export.ldif", {}}, records, &error)) << error;
    std::map<std::string, std::vector<std::string>> out;
    for (const auto& r : records) {
        auto& lines = out[r.dn];
        for (const auto& a : r.attributes)
            lines.push_back(a.name + ": " + a.value);
        std::sort(lines.begin(), lines.end());
    }
    return out;
}

TEST_F(LdifTransfer, TheLdapClientWritesWhatTheEmbeddedDirectoryWrites) {
    for (const char* base : {"Acme", "Test"}) {
        SCOPED_TRACE(base);
        const char* tree = std::string(base) == "Test" ? "TEST_TREE" : "ACME_TREE";
        NWDSContextHandle lt = pageContext(*ldap, tree), et = pageContext(*embedded, tree);
        const std::string fromLdap = exportText(*ldap, lt, base, DS_SEARCH_SUBTREE);
        const std::string fromEmbedded = exportText(*embedded, et, base, DS_SEARCH_SUBTREE);
        const auto want = recordsOf(fromEmbedded);
        const auto got = recordsOf(fromLdap);
        EXPECT_GT(want.size(), 4u);
        EXPECT_EQ(got, want);
        ldap->NWDSFreeContext(lt);
        embedded->NWDSFreeContext(et);
    }
}

TEST_F(LdifTransfer, ASubtreeImportedIntoSlapdHoldsWhatTheEmbeddedDirectoryHolds) {
    // Every syntax of the demo data is held by Demo.Sales.Acme, below Sales; its login script
    // made one that fits a request.
    shortenLoginScript(*embedded, "Demo.Sales.Acme");
    const std::string exported = exportText(*embedded, e, "Sales.Acme", DS_SEARCH_SUBTREE);
    const auto removed = importText(*ldap, l, deletesFor(exported));
    ASSERT_TRUE(removed.allApplied()) << ldifimport::reportText(removed);
    const auto report = importText(*ldap, l, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    EXPECT_EQ(report.applied, 9u);
    expectSameSubtree("Sales.Acme");
}

TEST_F(LdifTransfer, NamesWithSpecialCharactersGoThereAndBack) {
    for (DirectoryClient* client : {static_cast<DirectoryClient*>(embedded.get()),
                                    static_cast<DirectoryClient*>(ldap.get())}) {
        const auto made = importText(*client, client == ldap.get() ? l : e, kSpecialNames);
        ASSERT_TRUE(made.allApplied()) << ldifimport::reportText(made);
    }
    expectSameSubtree("Special\\.Names.Acme");
    // Out of slapd and back into it.
    const std::string exported = exportText(*ldap, l, "Special\\.Names.Acme", DS_SEARCH_SUBTREE);
    EXPECT_EQ(recordsOf(exported),
              recordsOf(exportText(*embedded, e, "Special\\.Names.Acme", DS_SEARCH_SUBTREE)));
    ASSERT_TRUE(importText(*ldap, l, deletesFor(exported)).allApplied());
    const auto report = importText(*ldap, l, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    expectSameSubtree("Special\\.Names.Acme");
    ASSERT_TRUE(importText(*ldap, l, deletesFor(exported)).allApplied());
}

TEST_F(LdifTransfer, TenThousandObjectsGoIntoSlapd) {
    DirectoryModel& model = embedded->model();
    ASSERT_EQ(model.addObject("Acme", "Many", "Organizational Unit"), 0);
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        ASSERT_EQ(model.addObject("Many.Acme", "Person" + n, "User",
                                  {{"Surname", {"Surname " + n}},
                                   {"Telephone Number", {"+1 555 " + n}},
                                   {"Photo", {std::string("\0\x01\xFF", 3) + n}}}),
                  0);
    }
    const std::string exported = exportText(*embedded, e, "Many.Acme", DS_SEARCH_SUBTREE);
    const auto report = importText(*ldap, l, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    EXPECT_EQ(report.applied, 10001u);
    expectSameSubtree("Many.Acme");
    // And out of slapd again, as the embedded directory writes it.
    EXPECT_EQ(recordsOf(exportText(*ldap, l, "Many.Acme", DS_SEARCH_SUBTREE)), recordsOf(exported));
    ASSERT_TRUE(importText(*ldap, l, deletesFor(exported)).allApplied());
}

TEST_F(LdifTransfer, RefusalsLeaveSlapdAsItWasAndSayWhatTheServerSaid) {
    DirectoryImage before;
    ASSERT_EQ(imageOf(*ldap, l, "Sales.Acme", before), 0);
    const std::string text = "dn: cn=Jane,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Doe\n"
                             "\n"
                             "dn: cn=Jane,ou=Sales,o=Acme\n"
                             "changetype: modify\n"
                             "replace: title\n"
                             "title: Director\n"
                             "-\n"
                             "delete: telephoneNumber\n"
                             "telephoneNumber: +1 555 9999\n"
                             "-\n"
                             "\n"
                             "dn: cn=Nobody,ou=Sales,o=Acme\n"
                             "changetype: delete\n";
    const auto report = importText(*ldap, l, text);
    ASSERT_EQ(report.refused.size(), 3u) << ldifimport::reportText(report);
    const std::string shown = ldifimport::reportText(report);
    EXPECT_TRUE(shown.starts_with("0 records applied, 3 refused.\n"
                                  "line 1: NWDSAddObject returned: FDA2\n"))
        << shown;
    EXPECT_NE(shown.find("line 5: NWDSModifyObject returned: FDA6\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("line 14: NWDSRemoveObject returned: FDA7\n"), std::string::npos) << shown;
    DirectoryImage after;
    ASSERT_EQ(imageOf(*ldap, l, "Sales.Acme", after), 0);
    expectSameImages(before, after);
}

// The embedded directory's whole tree, exported into a data folder, seeds a slapd that holds
// what the embedded directory holds.
TEST(LdifSeed, AnExportSeedsASlapdUnchanged) {
    auto demo = EmbeddedDirectory::openDemo();
    ASSERT_NE(demo, nullptr);
    NWDSContextHandle e = pageContext(*demo);
    const fs::path dir = freshTestFolder("ostrel-ldif-seed");
    fs::create_directories(dir / "schema");
    fs::copy_file(EmbeddedDirectory::demoDataDir() + "/schema/base.schema",
                  dir / "schema/base.schema");
    std::ofstream(dir / "directory.conf") << "schema schema/base.schema\n"
                                             "tree ACME_TREE ACME-FS1 ACME-FS2\n"
                                             "load ACME_TREE acme.ldif\n";
    const auto written = ldifexport::writeFile(*demo, e, {ROOT_NAME, DS_SEARCH_SUBTREE, {}},
                                               (dir / "acme.ldif").string());
    ASSERT_TRUE(written.ok()) << written.failure.call << " " << written.fileProblem;

    SlapdServer::Options options;
    options.dataDir = dir.string();
    SlapdServer seeded(options);
    ASSERT_TRUE(seeded.running()) << seeded.failure();
    std::string error;
    auto ldap = LdapDirectory::open(ldapOptionsFor(seeded), &error);
    ASSERT_NE(ldap, nullptr) << error;
    NWDSContextHandle l = pageContext(*ldap);
    for (const char* top : {"Acme", "US"}) {
        DirectoryImage want, got;
        ASSERT_EQ(imageOf(*demo, e, top, want), 0);
        ASSERT_EQ(imageOf(*ldap, l, top, got), 0);
        EXPECT_EQ(got.size(), want.size());
        expectSameImages(want, got);
    }
    ldap->NWDSFreeContext(l);
    demo->NWDSFreeContext(e);
    fs::remove_all(dir);
}

} // namespace
