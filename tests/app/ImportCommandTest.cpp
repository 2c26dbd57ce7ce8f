// `ostrel --import FILE`: the arguments it takes, and the program run as a script runs it on
// the embedded demo directory: the preview and the report on its output, its exit status.
#include "app/ImportCommand.h"

#include "client/embedded/EmbeddedDirectory.h"
#include "tests/support/TestFolder.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

std::optional<ImportCommand> commandOf(std::vector<std::string> args) {
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    return importCommandOf(int(argv.size()), argv.data());
}

TEST(ImportCommand, TheArgumentsAskForAnImportOrNot) {
    EXPECT_FALSE(commandOf({"ostrel"}));
    EXPECT_FALSE(commandOf({"ostrel", "-style", "fusion"}));
    auto c = commandOf({"ostrel", "--import", "in.ldif"});
    ASSERT_TRUE(c);
    EXPECT_EQ(c->file, "in.ldif");
    EXPECT_FALSE(c->stopAtRefusal);
    EXPECT_TRUE(c->badArgument.empty());
    c = commandOf({"ostrel", "--stop-at-refusal", "--import", "in.ldif"});
    ASSERT_TRUE(c);
    EXPECT_TRUE(c->stopAtRefusal);
    EXPECT_EQ(commandOf({"ostrel", "--import"})->badArgument, "--import needs a file");
    EXPECT_EQ(commandOf({"ostrel", "--import", "a", "b"})->badArgument, "b");

    std::ostringstream out, err;
    EXPECT_EQ(runImportCommand(*commandOf({"ostrel", "--import"}), {}, out, err), 2);
    EXPECT_EQ(err.str(), "ostrel: --import needs a file\n"
                         "usage: ostrel --import FILE [--stop-at-refusal]\n");
}

// Runs the program with the environment given; its exit status and what it printed.
int runOstrel(const std::string& arguments, std::string& output) {
    const std::string command = "OSTREL_CLIENT=embedded OSTREL_DATA='" +
                                EmbeddedDirectory::demoDataDir() + "' '" + OSTREL_PROGRAM + "' " +
                                arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    std::array<char, 512> chunk{};
    output.clear();
    for (std::size_t n; (n = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0;)
        output.append(chunk.data(), n);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ImportCommand, TheProgramPrintsTheReportAndFailsOnARefusal) {
    const fs::path dir = freshTestFolder("ostrel-import-command");
    fs::create_directories(dir);
    std::ofstream(dir / "good.ldif") << "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n";
    std::ofstream(dir / "refused.ldif")
        << "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n\n"
           "dn: cn=Jane,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\nsn: Doe\n";
    std::ofstream(dir / "stop.ldif")
        << "dn: cn=Jane,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\nsn: Doe\n\n"
           "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n";
    std::ofstream(dir / "bad.ldif") << "dn: cn=Kim,o=Acme\nnot a line\n";
    std::string output;
    EXPECT_EQ(runOstrel("--import '" + (dir / "good.ldif").string() + "'", output), 0);
    EXPECT_EQ(output, "1 record: 1 add, 0 deletes, 0 modifies, 0 renames or moves\n"
                      "1 record applied, 0 refused.\n");
    EXPECT_EQ(runOstrel("--import '" + (dir / "refused.ldif").string() + "'", output), 1);
    EXPECT_EQ(output, "2 records: 2 adds, 0 deletes, 0 modifies, 0 renames or moves\n"
                      "1 record applied, 1 refused.\n"
                      "line 5: NWDSAddObject returned: FDA2\n");
    EXPECT_EQ(
        runOstrel("--stop-at-refusal --import '" + (dir / "stop.ldif").string() + "'", output), 1);
    EXPECT_EQ(output, "2 records: 2 adds, 0 deletes, 0 modifies, 0 renames or moves\n"
                      "0 records applied, 1 refused, 1 not tried.\n"
                      "line 1: NWDSAddObject returned: FDA2\n");
    EXPECT_EQ(runOstrel("--import '" + (dir / "bad.ldif").string() + "'", output), 1);
    EXPECT_EQ(output, "ostrel: " + (dir / "bad.ldif").string() + ":2: expected \"name: value\"\n");
    fs::remove_all(dir);
}

} // namespace
