#include "EffectiveRightsDlg.h"

#include "directory/DirectoryPage.h"
#include "directory/ServerReason.h"
#include "pages/WaitCursor.h"
#include "render/RightsText.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString rightsText(const std::string& attribute, std::uint32_t rights) {
    return QString::fromStdString(RightsText(attribute, rights));
}

QString grantText(const RightsSource& source) {
    QString text = QString::fromStdString(source.trustee);
    if (source.trustee == "[Public]")
        text += QStringLiteral(" (public)");
    text += QStringLiteral(" for ") + QString::fromStdString(source.protectedAttr);
    if (source.inherited)
        text += QStringLiteral(", inherited");
    return text;
}

} // namespace

CEffectiveRightsDlg::CEffectiveRightsDlg(DirectoryPage& page, const std::string& objectName,
                                         QWidget* parent)
    : QDialog(parent), page_(page), objectName_(objectName) {
    setWindowTitle(QStringLiteral("Effective Rights"));
    setObjectName(QStringLiteral("effectiveRightsDialog"));

    objectField_ = new QLineEdit(QString::fromStdString(objectName), this);
    objectField_->setObjectName(QStringLiteral("rightsObjectField"));
    objectField_->setReadOnly(true);
    auto* objectLabel = new QLabel(QStringLiteral("&Object:"), this);
    objectLabel->setBuddy(objectField_);
    objectField_->setAccessibleName(QStringLiteral("Object:"));

    char identity[MAX_DN_BYTES] = {};
    if (page.client().NWDSWhoAmI(page.context(), identity, sizeof identity) != 0)
        identity[0] = '\0';
    identityEdit_ = new QLineEdit(QString::fromUtf8(identity), this);
    identityEdit_->setObjectName(QStringLiteral("rightsIdentityEdit"));
    auto* identityLabel = new QLabel(QStringLiteral("&Identity:"), this);
    identityLabel->setBuddy(identityEdit_);
    identityEdit_->setAccessibleName(QStringLiteral("Identity:"));

    showButton_ = new QPushButton(QStringLiteral("&Show Rights"), this);
    showButton_->setObjectName(QStringLiteral("showRightsButton"));
    showButton_->setDefault(true);

    rights_ = new QTreeWidget(this);
    rights_->setObjectName(QStringLiteral("rightsTree"));
    rights_->setHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Rights"),
                              QStringLiteral("Cannot Tell"), QStringLiteral("Granted By")});
    rights_->setAccessibleName(QStringLiteral("Rights"));
    rights_->setUniformRowHeights(true);
    rights_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    auto* rightsLabel = new QLabel(QStringLiteral("&Rights:"), this);
    rightsLabel->setBuddy(rights_);

    noteLabel_ = new QLabel(this);
    noteLabel_->setObjectName(QStringLiteral("rightsNote"));
    noteLabel_->setWordWrap(true);
    noteLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    noteLabel_->setFocusPolicy(Qt::TabFocus);
    noteLabel_->setAccessibleName(QStringLiteral("How the rights were found"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setText(QStringLiteral("Close"));
    close->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(showButton_, &QPushButton::clicked, this, &CEffectiveRightsDlg::showRights);

    auto* grid = new QGridLayout;
    grid->addWidget(objectLabel, 0, 0);
    grid->addWidget(objectField_, 0, 1, 1, 2);
    grid->addWidget(identityLabel, 1, 0);
    grid->addWidget(identityEdit_, 1, 1);
    grid->addWidget(showButton_, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(rightsLabel);
    layout->addWidget(rights_, 1);
    layout->addWidget(noteLabel_);
    layout->addWidget(buttons);
    resize(720, 480);
    rights_->setFocus();
}

bool CEffectiveRightsDlg::showRights() {
    WaitCursor wait;
    rights_->clear();
    noteLabel_->clear();
    const std::string subject = identityEdit_->text().trimmed().toStdString();
    RightsReport report;
    const NWDSCCODE rc =
        page_.client().explainRights(page_.context(), subject.c_str(), objectName_.c_str(), report);
    if (rc != 0) {
        page_.report("explainRights() returned: %04X%s\n", unsigned(rc),
                     serverSaid(page_.client(), rc).c_str());
        return false;
    }
    fillRights(report);
    return true;
}

void CEffectiveRightsDlg::fillRights(const RightsReport& report) {
    for (const RightsLine& line : report.lines) {
        auto* item = new QTreeWidgetItem(rights_);
        item->setText(0, QString::fromStdString(line.attribute));
        item->setText(1, rightsText(line.attribute, line.rights));
        const std::uint32_t all = line.attribute == "[Entry Rights]"
                                      ? DS_ENTRY_BROWSE | DS_ENTRY_ADD | DS_ENTRY_DELETE |
                                            DS_ENTRY_RENAME | DS_ENTRY_SUPERVISOR
                                      : DS_ATTR_COMPARE | DS_ATTR_READ | DS_ATTR_WRITE |
                                            DS_ATTR_SELF | DS_ATTR_SUPERVISOR;
        const std::uint32_t unknown = all & ~line.known;
        item->setText(2, unknown == 0 ? QString() : rightsText(line.attribute, unknown));
        if (line.known != 0 && !line.sources.empty())
            item->setText(3, line.sources.size() == 1
                                 ? QStringLiteral("1 ACL value")
                                 : QStringLiteral("%1 ACL values").arg(line.sources.size()));
        if (line.publicRead) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, QStringLiteral("Attribute definition"));
            child->setText(1, rightsText(line.attribute, DS_ATTR_COMPARE | DS_ATTR_READ));
            child->setText(3, QStringLiteral("[Public] (public): the attribute is Public Read"));
        }
        for (const RightsSource& source : line.sources) {
            auto* child = new QTreeWidgetItem(item);
            child->setText(0, QStringLiteral("ACL of ") + QString::fromStdString(source.heldBy));
            child->setText(1, rightsText(source.protectedAttr, source.privileges));
            child->setText(3, grantText(source));
        }
    }
    rights_->expandAll();
    if (QTreeWidgetItem* first = rights_->topLevelItem(0))
        rights_->setCurrentItem(first);
    noteLabel_->setText(QString::fromStdString(report.note));
}
