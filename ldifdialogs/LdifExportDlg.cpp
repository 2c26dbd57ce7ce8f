#include "LdifExportDlg.h"

#include "ProgressLine.h"
#include "directory/DirectoryPage.h"
#include "directory/ServerReason.h"
#include "pages/WaitCursor.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

CLdifExportDlg::CLdifExportDlg(DirectoryPage& page, const std::string& objectName, QWidget* parent)
    : QDialog(parent), page_(page) {
    selection_.base = objectName;
    selection_.scope = DS_SEARCH_ENTRY;
    build(QStringLiteral("&Object:"), QString::fromStdString(objectName), true);
}

CLdifExportDlg::CLdifExportDlg(DirectoryPage& page, const ldifexport::Selection& search,
                               const QString& description, QWidget* parent)
    : QDialog(parent), page_(page), selection_(search) {
    build(QStringLiteral("&Search:"), description, false);
}

void CLdifExportDlg::build(const QString& label, const QString& what, bool scopeChoice) {
    scopeChoice_ = scopeChoice;
    setWindowTitle(QStringLiteral("Export LDIF"));
    setObjectName(QStringLiteral("ldifExportDialog"));

    whatField_ = new QLineEdit(what, this);
    whatField_->setObjectName(QStringLiteral("exportWhatField"));
    whatField_->setReadOnly(true);
    auto* whatLabel = new QLabel(label, this);
    whatLabel->setBuddy(whatField_);
    whatField_->setAccessibleName(QString(label).remove(QLatin1Char('&')));

    objectRadio_ = new QRadioButton(QStringLiteral("&This object"), this);
    objectRadio_->setObjectName(QStringLiteral("thisObjectRadio"));
    subtreeRadio_ = new QRadioButton(QStringLiteral("The s&ubtree"), this);
    subtreeRadio_->setObjectName(QStringLiteral("subtreeRadio"));
    objectRadio_->setChecked(true);
    objectRadio_->setVisible(scopeChoice);
    subtreeRadio_->setVisible(scopeChoice);

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("exportFileEdit"));
    auto* fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(fileEdit_);
    fileEdit_->setAccessibleName(QStringLiteral("File:"));
    browseButton_ = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setAutoDefault(false);

    exportButton_ = new QPushButton(QStringLiteral("&Export"), this);
    exportButton_->setObjectName(QStringLiteral("exportButton"));
    exportButton_->setDefault(true);
    exportButton_->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    closeButton_ = buttons->button(QDialogButtonBox::Close);
    closeButton_->setText(QStringLiteral("Close"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    buttons->addButton(exportButton_, QDialogButtonBox::ActionRole);

    progress_ = new ProgressLine(this);

    auto* grid = new QGridLayout;
    grid->addWidget(whatLabel, 0, 0);
    grid->addWidget(whatField_, 0, 1, 1, 2);
    grid->addWidget(objectRadio_, 1, 1);
    grid->addWidget(subtreeRadio_, 2, 1);
    grid->addWidget(fileLabel, 3, 0);
    grid->addWidget(fileEdit_, 3, 1);
    grid->addWidget(browseButton_, 3, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(progress_);
    layout->addStretch(1);
    layout->addWidget(buttons);
    resize(560, sizeHint().height());

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton_, &QPushButton::clicked, this, &CLdifExportDlg::chooseFile);
    connect(exportButton_, &QPushButton::clicked, this, &CLdifExportDlg::exportFile);
    connect(fileEdit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { exportButton_->setEnabled(!text.trimmed().isEmpty()); });
    fileEdit_->setFocus();
}

void CLdifExportDlg::chooseFile() {
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export LDIF"), fileEdit_->text(),
                                     QStringLiteral("LDIF files (*.ldif);;All files (*)"));
    if (!path.isEmpty())
        fileEdit_->setText(path);
}

void CLdifExportDlg::enableControls(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{objectRadio_, subtreeRadio_, fileEdit_,
                                                      browseButton_, exportButton_, closeButton_})
        w->setEnabled(enabled);
}

bool CLdifExportDlg::exportFile() {
    const QString path = fileEdit_->text().trimmed();
    if (path.isEmpty())
        return false;
    ldifexport::Selection selection = selection_;
    if (scopeChoice_)
        selection.scope = subtreeRadio_->isChecked() ? DS_SEARCH_SUBTREE : DS_SEARCH_ENTRY;
    std::optional<WaitCursor> wait(std::in_place);
    enableControls(false);
    progress_->start();
    const auto result = ldifexport::writeFile(
        page_.client(), page_.context(), selection, path.toStdString(), [&](std::size_t objects) {
            return progress_->step(QStringLiteral("%1 objects written...").arg(objects));
        });
    progress_->finish();
    enableControls(true);
    wait.reset();
    const std::string file = path.toStdString();
    if (result.failure) {
        // A limit of the client's on what a server may send is said, and how to raise it.
        const std::string limit = page_.client().limitReached(result.failure.code);
        page_.report("%s returned: %04X\n%s%s", result.failure.call.c_str(),
                     unsigned(result.failure.code),
                     serverSaid(page_.client(), result.failure.code).c_str(),
                     limit.empty() ? "" : ("Nothing was written: " + limit + ".\n").c_str());
        return false;
    }
    if (!result.fileProblem.empty()) {
        page_.report("%s %s\n", file.c_str(), result.fileProblem.c_str());
        return false;
    }
    if (result.cancelled) {
        page_.report("The export was cancelled; %s was not written.\n", file.c_str());
        return false;
    }
    page_.report(result.objects == 1 ? "%zu object was written to %s.\n"
                                     : "%zu objects were written to %s.\n",
                 result.objects, file.c_str());
    return true;
}
