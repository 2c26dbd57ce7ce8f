#pragma once

#include <QString>

class QWidget;

// The one path by which a message box is shown. Tests put a recorder in its place.
class Reporter {
public:
    virtual ~Reporter() = default;
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
};

// A modal box with an OK button, no icon, captioned "Ostrel".
class MessageBoxReporter : public Reporter {
public:
    void showMessage(QWidget* parent, const QString& text) override;
};
