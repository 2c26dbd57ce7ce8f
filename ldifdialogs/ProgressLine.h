#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// The progress line of an export or an import: hidden while the work is short, shown with
// its "Cancel" button once it has run longer than half a second. While it shows, the
// window's events are handled now and then, so that Cancel can be clicked; the dialog keeps
// its other controls disabled meanwhile.
class ProgressLine : public QWidget {
    Q_OBJECT
public:
    explicit ProgressLine(QWidget* parent);

    // Before the work starts: hidden, the clock at zero, not cancelled.
    void start();
    // How far the work is; false once Cancel was clicked.
    bool step(const QString& text);
    // After the work: hidden again.
    void finish();

    QPushButton* cancelButton() const { return cancel_; }
    QLabel* textLabel() const { return text_; }
    // Half a second unless a test says otherwise.
    void setShowAfter(int milliseconds) { showAfter_ = milliseconds; }

private:
    QLabel* text_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QElapsedTimer running_, lastEvents_;
    int showAfter_ = 500;
    bool cancelled_ = false;
};
