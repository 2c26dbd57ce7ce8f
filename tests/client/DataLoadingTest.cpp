// What the embedded directory refuses to start on, each with its file, line and reason.
#include "client/common/TextFile.h"
#include "client/embedded/DataSet.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "directory/Codes.h"
#include "tests/support/TestFolder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

// A data folder of its own per test: the demo schema, a small tree, and what a test adds.
class DataFolder : public ::testing::Test {
protected:
    void SetUp() override {
        outer = freshTestFolder("ostrel-data");
        dir = outer / "data";
        fs::create_directories(dir / "schema");
        fs::copy_file(fs::path(EmbeddedDirectory::demoDataDir()) / "schema/base.schema",
                      dir / "schema/base.schema");
        root = dir.string();
    }
    void TearDown() override { fs::remove_all(outer); }

    void write(const fs::path& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }

    // The refusal of the folder as it stands; fails the test when it loads.
    std::string refusal() {
        DataSet data;
        std::string error;
        EXPECT_FALSE(loadDataSet(root, 0, data, &error));
        return error;
    }

    std::string refusalOf(const std::string& moreLdif, const std::string& conf = kConf) {
        write(dir / "directory.conf", conf);
        write(dir / "t.ldif", kTree + moreLdif);
        return refusal();
    }

    static inline const std::string kConf =
        "schema schema/base.schema\ntree T_TREE T-FS1\nload T_TREE t.ldif\n";
    // Nine lines: what a test adds starts on line 10.
    static inline const std::string kTree = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                                            "dn: cn=Admin,o=Acme\nobjectClass: inetOrgPerson\n"
                                            "cn: Admin\nsn: Admin\n\n";
    static inline const std::string kJane =
        "dn: cn=Jane,o=Acme\nobjectClass: inetOrgPerson\ncn: Jane\n";

    fs::path outer;
    fs::path dir;
    std::string root;
};

TEST_F(DataFolder, TheSmallTreeLoads) {
    write(dir / "directory.conf", kConf);
    write(dir / "t.ldif", kTree + kJane + "telephoneNumber: " + std::string(32, '5') + "\n");
    DataSet data;
    std::string error;
    EXPECT_TRUE(loadDataSet(root, 0, data, &error)) << error;
}

// An LDIF file is read a block at a time: it may be larger than any one data file, and a
// mistake past its first block is still named by its line.
TEST_F(DataFolder, LargeLdifFilesLoadAndTheirMistakesKeepTheirLines) {
    write(dir / "directory.conf", kConf);
    const std::string comment = "# " + std::string(1000, '-') + "\n";
    std::string padding;
    for (std::size_t i = 0; i * comment.size() <= kMaxDataFileBytes; ++i)
        padding += comment;
    const int paddingLines = int(padding.size() / comment.size());
    write(dir / "t.ldif", kTree + padding + kJane);
    DataSet data;
    std::string error;
    EXPECT_TRUE(loadDataSet(root, 0, data, &error)) << error;
    EXPECT_TRUE(data.trees.front()->objects().lookup({"Jane", "Acme"}).has_value());

    write(dir / "t.ldif", kTree + padding + kJane + "title: x\nbogus\n");
    EXPECT_EQ(refusal(), (dir / "t.ldif").string() + ":" + std::to_string(10 + paddingLines + 4) +
                             ": expected \"name: value\"");
}

TEST_F(DataFolder, ValuesTheDirectoryCouldNotServeAreRefusedAtTheirOwnLine) {
    struct Case {
        std::string value; // line 13, after kJane
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"telephoneNumber: " + std::string(33, '5'),
         "the value of telephoneNumber has 33 characters, above its upper bound 32"},
        {"title: ", "the value of title has 0 characters, below its lower bound 1"},
        {"loginGraceLimit: many", "the value of loginGraceLimit is not a valid Integer value"},
        {"loginGraceLimit: -4294967295",
         "the value of loginGraceLimit is not a valid Integer value"},
        {"loginGraceLimit: 4294967296",
         "the value of loginGraceLimit is not a valid Integer value"},
        {"loginTime: 20261301000000Z", "the value of loginTime is not a valid Time value"},
        {"seeAlso: cn=a+uid=b,o=Acme",
         "the value of seeAlso is not a valid Distinguished Name value"},
        {"shoeSize: 44", "unknown attribute shoeSize"},
        {"objectClass: spaceship", "unknown class spaceship"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(refusalOf(kJane + c.value + "\n"), root + "/t.ldif:13: " + c.reason);
    }
}

