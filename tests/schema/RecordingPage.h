#pragma once

#include "directory/DirectoryPage.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

// A page without widgets for driving the schema reads: the client and one context, and
// every report kept as the formatted text.
class RecordingPage : public DirectoryPage {
public:
    RecordingPage(DirectoryClient& client, NWDSContextHandle context)
        : client_(client), context_(context) {}

    DirectoryClient& client() override { return client_; }
    NWDSContextHandle context() const override { return context_; }
    std::string currentContext() const override { return {}; }

    void report(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        messages.emplace_back(text);
    }
    void showLiteralMessage(const std::string& text) override { messages.push_back(text); }
    void refreshServerField() override {}

    std::vector<std::string> messages;

private:
    DirectoryClient& client_;
    NWDSContextHandle context_;
};
