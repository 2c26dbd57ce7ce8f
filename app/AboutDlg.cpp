#include "AboutDlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Ostrel"));
    setObjectName(QStringLiteral("aboutDialog"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("programIcon"));
    icon->setPixmap(QIcon(QStringLiteral(":/icons/ostrel.png")).pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("Program icon"));

    auto* version = new QLabel(QStringLiteral("Ostrel Version 1.0"), this);
    version->setObjectName(QStringLiteral("versionText"));
    auto* about = new QLabel(QStringLiteral("Browse and manage the objects and schema of an NDS "
                                            "directory tree."),
                             this);
    about->setObjectName(QStringLiteral("aboutText"));
    about->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(version);
    texts->addWidget(about);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedWidth(sizeHint().width() + 120);
}
