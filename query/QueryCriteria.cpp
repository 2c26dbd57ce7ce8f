// Building the search filter criterion by criterion, and the "Search Criteria:" list that
// shows it. The list and the filter always describe the same criteria: what a failed
// criterion put into the filter is taken back.
#include "QueryPage.h"
#include "SearchCriterion.h"
#include "SubmittedSearch.h"
#include "directory/TypedNumbers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidget>

namespace {

enum Column { FieldName = 0, FieldOperator = 1, Value = 2, NodeOperator = 3 };

constexpr const char* AddFilterTokenFailed = "NWDSAddFilterToken() returned: %04X\n";
constexpr const char* AllocFilterFailed = "NWDSAllocFilter returned: %04X\n";

// A criterion row owns its record; a connector row has none.
class CriterionRow : public QTreeWidgetItem {
public:
    explicit CriterionRow(std::unique_ptr<SearchCriterion> criterion)
        : criterion_(std::move(criterion)) {}
    const SearchCriterion& criterion() const { return *criterion_; }

private:
    std::unique_ptr<SearchCriterion> criterion_;
};

bool isCriterionRow(const QTreeWidgetItem* row) {
    return !row->text(FieldName).isEmpty();
}

std::uint32_t connectorToken(bool joinWithAnd) {
    return joinWithAnd ? FTOK_AND : FTOK_OR;
}

} // namespace

void CQueryPage::OnAddCriteria() {
    QString problems;
    const QString attributeText = attributeCombo_->currentText().left(31);
    if (attributeText.isEmpty())
        problems += QStringLiteral("Please select a field name.\r");
    const QString operatorText = operatorCombo_->currentText().left(39);
    // A text that is none of the four operators is refused like an empty one.
    if (auto token = operatorTokenFor(operatorText.toStdString()))
        currentOperator_ = *token;
    else
        problems += QStringLiteral("Please select an operation.\r");
    if (currentOperator_ != FTOK_PRESENT && valueEdit_->text().left(1023).isEmpty())
        problems += QStringLiteral("Please enter a value.\r");
    const int rowCount = criteriaList_->topLevelItemCount();
    if (rowCount > 0 && !andRadio_->isChecked() && !orRadio_->isChecked())
        problems += QStringLiteral("Please select to AND or OR with previous criteria.\r");
    if (!problems.isEmpty()) {
        report("%s", problems.toUtf8().constData());
        return;
    }

    DirectoryClient& dc = client();
    const bool joinWithAnd = andRadio_->isChecked();
    const bool begunFilter = filter_ == nullptr;
    if (begunFilter) {
        Filter_Cursor_T* cursor = nullptr;
        const NWDSCCODE rc = dc.NWDSAllocFilter(&cursor);
        if (rc < 0) {
            report(AllocFilterFailed, unsigned(rc));
            return;
        }
        filter_ = cursor;
    } else {
        const NWDSCCODE rc =
            dc.NWDSAddFilterToken(filter_, connectorToken(joinWithAnd), nullptr, 0);
        if (rc < 0) {
            report(AddFilterTokenFailed, unsigned(rc));
            return;
        }
    }

    auto criterion = std::make_unique<SearchCriterion>();
    criterion->attributeName = attributeText.toStdString();
    criterion->operatorToken = currentOperator_;
    NWDSCCODE rc =
        dc.NWDSGetSyntaxID(context(), criterion->attributeName.c_str(), &criterion->syntaxId);
    if (rc < 0) {
        report("NWDSGetSyntaxID() returned: %04X\n", unsigned(rc));
        discardFailedCriterion(begunFilter);
        return;
    }

    const QString valueText = valueEdit_->text().left(1023);
    switch (criterionForm(criterion->attributeName, criterion->syntaxId, currentOperator_)) {
    case CriterionForm::Present:
        criterion->kind = SearchCriterion::ValueKind::Present;
        valueEdit_->clear();
        break;
    case CriterionForm::NamingValue:
        criterion->text = valueText.toStdString();
        if (criterion->attributeName == "Common Name")
            addRequestedAttribute(QStringLiteral("Common Name"));
        break;
    case CriterionForm::BaseClass:
    case CriterionForm::TextComparison:
        criterion->text = valueText.toStdString();
        break;
    case CriterionForm::IntegerComparison:
        criterion->kind = SearchCriterion::ValueKind::Integer;
        criterion->integer = decimalValue(valueText.toStdString());
        break;
    case CriterionForm::Unsearchable:
        // No operand tokens could stand for it: refused rather than shown without effect.
        report("%s", "The syntax of this attribute cannot be searched.\r");
        discardFailedCriterion(begunFilter);
        return;
    }
    for (const FilterTokenCall& call : criterionTokens(*criterion)) {
        rc = dc.NWDSAddFilterToken(filter_, call.token, call.value, call.syntaxId);
        if (rc < 0) {
            report(AddFilterTokenFailed, unsigned(rc));
            discardFailedCriterion(begunFilter);
            return;
        }
    }
    const QString shownValue =
        criterion->kind == SearchCriterion::ValueKind::Present ? QString() : valueText;
    addCriterionRows(std::move(criterion), operatorText, shownValue, joinWithAnd);
}

