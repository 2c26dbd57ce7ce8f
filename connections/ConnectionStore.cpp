#include "ConnectionStore.h"

#include <QSettings>

namespace {
const char* bindText(SavedConnection::Bind bind) {
    switch (bind) {
    case SavedConnection::Bind::Simple:
        return "simple";
    case SavedConnection::Bind::SaslExternal:
        return "external";
    case SavedConnection::Bind::Anonymous:
        break;
    }
    return "anonymous";
}

SavedConnection::Bind bindOf(const QString& text) {
    if (text == QLatin1String("simple"))
        return SavedConnection::Bind::Simple;
    if (text == QLatin1String("external"))
        return SavedConnection::Bind::SaslExternal;
    return SavedConnection::Bind::Anonymous;
}
} // namespace

ConnectionStore::ConnectionStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            QString::fromLatin1(kOrganization),
                                            QString::fromLatin1(kApplication))) {}

ConnectionStore::ConnectionStore(std::unique_ptr<QSettings> settings)
    : settings_(std::move(settings)) {}

ConnectionStore::~ConnectionStore() = default;

QString ConnectionStore::fileName() const {
    return settings_->fileName();
}

std::vector<SavedConnection> ConnectionStore::load() const {
    settings_->sync();
    std::vector<SavedConnection> out;
    const int count = settings_->beginReadArray(QStringLiteral("connections"));
    for (int i = 0; i < count; ++i) {
        settings_->setArrayIndex(i);
        SavedConnection c;
        c.id = settings_->value(QStringLiteral("id")).toString();
        c.name = settings_->value(QStringLiteral("name")).toString();
        c.uri = settings_->value(QStringLiteral("uri")).toString();
        c.base = settings_->value(QStringLiteral("base")).toString();
        c.bind = bindOf(settings_->value(QStringLiteral("bind")).toString());
        c.bindDn = settings_->value(QStringLiteral("bindDn")).toString();
        c.startTls = settings_->value(QStringLiteral("startTls"), false).toBool();
        c.caFile = settings_->value(QStringLiteral("caFile")).toString();
        c.timeoutSeconds = settings_->value(QStringLiteral("timeout"), 30).toInt();
        c.rememberPassword = settings_->value(QStringLiteral("rememberPassword"), false).toBool();
        // A hand-edited entry without a name or an id cannot be shown as a tree.
        if (!c.id.isEmpty() && !c.name.isEmpty())
            out.push_back(std::move(c));
    }
    settings_->endArray();
    return out;
}

bool ConnectionStore::save(const std::vector<SavedConnection>& connections, QString* reason) {
    settings_->remove(QStringLiteral("connections"));
    settings_->beginWriteArray(QStringLiteral("connections"), int(connections.size()));
    for (int i = 0; i < int(connections.size()); ++i) {
        const SavedConnection& c = connections[std::size_t(i)];
        settings_->setArrayIndex(i);
        settings_->setValue(QStringLiteral("id"), c.id);
        settings_->setValue(QStringLiteral("name"), c.name);
        settings_->setValue(QStringLiteral("uri"), c.uri);
        settings_->setValue(QStringLiteral("base"), c.base);
        settings_->setValue(QStringLiteral("bind"), QString::fromLatin1(bindText(c.bind)));
        settings_->setValue(QStringLiteral("bindDn"), c.bindDn);
        settings_->setValue(QStringLiteral("startTls"), c.startTls);
        settings_->setValue(QStringLiteral("caFile"), c.caFile);
        settings_->setValue(QStringLiteral("timeout"), c.timeoutSeconds);
        settings_->setValue(QStringLiteral("rememberPassword"), c.rememberPassword);
    }
    settings_->endArray();
    settings_->sync();
    if (settings_->status() != QSettings::NoError) {
        if (reason != nullptr)
            *reason = QStringLiteral("the settings file %1 could not be written")
                          .arg(settings_->fileName());
        return false;
    }
    return true;
}
