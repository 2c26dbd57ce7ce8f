#include "SchemaManagerPage.h"

#include <QGroupBox>
#include <QHBoxLayout>

CSchemaManagerPage::CSchemaManagerPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::SchemaManager, services, parent) {
    setObjectName(QStringLiteral("schemaManagerPage"));
}

void CSchemaManagerPage::buildControls() {
    auto* attributes = new QGroupBox(QStringLiteral("Attribute Operations"), this);
    attributes->setObjectName(QStringLiteral("attributeOperations"));
    auto* classes = new QGroupBox(QStringLiteral("Object Operations"), this);
    classes->setObjectName(QStringLiteral("objectOperations"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(attributes);
    layout->addWidget(classes);
}
