// Import on the embedded directory, record by record: each kind of change record, refusals
// reported with their line, the call and the code, nothing half-applied, and a file that does
// not parse changing nothing.
#include "DirectoryImage.h"
#include "TransferSupport.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "tests/support/PageContext.h"
#include "tests/support/TestFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

class ImportRecords : public ::testing::Test {
protected:
    void SetUp() override {
        demo = EmbeddedDirectory::openDemo();
        ASSERT_TRUE(demo);
        ctx = pageContextOn(*demo, "ACME_TREE", "Sales.Acme");
    }
    void TearDown() override {
        demo->NWDSFreeContext(ctx);
        EXPECT_EQ(demo->outstandingResources(), ClientResourceCounts{});
    }
    DirectoryImage image(const std::string& base = "Acme") {
        DirectoryImage out;
        EXPECT_EQ(imageOf(*demo, ctx, base, out), 0);
        return out;
    }
    std::vector<std::string> values(const std::string& object, const std::string& attribute) {
        DirectoryImage one;
        if (imageOf(*demo, ctx, object, one) != 0)
            return {"(no object)"};
        auto& attrs = one.begin()->second.attributes;
        auto it = attrs.find(attribute);
        return it == attrs.end() ? std::vector<std::string>{} : it->second.values;
    }

    std::unique_ptr<EmbeddedDirectory> demo;
    NWDSContextHandle ctx = NO_CONTEXT;
};

TEST_F(ImportRecords, EachKindOfRecordIsOneChange) {
    const std::string text = "dn: cn=Ann,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Lee\n"
                             "title: Clerk\n"
                             "title: Cashier\n"
                             "\n"
                             "dn: cn=Ann,ou=Sales,o=Acme\n"
                             "changetype: modify\n"
                             "add: telephoneNumber\n"
                             "telephoneNumber: +1 555 0300\n"
                             "-\n"
                             "replace: title\n"
                             "title: Clerk\n"
                             "title: Buyer\n"
                             "-\n"
                             "delete: sn\n"
                             "sn: Lee\n"
                             "-\n"
                             "add: sn\n"
                             "sn: Lee-Smith\n"
                             "-\n"
                             "\n"
                             "dn: cn=John,ou=Sales,o=Acme\n"
                             "changetype: modify\n"
                             "replace: description\n"
                             "description: Added by a replace\n"
                             "-\n"
                             "replace: telephoneNumber\n"
                             "-\n"
                             "\n"
                             "dn: cn=Ann,ou=Sales,o=Acme\n"
                             "changetype: modrdn\n"
                             "newrdn: cn=Anne\n"
                             "deleteoldrdn: 0\n"
                             "\n"
                             "dn: cn=Mary,ou=Sales,o=Acme\n"
                             "changetype: moddn\n"
                             "newrdn: cn=Mary\n"
                             "deleteoldrdn: 1\n"
                             "newsuperior: ou=Engineering,o=Acme\n"
                             "\n"
                             "dn: cn=Laser1,ou=Sales,o=Acme\n"
                             "changetype: delete\n";
    ldifimport::Plan plan;
    std::string error;
    ASSERT_TRUE(ldifimport::prepareText(*demo, ctx, text, "t.ldif", plan, error)) << error;
    EXPECT_EQ(ldifimport::previewText(plan),
              "6 records: 1 add, 1 delete, 2 modifies, 2 renames or moves");
    const auto report = ldifimport::apply(*demo, ctx, plan, ldifimport::OnRefusal::Stop);
    EXPECT_TRUE(report.allApplied()) << ldifimport::reportText(report);
    EXPECT_EQ(ldifimport::reportText(report), "6 records applied, 0 refused.\n");

    EXPECT_EQ(values("Anne.Sales.Acme", "Title"), (std::vector<std::string>{"Buyer", "Clerk"}));
    EXPECT_EQ(values("Anne.Sales.Acme", "Surname"), std::vector<std::string>{"Lee-Smith"});
    EXPECT_EQ(values("Anne.Sales.Acme", "Telephone Number"),
              std::vector<std::string>{"+1 555 0300"});
    EXPECT_EQ(values("Anne.Sales.Acme", "CN"), (std::vector<std::string>{"Ann", "Anne"}));
    EXPECT_EQ(values("John.Sales.Acme", "Description"),
              std::vector<std::string>{"Added by a replace"});
    EXPECT_EQ(values("John.Sales.Acme", "Telephone Number"), std::vector<std::string>{});
    EXPECT_EQ(values("Mary.Engineering.Acme", "CN"), std::vector<std::string>{"Mary"});
    EXPECT_EQ(values("Mary.Sales.Acme", "CN"), std::vector<std::string>{"(no object)"});
    EXPECT_EQ(values("Laser1.Sales.Acme", "CN"), std::vector<std::string>{"(no object)"});
}

