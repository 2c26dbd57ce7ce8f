// LDIF export and import on the embedded directory, compared entry by entry through the seam:
// what an export writes loads back unchanged into a data folder and through an import, for
// every syntax of the demo data, binary values, names with special characters and a subtree
// of 10,000 objects.
#include "DirectoryImage.h"
#include "TransferSupport.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "ldif/LdifExport.h"
#include "ldif/LdifImport.h"
#include "tests/support/PageContext.h"
#include "tests/support/TestFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class EmbeddedTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        source = EmbeddedDirectory::openDemo();
        target = EmbeddedDirectory::openDemo();
        ASSERT_TRUE(source && target);
        sourceContext = pageContextOn(*source, "ACME_TREE", ROOT_NAME);
        targetContext = pageContextOn(*target, "ACME_TREE", ROOT_NAME);
    }
    void TearDown() override {
        source->NWDSFreeContext(sourceContext);
        target->NWDSFreeContext(targetContext);
        EXPECT_EQ(source->outstandingResources(), ClientResourceCounts{});
        EXPECT_EQ(target->outstandingResources(), ClientResourceCounts{});
    }

    std::unique_ptr<EmbeddedDirectory> source, target;
    NWDSContextHandle sourceContext = NO_CONTEXT, targetContext = NO_CONTEXT;
};

TEST_F(EmbeddedTransfer, AnObjectIsWrittenInTheTextFormsOfTheDemoData) {
    const std::string text = exportText(*source, sourceContext, "Demo.Sales.Acme", DS_SEARCH_ENTRY);
    EXPECT_TRUE(text.starts_with("version: 1\n\ndn: cn=Demo,ou=Sales,o=Acme\n"
                                 "objectClass: inetOrgPerson\n"))
        << text;
    for (const char* line :
         {"\ntelephoneNumber: +1 555 0220\n", "\nloginDisabled: FALSE\n",
          "\nminimumAccountBalance: -1\n", "\nlanguage: ENGLISH$FRENCH$GERMAN\n",
          "\nnetworkAddress: 1#0000C0A8010A\n", "\naccessCardNumbers: 0102030405$A0B0C0\n",
          "\nhomeDirectory: 0#cn=ACME-FS1_SYS,o=Acme#\\USERS\\DEMO\n",
          "\nACL: 3#subtree#cn=Jane,ou=Sales,o=Acme#[Entry Rights]\n",
          "\nACL: 35#subtree#cn=Admin,o=Acme#telephoneNumber\n",
          "\npartitionCreationTime: 19960817123000Z#5\n", "\nlastLoginTime: 19700101000000Z\n",
          "\nbackLink: 305419896#cn=ACME-FS1,o=Acme\n", "\nnotify: 1#3600#cn=Admin,o=Acme\n",
          // octet strings and a syntax the directory does not know go in base64
          "\nphoto:: QUJDREVGR0hJSktMTU5PUFFSU1Q=\n", "\npublicKey:: MIIAf4D/QUIAAX4g\n",
          "\nacmeBadgeRecord:: rE1FAAAqAQI=\n",
          // a stream with its content, which is no safe text
          "\nloginScript:: "}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    }
    // No line is longer than 76 columns; the long replica value is folded.
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);)
        EXPECT_LE(l.size(), 76u) << l;
    const std::string replica =
        "cn=ACME-FS2,o=Acme#1#2#0:0A000002002B3C4D5E060451#1:0000C0A8010B#9:0C1F0A0000060451";
    EXPECT_EQ(text.find(replica), std::string::npos) << "folded";
    std::vector<ldif::Record> records;
    std::string error;
    ASSERT_TRUE(ldif::read(text, {"demo.ldif", {}}, records, &error)) << error;
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(std::count_if(records[0].attributes.begin(), records[0].attributes.end(),
                            [&](const ldif::Attribute& a) { return a.value == replica; }),
              1);
    EXPECT_EQ(text.find("\nobjectClass:", text.find("objectClass:") + 1), std::string::npos)
        << "one objectClass line: the class's own";
}

TEST_F(EmbeddedTransfer, TheWholeTreeLoadsBackIntoADataFolderUnchanged) {
    const fs::path dir = freshTestFolder("ostrel-ldif-tree");
    fs::create_directories(dir / "schema");
    fs::copy_file(EmbeddedDirectory::demoDataDir() + "/schema/base.schema",
                  dir / "schema/base.schema");
    std::ofstream(dir / "directory.conf") << "schema schema/base.schema\n"
                                             "tree ACME_TREE ACME-FS1 ACME-FS2\n"
                                             "load ACME_TREE acme.ldif\n";
    ldifexport::Selection all{ROOT_NAME, DS_SEARCH_SUBTREE, {}};
    const auto result = ldifexport::writeFile(*source, sourceContext, all, (dir / "acme.ldif"));
    ASSERT_TRUE(result.ok()) << result.failure.call << " " << result.fileProblem;

    std::string error;
    auto loaded = EmbeddedDirectory::open({dir.string(), "Admin.Acme"}, &error);
    ASSERT_NE(loaded, nullptr) << error;
    NWDSContextHandle loadedContext = pageContextOn(*loaded, "ACME_TREE", ROOT_NAME);
    DirectoryImage want, got;
    ASSERT_EQ(imageOf(*source, sourceContext, ROOT_NAME, want), 0);
    ASSERT_EQ(imageOf(*loaded, loadedContext, ROOT_NAME, got), 0);
    EXPECT_EQ(result.objects, want.size());
    expectSameImages(want, got);
    loaded->NWDSFreeContext(loadedContext);
    fs::remove_all(dir);
}

