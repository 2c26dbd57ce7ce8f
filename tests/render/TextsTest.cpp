// The texts the renderer builds from numbers and bytes: rights, calendar time, stream text.
#include "RenderedList.h"
#include "render/CalendarText.h"
#include "render/RightsText.h"
#include "render/StreamText.h"

#include <QDir>
#include <QTemporaryFile>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct RightsCase {
    const char* protectedAttr;
    std::uint32_t privileges;
    const char* text;
};

TEST(RightsText, LettersPerKindOfProtectedAttribute) {
    const RightsCase cases[] = {
        {"[Entry Rights]", 0x1F, "[BADRS]"},
        {"[Entry Rights]", 0x03, "[BA]"},
        {"[Entry Rights]", 0x08, "[R]"},
        {"[Entry Rights]", 0xE0, "[]"},
        {"[SMS Rights]", 0x3F, "[SBRCDA]"},
        {"[SMS Rights]", 0x30, "[DA]"},
        {"[SMS Rights]", 0x04, "[R]"},
        {"Telephone Number", 0x23, "[CRS]"},
        {"Telephone Number", 0x3F, "[CRWAS]"},
        {"Telephone Number", 0x10, "[]"},
        {"[All Attributes Rights]", 0x0C, "[WA]"},
        {"[entry rights]", 0x01, "[C]"},  // the names compare case-sensitively
        {"[Entry Rights]", 0x101, "[B]"}, // only the low eight bits count
        {"[Entry Rights]", 0, "[]"},
    };
    for (const RightsCase& c : cases)
        EXPECT_EQ(RightsText(c.protectedAttr, c.privileges), c.text)
            << c.protectedAttr << " " << c.privileges;
}

TEST(CalendarText, SignedSecondsInUtc) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "Thu Jan 01 00:00:00 1970\n"},           {1000000000, "Sun Sep 09 01:46:40 2001\n"},
        {951782400, "Tue Feb 29 00:00:00 2000\n"},   {2147483647, "Tue Jan 19 03:14:07 2038\n"},
        {-1, "Wed Dec 31 23:59:59 1969\n"},          {-86400, "Wed Dec 31 00:00:00 1969\n"},
        {-31536000, "Wed Jan 01 00:00:00 1969\n"},   {-57974399, "Fri Mar 01 00:00:01 1968\n"},
        {-2077704000, "Mon Feb 29 12:00:00 1904\n"}, {-2147483648LL, "Fri Dec 13 20:45:52 1901\n"},
    };
    for (const auto& [seconds, text] : cases) {
        EXPECT_EQ(calendarText(static_cast<std::uint32_t>(seconds)), text) << seconds;
        // and back, as a value shown is taken back into a form
        EXPECT_EQ(calendarSeconds(text), static_cast<std::uint32_t>(seconds)) << text;
    }
    for (const char* other :
         {"", "Thu Jan 01 00:00:00 1970 x", "Mon Jan 01 00:00:00 1970\n",
          "Thu Jan 32 00:00:00 1970", "Thu Foo 01 00:00:00 1970", "Sat Jan 01 00:00:00 2039\n"})
        EXPECT_FALSE(calendarSeconds(other)) << other;
}

TEST(StreamText, ShownUpToTheFirstNulWithNonTextAsDots) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, std::string> cases[] = {
        {"line one\r\nline two\ttabbed", "line one\r\nline two\ttabbed"},
        {"before\0after"sv, "before"},
        {"\x01\x1B[0m\x7F", "..[0m."},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x99\x82"},
        {"bad \xC3 lead, \x80 lone, \xED\xA0\x80 surrogate", "bad . lead, . lone, ... surrogate"},
        {"cut \xE2\x82", "cut .."},
        {"", ""},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(streamDisplayText(bytes), text);
}

// A file descriptor reading `content`, as NWDSOpenStream gives one.
int streamHandleOf(const std::string& content) {
    QTemporaryFile file(QDir::tempPath() + "/ostrel-stream-XXXXXX");
    file.setAutoRemove(true);
    if (!file.open() || file.write(content.data(), static_cast<qint64>(content.size())) !=
                            static_cast<qint64>(content.size()))
        return -1;
    file.flush();
    return ::open(file.fileName().toLocal8Bit().constData(), O_RDONLY);
}

TEST(StreamText, LongStreamIsCutAt4096BytesAndEndsWithCrLf) {
    std::string content;
    for (int i = 0; content.size() < 5000; ++i)
        content += "row " + std::to_string(i) + "\n";
    const int handle = streamHandleOf(content);
    ASSERT_GE(handle, 0);
    const auto text = readStreamText(handle);
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, content.substr(0, 4096) + "\r\n");
    EXPECT_EQ(::fcntl(handle, F_GETFD), -1) << "the handle is closed";
}

TEST(StreamText, EmptyStreamGivesCrLf) {
    const int handle = streamHandleOf("");
    ASSERT_GE(handle, 0);
    EXPECT_EQ(readStreamText(handle), std::optional<std::string>("\r\n"));
}

TEST(StreamText, FailedReadGivesNoTextAndClosesTheHandle) {
    const int handle = ::open(QDir::tempPath().toLocal8Bit().constData(), O_RDONLY); // a folder
    ASSERT_GE(handle, 0);
    EXPECT_FALSE(readStreamText(handle).has_value());
    EXPECT_EQ(::fcntl(handle, F_GETFD), -1);
}

TEST(StreamText, ColumnOnlyPagesGetAnAttributeValuesColumnPerValue) {
    RenderedList rendered;
    rendered.streams = StreamDisplay::ColumnOnly;
    rendered.output = "left over";
    rendered.render("Login Script", {TestRecord(SYN_STREAM, std::vector<std::uint8_t>(4))});
    EXPECT_EQ(rendered.columns(), (std::vector<Column>{{"Attribute Values", 250}}));
    EXPECT_EQ(rendered.list.topLevelItemCount(), 0);
    EXPECT_EQ(rendered.output, "");
}

} // namespace
