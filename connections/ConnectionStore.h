#pragma once

#include "SavedConnection.h"

#include <QString>
#include <memory>
#include <vector>

class QSettings;

// The saved connections, in the user's configuration folder in the desktop's native format
// ($XDG_CONFIG_HOME/Ostrel/Ostrel.conf on Linux). Passwords are never among them: they are
// in the secret store under each connection's id.
class ConnectionStore {
public:
    // The organization and application names the program gives QCoreApplication.
    static constexpr const char* kOrganization = "Ostrel";
    static constexpr const char* kApplication = "Ostrel";

    ConnectionStore();
    // The settings of a file of the tests' choosing.
    explicit ConnectionStore(std::unique_ptr<QSettings> settings);
    ~ConnectionStore();

    std::vector<SavedConnection> load() const;
    // Replaces what is saved; false with the reason when it could not be written.
    bool save(const std::vector<SavedConnection>& connections, QString* reason = nullptr);
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};
