// The "NDS Query" page: its controls, its filling, the attribute choice, the requested
// attributes and the reset. The criteria are in QueryCriteria.cpp, the search in
// QuerySubmit.cpp.
#include "QueryPage.h"

#include "QuerySearch.h"
#include "SearchCriterion.h"
#include "SearchResultsModel.h"
#include "SubmittedSearch.h"
#include "pages/ClassIconTable.h"
#include "pages/SliceRunner.h"
#include "schema/AttributeReads.h"
#include "schema/ReportPolicies.h"
#include "schema/SyntaxReads.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

bool lessIgnoringCase(const QString& a, const QString& b) {
    return QString::compare(a, b, Qt::CaseInsensitive) < 0;
}

// A combo box's list kept in the order of its texts, case ignored.
void addSorted(QComboBox* combo, QStringList texts) {
    std::stable_sort(texts.begin(), texts.end(), lessIgnoringCase);
    combo->addItems(texts);
}

QComboBox* makeEditableCombo(QWidget* parent, const char* objectName) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(objectName));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCurrentIndex(-1);
    return combo;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const char* objectName) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

} // namespace

CQueryPage::CQueryPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::Query, services, parent) {
    setObjectName(QStringLiteral("queryPage"));
}

CQueryPage::~CQueryPage() {
    // A search still arriving is closed while the context is there.
    delete runner_;
    runner_ = nullptr;
    search_.reset();
    releaseFilter();
}

