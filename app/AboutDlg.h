#pragma once

#include <QDialog>

// The About box: program icon, name and version, one line about the program, OK.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
