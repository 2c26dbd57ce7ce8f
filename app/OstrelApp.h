#pragma once

#include <QString>
#include <iosfwd>

class DirectoryClient;
class Reporter;

// Starts the directory-client library and runs the main window.
class COstrelApp {
public:
    // `err` also receives a failure to start (standard error in the program).
    COstrelApp(DirectoryClient& client, Reporter& reporter, QString aboutText, std::ostream& err);

    // The program's exit status: 0 after the main window closed, 1 when the client
    // library could not be started.
    int run();

private:
    DirectoryClient& client_;
    Reporter& reporter_;
    QString aboutText_;
    std::ostream& err_;
};
