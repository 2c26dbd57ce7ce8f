#pragma once

#include "directory/DirectoryPage.h"
#include "directory/FormatText.h"
#include "tests/support/PageContext.h"

#include <cstdarg>
#include <string>
#include <vector>

// A page as the shared reads see it, with its own typeless-name context; it keeps every
// message it is asked to show.
class TestPage : public DirectoryPage {
public:
    TestPage(DirectoryClient& client, std::string currentContext)
        : client_(client), currentContext_(std::move(currentContext)) {
        if (client_.NWDSCreateContextHandle(&context_) < 0)
            return;
        usePageFlags(client_, context_);
    }
    ~TestPage() override {
        if (context_ != NO_CONTEXT)
            client_.NWDSFreeContext(context_);
    }
    TestPage(const TestPage&) = delete;
    TestPage& operator=(const TestPage&) = delete;

    DirectoryClient& client() override { return client_; }
    NWDSContextHandle context() const override { return context_; }
    std::string currentContext() const override { return currentContext_; }
    void report(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        messages.push_back(formatTextV(format, args));
        va_end(args);
    }
    void showLiteralMessage(const std::string& text) override { messages.push_back(text); }
    void refreshServerField() override { ++serverRefreshes; }

    std::vector<std::string> messages;
    int serverRefreshes = 0;

private:
    DirectoryClient& client_;
    std::string currentContext_;
    NWDSContextHandle context_ = NO_CONTEXT;
};
