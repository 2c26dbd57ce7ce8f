#include "Startup.h"

#include "OstrelApp.h"
#include "directory/DirectoryClient.h"
#include "pages/Reporter.h"

#include <ostream>

int reportStartupFailure(Reporter& reporter, std::ostream& err, const QString& text) {
    // The message texts end in their own line breaks or none; the terminal gets exactly one.
    QString line = text;
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    err << "ostrel: " << line.toStdString() << std::endl;
    reporter.showMessage(nullptr, text);
    return 1;
}

int runOstrel(Reporter& reporter, std::ostream& err,
              const std::function<std::unique_ptr<DirectoryClient>(std::string* error)>& open,
              const QString& aboutText, const ConnectionServices* connections) {
    for (;;) {
        std::string error;
        std::unique_ptr<DirectoryClient> client = open(&error);
        if (!client)
            return reportStartupFailure(
                reporter, err,
                QString::fromStdString("The directory client could not be opened: " + error));
        COstrelApp ostrel(*client, reporter, aboutText, err, connections);
        const int status = ostrel.run();
        if (!ostrel.reopenRequested())
            return status;
    }
}
