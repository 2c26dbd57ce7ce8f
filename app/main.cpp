#include "Startup.h"
#include "Strings.h"
#include "client/ClientFactory.h"
#include "pages/Reporter.h"

#include <QApplication>
#include <iostream>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));

    MessageBoxReporter reporter;
    return runOstrel(reporter, std::cerr, createDirectoryClient,
                     QString::fromLatin1(AboutMenuText));
}
