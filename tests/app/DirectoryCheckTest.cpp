#include "app/DirectoryCheck.h"

#include "client/embedded/EmbeddedDirectory.h"
#include "directory/ResultCodes.h"
#include "tests/support/FaultInjectingClient.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {
struct Check {
    std::unique_ptr<EmbeddedDirectory> directory = EmbeddedDirectory::openDemo("Guest.Acme");
    std::ostringstream out;
    std::ostringstream err;

    // Runs the check on the demo directory behind a wrapper that fails `operation` once.
    int run(const std::string& operation = {}) {
        auto open = [&](std::string*) -> std::unique_ptr<DirectoryClient> {
            auto client = std::make_unique<FaultInjectingClient>(*directory);
            if (!operation.empty())
                client->failCall(operation, 1, ERR_TRANSPORT_FAILURE);
            return client;
        };
        return checkDirectory(open, "/demo/data", out, err);
    }
};
} // namespace

TEST(DirectoryCheck, ListsTheTopOfTheFirstTree) {
    Check check;
    ASSERT_NE(check.directory, nullptr);
    EXPECT_EQ(check.run(), 0);
    EXPECT_EQ(check.out.str(), "Data folder: /demo/data\n"
                               "Tree: ACME_TREE\n"
                               "Logged in as: Guest.Acme\n"
                               "[Root]\n"
                               "  US (Country)\n"
                               "  Acme (Organization)\n");
    EXPECT_EQ(check.err.str(), "");
    EXPECT_EQ(check.directory->outstandingResources(), ClientResourceCounts{});
}

TEST(DirectoryCheck, EachFailingCallEndsTheCheckWithItsNameAndReleasesWhatItTook) {
    for (const char* operation :
         {"NWCallsInit", "NWDSCreateContextHandle", "NWDSSetContext", "NWDSGetContext",
          "NWDSWhoAmI", "NWDSAllocBuf", "NWDSList", "NWDSGetObjectName"}) {
        SCOPED_TRACE(operation);
        Check check;
        EXPECT_EQ(check.run(operation), 1);
        EXPECT_EQ(check.out.str().find("Acme ("), std::string::npos);
        // One line per message, each marked as the program's own.
        const std::string err = check.err.str();
        EXPECT_EQ(err.rfind("ostrel: ", 0), 0u) << err;
        EXPECT_NE(err.find(operation), std::string::npos) << err;
        EXPECT_EQ(err.find("\n\n"), std::string::npos) << err;
        EXPECT_EQ(check.directory->outstandingResources(), ClientResourceCounts{});
    }
}

TEST(DirectoryCheck, AClientThatCannotBeOpenedIsTheReason) {
    std::ostringstream out;
    std::ostringstream err;
    auto open = [](std::string* error) -> std::unique_ptr<DirectoryClient> {
        *error = "identity Nobody.Acme is not an object of ACME_TREE";
        return nullptr;
    };
    EXPECT_EQ(checkDirectory(open, "/demo/data", out, err), 1);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "ostrel: The directory client could not be opened: identity Nobody.Acme "
                         "is not an object of ACME_TREE\n");
}
