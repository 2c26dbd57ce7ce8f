// LDIF text (RFC 2849) as the export writes it and the import reads it: which values go in
// base64, folding, content and change records read back as written, and every malformed file
// refused with its name, the line and what is wrong.
#include "ldif/LdifReader.h"
#include "ldif/LdifWriter.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

std::vector<ldif::Record> readOk(const std::string& text, const ldif::UrlReader& urls = {}) {
    std::vector<ldif::Record> records;
    std::string error;
    EXPECT_TRUE(ldif::read(text, {"t.ldif", urls}, records, &error)) << error;
    return records;
}

std::string refusal(const std::string& text) {
    std::vector<ldif::Record> records;
    std::string error;
    EXPECT_FALSE(ldif::read(text, {"t.ldif", {}}, records, &error)) << text;
    EXPECT_TRUE(records.empty());
    return error;
}

TEST(LdifWriting, OnlySafeStringsAreWrittenAsTheyAre) {
    struct Case {
        std::string value;
        bool binary;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"plain text", false, "a: plain text\n"},
        {"", false, "a:\n"},
        {"x:y<z", false, "a: x:y<z\n"},
        {" leading blank", false, "a:: IGxlYWRpbmcgYmxhbms=\n"},
        {":colon first", false, "a:: OmNvbG9uIGZpcnN0\n"},
        {"<angle first", false, "a:: PGFuZ2xlIGZpcnN0\n"},
        {"trailing blank ", false, "a:: dHJhaWxpbmcgYmxhbmsg\n"},
        {"two\nlines", false, "a:: dHdvCmxpbmVz\n"},
        {"carriage\r", false, "a:: Y2FycmlhZ2UN\n"},
        {std::string("nul\0", 4), false, "a:: bnVsAA==\n"},
        {"Zo\xC3\xAB", false, "a:: Wm/Dqw==\n"},
        {"ABC", true, "a:: QUJD\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        ldif::appendLine(out, "a", c.value, c.binary);
        EXPECT_EQ(out, c.line);
        const auto records = readOk("dn: cn=x\n" + out);
        ASSERT_EQ(records.size(), 1u);
        ASSERT_EQ(records[0].attributes.size(), 1u);
        EXPECT_EQ(records[0].attributes[0].value, c.value);
    }
}

TEST(LdifWriting, LongLinesAreFoldedAtSeventySixColumnsAndReadBackWhole) {
    for (std::size_t size : {40u, 60u, 63u, 64u, 150u, 151u, 1000u}) {
        const std::string value(size, 'v');
        for (bool binary : {false, true}) {
            std::string out;
            ldif::appendLine(out, "description", value, binary);
            std::istringstream lines(out);
            int n = 0;
            for (std::string l; std::getline(lines, l); ++n) {
                EXPECT_LE(l.size(), ldif::kLineWidth);
                if (n > 0) {
                    EXPECT_EQ(l.front(), ' ');
                }
            }
            const std::size_t whole = binary ? 14 + (size + 2) / 3 * 4 : 13 + size;
            EXPECT_EQ(n > 1, whole > ldif::kLineWidth) << size;
            const auto records = readOk("dn: cn=x\n" + out);
            ASSERT_EQ(records.size(), 1u);
            EXPECT_EQ(records[0].attributes.at(0).value, value);
        }
    }
}

