#pragma once

#include "pages/Reporter.h"

#include <QStringList>

// Stands in for the message box: keeps every text that would have been shown.
class RecordingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString& text) override { messages.append(text); }
    QString last() const { return messages.isEmpty() ? QString() : messages.last(); }
    void clear() { messages.clear(); }

    QStringList messages;
};