TEST_F(ImportRecords, RefusalsAreReportedWithTheirLineTheCallAndTheCode) {
    const std::string text = "version: 1\n"
                             "\n"
                             "dn: cn=Jane,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Doe\n"
                             "\n"
                             "dn: cn=Nobody,ou=Sales,o=Acme\n"
                             "changetype: delete\n"
                             "\n"
                             "dn: cn=Kim,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Kim\n"
                             "\n"
                             "dn: cn=Lee,ou=Nowhere,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Lee\n"
                             "\n"
                             "dn: cn=Jo,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "loginDisabled: perhaps\n"
                             "sn: Jo\n";
    const auto report = importText(*demo, ctx, text);
    EXPECT_EQ(report.applied, 1u);
    EXPECT_EQ(ldifimport::reportText(report), "1 record applied, 4 refused.\n"
                                              "line 3: NWDSAddObject returned: FDA2\n"
                                              "line 7: NWDSRemoveObject returned: FDA7\n"
                                              "line 14: NWDSAddObject returned: FDA7\n"
                                              "line 18: putAttrValText returned: FD9B\n");
    EXPECT_EQ(values("Kim.Sales.Acme", "Surname"), std::vector<std::string>{"Kim"});
}

TEST_F(ImportRecords, StoppingAtTheFirstRefusalLeavesTheRestUntried) {
    const std::string text = "dn: cn=Kim,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Kim\n"
                             "\n"
                             "dn: cn=Nobody,ou=Sales,o=Acme\n"
                             "changetype: delete\n"
                             "\n"
                             "dn: cn=Lee,ou=Sales,o=Acme\n"
                             "objectClass: inetOrgPerson\n"
                             "sn: Lee\n";
    const auto report = importText(*demo, ctx, text, ldifimport::OnRefusal::Stop);
    EXPECT_EQ(ldifimport::reportText(report), "1 record applied, 1 refused, 1 not tried.\n"
                                              "line 5: NWDSRemoveObject returned: FDA7\n");
    EXPECT_EQ(values("Kim.Sales.Acme", "Surname"), std::vector<std::string>{"Kim"});
    EXPECT_EQ(values("Lee.Sales.Acme", "Surname"), std::vector<std::string>{"(no object)"});
}

TEST_F(ImportRecords, ARefusedChangeOfAModifyLeavesTheObjectAsItWas) {
    const DirectoryImage before = image();
    // The second change removes a value Jane does not hold; the first is not made either.
    const std::string text = "dn: cn=Jane,ou=Sales,o=Acme\n"
                             "changetype: modify\n"
                             "replace: title\n"
                             "title: Director\n"
                             "-\n"
                             "delete: telephoneNumber\n"
                             "telephoneNumber: +1 555 9999\n"
                             "-\n"
                             "add: description\n"
                             "description: never\n"
                             "-\n";
    const auto report = importText(*demo, ctx, text);
    EXPECT_EQ(ldifimport::reportText(report),
              "0 records applied, 1 refused.\nline 1: NWDSModifyObject returned: FDA6\n");
    expectSameImages(before, image());
}

