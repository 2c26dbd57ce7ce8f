#include "Reporter.h"

#include <QApplication>
#include <QMessageBox>

void MessageBoxReporter::showMessage(QWidget* parent, const QString& text) {
    // Messages end their lines with "\r", "\n" or both; each is one line break on screen.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ostrel"), shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The message is for reading: the wait cursor of the action that reports it steps aside.
    const bool waiting = QApplication::overrideCursor() != nullptr;
    if (waiting)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waiting)
        QApplication::restoreOverrideCursor();
}
