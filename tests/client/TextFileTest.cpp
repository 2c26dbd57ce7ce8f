// The one reader of data and settings files: what it refuses, and that nothing blocks it.
#include "client/common/TextFile.h"

#include "tests/support/TestFolder.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SettingsFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = freshTestFolder("ostrel-files");
        fs::create_directories(dir / "folder");
        ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
        fs::create_symlink(dir / "pipe", dir / "link-to-pipe");
        std::ofstream(dir / "small.txt", std::ios::binary) << "abc\n";
        std::ofstream(dir / "4k.txt", std::ios::binary) << std::string(4096, 'x');
        std::ofstream(dir / "over-4k.txt", std::ios::binary) << std::string(4097, 'x');
    }
    void TearDown() override { fs::remove_all(dir); }

    // The reader run aside, so that a reader that waits on a pipe fails the test rather than
    // hanging it: the pipe is then opened for writing, which lets the reader go.
    bool readSoon(const std::string& path, std::size_t limit, std::string& out, std::string& why) {
        auto reading =
            std::async(std::launch::async, [&] { return readRegularFile(path, limit, out, why); });
        if (reading.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ADD_FAILURE() << path << " blocked the reader";
            const int writer = ::open((dir / "pipe").c_str(), O_WRONLY | O_NONBLOCK);
            if (writer >= 0)
                ::close(writer);
        }
        return reading.get();
    }

    fs::path dir;
};

TEST_F(SettingsFolder, OnlyRegularFilesWithinTheLimitAreRead) {
    struct Case {
        std::string file;
        std::size_t limit;
        std::string reason; // "" when the file is read
    };
    const std::vector<Case> cases = {
        {"small.txt", kMaxDataFileBytes, ""},
        {"4k.txt", 4096, ""},
        {"over-4k.txt", 4096, "is larger than the limit of 4 KiB"},
        {"over-4k.txt", 100, "is larger than the limit of 100 bytes"},
        {"pipe", kMaxDataFileBytes, "is not a regular file"},
        {"link-to-pipe", kMaxDataFileBytes, "is not a regular file"},
        {"/dev/null", kMaxDataFileBytes, "is not a regular file"},
        {"folder", kMaxDataFileBytes, "is a folder, not a file"},
        {"missing.txt", kMaxDataFileBytes, "does not exist"},
        {"small.txt/below", kMaxDataFileBytes, "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = c.file.front() == '/' ? c.file : (dir / c.file).string();
        std::string out, why;
        EXPECT_EQ(readSoon(path, c.limit, out, why), c.reason.empty());
        EXPECT_EQ(why, c.reason);
        if (c.reason.empty()) {
            EXPECT_EQ(out.size(), fs::file_size(path));
        }
    }
    std::string out, why;
    ASSERT_TRUE(readRegularFile((dir / "small.txt").string(), 4, out, why)) << why;
    EXPECT_EQ(out, "abc\n");
}

} // namespace
