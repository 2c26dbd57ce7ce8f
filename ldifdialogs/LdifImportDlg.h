#pragma once

#include "ldif/LdifImport.h"

#include <QDialog>

class DirectoryPage;
class ProgressLine;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// "Import LDIF": applies an LDIF file to the page's tree. "Preview" reads the whole file and
// tells how many records of each kind it holds (or where it is malformed, reported through
// the page); "Import" then applies the records one at a time, going on after a refusal or
// stopping at the first as chosen, with a progress line and "Cancel" when it runs long, and
// ends with the report of every refused record.
class CLdifImportDlg : public QDialog {
    Q_OBJECT
public:
    CLdifImportDlg(DirectoryPage& page, QWidget* parent = nullptr);

    QLineEdit* fileEdit() const { return fileEdit_; }
    QLabel* previewLabel() const { return preview_; }
    QPlainTextEdit* reportView() const { return report_; }
    ProgressLine* progressLine() const { return progress_; }
    // Whether any record was applied since the dialog opened (the page shows it again).
    bool changedDirectory() const { return changed_; }

    // "Preview": reads the file named; false (reported) when it does not parse.
    bool previewFile();
    // "Import": applies the previewed records; false when any was refused or not tried.
    bool importRecords();

private:
    void chooseFile();
    void fileChanged();
    void enableControls(bool enabled);

    DirectoryPage& page_;
    ldifimport::Plan plan_;
    bool planned_ = false;
    bool changed_ = false;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* previewButton_ = nullptr;
    QLabel* preview_ = nullptr;
    QRadioButton* continueRadio_ = nullptr;
    QRadioButton* stopRadio_ = nullptr;
    QPushButton* importButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    ProgressLine* progress_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
};
