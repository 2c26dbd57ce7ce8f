#include "ProgressLine.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
// How often a running export or import lets the window handle its events.
constexpr int kEventsEveryMs = 50;
} // namespace

ProgressLine::ProgressLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("progressLine"));
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("progressText"));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    cancel_->setAutoDefault(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(text_, 1);
    row->addWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    hide();
}

void ProgressLine::start() {
    cancelled_ = false;
    hide();
    running_.start();
    lastEvents_.start();
}

bool ProgressLine::step(const QString& text) {
    if (isHidden() && running_.elapsed() >= showAfter_) {
        text_->setText(text);
        show();
        cancel_->setFocus();
        QApplication::processEvents();
        lastEvents_.start();
    } else if (!isHidden() && lastEvents_.elapsed() >= kEventsEveryMs) {
        text_->setText(text);
        QApplication::processEvents();
        lastEvents_.start();
    }
    return !cancelled_;
}

void ProgressLine::finish() {
    hide();
}
