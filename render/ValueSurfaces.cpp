#include "ValueSurfaces.h"

#include "ValueList.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>

void configureTextPanel(QPlainTextEdit& panel) {
    panel.setReadOnly(true);
    panel.setUndoRedoEnabled(false);
    panel.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    panel.setFrameShape(QFrame::StyledPanel);
}

void configureSyntaxField(QLineEdit& field) {
    field.setReadOnly(true);
}

ValueSurfaces makeValueSurfaces(QWidget* parent) {
    ValueSurfaces surfaces;
    surfaces.valueList = new QTreeWidget(parent);
    surfaces.valueList->setObjectName(QStringLiteral("valueList"));
    surfaces.valueList->setAccessibleName(QStringLiteral("Values"));
    configureValueList(*surfaces.valueList);
    surfaces.valueList->hide();

    surfaces.textPanel = new QPlainTextEdit(parent);
    surfaces.textPanel->setObjectName(QStringLiteral("textPanel"));
    surfaces.textPanel->setAccessibleName(QStringLiteral("Value Text"));
    configureTextPanel(*surfaces.textPanel);

    surfaces.syntaxField = new QLineEdit(parent);
    surfaces.syntaxField->setObjectName(QStringLiteral("syntaxField"));
    configureSyntaxField(*surfaces.syntaxField);
    return surfaces;
}