TEST(LdifReading, ContentAndChangeRecordsReadBackAsWritten) {
    std::vector<ldif::Record> written(5);
    written[0].dn = "cn=Jane,o=Acme";
    written[0].attributes = {{"objectClass", "inetOrgPerson"}, {"sn", "Doe"}, {"sn", "D."}};
    written[1].dn = "cn=John,o=Acme";
    written[1].change = ldif::ChangeType::Add;
    written[1].attributes = {{"objectClass", "inetOrgPerson"}, {"photo", std::string("\0\1", 2)}};
    written[2].dn = "cn=Old,o=Acme";
    written[2].change = ldif::ChangeType::Delete;
    written[3].dn = "cn=Jane,o=Acme";
    written[3].change = ldif::ChangeType::Modify;
    written[3].modifications = {{ldif::Modification::Op::Add, "title", {{"", "Boss"}}},
                                {ldif::Modification::Op::Delete, "sn", {{"", "D."}}},
                                {ldif::Modification::Op::Delete, "description", {}},
                                {ldif::Modification::Op::Replace,
                                 "telephoneNumber",
                                 {{"", "+1 555 0100"}, {"", "+1 555 0101"}}},
                                {ldif::Modification::Op::Replace, "fax", {}}};
    written[4].dn = "cn=Jane,o=Acme";
    written[4].change = ldif::ChangeType::ModRdn;
    written[4].newRdn = "cn=Janet";
    written[4].deleteOldRdn = true;
    written[4].newSuperior = "ou=Sales,o=Acme";
    std::string text = "version: 1\n";
    for (const auto& r : written)
        ldif::appendRecord(text, r);

    const auto records = readOk(text);
    ASSERT_EQ(records.size(), written.size());
    const int lines[] = {2, 7, 12, 15, 32};
    for (std::size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(i);
        const ldif::Record& r = records[i];
        EXPECT_EQ(r.dn, written[i].dn);
        EXPECT_EQ(r.line, lines[i]);
        EXPECT_EQ(r.change, written[i].change);
        ASSERT_EQ(r.attributes.size(), written[i].attributes.size());
        for (std::size_t a = 0; a < r.attributes.size(); ++a) {
            EXPECT_EQ(r.attributes[a].name, written[i].attributes[a].name);
            EXPECT_EQ(r.attributes[a].value, written[i].attributes[a].value);
        }
        ASSERT_EQ(r.modifications.size(), written[i].modifications.size());
        for (std::size_t m = 0; m < r.modifications.size(); ++m) {
            EXPECT_EQ(r.modifications[m].op, written[i].modifications[m].op);
            EXPECT_EQ(r.modifications[m].attribute, written[i].modifications[m].attribute);
            ASSERT_EQ(r.modifications[m].values.size(), written[i].modifications[m].values.size());
            for (std::size_t v = 0; v < r.modifications[m].values.size(); ++v)
                EXPECT_EQ(r.modifications[m].values[v].value,
                          written[i].modifications[m].values[v].value);
        }
        EXPECT_EQ(r.newRdn, written[i].newRdn);
        EXPECT_EQ(r.deleteOldRdn, written[i].deleteOldRdn);
        EXPECT_EQ(r.newSuperior, written[i].newSuperior);
    }
    EXPECT_EQ(records[3].modifications[3].line, 25);
    EXPECT_EQ(records[1].changeLine, 8);
}

TEST(LdifReading, CommentsFoldsLineEndsOptionsAndMovesAreRead) {
    const auto records = readOk("# a comment\n"
                                "#  folded on\n"
                                " this line\r\n"
                                "dn: cn=Fol\r\n"
                                " ded,o=Acme\r\n"
                                "description;lang-de: Wert\n"
                                "# inside a record\n"
                                "cn: x\n"
                                "\n\n"
                                "dn:: Y249WsO2ZSxvPUFjbWU=\n"
                                "changetype: moddn\n"
                                "newrdn: cn=Zoe\n"
                                "deleteoldrdn: 0\n");
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].dn, "cn=Folded,o=Acme");
    EXPECT_EQ(records[0].line, 4);
    ASSERT_EQ(records[0].attributes.size(), 2u);
    EXPECT_EQ(records[0].attributes[0].name, "description");
    EXPECT_EQ(records[0].attributes[0].value, "Wert");
    EXPECT_EQ(records[0].attributes[1].line, 8);
    EXPECT_EQ(records[1].dn, "cn=Z\xC3\xB6"
                             "e,o=Acme");
    EXPECT_EQ(records[1].change, ldif::ChangeType::ModRdn);
    EXPECT_FALSE(records[1].deleteOldRdn);
    EXPECT_FALSE(records[1].newSuperior);
}

