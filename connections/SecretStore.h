#pragma once

#include <QString>
#include <optional>

// Where remembered passwords are kept: the desktop's secret store, or a fake in the tests.
// Every call returns within a bounded time.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    // Whether passwords can be kept here; why not in *reason.
    virtual bool available(QString* reason) = 0;
    // The secret kept under `key`; nothing when none is, or the store cannot be read (why
    // in *reason, empty when none is kept).
    virtual std::optional<QString> read(const QString& key, QString* reason) = 0;
    virtual bool write(const QString& key, const QString& secret, QString* reason) = 0;
    // true when nothing is kept under `key` afterwards.
    virtual bool remove(const QString& key, QString* reason) = 0;
};
