#pragma once

#include "SecretStore.h"

// The desktop's secret store through QtKeychain (the Secret Service or KWallet on Linux), the
// passwords under the service "Ostrel". QtKeychain answers through its event loop; each
// call waits for it at most `waitMs`, so a secret service that is missing or stalled cannot
// hang the program. After one answer that did not come in time, the store counts as
// unavailable.
class KeychainSecretStore : public SecretStore {
public:
    explicit KeychainSecretStore(int waitMs = 3000);

    bool available(QString* reason) override;
    std::optional<QString> read(const QString& key, QString* reason) override;
    bool write(const QString& key, const QString& secret, QString* reason) override;
    bool remove(const QString& key, QString* reason) override;

private:
    int waitMs_;
    std::optional<bool> available_;
    QString unavailableReason_;
    bool stalled_ = false;
};
