#include "ImportCommand.h"

#include "directory/DirectoryClient.h"
#include "directory/FormatText.h"
#include "ldif/LdifImport.h"

#include <ostream>
#include <string_view>

std::optional<ImportCommand> importCommandOf(int argc, char** argv) {
    bool asked = false;
    ImportCommand command;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--import") {
            asked = true;
            if (i + 1 < argc)
                command.file = argv[++i];
            else
                command.badArgument = "--import needs a file";
        } else if (arg == "--stop-at-refusal") {
            command.stopAtRefusal = true;
        } else if (command.badArgument.empty()) {
            command.badArgument = std::string(arg);
        }
    }
    if (!asked)
        return std::nullopt;
    return command;
}

int runImportCommand(const ImportCommand& command,
                     const std::function<std::unique_ptr<DirectoryClient>(std::string*)>& open,
                     std::ostream& out, std::ostream& err) {
    if (!command.badArgument.empty()) {
        err << "ostrel: " << command.badArgument
            << "\nusage: ostrel --import FILE [--stop-at-refusal]" << std::endl;
        return 2;
    }
    std::string error;
    std::unique_ptr<DirectoryClient> client = open(&error);
    if (!client) {
        err << "ostrel: The directory client could not be opened: " << error << std::endl;
        return 1;
    }
    DirectoryClient& dc = *client;
    NWDSContextHandle context = NO_CONTEXT;
    NWDSCCODE rc = dc.NWCallsInit(nullptr, nullptr);
    const char* call = "NWCallsInit";
    if (rc == 0) {
        rc = dc.NWDSCreateContextHandle(&context);
        call = "NWDSCreateContextHandle";
    }
    if (rc != 0) {
        err << "ostrel: " << formatText("%s returned: %04X", call, unsigned(rc) & 0xFFFFu)
            << std::endl;
        return 1;
    }
    ldifimport::Plan plan;
    int status = 1;
    if (!ldifimport::prepare(dc, context, command.file, plan, error)) {
        err << "ostrel: " << error << std::endl;
    } else {
        out << ldifimport::previewText(plan) << std::endl;
        const auto report = ldifimport::apply(
            dc, context, plan,
            command.stopAtRefusal ? ldifimport::OnRefusal::Stop : ldifimport::OnRefusal::Continue);
        out << ldifimport::reportText(report) << std::flush;
        status = report.allApplied() ? 0 : 1;
    }
    dc.NWDSFreeContext(context);
    return status;
}