TEST_F(DataFolder, NamesThatCannotBeServedAreRefused) {
    struct Case {
        std::string ldif; // starting on line 10
        std::string reason;
    };
    const std::string sixty(60, 'x');
    std::string deep;
    std::string parent = "o=Acme";
    for (char c : std::string("ABCD")) {
        parent = "ou=" + std::string(1, c) + sixty.substr(1) + "," + parent;
        deep += "dn: " + parent + "\nobjectClass: organizationalUnit\n\n";
    }
    const std::string tooDeep = "cn=Ten chars," + parent; // 259 characters as a dotted name
    const std::vector<Case> cases = {
        {"dn: cn=a\\00b,o=Acme\nobjectClass: inetOrgPerson\n",
         "dn: cn=a\\00b,o=Acme: the name holds a NUL byte, which no name can carry"},
        {"dn:: Y249YQBiLG89QWNtZQ==\nobjectClass: inetOrgPerson\n",
         "dn: cn=a\\00b,o=Acme: the name holds a NUL byte, which no name can carry"},
        {"dn:: Y249/yxvPUFjbWU=\nobjectClass: inetOrgPerson\n",
         "dn: cn=\\FF,o=Acme: the name is not UTF-8 text"},
        {"dn: cn=\\FF\\FE,o=Acme\nobjectClass: inetOrgPerson\n",
         "dn: cn=\\FF\\FE,o=Acme: the name is not UTF-8 text"},
        {"dn: cn=" + std::string(65, 'n') + ",o=Acme\nobjectClass: inetOrgPerson\n",
         "dn: cn=" + std::string(65, 'n') +
             ",o=Acme: the name as its CN value has 65 characters, above its upper bound 64"},
        {"dn: cn=[Root],o=Acme\nobjectClass: inetOrgPerson\n",
         "dn: cn=[Root],o=Acme: the name [Root] is kept for the top of the tree"},
        {"dn: cn=a+uid=b,o=Acme\nobjectClass: inetOrgPerson\n",
         "dn: cn=a+uid=b,o=Acme: the name has several naming values (\"+\"), which names here "
         "do not"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ldif);
        EXPECT_EQ(refusalOf(c.ldif), root + "/t.ldif:10: " + c.reason);
    }
    EXPECT_EQ(refusalOf(deep + "dn: " + tooDeep + "\nobjectClass: inetOrgPerson\n"),
              root + "/t.ldif:22: dn: " + tooDeep + ": the full name Ten chars." + "D" +
                  sixty.substr(1) + ".C" + sixty.substr(1) + ".B" + sixty.substr(1) + ".A" +
                  sixty.substr(1) + ".Acme is longer than 256 characters");
}

TEST_F(DataFolder, SchemaDefinitionsThatContradictEachOtherAreRefused) {
    const std::string arc = "2.25.14728172303297623532114484959978199139.9.";
    const std::string conf = "schema schema/base.schema\nschema schema/extra.schema\n"
                             "tree T_TREE T-FS1\nload T_TREE t.ldif\n";
    write(dir / "directory.conf", conf);
    write(dir / "t.ldif", kTree);
    const std::string extra = root + "/schema/extra.schema:";
    struct Case {
        std::string schema;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"attributetype ( 2.5.4.3 NAME 'nick' X-NDS-SYNTAX '3' )",
         "1: OID 2.5.4.3 is already given to another definition"},
        {"attributetype ( " + arc +
             "1 NAME 'nick' X-NDS-SYNTAX '3' )\n"
             "objectclass ( " +
             arc + "1 NAME 'thing' SUP top )",
         "2: OID " + arc + "1 is already given to another definition on line 1"},
        {"objectclass ( " + arc +
             "1 NAME 'alpha' SUP gamma )\n"
             "objectclass ( " +
             arc +
             "2 NAME 'beta' SUP alpha )\n"
             "objectclass ( " +
             arc + "3 NAME 'gamma' SUP beta )",
         "1: class alpha is its own super class through alpha, gamma, beta, alpha"},
        {"objectclass ( " + arc + "1 NAME 'selfish' SUP selfish )",
         "1: class selfish is its own super class through selfish, selfish"},
        {"", " holds no definitions"},
        {"# only a comment\n\n", " holds no definitions"},
        // what the file holds is quoted with its control bytes escaped, NUL included
        {"ldap\0syntax\x1b[2J ( 1 )"s, "1: unknown statement 'ldap\\00syntax\\1B[2J'"},
        {"attributetype ( " + arc + "1 NAME 'nick' X-NDS-SYNTAX '3' X-NDS-FLAGS 'A\\00\x7f\rB' )",
         "1: unknown attribute flag A\\00\\7F\\0DB"},
        {"objectclass ( " + arc + "1 NAME 'thing' SUP 'top\xff' )",
         "1: thing: SUP names unknown class top\\FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.schema);
        write(dir / "schema/extra.schema", c.schema);
        EXPECT_EQ(refusal(), extra + c.reason);
    }
}

