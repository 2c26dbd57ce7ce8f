#pragma once

#include <QString>

class DirectoryClient;
class Reporter;

// Starts the directory-client library and runs the main window.
class COstrelApp {
public:
    COstrelApp(DirectoryClient& client, Reporter& reporter, QString aboutText);

    // The program's exit status: 0 after the main window closed, 1 when the client
    // library could not be started.
    int run();

private:
    DirectoryClient& client_;
    Reporter& reporter_;
    QString aboutText_;
};