void CQueryPage::addCriterionRows(std::unique_ptr<SearchCriterion> criterion,
                                  const QString& operatorText, const QString& valueText,
                                  bool joinWithAnd) {
    const int rowCount = criteriaList_->topLevelItemCount();
    if (rowCount > 0) {
        auto* connector = new QTreeWidgetItem;
        connector->setText(NodeOperator,
                           joinWithAnd ? QStringLiteral("AND") : QStringLiteral("OR"));
        criteriaList_->insertTopLevelItem(rowCount, connector);
    }
    const QString name = QString::fromStdString(criterion->attributeName);
    auto* row = new CriterionRow(std::move(criterion));
    row->setText(FieldName, name);
    row->setText(FieldOperator, operatorText);
    row->setText(Value, valueText);
    criteriaList_->insertTopLevelItem(criteriaList_->topLevelItemCount(), row);
}

void CQueryPage::ClearCriteria() {
    const int rows = criteriaList_->topLevelItemCount();
    for (int i = 0; i < rows; ++i)
        delete criteriaList_->takeTopLevelItem(0); // a criterion row releases its record
}

void CQueryPage::discardFailedCriterion(bool begunFilter) {
    if (begunFilter)
        releaseFilter();
    else
        rebuildFilterFromRows();
}

void CQueryPage::rebuildFilterFromRows() {
    releaseFilter();
    if (criteriaList_->topLevelItemCount() == 0)
        return;
    DirectoryClient& dc = client();
    Filter_Cursor_T* cursor = nullptr;
    NWDSCCODE rc = dc.NWDSAllocFilter(&cursor);
    if (rc < 0) {
        report(AllocFilterFailed, unsigned(rc));
        ClearCriteria();
        return;
    }
    filter_ = cursor;
    for (int i = 0; i < criteriaList_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = criteriaList_->topLevelItem(i);
        std::vector<FilterTokenCall> calls;
        if (isCriterionRow(row))
            calls = criterionTokens(static_cast<const CriterionRow*>(row)->criterion());
        else
            calls = {
                {connectorToken(row->text(NodeOperator) == QStringLiteral("AND")), nullptr, 0}};
        for (const FilterTokenCall& call : calls) {
            rc = dc.NWDSAddFilterToken(filter_, call.token, call.value, call.syntaxId);
            if (rc < 0) {
                report(AddFilterTokenFailed, unsigned(rc));
                releaseFilter();
                ClearCriteria();
                return;
            }
        }
    }
}

SubmittedSearch CQueryPage::currentSearch(const std::string& base) const {
    SubmittedSearch search{base, {}};
    for (int i = 0; i < criteriaList_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = criteriaList_->topLevelItem(i);
        SubmittedSearch::Step step;
        if (isCriterionRow(row)) {
            step.criterion = static_cast<const CriterionRow*>(row)->criterion();
            step.text =
                QStringList{row->text(FieldName), row->text(FieldOperator), row->text(Value)}
                    .join(QLatin1Char(' '))
                    .trimmed()
                    .toStdString();
        } else {
            const bool joinWithAnd = row->text(NodeOperator) == QStringLiteral("AND");
            step.connector = connectorToken(joinWithAnd);
            step.text = joinWithAnd ? "AND" : "OR";
        }
        search.steps.push_back(std::move(step));
    }
    return search;
}
