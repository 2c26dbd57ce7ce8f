#include "ConnectionsDlg.h"

#include "ConnectionStore.h"
#include "SecretStore.h"
#include "pages/Reporter.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// A label and its control, which a screen reader announces by the label's text.
QLabel* labelFor(const QString& text, QWidget* control, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(control->objectName() + QStringLiteral("Label"));
    label->setBuddy(control);
    control->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return label;
}

QLineEdit* lineEdit(const char* objectName, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

template <class Button>
Button* button(const QString& text, const char* objectName, QWidget* parent) {
    auto* b = new Button(text, parent);
    b->setObjectName(QString::fromLatin1(objectName));
    b->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    return b;
}

QString uniqueName(const std::vector<SavedConnection>& connections) {
    for (int n = 1;; ++n) {
        QString name = n == 1 ? QStringLiteral("NEW_TREE") : QStringLiteral("NEW_TREE_%1").arg(n);
        bool taken = false;
        for (const SavedConnection& c : connections)
            taken = taken || c.name.compare(name, Qt::CaseInsensitive) == 0;
        if (!taken)
            return name;
    }
}
} // namespace

ConnectionsDlg::ConnectionsDlg(const ConnectionServices& services, Reporter& reporter,
                               QWidget* parent)
    : QDialog(parent), services_(services), reporter_(reporter) {
    setObjectName(QStringLiteral("connectionsDialog"));
    setWindowTitle(QStringLiteral("Connections"));
    opened_ = services_.store.load();
    connections_ = opened_;
    QString reason;
    canRemember_ = services_.secrets.available(&reason);
    buildControls();
    if (!services_.environmentSettings.isEmpty()) {
        environmentNote_->setText(
            QStringLiteral("The environment settings are in force (%1): Ostrel opens what they "
                           "name. The saved connections are opened when none of them is set.")
                .arg(services_.environmentSettings.join(QStringLiteral(", "))));
        environmentNote_->show();
    }
    if (!canRemember_) {
        keyringNote_->setText(
            QStringLiteral("The password cannot be remembered on this desktop: %1. It is asked "
                           "for when the connection opens.")
                .arg(reason.isEmpty() ? QStringLiteral("no secret service answers") : reason));
        keyringNote_->show();
    }
    for (const SavedConnection& c : connections_)
        list_->addItem(c.name);
    connectControls();
    if (!connections_.empty())
        list_->setCurrentRow(0);
    showSelected();
}

