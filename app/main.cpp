#include "DirectoryCheck.h"
#include "ImportCommand.h"
#include "Startup.h"
#include "Strings.h"
#include "client/ClientFactory.h"
#include "client/SavedTrees.h"
#include "connections/ConnectionOpening.h"
#include "connections/ConnectionStore.h"
#include "connections/KeychainSecretStore.h"
#include "pages/Reporter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <cstring>
#include <iostream>
#include <memory>

namespace {
// The options that answer on the terminal and open no window, so need no display.
bool wantsWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"--check", "--version", "-v", "--help", "-h", "--help-all"}) {
            if (std::strcmp(argv[i], option) == 0)
                return false;
        }
    }
    return true;
}

// The demo data installed with the program (OSTREL_INSTALLED_DATA, relative to the folder of
// the executable: <prefix>/share/ostrel/data beside <prefix>/bin/ostrel). Empty when the
// program runs from a build folder; the client then takes the source tree's data/.
std::string installedDemoData() {
    const QDir beside(QCoreApplication::applicationDirPath());
    const QString data = QDir::cleanPath(beside.filePath(QStringLiteral(OSTREL_INSTALLED_DATA)));
    if (!QFileInfo(data + QStringLiteral("/directory.conf")).isFile())
        return {};
    return QFile::encodeName(data).toStdString();
}
} // namespace

int main(int argc, char** argv) {
    // A script's import runs without a window.
    if (const auto command = importCommandOf(argc, argv))
        return runImportCommand(*command, createDirectoryClient, std::cout, std::cerr);

    const std::unique_ptr<QCoreApplication> app(
        wantsWindow(argc, argv) ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    // The names the saved connections' settings file is found by.
    QCoreApplication::setOrganizationName(QString::fromLatin1(ConnectionStore::kOrganization));
    QCoreApplication::setApplicationName(QString::fromLatin1(ConnectionStore::kApplication));
    QCoreApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(OSTREL_APP_ID));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Browse, query and edit NDS directory trees."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption check(
        QStringLiteral("check"),
        QStringLiteral("Open the directory the settings name, list the top of its first tree "
                       "and exit: 0 when it could be read, 1 with the reason otherwise."));
    parser.addOption(check);
    parser.process(*app);

    const std::string demoData = installedDemoData();
    if (parser.isSet(check))
        return checkDirectory(directoryClientOpener({}, demoData), embeddedDataFolder(demoData),
                              std::cout, std::cerr);

    MessageBoxReporter reporter;
    // An LDAP identity without a password file: the password is asked for here, never taken
    // from the command line.
    const PasswordPrompt askPassword = [](const std::string& who) -> std::optional<std::string> {
        bool ok = false;
        const QString password = QInputDialog::getText(
            nullptr, QApplication::applicationName(),
            QStringLiteral("Password for %1:").arg(QString::fromStdString(who)),
            QLineEdit::Password, QString(), &ok);
        if (!ok)
            return std::nullopt;
        return password.toStdString();
    };
    // Saved connections, when the environment's settings choose no client; their passwords
    // in the desktop's secret store.
    ConnectionStore store;
    KeychainSecretStore secrets;
    QStringList environment;
    for (const std::string& name : clientSettingsInEnvironment())
        environment << QString::fromStdString(name);
    const ConnectionServices connections{store, secrets, testSavedConnection, environment};
    const auto fellBack = [&reporter](const std::string& why) {
        std::cerr << "ostrel: the saved connections could not be opened: " << why << std::endl;
        reporter.showMessage(
            nullptr, QStringLiteral("The saved connections could not be opened: %1\n"
                                    "Ostrel opens the demo directory; \"Connections...\" in "
                                    "the window menu changes them.")
                         .arg(QString::fromStdString(why)));
    };
    const DirectoryClientOpener open =
        savedTreesOpener([&store, &secrets,
                          askPassword] { return savedTreesOf(store.load(), secrets, askPassword); },
                         askPassword, demoData, fellBack);
    return runOstrel(reporter, std::cerr, open, QString::fromLatin1(AboutMenuText), &connections);
}