TEST_F(DataFolder, ConfigurationMistakesAreNamedAsWhatTheyAre) {
    const std::string conf = root + "/directory.conf";
    EXPECT_EQ(refusalOf("", kConf + "tree T_TREE T-FS2\n"),
              conf + ":4: tree T_TREE is named a second time");
    EXPECT_EQ(refusalOf("", kConf + "tree t_Tree T-FS2\n"),
              conf + ":4: tree t_Tree is named a second time");
    EXPECT_EQ(refusalOf("", kConf + "tree U_TREE U-FS1\n"),
              conf + ": tree U_TREE has no load line");
    EXPECT_EQ(refusalOf("", "tree T_TREE T-FS1\nload T_TREE t.ldif\n"), conf + ": no schema");
    EXPECT_EQ(refusalOf("", "schema schema\ntree T_TREE T-FS1\nload T_TREE t.ldif\n"),
              conf + ":1: the schema file " + root + "/schema is a folder, not a file");
    EXPECT_EQ(refusalOf("", "schema schema/base.schema\ntree T_TREE T-FS1\nload T_TREE schema\n"),
              conf + ":3: the LDIF file " + root + "/schema is a folder, not a file");
    EXPECT_EQ(refusalOf("", kConf + "load T_TREE missing.ldif\n"),
              conf + ":4: the LDIF file " + root + "/missing.ldif does not exist");
    EXPECT_EQ(refusalOf("", kConf + "load V_TREE t.ldif\n"),
              conf + ":4: load names unknown tree V_TREE");
}

TEST_F(DataFolder, FileReferencesStayInsideTheDataFolderAndWithinTheirSize) {
    write(outer / "outside.txt", "secret");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(outer / "outside.txt", dir / "link.txt");
    write(dir / "huge.bin", "");
    fs::resize_file(dir / "huge.bin", kMaxDataFileBytes + 1);
    write(dir / "fine.txt", "A short description");
    struct Case {
        std::string reference;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {"file:///dev/zero", "the file /dev/zero of description is not a regular file"},
        {"file:pipe", "the file " + root + "/pipe of description is not a regular file"},
        {"file:schema", "the file " + root + "/schema of description is a folder, not a file"},
        {"file:../outside.txt", "the file " + root +
                                    "/../outside.txt of description is outside "
                                    "the data folder " +
                                    root},
        {"file://" + (outer / "outside.txt").string(), "the file " +
                                                           (outer / "outside.txt").string() +
                                                           " of description is outside the data "
                                                           "folder " +
                                                           root},
        {"file:link.txt",
         "the file " + root + "/link.txt of description is outside the data folder " + root},
        {"file:huge.bin",
         "the file " + root + "/huge.bin of description is larger than the limit of 16 MiB"},
        {"file:nowhere.txt", "the file " + root + "/nowhere.txt of description does not exist"},
        {"http://example.invalid/x", "only file: URLs are read"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference);
        EXPECT_EQ(refusalOf(kJane + "description:< " + c.reference + "\n"),
                  root + "/t.ldif:13: " + c.reason);
    }
    write(dir / "directory.conf", kConf);
    write(dir / "t.ldif", kTree + kJane + "description:< file:fine.txt\n");
    DataSet data;
    std::string error;
    EXPECT_TRUE(loadDataSet(root, 0, data, &error)) << error;
}

TEST_F(DataFolder, AliasesThatComeBackToAnAliasAlreadyPassedAreRefused) {
    auto alias = [](const std::string& name, const std::string& target) {
        return "dn: cn=" + name + ",o=Acme\nobjectClass: alias\ncn: " + name +
               "\naliasedObjectName: cn=" + target + ",o=Acme\n\n";
    };
    struct Case {
        std::string ldif; // from line 10, five lines an alias
        std::string reason;
    };
    const std::vector<Case> cases = {
        {alias("Self", "Self"),
         "13: following aliases from cn=Self,o=Acme comes back to it: cn=Self,o=Acme, "
         "cn=Self,o=Acme"},
        {alias("A", "B") + alias("B", "A"),
         "18: following aliases from cn=B,o=Acme comes back to it: cn=B,o=Acme, cn=A,o=Acme, "
         "cn=B,o=Acme"},
        // the way in to the loop is not part of it
        {alias("In", "A") + alias("A", "B") + alias("B", "C") + alias("C", "A"),
         "28: following aliases from cn=C,o=Acme comes back to it: cn=C,o=Acme, cn=A,o=Acme, "
         "cn=B,o=Acme, cn=C,o=Acme"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ldif);
        EXPECT_EQ(refusalOf(c.ldif), root + "/t.ldif:" + c.reason);
    }
    // Aliases naming aliases without coming back load.
    write(dir / "directory.conf", kConf);
    write(dir / "t.ldif", kTree + alias("A", "B") + alias("B", "Admin") + alias("C", "B"));
    DataSet data;
    std::string error;
    EXPECT_TRUE(loadDataSet(root, 0, data, &error)) << error;
}

TEST_F(DataFolder, OnlyAUserIsAnIdentity) {
    write(dir / "directory.conf", kConf);
    write(dir / "t.ldif", kTree);
    std::string error;
    EXPECT_EQ(EmbeddedDirectory::open({root, "Acme"}, &error), nullptr);
    EXPECT_EQ(error, "identity Acme is of class Organization, not a User object of T_TREE");
    EXPECT_EQ(EmbeddedDirectory::open({root, "Nobody.Acme"}, &error), nullptr);
    EXPECT_EQ(error, "identity Nobody.Acme is not an object of T_TREE");
    EXPECT_NE(EmbeddedDirectory::open({root, "Admin.Acme"}, &error), nullptr);
}

} // namespace