void ConnectionsDlg::buildControls() {
    environmentNote_ = new QLabel(this);
    environmentNote_->setObjectName(QStringLiteral("environmentNote"));
    environmentNote_->setWordWrap(true);
    environmentNote_->hide();

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("connectionList"));
    QLabel* listLabel = labelFor(QStringLiteral("&Connections:"), list_, this);
    addButton_ = button<QPushButton>(QStringLiteral("&Add"), "addButton", this);
    removeButton_ = button<QPushButton>(QStringLiteral("&Remove"), "removeButton", this);

    nameEdit_ = lineEdit("nameEdit", this);
    nameEdit_->setMaxLength(SavedConnection::kMaxNameChars);
    uriEdit_ = lineEdit("uriEdit", this);
    uriEdit_->setPlaceholderText(QStringLiteral("ldap://server.example"));
    baseEdit_ = lineEdit("baseEdit", this);
    baseEdit_->setPlaceholderText(QStringLiteral("the server's naming contexts"));

    auto* bindBox = new QGroupBox(QStringLiteral("Bind"), this);
    bindBox->setObjectName(QStringLiteral("bindGroup"));
    bindBox->setAccessibleName(bindBox->title());
    anonymousRadio_ = button<QRadioButton>(QStringLiteral("An&onymous"), "anonymousRadio", bindBox);
    simpleRadio_ =
        button<QRadioButton>(QStringLiteral("&Simple, with a bind DN"), "simpleRadio", bindBox);
    externalRadio_ =
        button<QRadioButton>(QStringLiteral("SASL &EXTERNAL over ldapi"), "externalRadio", bindBox);
    bindGroup_ = new QButtonGroup(this);
    for (QRadioButton* r : {anonymousRadio_, simpleRadio_, externalRadio_})
        bindGroup_->addButton(r);
    auto* bindLayout = new QVBoxLayout(bindBox);
    bindLayout->addWidget(anonymousRadio_);
    bindLayout->addWidget(simpleRadio_);
    bindLayout->addWidget(externalRadio_);

    bindDnEdit_ = lineEdit("bindDnEdit", this);
    passwordEdit_ = lineEdit("passwordEdit", this);
    passwordEdit_->setEchoMode(QLineEdit::Password);
    rememberCheck_ = button<QCheckBox>(QStringLiteral("Re&member password"), "rememberCheck", this);
    rememberCheck_->setEnabled(canRemember_);
    keyringNote_ = new QLabel(this);
    keyringNote_->setObjectName(QStringLiteral("keyringNote"));
    keyringNote_->setWordWrap(true);
    keyringNote_->hide();
    startTlsCheck_ =
        button<QCheckBox>(QStringLiteral("Start&TLS (ldap:// URIs)"), "startTlsCheck", this);
    caFileEdit_ = lineEdit("caFileEdit", this);
    browseButton_ = button<QPushButton>(QStringLiteral("&Browse..."), "browseButton", this);
    timeoutSpin_ = new QSpinBox(this);
    timeoutSpin_->setObjectName(QStringLiteral("timeoutSpin"));
    timeoutSpin_->setRange(1, SavedConnection::kMaxTimeoutSeconds);
    testButton_ = button<QPushButton>(QStringLiteral("Te&st"), "testButton", this);

    auto* form = new QFormLayout;
    form->addRow(labelFor(QStringLiteral("&Name:"), nameEdit_, this), nameEdit_);
    form->addRow(labelFor(QStringLiteral("Server &URI:"), uriEdit_, this), uriEdit_);
    form->addRow(labelFor(QStringLiteral("Bas&e:"), baseEdit_, this), baseEdit_);
    form->addRow(bindBox);
    form->addRow(labelFor(QStringLiteral("Bind &DN:"), bindDnEdit_, this), bindDnEdit_);
    form->addRow(labelFor(QStringLiteral("&Password:"), passwordEdit_, this), passwordEdit_);
    form->addRow(rememberCheck_);
    form->addRow(keyringNote_);
    form->addRow(startTlsCheck_);
    auto* caRow = new QHBoxLayout;
    caRow->addWidget(caFileEdit_);
    caRow->addWidget(browseButton_);
    form->addRow(labelFor(QStringLiteral("&CA file:"), caFileEdit_, this), caRow);
    form->addRow(labelFor(QStringLiteral("T&ime limit (seconds):"), timeoutSpin_, this),
                 timeoutSpin_);
    form->addRow(testButton_);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(addButton_);
    listButtons->addWidget(removeButton_);
    auto* left = new QVBoxLayout;
    left->addWidget(listLabel);
    left->addWidget(list_);
    left->addLayout(listButtons);
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 2);
    columns->addLayout(form, 3);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->setObjectName(QStringLiteral("dialogButtons"));
    for (QAbstractButton* b : buttons_->buttons())
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
    auto* page = new QVBoxLayout(this);
    page->addWidget(environmentNote_);
    page->addLayout(columns);
    page->addWidget(buttons_);
}

