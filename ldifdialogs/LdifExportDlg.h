#pragma once

#include "ldif/LdifExport.h"

#include <QDialog>
#include <string>

class DirectoryPage;
class ProgressLine;
class QLineEdit;
class QPushButton;
class QRadioButton;

// "Export LDIF": writes objects of the page's tree to an LDIF file chosen in the dialog: the
// browser's selected object alone or with its subtree, or what the query page's search
// finds. A long export shows its progress with "Cancel"; failures are reported through the
// page.
class CLdifExportDlg : public QDialog {
    Q_OBJECT
public:
    // The browser's object, written alone ("This object") or with all below it ("The subtree").
    CLdifExportDlg(DirectoryPage& page, const std::string& objectName, QWidget* parent = nullptr);
    // What a search finds, as `description` tells it.
    CLdifExportDlg(DirectoryPage& page, const ldifexport::Selection& search,
                   const QString& description, QWidget* parent = nullptr);

    QLineEdit* fileEdit() const { return fileEdit_; }
    ProgressLine* progressLine() const { return progress_; }
    // "Export": writes the file named; false (reported) when it fails or is cancelled.
    bool exportFile();

private:
    void build(const QString& label, const QString& what, bool scopeChoice);
    void chooseFile();
    void enableControls(bool enabled);

    DirectoryPage& page_;
    ldifexport::Selection selection_;
    bool scopeChoice_ = false; // "This object" or "The subtree"
    QLineEdit* whatField_ = nullptr;
    QRadioButton* objectRadio_ = nullptr;
    QRadioButton* subtreeRadio_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    ProgressLine* progress_ = nullptr;
};
