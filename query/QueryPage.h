#pragma once

#include "pages/PageFrame.h"

#include <cstdint>
#include <memory>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class ListingProgress;
class SearchResultsModel;
class SliceRunner;
struct SearchCriterion;
struct SubmittedSearch;

// "NDS Query": builds a search filter criterion by criterion, searches the subtree below
// "Search Location:" and shows every object found with the values of the attributes asked
// for.
class CQueryPage : public PageFrame {
    Q_OBJECT
public:
    CQueryPage(const PageServices& services, QWidget* parent);
    ~CQueryPage() override; // releases a filter still under construction

    // "Add Criteria": checks the input and puts one criterion into the filter and the list.
    void OnAddCriteria();
    // Empties the "Search Criteria:" list, releasing every criterion record.
    void ClearCriteria();
    // "Submit Query": closes the filter, searches, and fills the results tree.
    void OnSubmitQuery();
    // "Reset Criteria": empties the entry fields, the filter, the criteria and the
    // requested attributes.
    void OnResetCriteria();
    // A choice in "Data Field/Attributes:": requests the attribute and shows its syntax.
    void OnAttributeSelected();
    // A double click in the requested-attributes list: drops the selected entry.
    void removeSelectedRequestedAttribute();

    bool hasFilter() const { return filter_ != nullptr; }
    // Whether a search's results are still arriving, and the line that shows its progress.
    bool isListing() const;
    QTreeView* resultsTree() const { return results_; }
    ListingProgress* searchProgress() const { return progress_; }
    SliceRunner* searchRun() const { return runner_; }

protected:
    void buildControls() override;
    QList<QAbstractItemView*> imageListViews() override;
    void fillPage() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildCriteriaGroup();
    void addRequestedAttribute(const QString& name);
    void addCriterionRows(std::unique_ptr<SearchCriterion> criterion, const QString& operatorText,
                          const QString& valueText, bool joinWithAnd);
    // Takes back what a failed criterion put into the filter: the filter it began, or the
    // tokens it appended (the filter is built anew from the rows).
    void discardFailedCriterion(bool begunFilter);
    // Builds the filter anew from the rows; when that fails the rows go too, so that the list
    // never shows a criterion the filter lacks.
    void rebuildFilterFromRows();
    void releaseFilter();
    // The search of a submitted query, a pass at a time; each failure reported.
    enum class SearchEnd { Completed, SearchCallFailed, Failed };
    struct Search;
    void startSearch(std::unique_ptr<Search> search);
    // One pass: its objects into the results; false once the search is over.
    bool searchPass();
    void searchFinished(bool cancelled);
    // The search the criteria describe now (QueryCriteria.cpp); kept once submitted, for
    // "Export Results..." (QueryExport.cpp).
    SubmittedSearch currentSearch(const std::string& base) const;
    void rememberSubmittedSearch(SubmittedSearch search);
    void exportResults();

    QComboBox* attributeCombo_ = nullptr;
    QListWidget* requestedList_ = nullptr;
    QComboBox* operatorCombo_ = nullptr;
    QRadioButton* orRadio_ = nullptr;
    QRadioButton* andRadio_ = nullptr;
    QLineEdit* valueEdit_ = nullptr;
    QLineEdit* syntaxField_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QTreeWidget* criteriaList_ = nullptr;
    QPushButton* submitButton_ = nullptr;
    QLineEdit* locationEdit_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QTreeView* results_ = nullptr;
    SearchResultsModel* resultsModel_ = nullptr;
    ListingProgress* progress_ = nullptr;
    SliceRunner* runner_ = nullptr;
    std::unique_ptr<Search> search_; // the search under way
    QPushButton* exportResultsButton_ = nullptr;

    Filter_Cursor_T* filter_ = nullptr;
    std::shared_ptr<const SubmittedSearch> submitted_;
    std::uint32_t currentOperator_ = FTOK_EQ;
};