void ConnectionsDlg::connectControls() {
    connect(list_, &QListWidget::currentRowChanged, this, &ConnectionsDlg::showSelected);
    connect(addButton_, &QPushButton::clicked, this, &ConnectionsDlg::addConnection);
    connect(removeButton_, &QPushButton::clicked, this, &ConnectionsDlg::removeConnection);
    connect(testButton_, &QPushButton::clicked, this, &ConnectionsDlg::testConnection);
    connect(browseButton_, &QPushButton::clicked, this, &ConnectionsDlg::browseCaFile);
    connect(buttons_, &QDialogButtonBox::accepted, this, &ConnectionsDlg::saveConnections);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QLineEdit* edit : {nameEdit_, uriEdit_, baseEdit_, bindDnEdit_, caFileEdit_})
        connect(edit, &QLineEdit::textChanged, this, &ConnectionsDlg::takeForm);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             anonymousRadio_, simpleRadio_, externalRadio_, rememberCheck_, startTlsCheck_})
        connect(b, &QAbstractButton::toggled, this, &ConnectionsDlg::takeForm);
    connect(timeoutSpin_, &QSpinBox::valueChanged, this, &ConnectionsDlg::takeForm);
    connect(passwordEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (SavedConnection* c = selected())
            typedPasswords_[c->id] = text;
    });
}

void ConnectionsDlg::report(const QString& text) {
    reporter_.showMessage(this, text);
}

SavedConnection* ConnectionsDlg::selected() {
    const int row = list_->currentRow();
    return row >= 0 && row < int(connections_.size()) ? &connections_[std::size_t(row)] : nullptr;
}

void ConnectionsDlg::showSelected() {
    loading_ = true;
    const SavedConnection* c = selected();
    const SavedConnection shown = c ? *c : SavedConnection{};
    nameEdit_->setText(shown.name);
    uriEdit_->setText(shown.uri);
    baseEdit_->setText(shown.base);
    anonymousRadio_->setChecked(shown.bind == SavedConnection::Bind::Anonymous);
    simpleRadio_->setChecked(shown.bind == SavedConnection::Bind::Simple);
    externalRadio_->setChecked(shown.bind == SavedConnection::Bind::SaslExternal);
    bindDnEdit_->setText(shown.bindDn);
    const auto typed = typedPasswords_.find(shown.id);
    passwordEdit_->setText(typed != typedPasswords_.end() ? typed->second : QString());
    rememberCheck_->setChecked(shown.rememberPassword);
    startTlsCheck_->setChecked(shown.startTls);
    caFileEdit_->setText(shown.caFile);
    timeoutSpin_->setValue(shown.timeoutSeconds);
    loading_ = false;
    updateControls();
}

void ConnectionsDlg::takeForm() {
    SavedConnection* c = selected();
    if (loading_ || c == nullptr)
        return;
    c->name = nameEdit_->text().trimmed();
    c->uri = uriEdit_->text().trimmed();
    c->base = baseEdit_->text().trimmed();
    c->bind = simpleRadio_->isChecked()     ? SavedConnection::Bind::Simple
              : externalRadio_->isChecked() ? SavedConnection::Bind::SaslExternal
                                            : SavedConnection::Bind::Anonymous;
    c->bindDn = bindDnEdit_->text().trimmed();
    c->rememberPassword = rememberCheck_->isChecked();
    c->startTls = startTlsCheck_->isChecked();
    c->caFile = caFileEdit_->text().trimmed();
    c->timeoutSeconds = timeoutSpin_->value();
    list_->currentItem()->setText(c->name);
    updateControls();
}

void ConnectionsDlg::updateControls() {
    const SavedConnection* c = selected();
    for (QWidget* w : std::initializer_list<QWidget*>{
             nameEdit_, uriEdit_, baseEdit_, anonymousRadio_, simpleRadio_, externalRadio_,
             caFileEdit_, browseButton_, timeoutSpin_, testButton_, removeButton_})
        w->setEnabled(c != nullptr);
    const bool simple = c != nullptr && c->bind == SavedConnection::Bind::Simple;
    bindDnEdit_->setEnabled(simple);
    passwordEdit_->setEnabled(simple);
    rememberCheck_->setEnabled(simple && canRemember_);
    passwordEdit_->setPlaceholderText(simple && c->rememberPassword && canRemember_
                                          ? QStringLiteral("remembered, or asked when opened")
                                          : QStringLiteral("asked when the connection opens"));
    startTlsCheck_->setEnabled(c != nullptr && c->uri.startsWith(QStringLiteral("ldap://")));
}

