// Object Editor: the Edit Panel set up for an attribute or from a shown value, and
// "Add Criteria", which checks the panel and queues a criterion with its value record.
#include "CriterionRow.h"
#include "EditPanel.h"
#include "ObjectEditorPage.h"
#include "pages/WaitCursor.h"
#include "schema/ReportPolicies.h"
#include "schema/SyntaxReads.h"

#include <QComboBox>
#include <QTreeWidget>
#include <cstring>

const ModificationCriterion* CObjectEditorPage::criterionOf(const QTreeWidgetItem* row) {
    if (row == nullptr || row->type() != CriterionRow::Type)
        return nullptr;
    return &static_cast<const CriterionRow*>(row)->criterion();
}

bool CObjectEditorPage::readSyntaxLine(const std::string& attrName, std::uint32_t& syntaxID,
                                       QString& syntaxName) {
    AttributeSyntax syntax;
    if (!ReadAttributeSyntax(*this, attrName, SchemaReports::attributeSyntax(), syntax).ok())
        return false;
    syntaxID = syntax.id;
    syntaxName = QString::fromStdString(syntax.name);
    return true;
}

void CObjectEditorPage::setUpEditPanel(const std::string& attrName) {
    WaitCursor wait;
    std::uint32_t syntaxID = 0;
    QString syntaxName;
    if (!readSyntaxLine(attrName, syntaxID, syntaxName))
        return;
    editPanel_->reset();
    editPanel_->showForm(QStringLiteral("Type: %1 ").arg(syntaxName),
                         setUpContent(formOf(syntaxID)));
}

void CObjectEditorPage::onAttributeChosen(int index) {
    if (index < 0)
        return;
    setUpEditPanel(attributes_->itemText(index).toStdString());
    operations_->setEditText(QStringLiteral("Add Attribute"));
}

void CObjectEditorPage::onProtectedAttributeChosen(int index) {
    if (index < 0)
        return;
    editPanel_->showRightsFor(editPanel_->protectedAttributes()->itemText(index));
}

void CObjectEditorPage::takeShownValue(QTreeWidgetItem* row) {
    QStringList cells;
    if (row != nullptr) {
        for (int column = 0; column < values_->columnCount(); ++column)
            cells << row->text(column);
    }
    // The values on show belong to the attribute they were read for, whatever "Attribute:"
    // says by now; before any were shown, "Attribute:" names it.
    const std::string attrName =
        shownAttribute_.empty() ? fieldText(attributes_->currentText(), MAX_SCHEMA_NAME_CHARS - 1)
                                : shownAttribute_;
    std::uint32_t syntaxID = 0;
    QString syntaxName;
    {
        WaitCursor wait;
        if (attrName.empty() || !readSyntaxLine(attrName, syntaxID, syntaxName))
            return;
    }
    editPanel_->reset();
    editPanel_->showForm(QStringLiteral("Type: %1 ").arg(syntaxName),
                         takenContent(formOf(syntaxID), cells, attrName == "Partition Control"));
    operations_->setEditText(QStringLiteral("Remove Value"));
}

void CObjectEditorPage::addCriterion() {
    auto criterion = std::make_unique<ModificationCriterion>();
    QString messages;
    const std::string attrName = fieldText(attributes_->currentText(), MAX_SCHEMA_NAME_CHARS - 1);
    if (attrName.empty())
        messages += QStringLiteral("Please select an attribute name.\r");
    const QString operationText = QString::fromStdString(fieldText(operations_->currentText(), 20));
    const std::optional<std::uint32_t> code = operationCode(operationText);
    // A text that names none of the six operations is refused like an empty one.
    if (!code)
        messages += QStringLiteral("Please select a modify operation.\r");
    if (!messages.isEmpty()) {
        showMessages(messages);
        return;
    }
    std::memcpy(criterion->attrName, attrName.data(), attrName.size());
    criterion->operation = *code;

    QString syntaxName;
    {
        WaitCursor wait;
        if (!readSyntaxLine(attrName, criterion->syntaxID, syntaxName))
            return;
    }
    if (criterion->operation != DS_REMOVE_ATTRIBUTE) {
        criterion->value =
            buildValue(formOf(criterion->syntaxID), syntaxName, editPanel_->input(), messages);
    }
    if (!messages.isEmpty()) {
        showMessages(messages);
        return;
    }
    auto* row = new CriterionRow({QString::fromStdString(attrName), operationText, syntaxName},
                                 std::move(criterion));
    criteria_->addTopLevelItem(row);
}
