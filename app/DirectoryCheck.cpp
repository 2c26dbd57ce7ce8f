#include "DirectoryCheck.h"

#include "directory/DirectoryPage.h"
#include "directory/FormatText.h"
#include "directory/ListContainer.h"

#include <cstdarg>
#include <ostream>

namespace {
// What the shared listing walk needs, without a window: one context, and failures written to
// the error stream as the program writes a start-up failure.
class CheckPage : public DirectoryPage {
public:
    CheckPage(DirectoryClient& client, NWDSContextHandle context, std::ostream& err)
        : client_(client), context_(context), err_(err) {}

    DirectoryClient& client() override { return client_; }
    NWDSContextHandle context() const override { return context_; }
    std::string currentContext() const override { return ROOT_NAME; }
    void report(const char* format, ...) override __attribute__((format(printf, 2, 3))) {
        va_list args;
        va_start(args, format);
        const std::string text = formatTextV(format, args);
        va_end(args);
        showLiteralMessage(text);
    }
    void showLiteralMessage(const std::string& text) override {
        // The message texts carry their own line breaks; the terminal gets one line each.
        std::string line;
        for (const char c : text + '\n') {
            if (c != '\n' && c != '\r') {
                line += c;
            } else if (!line.empty()) {
                err_ << "ostrel: " << line << '\n';
                line.clear();
            }
        }
    }
    void refreshServerField() override {}

private:
    DirectoryClient& client_;
    NWDSContextHandle context_;
    std::ostream& err_;
};

class PrintingSink : public ContainerSink {
public:
    explicit PrintingSink(std::ostream& out) : out_(out) {}
    void addObject(const ListedObject& object) override {
        out_ << "  " << object.label << " (" << object.info.baseClass << ")\n";
    }

private:
    std::ostream& out_;
};

int listTop(DirectoryClient& client, NWDSContextHandle context, std::ostream& out,
            std::ostream& err) {
    CheckPage page(client, context, err);
    // Typeless names, not canonicalized, as every page has them.
    std::uint32_t flags = 0;
    if (const NWDSCCODE rc = client.NWDSGetContext(context, DCK_FLAGS, &flags, sizeof flags)) {
        page.report("NWDSGetContext returned: %04X", unsigned(rc));
        return 1;
    }
    flags = (flags | DCV_TYPELESS_NAMES) & ~std::uint32_t(DCV_CANONICALIZE_NAMES);
    if (const NWDSCCODE rc = client.NWDSSetContext(context, DCK_FLAGS, &flags)) {
        page.report("NWDSSetContext returned: %04X", unsigned(rc));
        return 1;
    }
    char tree[MAX_TREE_NAME_BYTES] = {};
    if (const NWDSCCODE rc = client.NWDSGetContext(context, DCK_TREE_NAME, tree, sizeof tree)) {
        page.report("NWDSGetContext returned: %04X", unsigned(rc));
        return 1;
    }
    char identity[MAX_DN_BYTES] = {};
    if (const NWDSCCODE rc = client.NWDSWhoAmI(context, identity, sizeof identity)) {
        page.report("NWDSWhoAmI returned: %04X", unsigned(rc));
        return 1;
    }
    out << "Tree: " << tree << '\n' << "Logged in as: " << identity << '\n' << ROOT_NAME << '\n';
    PrintingSink sink(out);
    return ListContainer(page, ROOT_NAME, sink) ? 0 : 1;
}
} // namespace

int checkDirectory(const std::function<std::unique_ptr<DirectoryClient>(std::string* error)>& open,
                   const std::string& dataFolder, std::ostream& out, std::ostream& err) {
    std::string error;
    const std::unique_ptr<DirectoryClient> client = open(&error);
    if (!client) {
        err << "ostrel: The directory client could not be opened: " << error << '\n';
        return 1;
    }
    if (!dataFolder.empty())
        out << "Data folder: " << dataFolder << '\n';
    CheckPage page(*client, NO_CONTEXT, err);
    if (const NWDSCCODE rc = client->NWCallsInit(nullptr, nullptr)) {
        page.report("NWCallsInit() returned %04X... Cannot start.", unsigned(rc));
        return 1;
    }
    NWDSContextHandle context = NO_CONTEXT;
    if (const NWDSCCODE rc = client->NWDSCreateContextHandle(&context)) {
        page.report("NWDSCreateContextHandle() returned %04X", unsigned(rc));
        return 1;
    }
    const int status = listTop(*client, context, out, err);
    client->NWDSFreeContext(context);
    return status;
}
