#include "ObjectManagerPage.h"

#include "directory/ListContainer.h"
#include "pages/ObjectTreeSink.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

CObjectManagerPage::CObjectManagerPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::ObjectManager, services, parent) {
    setObjectName(QStringLiteral("objectManagerPage"));
}

void CObjectManagerPage::buildControls() {
    auto* create = new QGroupBox(QStringLiteral("Create Object"), this);
    create->setObjectName(QStringLiteral("createObjectGroup"));

    QLabel* contextLabel = nullptr;
    QLabel* serverLabel = nullptr;
    contextField_ =
        makeReadOnlyField(QStringLiteral("Current Context:"), "contextField", &contextLabel);
    serverField_ = makeReadOnlyField(QStringLiteral("Server:"), "serverField", &serverLabel);
    auto* header = new QFormLayout;
    header->addRow(contextLabel, contextField_);
    header->addRow(serverLabel, serverField_);

    auto* operations = new QGroupBox(QStringLiteral("Object Operations"), this);
    operations->setObjectName(QStringLiteral("objectOperationsGroup"));
    objects_ = new QTreeWidget(operations);
    objects_->setObjectName(QStringLiteral("objectTree"));
    objects_->setHeaderHidden(true);
    objects_->setRootIsDecorated(false);
    QLabel* objectsLabel = makeBuddyLabel(QStringLiteral("Objects:"), objects_, operations);
    auto* operationsLayout = new QVBoxLayout(operations);
    operationsLayout->addWidget(objectsLabel);
    operationsLayout->addWidget(objects_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(create, 1);
    layout->addLayout(header);
    layout->addWidget(operations, 1);
}

void CObjectManagerPage::fillPage() {
    contextField_->setText(QString::fromStdString(nameContext_));
    listObjects();
}

void CObjectManagerPage::listObjects() {
    ObjectTreeSink sink(*this, objects_, nullptr, ObjectTreeSink::AttributeNames::Skip);
    ListContainer(*this, nameContext_, sink);
}
