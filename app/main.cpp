#include "OstrelApp.h"
#include "Strings.h"
#include "client/ClientFactory.h"
#include "pages/Reporter.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));

    MessageBoxReporter reporter;
    std::string error;
    std::unique_ptr<DirectoryClient> client = createDirectoryClient(&error);
    if (!client) {
        reporter.showMessage(nullptr, QString::fromStdString("The directory client could not be "
                                                             "opened: " +
                                                             error));
        return 1;
    }
    COstrelApp ostrel(*client, reporter, QString::fromLatin1(AboutMenuText));
    return ostrel.run();
}