QWidget* CQueryPage::buildCriteriaGroup() {
    auto* group = new QGroupBox(QStringLiteral("Set Search Criteria"), this);
    group->setObjectName(QStringLiteral("searchCriteriaGroup"));

    attributeCombo_ = makeEditableCombo(group, "attributeCombo");
    QLabel* attributeLabel =
        makeBuddyLabel(QStringLiteral("Data Field/Attributes:"), attributeCombo_, group);
    requestedList_ = new QListWidget(group);
    requestedList_->setObjectName(QStringLiteral("requestedAttributeList"));
    requestedList_->setAccessibleName(QStringLiteral("Requested attributes"));
    requestedList_->setSelectionMode(QAbstractItemView::SingleSelection);
    requestedList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    requestedList_->viewport()->installEventFilter(this);

    operatorCombo_ = makeEditableCombo(group, "operatorCombo");
    QLabel* operatorLabel = makeBuddyLabel(QStringLiteral("Operator:"), operatorCombo_, group);
    // The drop-down lists are announced by the name of their combo.
    for (QComboBox* combo : {attributeCombo_, operatorCombo_})
        combo->view()->setAccessibleName(combo->accessibleName());
    orRadio_ = new QRadioButton(QStringLiteral("OR with previous criteria"), group);
    orRadio_->setObjectName(QStringLiteral("orRadio"));
    andRadio_ = new QRadioButton(QStringLiteral("AND with previous criteria"), group);
    andRadio_->setObjectName(QStringLiteral("andRadio"));

    valueEdit_ = new QLineEdit(group);
    valueEdit_->setObjectName(QStringLiteral("valueEdit"));
    valueEdit_->setMaxLength(1023);
    QLabel* valueLabel = makeBuddyLabel(QStringLiteral("Value:"), valueEdit_, group);
    syntaxField_ = new QLineEdit(group);
    syntaxField_->setObjectName(QStringLiteral("syntaxField"));
    syntaxField_->setReadOnly(true);
    syntaxField_->setAccessibleName(QStringLiteral("Syntax"));
    addButton_ = makeButton(group, QStringLiteral("Add Criteria"), "addCriteriaButton");

    auto* grid = new QGridLayout(group);
    grid->addWidget(attributeLabel, 0, 0);
    grid->addWidget(attributeCombo_, 1, 0);
    grid->addWidget(requestedList_, 2, 0, 4, 1);
    grid->addWidget(operatorLabel, 0, 1);
    grid->addWidget(operatorCombo_, 1, 1);
    grid->addWidget(orRadio_, 2, 1);
    grid->addWidget(andRadio_, 3, 1);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(valueLabel);
    valueRow->addWidget(syntaxField_, 1);
    grid->addLayout(valueRow, 4, 1);
    grid->addWidget(valueEdit_, 5, 1);
    grid->addWidget(addButton_, 5, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return group;
}

void CQueryPage::buildControls() {
    QWidget* group = buildCriteriaGroup();

    criteriaList_ = new QTreeWidget(this);
    criteriaList_->setObjectName(QStringLiteral("criteriaList"));
    criteriaList_->setRootIsDecorated(false);
    criteriaList_->setColumnCount(0);
    criteriaList_->setUniformRowHeights(true);
    QLabel* criteriaLabel = makeBuddyLabel(QStringLiteral("Search Criteria:"), criteriaList_);

    submitButton_ = makeButton(this, QStringLiteral("Submit Query"), "submitQueryButton");
    locationEdit_ = new QLineEdit(this);
    locationEdit_->setObjectName(QStringLiteral("searchLocationEdit"));
    locationEdit_->setMaxLength(255);
    QLabel* locationLabel = makeBuddyLabel(QStringLiteral("Search Location:"), locationEdit_);
    resetButton_ = makeButton(this, QStringLiteral("Reset Criteria"), "resetCriteriaButton");
    exportResultsButton_ =
        makeButton(this, QStringLiteral("E&xport Results..."), "exportResultsButton");
    exportResultsButton_->setEnabled(false);

    resultsModel_ = new SearchResultsModel(this);
    resultsModel_->setImages(ClassIcon::Attribute, ClassIcon::QueryValue);
    results_ = new QTreeView(this);
    results_->setObjectName(QStringLiteral("resultsTree"));
    results_->setHeaderHidden(true);
    results_->setRootIsDecorated(true);
    results_->setItemsExpandable(true);
    results_->setUniformRowHeights(true);
    results_->setModel(resultsModel_);
    QLabel* resultsLabel = makeBuddyLabel(QStringLiteral("Results:"), results_);
    progress_ = new ListingProgress(QStringLiteral("Searching: %1 objects so far"), this);
    runner_ = new SliceRunner(progress_, this);

    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(submitButton_);
    searchRow->addWidget(locationLabel);
    searchRow->addWidget(locationEdit_, 1);
    searchRow->addWidget(resetButton_);
    searchRow->addWidget(exportResultsButton_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(group);
    layout->addWidget(criteriaLabel);
    layout->addWidget(criteriaList_, 1);
    layout->addLayout(searchRow);
    layout->addWidget(resultsLabel);
    layout->addWidget(results_, 2);
    layout->addWidget(progress_);

    connect(addButton_, &QPushButton::clicked, this, [this] { OnAddCriteria(); });
    connect(submitButton_, &QPushButton::clicked, this, [this] { OnSubmitQuery(); });
    connect(resetButton_, &QPushButton::clicked, this, [this] { OnResetCriteria(); });
    connect(exportResultsButton_, &QPushButton::clicked, this, [this] { exportResults(); });
    connect(attributeCombo_, &QComboBox::activated, this, [this] { OnAttributeSelected(); });
    connect(runner_, &SliceRunner::finished, this, &CQueryPage::searchFinished);
}

void CQueryPage::fillPage() {
    locationEdit_->setText(QString::fromStdString(nameContext_));

    QStringList searchable;
    WalkAttributeDefinitions(*this, SchemaReports::silent(), [&](const AttrDef& def) {
        if (isSearchableSyntax(def.info.attrSyntaxID))
            searchable << QString::fromStdString(def.name);
    });
    addSorted(attributeCombo_, searchable);
    attributeCombo_->setCurrentIndex(-1);

    QStringList operators;
    for (const auto& text : operatorTexts())
        operators << QString::fromStdString(text);
    addSorted(operatorCombo_, operators);
    operatorCombo_->setCurrentIndex(-1);

    criteriaList_->setHeaderLabels({QStringLiteral("Field Name"), QStringLiteral("Field Operator"),
                                    QStringLiteral("Value"), QStringLiteral("Node Operator")});
    const int widths[] = {150, 80, 175, 90};
    for (int column = 0; column < 4; ++column)
        criteriaList_->setColumnWidth(column, widths[column]);
}

void CQueryPage::addRequestedAttribute(const QString& name) {
    int at = 0;
    for (; at < requestedList_->count(); ++at) {
        const QString entry = requestedList_->item(at)->text();
        if (QString::compare(entry, name, Qt::CaseInsensitive) == 0)
            return;
        if (lessIgnoringCase(name, entry))
            break;
    }
    requestedList_->insertItem(at, name);
}

void CQueryPage::OnAttributeSelected() {
    if (attributeCombo_->currentIndex() < 0)
        return;
    const QString name = attributeCombo_->itemText(attributeCombo_->currentIndex());
    addRequestedAttribute(name);
    AttributeSyntax syntax;
    if (!ReadAttributeSyntax(*this, name.toStdString(), SchemaReports::attributeSyntax(), syntax)
             .ok())
        return;
    syntaxField_->setText(QString::fromStdString(syntax.name));
}

void CQueryPage::removeSelectedRequestedAttribute() {
    const auto selected = requestedList_->selectedItems();
    if (!selected.isEmpty())
        delete selected.first();
}

bool CQueryPage::eventFilter(QObject* watched, QEvent* event) {
    if (requestedList_ && watched == requestedList_->viewport() &&
        event->type() == QEvent::MouseButtonDblClick) {
        removeSelectedRequestedAttribute();
        return true;
    }
    return PageFrame::eventFilter(watched, event);
}

void CQueryPage::OnResetCriteria() {
    attributeCombo_->setCurrentIndex(-1);
    attributeCombo_->clearEditText();
    operatorCombo_->setCurrentIndex(-1);
    operatorCombo_->clearEditText();
    valueEdit_->clear();
    // The filter goes with the criteria, so that no criterion that is no longer shown is sent.
    releaseFilter();
    ClearCriteria();
    syntaxField_->clear();
    requestedList_->clear();
}

void CQueryPage::releaseFilter() {
    if (filter_ == nullptr)
        return;
    client().NWDSFreeFilter(filter_, nullptr);
    filter_ = nullptr;
}

QList<QAbstractItemView*> CQueryPage::imageListViews() {
    return {results_};
}
