#pragma once

#include <QString>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

class DirectoryClient;
class Reporter;
struct ConnectionServices;

// Shows a start-up failure in a message box and writes it to `err` as well, so that a
// terminal or a script that started the program sees why it ended. Returns the exit
// status, 1.
int reportStartupFailure(Reporter& reporter, std::ostream& err, const QString& text);

// Opens the directory client with `open` and runs the program on it; when the main window
// closed because the saved connections changed (`connections`), closes the client and does
// it again. Every failure to start goes through reportStartupFailure; returns the program's
// exit status.
int runOstrel(Reporter& reporter, std::ostream& err,
              const std::function<std::unique_ptr<DirectoryClient>(std::string* error)>& open,
              const QString& aboutText, const ConnectionServices* connections = nullptr);
