#include "SavedConnection.h"

#include <QRegularExpression>
#include <QUuid>

SavedConnection newConnection(const QString& name) {
    SavedConnection c;
    c.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    c.name = name;
    c.uri = QStringLiteral("ldap://");
    return c;
}

QString problemOf(const SavedConnection& c) {
    const QString name = c.name.trimmed();
    if (name.isEmpty())
        return QStringLiteral("A connection needs a name.");
    if (name.size() > SavedConnection::kMaxNameChars)
        return QStringLiteral("%1: a tree name is at most %2 characters long.")
            .arg(name)
            .arg(SavedConnection::kMaxNameChars);
    // As in a trees file, where a name is one word.
    if (name.contains(QRegularExpression(QStringLiteral("\\s"))))
        return QStringLiteral("%1: a tree name has no spaces.").arg(name);
    const bool ldap = c.uri.startsWith(QStringLiteral("ldap://"));
    const bool ldapi = c.uri.startsWith(QStringLiteral("ldapi://"));
    const bool ldaps = c.uri.startsWith(QStringLiteral("ldaps://"));
    if (!ldap && !ldapi && !ldaps)
        return QStringLiteral("%1: the server URI starts with ldap://, ldaps:// or ldapi://.")
            .arg(name);
    if (c.uri.contains(QLatin1Char(' ')))
        return QStringLiteral("%1: the server URI names one server.").arg(name);
    if (c.bind == SavedConnection::Bind::Simple && c.bindDn.trimmed().isEmpty())
        return QStringLiteral("%1: a simple bind needs a bind DN.").arg(name);
    if (c.bind == SavedConnection::Bind::SaslExternal && !ldapi)
        return QStringLiteral("%1: SASL EXTERNAL is used over an ldapi:// URI.").arg(name);
    // Over ldapi without a DN the client binds with SASL EXTERNAL, as from the environment.
    if (c.bind == SavedConnection::Bind::Anonymous && ldapi)
        return QStringLiteral("%1: over ldapi:// bind with SASL EXTERNAL or a bind DN.").arg(name);
    if (c.startTls && !ldap)
        return QStringLiteral("%1: StartTLS is for ldap:// URIs (ldaps:// is TLS already).")
            .arg(name);
    if (c.timeoutSeconds < 1 || c.timeoutSeconds > SavedConnection::kMaxTimeoutSeconds)
        return QStringLiteral("%1: the time limit is 1 to %2 seconds.")
            .arg(name)
            .arg(SavedConnection::kMaxTimeoutSeconds);
    return {};
}

std::map<std::string, std::string> settingValues(const SavedConnection& c) {
    std::map<std::string, std::string> values;
    auto put = [&values](const char* setting, const QString& value) {
        if (!value.trimmed().isEmpty())
            values[setting] = value.trimmed().toStdString();
    };
    put("OSTREL_LDAP_TREE", c.name);
    put("LDAPURI", c.uri);
    put("LDAPBASE", c.base);
    if (c.bind == SavedConnection::Bind::Simple)
        put("LDAPBINDDN", c.bindDn);
    put("LDAPTLS_CACERT", c.caFile);
    values["OSTREL_LDAP_STARTTLS"] = c.startTls ? "yes" : "no";
    values["OSTREL_LDAP_TIMEOUT"] = std::to_string(c.timeoutSeconds);
    return values;
}