TEST(LdifReading, FileValuesAreReadThroughTheReaderGiven) {
    const ldif::UrlReader urls = [](std::string_view attribute, std::string_view url,
                                    std::string& value, std::string& why) {
        if (url == "file:missing") {
            why = "the file of " + std::string(attribute) + " is missing";
            return false;
        }
        value = "<" + std::string(url) + ">";
        return true;
    };
    const auto records = readOk("dn: cn=x\nloginScript:< file:script.txt\n", urls);
    EXPECT_EQ(records.at(0).attributes.at(0).value, "<file:script.txt>");
    std::vector<ldif::Record> out;
    std::string error;
    EXPECT_FALSE(ldif::read("dn: cn=x\n\ndn: cn=y\nloginScript:< file:missing\n", {"f.ldif", urls},
                            out, &error));
    EXPECT_EQ(error, "f.ldif:4: the file of loginScript is missing");
    EXPECT_EQ(refusal("dn: cn=x\nloginScript:< file:script.txt\n"),
              "t.ldif:2: the value of loginScript names a file, which is not read");
}

TEST(LdifReading, MalformedFilesAreRefusedWithTheLineAndWhatIsWrong) {
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"version: 2\n", "t.ldif:1: version 1 is the only one read"},
        {"cn: x\n", "t.ldif:1: a record starts with dn:"},
        {"dn: cn=a\n\nno colon here\n", "t.ldif:3: expected \"name: value\""},
        {"dn: cn=a\n: value\n", "t.ldif:2: expected \"name: value\""},
        {"dn: cn=a\nphoto:: QU*D\n", "t.ldif:2: bad base64 value of photo"},
        {"dn:: QU*D\n", "t.ldif:1: bad base64 value of dn"},
        {"dn: cn=a\ncontrol: 1.2.3 true\nchangetype: delete\n", "t.ldif:2: controls are not read"},
        {"dn: cn=a\nchangetype: rename\n", "t.ldif:2: unknown changetype: rename"},
        {"dn: cn=a\nchangetype: delete\ncn: a\n",
         "t.ldif:3: a delete record holds nothing after its changetype"},
        {"dn: cn=a\ncn: a\nchangetype: add\n",
         "t.ldif:3: changetype: belongs before the attributes"},
        {"dn: cn=a\nchangetype: modify\nadd: title\ntitle: x\n",
         "t.ldif:4: the change of title does not end with a \"-\" line"},
        {"dn: cn=a\nchangetype: modify\nadd: title\nsn: x\n-\n",
         "t.ldif:4: a value of sn inside the add: of title"},
        {"dn: cn=a\nchangetype: modify\nadd: title\n-\n", "t.ldif:3: add: of title gives no value"},
        {"dn: cn=a\nchangetype: modify\nincrement: n\n-\n",
         "t.ldif:3: expected add:, delete: or replace: in a modify record"},
        {"dn: cn=a\nchangetype: modify\nreplace:\n-\n", "t.ldif:3: replace: names no attribute"},
        {"dn: cn=a\nchangetype: modrdn\n", "t.ldif:2: expected newrdn: after changetype: modrdn"},
        {"dn: cn=a\nchangetype: modrdn\nnewrdn: cn=b\n",
         "t.ldif:3: expected deleteoldrdn: after newrdn:"},
        {"dn: cn=a\nchangetype: modrdn\nnewrdn: cn=b\ndeleteoldrdn: yes\n",
         "t.ldif:4: deleteoldrdn: is 0 or 1"},
        {"dn: cn=a\nchangetype: modrdn\nnewrdn: cn=b\ndeleteoldrdn: 1\nnewparent: o=x\n",
         "t.ldif:5: expected newsuperior: or the end of the record"},
        {"dn: cn=a\nchangetype: modrdn\nnewrdn: cn=b\ndeleteoldrdn: 1\nnewsuperior: o=x\ncn: a\n",
         "t.ldif:6: a modrdn record ends after newsuperior:"},
        // A fault at the end refuses the whole file.
        {"dn: cn=a\ncn: a\n\ndn: cn=b\ncn: b\n\ndn: cn=c\nbroken\n",
         "t.ldif:8: expected \"name: value\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refusal(c.text), c.error) << c.text;
}

} // namespace
