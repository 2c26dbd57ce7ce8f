#include "Reporter.h"

#include <QMessageBox>

void MessageBoxReporter::showMessage(QWidget* parent, const QString& text) {
    // Messages end their lines with "\r", "\n" or both; each is one line break on screen.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ostrel"), shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
