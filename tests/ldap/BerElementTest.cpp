// The listing's own reading of BER elements in the server's messages: lengths in both forms,
// and every element that would run past its message refused with nothing read.
#include "client/ldap/LdapSearchStream.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string bytes(std::initializer_list<int> b) {
    std::string out;
    for (int c : b)
        out += char(c);
    return out;
}

TEST(BerElement, ShortAndLongLengthsReadTheElementAndLeaveTheRest) {
    const std::string shortForm = bytes({0x04, 0x02, 'c', 'n', 0x31, 0x00});
    std::string_view in = shortForm, contents;
    ASSERT_TRUE(ldapber::nextElement(in, contents));
    EXPECT_EQ(contents, "cn");
    ASSERT_TRUE(ldapber::nextElement(in, contents)); // an empty set
    EXPECT_TRUE(contents.empty());
    EXPECT_TRUE(in.empty());

    const std::string value(300, 'x');
    const std::string longForm = bytes({0x04, 0x82, 0x01, 0x2C}) + value + "rest";
    in = longForm;
    ASSERT_TRUE(ldapber::nextElement(in, contents));
    EXPECT_EQ(contents, value);
    EXPECT_EQ(in, "rest");
    const std::string oneByte = bytes({0x04, 0x81, 0x80}) + std::string(128, 'y');
    in = oneByte;
    ASSERT_TRUE(ldapber::nextElement(in, contents));
    EXPECT_EQ(contents.size(), 128u);
}

TEST(BerElement, ElementsRunningPastTheMessageOrOfFormsLdapDoesNotSendAreRefused) {
    const std::string cases[] = {
        bytes({0x04}),                           // no length
        bytes({0x04, 0x05, 'a', 'b'}),           // contents cut short
        bytes({0x04, 0x82, 0x01}),               // length bytes cut short
        bytes({0x04, 0x82, 0xFF, 0xFF, 'a'}),    // a long length past the end
        bytes({0x04, 0x80, 'a', 0x00, 0x00}),    // indefinite length
        bytes({0x04, 0x85, 0, 0, 0, 0, 1, 'a'}), // more length bytes than LDAP uses
        bytes({0x1F, 0x01, 0x01, 'a'}),          // a tag of more than one byte
    };
    for (const auto& c : cases) {
        std::string_view in = c, contents;
        EXPECT_FALSE(ldapber::nextElement(in, contents)) << testing::PrintToString(c);
        EXPECT_EQ(in.size(), c.size()); // nothing read
    }
}

} // namespace
