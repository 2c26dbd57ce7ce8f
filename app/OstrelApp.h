#pragma once

#include <QString>
#include <iosfwd>

class DirectoryClient;
class Reporter;
struct ConnectionServices;

// Starts the directory-client library and runs the main window.
class COstrelApp {
public:
    // `err` also receives a failure to start (standard error in the program).
    COstrelApp(DirectoryClient& client, Reporter& reporter, QString aboutText, std::ostream& err,
               const ConnectionServices* connections = nullptr);

    // The program's exit status: 0 after the main window closed, 1 when the client
    // library could not be started.
    int run();
    // Whether the main window closed for the client to be opened again on changed
    // connections.
    bool reopenRequested() const { return reopenRequested_; }

private:
    DirectoryClient& client_;
    Reporter& reporter_;
    QString aboutText_;
    std::ostream& err_;
    const ConnectionServices* connections_;
    bool reopenRequested_ = false;
};
