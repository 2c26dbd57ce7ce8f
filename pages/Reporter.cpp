#include "Reporter.h"

#include <QMessageBox>

void MessageBoxReporter::showMessage(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ostrel"), text, QMessageBox::Ok, parent);
    box.exec();
}
