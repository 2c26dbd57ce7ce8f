#include "ObjectEditorPage.h"

#include "directory/ListContainer.h"
#include "pages/ObjectTreeSink.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

CObjectEditorPage::CObjectEditorPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::ObjectEditor, services, parent) {
    setObjectName(QStringLiteral("objectEditorPage"));
}

void CObjectEditorPage::buildControls() {
    QLabel* treeLabel = nullptr;
    QLabel* contextLabel = nullptr;
    QLabel* serverLabel = nullptr;
    treeField_ = makeReadOnlyField(QStringLiteral("Current Tree: "), "treeField", &treeLabel);
    contextField_ = makeReadOnlyField(QStringLiteral("Context: "), "contextField", &contextLabel);
    serverField_ = makeReadOnlyField(QStringLiteral("Server:"), "serverField", &serverLabel);
    auto* header = new QFormLayout;
    header->addRow(treeLabel, treeField_);
    header->addRow(contextLabel, contextField_);

    objects_ = new QTreeWidget(this);
    objects_->setObjectName(QStringLiteral("objectTree"));
    objects_->setHeaderHidden(true);
    QLabel* objectsLabel = makeBuddyLabel(QStringLiteral("Objects:"), objects_);

    auto* footer = new QFormLayout;
    footer->addRow(serverLabel, serverField_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(objectsLabel);
    layout->addWidget(objects_, 1);
    layout->addLayout(footer);
}

void CObjectEditorPage::fillPage() {
    treeField_->setText(QString::fromStdString(treeName_));
    contextField_->setText(QString::fromStdString(nameContext_));
    listObjects();
    refreshServerField();
}

void CObjectEditorPage::listObjects() {
    ObjectTreeSink sink(*this, objects_, nullptr, ObjectTreeSink::AttributeNames::Read);
    ListContainer(*this, nameContext_, sink);
}
