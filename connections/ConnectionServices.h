#pragma once

#include "SavedConnection.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class ConnectionStore;
class SecretStore;

// What a connection test found: whether it connected, and the text the user is shown.
struct ConnectionTest {
    bool connected = false;
    QString text;
};
// Opens a connection with the given settings and password (nothing: none is known) and
// closes it again.
using ConnectionTester =
    std::function<ConnectionTest(const SavedConnection&, const std::optional<QString>& password)>;

// What the "Connections..." dialog works with, handed down by the program.
struct ConnectionServices {
    ConnectionStore& store;
    SecretStore& secrets;
    ConnectionTester test;
    // The environment's settings that choose the client, those set; while there are any, the
    // saved connections are not what the program opens.
    QStringList environmentSettings;
};