// A stream's content travels in the add request, which holds 4 KiB: the demo's login script of
// Demo.Sales.Acme is longer, and that record is refused whole.
TEST_F(EmbeddedTransfer, AStreamLongerThanARequestRefusesItsRecord) {
    const std::string exported =
        exportText(*source, sourceContext, "Demo.Sales.Acme", DS_SEARCH_ENTRY);
    ASSERT_EQ(importText(*target, targetContext, deletesFor(exported)).refused.size(), 0u);
    const auto report = importText(*target, targetContext, exported);
    ASSERT_EQ(report.refused.size(), 1u);
    EXPECT_EQ(ldifimport::reportText(report),
              "0 records applied, 1 refused.\nline 3: putAttrValText returned: FED0\n");
    DirectoryImage gone;
    EXPECT_NE(imageOf(*target, targetContext, "Demo.Sales.Acme", gone), 0);
}

TEST_F(EmbeddedTransfer, ASubtreeRemovedAndImportedAgainIsAsItWas) {
    // Every syntax of the demo data is held by Demo.Sales.Acme, below Sales; its login script
    // made one that fits a request.
    shortenLoginScript(*source, "Demo.Sales.Acme");
    const std::string exported =
        exportText(*source, sourceContext, "Sales.Acme", DS_SEARCH_SUBTREE);
    ASSERT_EQ(importText(*target, targetContext, deletesFor(exported)).refused.size(), 0u);
    DirectoryImage gone;
    EXPECT_NE(imageOf(*target, targetContext, "Sales.Acme", gone), 0);

    const auto report = importText(*target, targetContext, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    EXPECT_EQ(report.applied, 9u);
    DirectoryImage want, got;
    ASSERT_EQ(imageOf(*source, sourceContext, "Sales.Acme", want), 0);
    ASSERT_EQ(imageOf(*target, targetContext, "Sales.Acme", got), 0);
    expectSameImages(want, got);
}

TEST_F(EmbeddedTransfer, NamesWithSpecialCharactersGoThereAndBack) {
    const auto made = importText(*source, sourceContext, kSpecialNames);
    ASSERT_TRUE(made.allApplied()) << ldifimport::reportText(made);
    const std::string exported =
        exportText(*source, sourceContext, "Special\\.Names.Acme", DS_SEARCH_SUBTREE);
    for (const char* dn :
         {"dn: cn=Smith\\, John,ou=Special.Names,o=Acme", "dn: cn=A\\+B,ou=Special.Names,o=Acme",
          "dn: cn=x\\=y,", "dn: cn=\\\"Quoted\\\",", "dn:: "})
        EXPECT_NE(exported.find(dn), std::string::npos) << dn << "\n" << exported;

    const auto report = importText(*target, targetContext, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    DirectoryImage want, got;
    ASSERT_EQ(imageOf(*source, sourceContext, "Special\\.Names.Acme", want), 0);
    ASSERT_EQ(imageOf(*target, targetContext, "Special\\.Names.Acme", got), 0);
    EXPECT_EQ(want.size(), 7u);
    expectSameImages(want, got);
}

TEST_F(EmbeddedTransfer, TenThousandObjectsGoThereAndBack) {
    DirectoryModel& model = source->model();
    ASSERT_EQ(model.addObject("Acme", "Many", "Organizational Unit"), 0);
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        ASSERT_EQ(model.addObject("Many.Acme", "Person" + n, "User",
                                  {{"Surname", {"Surname " + n}},
                                   {"Telephone Number", {"+1 555 " + n}},
                                   {"Photo", {std::string("\0\x01\xFF", 3) + n}}}),
                  0);
    }
    std::size_t shown = 0;
    const std::string exported =
        exportText(*source, sourceContext, "Many.Acme", DS_SEARCH_SUBTREE, &shown);
    EXPECT_EQ(shown, 10001u);
    const auto report = importText(*target, targetContext, exported);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    EXPECT_EQ(report.applied, 10001u);
    DirectoryImage want, got;
    ASSERT_EQ(imageOf(*source, sourceContext, "Many.Acme", want), 0);
    ASSERT_EQ(imageOf(*target, targetContext, "Many.Acme", got), 0);
    EXPECT_EQ(got.size(), 10001u);
    expectSameImages(want, got);
}

} // namespace
