#pragma once

#include <QDialog>
#include <string>

class DirectoryPage;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
struct RightsReport;

// What an identity may do with one object: its entry rights and the rights to each of the
// object's attributes, each with the ACL values it comes from where the directory tells.
// Opens on the logged-in identity; any other can be named and shown.
class CEffectiveRightsDlg : public QDialog {
    Q_OBJECT
public:
    CEffectiveRightsDlg(DirectoryPage& page, const std::string& objectName,
                        QWidget* parent = nullptr);

    QTreeWidget* rightsTree() const { return rights_; }
    // Reads the rights of the identity named in the field; false (reported) on failure.
    bool showRights();

private:
    void fillRights(const RightsReport& report);

    DirectoryPage& page_;
    std::string objectName_;
    QLineEdit* objectField_ = nullptr;
    QLineEdit* identityEdit_ = nullptr;
    QPushButton* showButton_ = nullptr;
    QTreeWidget* rights_ = nullptr;
    QLabel* noteLabel_ = nullptr;
};