void ConnectionsDlg::addConnection() {
    connections_.push_back(newConnection(uniqueName(connections_)));
    list_->addItem(connections_.back().name);
    list_->setCurrentRow(int(connections_.size()) - 1);
    nameEdit_->setFocus();
    nameEdit_->selectAll();
}

void ConnectionsDlg::removeConnection() {
    const int row = list_->currentRow();
    if (row < 0 || row >= int(connections_.size()))
        return;
    typedPasswords_.erase(connections_[std::size_t(row)].id);
    connections_.erase(connections_.begin() + row);
    loading_ = true; // the row that follows is shown, not written over
    delete list_->takeItem(row);
    loading_ = false;
    showSelected();
}

void ConnectionsDlg::browseCaFile() {
    const QString file =
        QFileDialog::getOpenFileName(this, QStringLiteral("CA file"), caFileEdit_->text(),
                                     QStringLiteral("Certificates (*.pem *.crt);;All files (*)"));
    if (!file.isEmpty())
        caFileEdit_->setText(file);
}

std::optional<QString> ConnectionsDlg::knownPassword(const SavedConnection& c) {
    if (!c.needsPassword())
        return std::nullopt;
    const auto typed = typedPasswords_.find(c.id);
    if (typed != typedPasswords_.end() && !typed->second.isEmpty())
        return typed->second;
    if (c.rememberPassword && canRemember_)
        return services_.secrets.read(c.id, nullptr);
    return std::nullopt;
}

void ConnectionsDlg::testConnection() {
    const SavedConnection* c = selected();
    if (c == nullptr)
        return;
    if (const QString problem = problemOf(*c); !problem.isEmpty()) {
        report(problem);
        return;
    }
    if (!services_.test) {
        report(QStringLiteral("This Ostrel cannot open LDAP connections."));
        return;
    }
    report(services_.test(*c, knownPassword(*c)).text);
}

void ConnectionsDlg::storePasswords() {
    for (SavedConnection& c : connections_) {
        const bool keep = c.rememberPassword && c.needsPassword() && canRemember_;
        const auto typed = typedPasswords_.find(c.id);
        QString reason;
        if (keep && typed != typedPasswords_.end() && !typed->second.isEmpty() &&
            !services_.secrets.write(c.id, typed->second, &reason)) {
            report(QStringLiteral("The password of %1 cannot be remembered: %2. It is asked for "
                                  "when the connection opens.")
                       .arg(c.name, reason));
            c.rememberPassword = false;
        }
        if (!c.needsPassword())
            c.rememberPassword = false;
    }
    // Passwords no longer wanted leave the store: unticked, or their connection removed.
    for (const SavedConnection& before : opened_) {
        if (!before.rememberPassword)
            continue;
        bool kept = false;
        for (const SavedConnection& c : connections_)
            kept = kept || (c.id == before.id && c.rememberPassword);
        if (!kept && canRemember_)
            services_.secrets.remove(before.id, nullptr);
    }
}

void ConnectionsDlg::saveConnections() {
    for (std::size_t i = 0; i < connections_.size(); ++i) {
        QString problem = problemOf(connections_[i]);
        for (std::size_t j = 0; j < i && problem.isEmpty(); ++j) {
            if (connections_[j].name.compare(connections_[i].name, Qt::CaseInsensitive) == 0)
                problem = QStringLiteral("Two connections are named %1.").arg(connections_[i].name);
        }
        if (!problem.isEmpty()) {
            list_->setCurrentRow(int(i));
            report(problem);
            return;
        }
    }
    storePasswords();
    QString reason;
    if (!services_.store.save(connections_, &reason)) {
        report(QStringLiteral("The connections could not be saved: %1.").arg(reason));
        return;
    }
    changed_ = connections_ != opened_;
    accept();
}
