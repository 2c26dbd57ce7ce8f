// How the create form turns a pair's text into the value it sends, by syntax.
#include "directory/Codes.h"
#include "directory/TypedNumbers.h"
#include "objects/CreateValue.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(TypedNumbers, DigitsUpToTheFirstOtherCharacterWrappingIn32Bits) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"12abc", 12},
        {"", 0},
        {"abc", 0},
        {"  \t-42", -42},
        {"+7 days", 7},
        {"- 5", 0},
        {"4294967297", 1},
        {"2147483648", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"007", 7},
        {"3-4", 3},
        {"  -1", -1},
        {"+12abc", 12},
        {"\r\n 9", 9},
        {"4294967295", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decimalValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(TypedNumbers, HexPairsOfEitherCaseUpToTheCount) {
    const struct {
        const char* text;
        std::int32_t count;
        bool converts;
        std::uint8_t first, second;
    } cases[] = {
        {"c0A8", 2, true, 0xC0, 0xA8},
        {"c0A8ff", 2, true, 0xC0, 0xA8}, // digits past the count are not read
        {"c0a", 2, false, 0, 0},         // the second pair is cut short
        {"g0", 1, false, 0, 0},
        {"", 0, true, 0, 0},
        {"", -3, true, 0, 0},
    };
    for (const auto& c : cases) {
        std::uint8_t bytes[2] = {};
        EXPECT_EQ(hexBytes(c.text, c.count, bytes), c.converts) << '"' << c.text << '"';
        if (c.converts) {
            EXPECT_EQ(bytes[0], c.first) << '"' << c.text << '"';
            EXPECT_EQ(bytes[1], c.second) << '"' << c.text << '"';
        }
    }
}

TEST(CreateValue, EachSyntaxOfTheTableGivesItsValueAndNoOtherIsMade) {
    CreateValue value;
    for (std::uint32_t syntax : {SYN_DIST_NAME, SYN_CE_STRING, SYN_CI_STRING, SYN_PR_STRING,
                                 SYN_NU_STRING, SYN_TEL_NUMBER, SYN_CLASS_NAME}) {
        ASSERT_TRUE(value.make(syntax, "12abc")) << syntax;
        EXPECT_STREQ(static_cast<const char*>(value.data()), "12abc");
    }
    for (std::uint32_t syntax : {SYN_INTEGER, SYN_COUNTER, SYN_INTERVAL}) {
        ASSERT_TRUE(value.make(syntax, "12abc")) << syntax;
        EXPECT_EQ(*static_cast<const std::int32_t*>(value.data()), 12);
    }
    // One byte: the low 8 bits of the number.
    ASSERT_TRUE(value.make(SYN_BOOLEAN, "257"));
    EXPECT_EQ(*static_cast<const std::uint8_t*>(value.data()), 1);
    for (std::uint32_t syntax = 0; syntax < SYNTAX_COUNT; ++syntax) {
        const bool inTable = syntax == 1 || syntax == 2 || syntax == 3 || syntax == 4 ||
                             syntax == 5 || syntax == 7 || syntax == 8 || syntax == 10 ||
                             syntax == 20 || syntax == 22 || syntax == 27;
        EXPECT_EQ(value.make(syntax, "1"), inTable) << syntax;
    }
    EXPECT_FALSE(value.make(SYN_NET_ADDRESS, "1"));
    EXPECT_EQ(value.data(), nullptr);
}
