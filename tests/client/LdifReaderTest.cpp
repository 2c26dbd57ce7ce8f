// LDIF read in pieces: whatever the pieces, the records are those of the whole text.
#include "client/common/Ldif.h"

#include <gtest/gtest.h>

namespace {

std::string describe(const std::vector<ldif::Record>& records) {
    std::string out;
    for (const auto& r : records) {
        out += std::to_string(r.line) + " " + r.dn + "\n";
        for (const auto& a : r.attributes)
            out += "  " + std::to_string(a.line) + " " + a.name + "=" + a.value + "\n";
    }
    return out;
}

TEST(LdifReader, PiecesOfAnySizeGiveTheRecordsOfTheWholeText) {
    const std::string text = "version: 1\r\n# a comment\r\n"
                             "dn: cn=Ann,o=Acme\r\nobjectClass: inetOrgPerson\r\n"
                             "description: folded over\r\n  three\r\n lines\r\n"
                             "title:: VGl0bGU=\r\n\r\n\r\n"
                             "dn: cn=Bo,o=Acme\nsn;lang-de: Bo\n# inside\n"
                             "telephoneNumber: 1\n";
    const ldif::Source source{"t.ldif", ".", "."};
    std::vector<ldif::Record> whole;
    std::string error;
    ASSERT_TRUE(ldif::parse(std::string_view(text), source, whole, &error)) << error;
    ASSERT_EQ(whole.size(), 2u);
    EXPECT_EQ(whole[0].attributes[1].value, "folded over threelines");
    EXPECT_EQ(whole[0].attributes[2].value, "Title");
    EXPECT_EQ(whole[1].line, 11);

    for (std::size_t size = 1; size <= 9; ++size) {
        std::vector<ldif::Record> pieces;
        ldif::DataFileReader reader(
            source,
            [&pieces](ldif::Record& r) {
                pieces.push_back(r);
                return true;
            },
            &error);
        for (std::size_t at = 0; at < text.size(); at += size)
            ASSERT_TRUE(reader.feed(std::string_view(text).substr(at, size))) << error;
        ASSERT_TRUE(reader.finish()) << error;
        EXPECT_EQ(describe(pieces), describe(whole)) << "pieces of " << size;
    }
}

TEST(LdifReader, AMistakeOrARefusedRecordStopsTheReading) {
    const ldif::Source source{"t.ldif", ".", "."};
    std::string error;
    int records = 0;
    ldif::DataFileReader reader(
        source,
        [&](ldif::Record&) {
            error = "refused";
            return ++records < 2;
        },
        &error);
    EXPECT_TRUE(reader.feed("dn: o=A\nobjectClass: organization\n\ndn: o=B\n"));
    EXPECT_FALSE(reader.feed("objectClass: organization\n\ndn: o=C\n"));
    EXPECT_EQ(error, "refused");
    EXPECT_EQ(records, 2);

    ldif::DataFileReader broken(
        source, [](ldif::Record&) { return true; }, &error);
    EXPECT_TRUE(broken.feed("dn: o=A\nno colon here"));
    EXPECT_FALSE(broken.finish());
    EXPECT_EQ(error, "t.ldif:2: expected \"name: value\"");
}

} // namespace
