#pragma once

#include "ConnectionServices.h"
#include "SavedConnection.h"

#include <QDialog>
#include <map>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class Reporter;

// "Connections": adds, edits, tests and removes the saved connections, each shown as a tree
// in the browser's list of trees. OK saves them (passwords only in the secret store, and only
// when "Remember password" is ticked); Cancel leaves what was saved.
class ConnectionsDlg : public QDialog {
    Q_OBJECT
public:
    ConnectionsDlg(const ConnectionServices& services, Reporter& reporter,
                   QWidget* parent = nullptr);

    // Whether OK saved a list other than the one the dialog opened with.
    bool changedConnections() const { return changed_; }
    const std::vector<SavedConnection>& connections() const { return connections_; }

    // The dialog's one reporting path.
    void report(const QString& text);

    // Handlers.
    void addConnection();
    void removeConnection();
    void testConnection();
    void saveConnections();
    void browseCaFile();

private:
    void buildControls();
    void connectControls();
    void showSelected();
    // The form's fields into the selected connection.
    void takeForm();
    void updateControls();
    SavedConnection* selected();
    // The password a test or an open uses: the one typed here, else the remembered one.
    std::optional<QString> knownPassword(const SavedConnection& connection);
    // Keeps or forgets each connection's password as its "Remember password" says.
    void storePasswords();

    const ConnectionServices& services_;
    Reporter& reporter_;
    std::vector<SavedConnection> opened_;
    std::vector<SavedConnection> connections_;
    // Passwords typed in this dialog, by connection id; never saved but to the secret store.
    std::map<QString, QString> typedPasswords_;
    bool canRemember_ = false;
    bool loading_ = false;
    bool changed_ = false;

    QLabel* environmentNote_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* removeButton_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QLineEdit* uriEdit_ = nullptr;
    QLineEdit* baseEdit_ = nullptr;
    QRadioButton* anonymousRadio_ = nullptr;
    QRadioButton* simpleRadio_ = nullptr;
    QRadioButton* externalRadio_ = nullptr;
    QButtonGroup* bindGroup_ = nullptr;
    QLineEdit* bindDnEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QCheckBox* rememberCheck_ = nullptr;
    QLabel* keyringNote_ = nullptr;
    QCheckBox* startTlsCheck_ = nullptr;
    QLineEdit* caFileEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QSpinBox* timeoutSpin_ = nullptr;
    QPushButton* testButton_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};
