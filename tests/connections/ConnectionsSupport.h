#pragma once

#include "connections/SecretStore.h"

#include <QAccessible>
#include <QDir>
#include <QStandardPaths>
#include <QWidget>
#include <cstdlib>
#include <map>
#include <string>
#include <unistd.h>

// The secret store of the tests: a map, or a desktop without a secret service.
class FakeSecretStore : public SecretStore {
public:
    bool works = true;
    QString why = QStringLiteral("No keychain service available");
    std::map<QString, QString> secrets;
    int reads = 0;

    bool available(QString* reason) override {
        if (!works && reason != nullptr)
            *reason = why;
        return works;
    }
    std::optional<QString> read(const QString& key, QString* reason) override {
        ++reads;
        if (!available(reason))
            return std::nullopt;
        const auto it = secrets.find(key);
        return it == secrets.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    bool write(const QString& key, const QString& secret, QString* reason) override {
        if (!available(reason))
            return false;
        secrets[key] = secret;
        return true;
    }
    bool remove(const QString& key, QString* reason) override {
        if (!available(reason))
            return false;
        secrets.erase(key);
        return true;
    }
};

// The user's configuration folder of a test program: a temporary one, set before the first
// QSettings reads where it is, so that no test reads or writes the real user's settings.
// Removed when the program ends.
inline const QString& testConfigFolder() {
    struct Folder {
        QString path;
        Folder() {
            const std::string dir = "/tmp/ostrel-connections-config-" + std::to_string(::getpid());
            path = QString::fromStdString(dir);
            QDir().mkpath(path);
            ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        }
        ~Folder() { QDir(path).removeRecursively(); }
    };
    static const Folder folder;
    return folder.path;
}

// The control a screen reader announces as `name`, of type T, below `top`.
template <class T> T* controlNamed(QWidget* top, const QString& name) {
    for (T* control : top->findChildren<T*>()) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        if (accessible != nullptr && accessible->text(QAccessible::Name) == name)
            return control;
    }
    return nullptr;
}
