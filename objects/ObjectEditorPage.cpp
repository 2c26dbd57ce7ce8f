#include "ObjectEditorPage.h"

#include "EditPanel.h"
#include "ModificationCriterion.h"
#include "pages/ClassIconTable.h"
#include "pages/ModelListing.h"
#include "pages/ObjectListModel.h"
#include "pages/SliceRunner.h"
#include "render/ValueList.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

CObjectEditorPage::CObjectEditorPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::ObjectEditor, services, parent) {
    setObjectName(QStringLiteral("objectEditorPage"));
}

CObjectEditorPage::~CObjectEditorPage() {
    // A listing still arriving is closed while the context is there.
    delete listing_;
    if (criteria_)
        releaseCriteria();
}

namespace {
QComboBox* makeCombo(QWidget* parent, const char* objectName) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(objectName));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

// The drop-down list of a combo box is announced with the combo box's own name.
void nameDropDown(QComboBox* combo) {
    combo->view()->setAccessibleName(combo->accessibleName());
}

QPushButton* makeButton(QWidget* parent, const QString& text, const char* objectName) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    return button;
}
} // namespace

void CObjectEditorPage::buildControls() {
    QLabel* treeLabel = nullptr;
    QLabel* contextLabel = nullptr;
    QLabel* serverLabel = nullptr;
    QLabel* selectedLabel = nullptr;
    QLabel* typeLabel = nullptr;
    treeField_ = makeReadOnlyField(QStringLiteral("Current Tree: "), "treeField", &treeLabel);
    contextField_ = makeReadOnlyField(QStringLiteral("Context: "), "contextField", &contextLabel);
    selectedField_ = makeReadOnlyField(QStringLiteral("Selected Object:"), "selectedObjectField",
                                       &selectedLabel);
    typeField_ = makeReadOnlyField(QStringLiteral("Object Type:"), "typeField", &typeLabel);
    serverField_ = makeReadOnlyField(QStringLiteral("Server:"), "serverField", &serverLabel);

    // ---- Object Selector ----
    auto* selector = new QGroupBox(QStringLiteral("Object Selector"), this);
    selector->setObjectName(QStringLiteral("objectSelector"));
    objectsModel_ = new ObjectListModel(this);
    objectsModel_->setNameReader(ModelListing::nameReader(*this), ClassIcon::Attribute);
    objects_ = new QTreeView(selector);
    objects_->setModel(objectsModel_);
    objects_->setObjectName(QStringLiteral("objectTree"));
    objects_->setHeaderHidden(true);
    objects_->setRootIsDecorated(true);
    objects_->setDragEnabled(false);
    objects_->setUniformRowHeights(true);
    objects_->setSelectionMode(QAbstractItemView::SingleSelection);
    QLabel* objectsLabel = makeBuddyLabel(QStringLiteral("Objects:"), objects_, selector);

    values_ = new QTreeWidget(selector);
    values_->setObjectName(QStringLiteral("valueList"));
    configureValueList(*values_);
    values_->setColumnCount(0);
    values_->viewport()->installEventFilter(this);
    values_->installEventFilter(this);
    QLabel* valuesLabel = makeBuddyLabel(QStringLiteral("Values: "), values_, selector);
    surfaces_.valueList = values_;

    auto* upper = new QGridLayout(selector);
    upper->setContentsMargins(6, 4, 6, 4);
    upper->setVerticalSpacing(2);
    upper->addWidget(treeLabel, 0, 0);
    upper->addWidget(treeField_, 0, 1);
    upper->addWidget(contextLabel, 0, 2);
    upper->addWidget(contextField_, 0, 3);
    upper->addWidget(objectsLabel, 1, 0, 1, 2);
    upper->addWidget(valuesLabel, 1, 2, 1, 2);
    upper->addWidget(objects_, 2, 0, 1, 2);
    listing_ = new ModelListing(*this, objectsModel_, selector);
    upper->addWidget(values_, 2, 2, 1, 2);
    upper->addWidget(selectedLabel, 3, 0);
    upper->addWidget(selectedField_, 3, 1);
    upper->addWidget(typeLabel, 3, 2);
    upper->addWidget(typeField_, 3, 3);
    upper->addWidget(listing_->progress(), 4, 0, 1, 4);
    upper->setRowStretch(2, 1);
    upper->setColumnStretch(1, 2);
    upper->setColumnStretch(3, 3);

    // ---- Set Modification Criteria ----
    auto* criteriaBox = new QGroupBox(QStringLiteral("Set Modification Criteria"), this);
    criteriaBox->setObjectName(QStringLiteral("modificationCriteria"));
    attributes_ = makeCombo(criteriaBox, "attributeCombo");
    QLabel* attributeLabel = makeBuddyLabel(QStringLiteral("Attribute:"), attributes_, criteriaBox);
    operations_ = makeCombo(criteriaBox, "operationCombo");
    QLabel* operationLabel =
        makeBuddyLabel(QStringLiteral("Modification Operation:"), operations_, criteriaBox);
    editPanel_ = new EditPanel(criteriaBox);
    addCriteria_ = makeButton(criteriaBox, QStringLiteral("Add Criteria"), "addCriteriaButton");
    criteria_ = new QTreeWidget(criteriaBox);
    criteria_->setObjectName(QStringLiteral("criteriaList"));
    configureValueList(*criteria_);
    criteria_->setColumnCount(0);
    QLabel* criteriaLabel =
        makeBuddyLabel(QStringLiteral("Object Modification Criteria:"), criteria_, criteriaBox);
    modify_ = makeButton(criteriaBox, QStringLiteral("Modify Object"), "modifyObjectButton");
    resetAll_ = makeButton(criteriaBox, QStringLiteral("Reset All"), "resetAllButton");

    auto* lower = new QGridLayout(criteriaBox);
    lower->setContentsMargins(6, 4, 6, 4);
    lower->setVerticalSpacing(2);
    lower->addWidget(attributeLabel, 0, 0);
    lower->addWidget(attributes_, 0, 1);
    lower->addWidget(operationLabel, 0, 2);
    lower->addWidget(operations_, 0, 3);
    lower->addWidget(editPanel_, 1, 0, 1, 4);
    lower->addWidget(addCriteria_, 1, 4, Qt::AlignBottom);
    lower->addWidget(criteriaLabel, 2, 0, 1, 4);
    lower->addWidget(criteria_, 3, 0, 1, 4);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(modify_);
    buttons->addWidget(resetAll_);
    buttons->addStretch(1);
    lower->addLayout(buttons, 3, 4);
    lower->setColumnStretch(1, 1);
    lower->setColumnStretch(3, 1);
    lower->setRowStretch(3, 1);

    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(serverLabel);
    footer->addWidget(serverField_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addWidget(selector, 3);
    layout->addWidget(criteriaBox, 4);
    layout->addLayout(footer);

    for (QComboBox* combo : {attributes_, operations_, editPanel_->protectedAttributes()})
        nameDropDown(combo);

    connect(objects_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CObjectEditorPage::onObjectSelectionChanged);
    connect(listing_, &ModelListing::ended, this, &CObjectEditorPage::listingEnded);
    connect(attributes_, &QComboBox::currentIndexChanged, this,
            &CObjectEditorPage::onAttributeChosen);
    connect(editPanel_->protectedAttributes(), &QComboBox::currentIndexChanged, this,
            &CObjectEditorPage::onProtectedAttributeChosen);
    connect(addCriteria_, &QPushButton::clicked, this, &CObjectEditorPage::addCriterion);
    connect(modify_, &QPushButton::clicked, this, &CObjectEditorPage::modifyObject);
    connect(resetAll_, &QPushButton::clicked, this, &CObjectEditorPage::releaseCriteria);
}

void CObjectEditorPage::fillPage() {
    editPanel_->reset();
    listObjects();
    {
        const QSignalBlocker quiet(operations_);
        for (const ModifyOperation& op : kModifyOperations)
            operations_->addItem(QString::fromLatin1(op.text));
        operations_->model()->sort(0);
        operations_->setCurrentIndex(-1);
    }
    insertColumn(*values_, 0, QStringLiteral("Attribute Values"), 250);
    appendColumn(*criteria_, QStringLiteral("Attribute Name"), 190);
    appendColumn(*criteria_, QStringLiteral("Operation"), 100);
    appendColumn(*criteria_, QStringLiteral("Attribute Type"), 190);
    contextField_->setText(QString::fromStdString(nameContext_));
}

bool CObjectEditorPage::eventFilter(QObject* watched, QEvent* event) {
    if (values_ && watched == values_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            takeShownValue(values_->itemAt(mouse->position().toPoint()));
    } else if (values_ && watched == values_ && event->type() == QEvent::KeyPress) {
        // The keyboard's way of clicking the current row.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
            values_->currentItem()) {
            takeShownValue(values_->currentItem());
            return true;
        }
    }
    return PageFrame::eventFilter(watched, event);
}

void CObjectEditorPage::showMessages(const QString& messages) {
    report("%s", messages.toStdString().c_str());
}

QList<QAbstractItemView*> CObjectEditorPage::imageListViews() {
    return {objects_};
}
