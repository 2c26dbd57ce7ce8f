#include "KeychainSecretStore.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <qt6keychain/keychain.h>

namespace {
const QString kService = QStringLiteral("Ostrel");
// A key no connection has: reading it tells whether the store answers.
const QString kProbeKey = QStringLiteral("ostrel-availability-probe");

struct Outcome {
    bool finished = false;
    QKeychain::Error error = QKeychain::NoError;
    QString errorText;
    QString secret;
};

// Runs a job and waits for it at most `waitMs`. A job still running then is left to finish on
// its own (it deletes itself); its answer is dropped.
Outcome runJob(QKeychain::Job* job, int waitMs) {
    auto outcome = std::make_shared<Outcome>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QObject::connect(job, &QKeychain::Job::finished, [outcome, waiting](QKeychain::Job* done) {
        outcome->finished = true;
        outcome->error = done->error();
        outcome->errorText = done->errorString();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            outcome->secret = read->textData();
        if (waiting)
            waiting->quit();
    });
    job->setAutoDelete(true);
    job->setInsecureFallback(false); // never a plain file beside the settings
    job->start();
    if (!outcome->finished) {
        QTimer::singleShot(waitMs, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return *outcome;
}

QString stalledText(int waitMs) {
    return QStringLiteral("the secret service did not answer within %1 s").arg(waitMs / 1000.0);
}
} // namespace

KeychainSecretStore::KeychainSecretStore(int waitMs) : waitMs_(waitMs) {}

bool KeychainSecretStore::available(QString* reason) {
    if (!available_) {
        QString why;
        read(kProbeKey, &why);
        available_ = why.isEmpty();
        unavailableReason_ = why;
    }
    if (!*available_ && reason != nullptr)
        *reason = unavailableReason_;
    return *available_;
}

std::optional<QString> KeychainSecretStore::read(const QString& key, QString* reason) {
    if (stalled_) {
        if (reason != nullptr)
            *reason = stalledText(waitMs_);
        return std::nullopt;
    }
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(key);
    const Outcome outcome = runJob(job, waitMs_);
    if (!outcome.finished) {
        stalled_ = true;
        if (reason != nullptr)
            *reason = stalledText(waitMs_);
        return std::nullopt;
    }
    if (outcome.error == QKeychain::NoError)
        return outcome.secret;
    if (reason != nullptr)
        *reason = outcome.error == QKeychain::EntryNotFound ? QString() : outcome.errorText;
    return std::nullopt;
}

bool KeychainSecretStore::write(const QString& key, const QString& secret, QString* reason) {
    if (stalled_) {
        if (reason != nullptr)
            *reason = stalledText(waitMs_);
        return false;
    }
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(key);
    job->setTextData(secret);
    const Outcome outcome = runJob(job, waitMs_);
    stalled_ = !outcome.finished;
    if (outcome.finished && outcome.error == QKeychain::NoError)
        return true;
    if (reason != nullptr)
        *reason = outcome.finished ? outcome.errorText : stalledText(waitMs_);
    return false;
}

bool KeychainSecretStore::remove(const QString& key, QString* reason) {
    if (stalled_) {
        if (reason != nullptr)
            *reason = stalledText(waitMs_);
        return false;
    }
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(key);
    const Outcome outcome = runJob(job, waitMs_);
    stalled_ = !outcome.finished;
    if (outcome.finished &&
        (outcome.error == QKeychain::NoError || outcome.error == QKeychain::EntryNotFound))
        return true;
    if (reason != nullptr)
        *reason = outcome.finished ? outcome.errorText : stalledText(waitMs_);
    return false;
}
