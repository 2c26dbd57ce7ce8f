#include "SchemaViewerPage.h"

#include "AttributeTreeFiller.h"
#include "ClassTreeFiller.h"
#include "SchemaImages.h"
#include "pages/TreeItems.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>

namespace {
bool isRootWithImage(const QTreeWidgetItem* item, int image) {
    return item && !item->parent() && itemImage(item) == image;
}
} // namespace

CSchemaViewerPage::CSchemaViewerPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::SchemaViewer, services, parent) {
    setObjectName(QStringLiteral("schemaViewerPage"));
}

QTreeWidget* CSchemaViewerPage::makeSchemaTree(const QString& objectName) {
    auto* tree = new QTreeWidget(this);
    tree->setObjectName(objectName);
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setRootIsDecorated(true);
    tree->setDragEnabled(false);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    return tree;
}

void CSchemaViewerPage::buildControls() {
    currentTreeField_ = makeReadOnlyField(QStringLiteral("Current Tree: "),
                                          QStringLiteral("currentTreeField"), &currentTreeLabel_);
    contextField_ = makeReadOnlyField(QStringLiteral("Context: "), QStringLiteral("contextField"),
                                      &contextLabel_);
    classTree_ = makeSchemaTree(QStringLiteral("classTree"));
    attributeTree_ = makeSchemaTree(QStringLiteral("attributeTree"));
    classTreeLabel_ = makeBuddyLabel(QStringLiteral("NDS Schema Object Classes:"), classTree_);
    attributeTreeLabel_ =
        makeBuddyLabel(QStringLiteral("NDS Schema Attribute Classes:"), attributeTree_);
    selectedObjectField_ =
        makeReadOnlyField(QStringLiteral("Selected Object:"), QStringLiteral("selectedObjectField"),
                          &selectedObjectLabel_);
    serverField_ =
        makeReadOnlyField(QStringLiteral("Server:"), QStringLiteral("serverField"), &serverLabel_);

    // Header fields above, the two trees side by side, the selection and server below.
    auto* layout = new QGridLayout(this);
    layout->addWidget(currentTreeLabel_, 0, 0);
    layout->addWidget(currentTreeField_, 0, 1);
    layout->addWidget(contextLabel_, 0, 2);
    layout->addWidget(contextField_, 0, 3);
    layout->addWidget(classTreeLabel_, 1, 0, 1, 2);
    layout->addWidget(attributeTreeLabel_, 1, 2, 1, 2);
    layout->addWidget(classTree_, 2, 0, 1, 2);
    layout->addWidget(attributeTree_, 2, 2, 1, 2);
    layout->addWidget(selectedObjectLabel_, 3, 0);
    layout->addWidget(selectedObjectField_, 3, 1);
    layout->addWidget(serverLabel_, 3, 2);
    layout->addWidget(serverField_, 3, 3);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(3, 1);

    connect(classTree_, &QTreeWidget::currentItemChanged, this,
            &CSchemaViewerPage::showSelectedClass);
    connect(attributeTree_, &QTreeWidget::currentItemChanged, this,
            &CSchemaViewerPage::showSelectedAttribute);
}

QList<QAbstractItemView*> CSchemaViewerPage::imageListViews() {
    return {classTree_, attributeTree_};
}

QLineEdit* CSchemaViewerPage::serverField() {
    return serverField_;
}

void CSchemaViewerPage::fillPage() {
    currentTreeField_->setText(QString::fromStdString(treeName_));
    contextField_->setText(QString::fromStdString(nameContext_));
    fillTrees();
}

void CSchemaViewerPage::refresh() {
    if (!classTree_)
        return; // not created yet: nothing shown to refresh
    classTree_->clear();
    attributeTree_->clear();
    fillTrees();
}

void CSchemaViewerPage::fillTrees() {
    // A failed class walk leaves what it added and the attribute tree is filled all the same.
    ClassTreeFiller(*this, classTree_, imageList()).fill();
    AttributeTreeFiller(*this, attributeTree_, imageList()).fill();
    refreshServerField();
}

void CSchemaViewerPage::showSelectedClass(QTreeWidgetItem* current) {
    if (isRootWithImage(current, SchemaImage::Class))
        selectedObjectField_->setText(current->text(0));
}

void CSchemaViewerPage::showSelectedAttribute(QTreeWidgetItem* current) {
    if (isRootWithImage(current, SchemaImage::Attribute))
        selectedObjectField_->setText(current->text(0));
}
