#include "LdifImportDlg.h"

#include "ProgressLine.h"
#include "directory/DirectoryPage.h"
#include "pages/WaitCursor.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <optional>

CLdifImportDlg::CLdifImportDlg(DirectoryPage& page, QWidget* parent)
    : QDialog(parent), page_(page) {
    setWindowTitle(QStringLiteral("Import LDIF"));
    setObjectName(QStringLiteral("ldifImportDialog"));

    fileEdit_ = new QLineEdit(this);
    fileEdit_->setObjectName(QStringLiteral("importFileEdit"));
    auto* fileLabel = new QLabel(QStringLiteral("&File:"), this);
    fileLabel->setBuddy(fileEdit_);
    fileEdit_->setAccessibleName(QStringLiteral("File:"));
    browseButton_ = new QPushButton(QStringLiteral("&Browse..."), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setAutoDefault(false);
    previewButton_ = new QPushButton(QStringLiteral("&Preview"), this);
    previewButton_->setObjectName(QStringLiteral("previewButton"));
    previewButton_->setDefault(true);
    previewButton_->setEnabled(false);

    preview_ = new QLabel(QStringLiteral("No file read yet."), this);
    preview_->setObjectName(QStringLiteral("previewText"));
    preview_->setWordWrap(true);
    preview_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    continueRadio_ = new QRadioButton(QStringLiteral("&Continue after a refusal"), this);
    continueRadio_->setObjectName(QStringLiteral("continueRadio"));
    stopRadio_ = new QRadioButton(QStringLiteral("S&top at the first refusal"), this);
    stopRadio_->setObjectName(QStringLiteral("stopRadio"));
    stopRadio_->setChecked(true);

    importButton_ = new QPushButton(QStringLiteral("&Import"), this);
    importButton_->setObjectName(QStringLiteral("importButton"));
    importButton_->setAutoDefault(false);
    importButton_->setEnabled(false);

    progress_ = new ProgressLine(this);

    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("importReport"));
    report_->setReadOnly(true);
    auto* reportLabel = new QLabel(QStringLiteral("&Report:"), this);
    reportLabel->setBuddy(report_);
    report_->setAccessibleName(QStringLiteral("Report:"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    closeButton_ = buttons->button(QDialogButtonBox::Close);
    closeButton_->setText(QStringLiteral("Close"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    closeButton_->setAutoDefault(false);
    buttons->addButton(importButton_, QDialogButtonBox::ActionRole);

    auto* grid = new QGridLayout;
    grid->addWidget(fileLabel, 0, 0);
    grid->addWidget(fileEdit_, 0, 1);
    grid->addWidget(browseButton_, 0, 2);
    grid->addWidget(previewButton_, 0, 3);
    grid->addWidget(preview_, 1, 1, 1, 3);
    grid->addWidget(continueRadio_, 2, 1, 1, 3);
    grid->addWidget(stopRadio_, 3, 1, 1, 3);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(progress_);
    layout->addWidget(reportLabel);
    layout->addWidget(report_, 1);
    layout->addWidget(buttons);
    resize(640, 420);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browseButton_, &QPushButton::clicked, this, &CLdifImportDlg::chooseFile);
    connect(previewButton_, &QPushButton::clicked, this, &CLdifImportDlg::previewFile);
    connect(importButton_, &QPushButton::clicked, this, &CLdifImportDlg::importRecords);
    connect(fileEdit_, &QLineEdit::textChanged, this, &CLdifImportDlg::fileChanged);
    fileEdit_->setFocus();
}

void CLdifImportDlg::chooseFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, QStringLiteral("Import LDIF"), fileEdit_->text(),
                                     QStringLiteral("LDIF files (*.ldif);;All files (*)"));
    if (!path.isEmpty())
        fileEdit_->setText(path);
}

void CLdifImportDlg::fileChanged() {
    // Another file: what was previewed no longer stands for it.
    planned_ = false;
    plan_ = {};
    importButton_->setEnabled(false);
    previewButton_->setEnabled(!fileEdit_->text().trimmed().isEmpty());
    preview_->setText(QStringLiteral("No file read yet."));
}

void CLdifImportDlg::enableControls(bool enabled) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{fileEdit_, browseButton_, previewButton_, continueRadio_,
                                         stopRadio_, importButton_, closeButton_})
        w->setEnabled(enabled);
}

bool CLdifImportDlg::previewFile() {
    const std::string path = fileEdit_->text().trimmed().toStdString();
    if (path.empty())
        return false;
    WaitCursor wait;
    std::string error;
    planned_ = ldifimport::prepare(page_.client(), page_.context(), path, plan_, error);
    importButton_->setEnabled(planned_);
    report_->clear();
    if (!planned_) {
        preview_->setText(QStringLiteral("The file was not read."));
        page_.report("%s\n", error.c_str());
        return false;
    }
    preview_->setText(QString::fromStdString(ldifimport::previewText(plan_)));
    importButton_->setDefault(true);
    return true;
}

bool CLdifImportDlg::importRecords() {
    if (!planned_)
        return false;
    const auto onRefusal =
        stopRadio_->isChecked() ? ldifimport::OnRefusal::Stop : ldifimport::OnRefusal::Continue;
    std::optional<WaitCursor> wait(std::in_place);
    enableControls(false);
    progress_->start();
    const auto result = ldifimport::apply(
        page_.client(), page_.context(), plan_, onRefusal, [&](std::size_t done, std::size_t all) {
            return progress_->step(
                QStringLiteral("%1 of %2 records applied...").arg(done).arg(all));
        });
    progress_->finish();
    enableControls(true);
    wait.reset();
    changed_ = changed_ || result.applied > 0;
    report_->setPlainText(QString::fromStdString(ldifimport::reportText(result)));
    // The records were applied; previewing again reads the file anew.
    planned_ = false;
    importButton_->setEnabled(false);
    previewButton_->setDefault(true);
    return result.allApplied();
}