TEST_F(ImportRecords, AMoveThatIsRefusedTakesItsRenameBack) {
    const DirectoryImage before = image();
    // Keeping the old name means a rename, then a move; the move is refused (a User holds no
    // User), so the rename is taken back.
    const std::string text = "dn: cn=John,ou=Sales,o=Acme\n"
                             "changetype: modrdn\n"
                             "newrdn: cn=Johnny\n"
                             "deleteoldrdn: 0\n"
                             "newsuperior: cn=Jane,ou=Sales,o=Acme\n";
    const auto report = importText(*demo, ctx, text);
    ASSERT_EQ(report.refused.size(), 1u);
    EXPECT_EQ(report.refused[0].failure.call, "NWDSMoveObject");
    expectSameImages(before, image());
}

TEST_F(ImportRecords, AFileThatDoesNotParseChangesNothing) {
    const DirectoryImage before = image();
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"dn: cn=Kim,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n\n"
         "dn: cn=Lee,ou=Sales,o=Acme\nchangetype: modify\nadd: title\ntitle: x\n",
         "t.ldif:8: the change of title does not end with a \"-\" line"},
        {"dn: cn=Kim,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n\n"
         "dn: not a DN\nchangetype: delete\n",
         "t.ldif:5: dn: not a DN is no name this directory can hold"},
        {"dn: cn=Kim,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n\n"
         "dn: cn=Ann+sn=Lee,ou=Sales,o=Acme\nchangetype: delete\n",
         "t.ldif:5: dn: cn=Ann+sn=Lee,ou=Sales,o=Acme is no name this directory can hold"},
        {"dn: cn=Jane,ou=Sales,o=Acme\nchangetype: modrdn\nnewrdn: cn=A,ou=B\ndeleteoldrdn: 1\n",
         "t.ldif:2: newrdn: cn=A,ou=B is not one RDN"},
    };
    for (const auto& c : cases) {
        ldifimport::Plan plan;
        std::string error;
        EXPECT_FALSE(ldifimport::prepareText(*demo, ctx, c.text, "t.ldif", plan, error));
        EXPECT_EQ(error, c.error);
        EXPECT_TRUE(plan.records.empty());
    }
    expectSameImages(before, image());
}

TEST_F(ImportRecords, AFileAndTheFilesItNamesAreReadBesideIt) {
    const fs::path dir = freshTestFolder("ostrel-ldif-import");
    fs::create_directories(dir / "scripts");
    std::ofstream(dir / "scripts/kim.txt") << "MAP F:=SYS:\r\n";
    std::ofstream(dir / "kim.ldif") << "dn: cn=Kim,ou=Sales,o=Acme\n"
                                       "objectClass: inetOrgPerson\n"
                                       "sn: Kim\n"
                                       "loginScript:< file:scripts/kim.txt\n";
    ldifimport::Plan plan;
    std::string error;
    ASSERT_TRUE(ldifimport::prepare(*demo, ctx, (dir / "kim.ldif").string(), plan, error)) << error;
    EXPECT_TRUE(ldifimport::apply(*demo, ctx, plan, ldifimport::OnRefusal::Stop).allApplied());
    EXPECT_EQ(values("Kim.Sales.Acme", "Login Script"),
              std::vector<std::string>{"MAP F:=SYS:\r\n"});

    EXPECT_FALSE(ldifimport::prepare(*demo, ctx, (dir / "none.ldif").string(), plan, error));
    EXPECT_EQ(error, (dir / "none.ldif").string() + ": does not exist");
    std::ofstream(dir / "bad.ldif") << "dn: cn=Lee,ou=Sales,o=Acme\nloginScript:< file:nope.txt\n";
    EXPECT_FALSE(ldifimport::prepare(*demo, ctx, (dir / "bad.ldif").string(), plan, error));
    EXPECT_EQ(error, (dir / "bad.ldif").string() + ":2: the file " + (dir / "nope.txt").string() +
                         " of loginScript does not exist");
    fs::remove_all(dir);
}

} // namespace
