#include "ImportCommand.h"
#include "Startup.h"
#include "Strings.h"
#include "client/ClientFactory.h"
#include "pages/Reporter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <iostream>

int main(int argc, char** argv) {
    // A script's import runs without a window.
    if (const auto command = importCommandOf(argc, argv))
        return runImportCommand(*command, createDirectoryClient, std::cout, std::cerr);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));

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
    return runOstrel(reporter, std::cerr, directoryClientOpener(askPassword),
                     QString::fromLatin1(AboutMenuText));
}
