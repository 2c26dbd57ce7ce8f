#pragma once

#include "DirectoryClient.h"

#include <string>

// What the shared walks and reads need from the page that runs them: the page's
// client and context, its current context for building full names, and its one
// reporting path.
class DirectoryPage {
public:
    virtual ~DirectoryPage() = default;

    virtual DirectoryClient& client() = 0;
    virtual NWDSContextHandle context() const = 0;
    // The container being shown (the browser's current context) or the name context.
    virtual std::string currentContext() const = 0;

    // Formats printf-style into the page's message string and shows it.
    virtual void report(const char* format, ...) __attribute__((format(printf, 2, 3))) = 0;
    // Shows a literal text, not through the message string ("Could Not Add Node").
    virtual void showLiteralMessage(const std::string& text) = 0;
    // Reads key 8 and the server name into the page's "Server:" field.
    virtual void refreshServerField() = 0;
};
