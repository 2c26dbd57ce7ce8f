#include "ObjectManagerPage.h"

#include "directory/ListContainer.h"
#include "pages/ModelListing.h"
#include "pages/ObjectListModel.h"
#include "pages/SliceRunner.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kCriteriaColumnWidth = 146;

QLineEdit* makeEdit(QWidget* parent, const char* objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(objectName));
    return edit;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const char* objectName) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoDefault(false);
    return button;
}

// The page holds two forms and a tree in the space of one: tight margins and spacing.
void compact(QLayout* layout) {
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(4);
}

} // namespace

CObjectManagerPage::CObjectManagerPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::ObjectManager, services, parent) {
    setObjectName(QStringLiteral("objectManagerPage"));
}

CObjectManagerPage::~CObjectManagerPage() {
    delete listing_;
}

QGroupBox* CObjectManagerPage::buildCreateGroup() {
    auto* group = new QGroupBox(QStringLiteral("Create Object"), this);
    group->setObjectName(QStringLiteral("createObjectGroup"));

    classCombo_ = new QComboBox(group);
    classCombo_->setObjectName(QStringLiteral("objectClassCombo"));
    classCombo_->setEditable(true);
    classCombo_->setInsertPolicy(QComboBox::NoInsert);
    createNameField_ = makeEdit(group, "objectNameField");
    mandatory_ = new QListWidget(group);
    mandatory_->setObjectName(QStringLiteral("mandatoryList"));
    mandatory_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    valueField_ = makeEdit(group, "attributeValueField");
    addButton_ = makeButton(group, QStringLiteral("Add To Criteria"), "addToCriteriaButton");
    syntaxField_ = makeEdit(group, "syntaxField");
    syntaxField_->setReadOnly(true);
    criteria_ = new QTreeWidget(group);
    criteria_->setObjectName(QStringLiteral("criteriaList"));
    criteria_->setRootIsDecorated(false);
    criteria_->setColumnCount(2);
    criteria_->header()->setStretchLastSection(false);
    keyPairCheck_ = new QCheckBox(QStringLiteral("Generate Object Key Pair"), group);
    keyPairCheck_->setObjectName(QStringLiteral("keyPairCheck"));
    keyPairCheck_->setToolTip(QStringLiteral("This page does not generate key pairs: objects are "
                                             "created without one, whether this is checked or "
                                             "not."));
    createButton_ = makeButton(group, QStringLiteral("Create Object"), "createObjectButton");

    auto* arrow = new QLabel(QStringLiteral(">>>"), group);
    arrow->setObjectName(QStringLiteral("arrowLabel"));
    arrow->setAlignment(Qt::AlignCenter);

    // Class and name on top; the waiting attributes, ">>>" and the value entry side by side;
    // the criteria below, then the check box and the create button.
    auto* layout = new QGridLayout(group);
    compact(layout);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Object Class:"), classCombo_, group), 0, 0);
    layout->addWidget(classCombo_, 0, 1);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Object Name:"), createNameField_, group), 0,
                      3);
    layout->addWidget(createNameField_, 0, 4, 1, 2);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Mandatory Attributes:"), mandatory_, group), 1,
                      0, 1, 2);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Attribute Value:"), valueField_, group), 1, 3,
                      1, 3);
    layout->addWidget(mandatory_, 2, 0, 2, 2);
    layout->addWidget(arrow, 2, 2);
    layout->addWidget(valueField_, 2, 3, 1, 3);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Syntax:"), syntaxField_, group), 3, 3);
    layout->addWidget(syntaxField_, 3, 4);
    layout->addWidget(addButton_, 3, 5);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Criteria:"), criteria_, group), 4, 0, 1, 6);
    layout->addWidget(criteria_, 5, 0, 1, 6);
    layout->addWidget(keyPairCheck_, 6, 0, 1, 4);
    layout->addWidget(createButton_, 6, 5);
    layout->setColumnStretch(1, 1);
    layout->setColumnStretch(4, 1);
    layout->setRowStretch(5, 1);
    mandatory_->setMaximumHeight(mandatory_->fontMetrics().height() * 4);
    syntaxField_->setMinimumWidth(
        syntaxField_->fontMetrics().horizontalAdvance(QStringLiteral("Distinguished Name")) + 12);
    // The drop-down list is announced by the combo's own label.
    classCombo_->view()->setAccessibleName(classCombo_->accessibleName());

    connect(classCombo_, &QComboBox::currentIndexChanged, this, &CObjectManagerPage::chooseClass);
    connect(addButton_, &QPushButton::clicked, this, &CObjectManagerPage::addPair);
    connect(createButton_, &QPushButton::clicked, this, &CObjectManagerPage::createObject);
    return group;
}

QGroupBox* CObjectManagerPage::buildOperationsGroup() {
    auto* group = new QGroupBox(QStringLiteral("Object Operations"), this);
    group->setObjectName(QStringLiteral("objectOperationsGroup"));
    objectsModel_ = new ObjectListModel(this);
    objects_ = new QTreeView(group);
    objects_->setObjectName(QStringLiteral("objectTree"));
    objects_->setHeaderHidden(true);
    objects_->setRootIsDecorated(false);
    objects_->setUniformRowHeights(true);
    objects_->setSelectionMode(QAbstractItemView::SingleSelection);
    objects_->setModel(objectsModel_);
    listing_ = new ModelListing(*this, objectsModel_, group);
    classField_ = makeEdit(group, "objectClassField");
    classField_->setReadOnly(true);

    auto* deleteGroup = new QGroupBox(QStringLiteral("Delete / Rename Object"), group);
    deleteGroup->setObjectName(QStringLiteral("deleteRenameGroup"));
    deleteNameField_ = makeEdit(deleteGroup, "deleteNameField");
    deleteButton_ = makeButton(deleteGroup, QStringLiteral("Delete"), "deleteButton");
    newNameField_ = makeEdit(deleteGroup, "newNameField");
    renameButton_ = makeButton(deleteGroup, QStringLiteral("Rename"), "renameButton");
    auto* deleteLayout = new QGridLayout(deleteGroup);
    compact(deleteLayout);
    deleteLayout->addWidget(
        makeBuddyLabel(QStringLiteral("Object Name:"), deleteNameField_, deleteGroup), 0, 0);
    deleteLayout->addWidget(deleteNameField_, 0, 1);
    deleteLayout->addWidget(deleteButton_, 0, 2);
    deleteLayout->addWidget(
        makeBuddyLabel(QStringLiteral("New Object Name:"), newNameField_, deleteGroup), 1, 0);
    deleteLayout->addWidget(newNameField_, 1, 1);
    deleteLayout->addWidget(renameButton_, 1, 2);
    deleteLayout->setColumnStretch(1, 1);

    auto* moveGroup = new QGroupBox(QStringLiteral("Move Object"), group);
    moveGroup->setObjectName(QStringLiteral("moveGroup"));
    moveNameField_ = makeEdit(moveGroup, "moveNameField");
    newContextField_ = makeEdit(moveGroup, "newContextField");
    moveButton_ = makeButton(moveGroup, QStringLiteral("Move"), "moveButton");
    auto* moveLayout = new QGridLayout(moveGroup);
    compact(moveLayout);
    moveLayout->addWidget(makeBuddyLabel(QStringLiteral("Object Name:"), moveNameField_, moveGroup),
                          0, 0);
    moveLayout->addWidget(moveNameField_, 0, 1);
    moveLayout->addWidget(
        makeBuddyLabel(QStringLiteral("New Context:"), newContextField_, moveGroup), 1, 0);
    moveLayout->addWidget(newContextField_, 1, 1);
    moveLayout->addWidget(moveButton_, 1, 2);
    moveLayout->setColumnStretch(1, 1);

    // The tree and the selected object's class on the left, the two forms on the right.
    auto* layout = new QGridLayout(group);
    compact(layout);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Objects:"), objects_, group), 0, 0, 1, 2);
    layout->addWidget(objects_, 1, 0, 2, 2);
    layout->addWidget(makeBuddyLabel(QStringLiteral("Object Class:"), classField_, group), 3, 0);
    layout->addWidget(classField_, 3, 1);
    layout->addWidget(listing_->progress(), 4, 0, 1, 3);
    layout->addWidget(deleteGroup, 0, 2, 2, 1);
    layout->addWidget(moveGroup, 2, 2, 2, 1);
    layout->setColumnStretch(1, 2);
    layout->setColumnStretch(2, 3);
    layout->setRowStretch(1, 1);

    connect(objects_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CObjectManagerPage::showSelectedObject);
    connect(deleteButton_, &QPushButton::clicked, this, &CObjectManagerPage::deleteObject);
    connect(renameButton_, &QPushButton::clicked, this, &CObjectManagerPage::renameObject);
    connect(moveButton_, &QPushButton::clicked, this, &CObjectManagerPage::moveObject);
    return group;
}

void CObjectManagerPage::buildControls() {
    QGroupBox* create = buildCreateGroup();

    QLabel* contextLabel = nullptr;
    QLabel* serverLabel = nullptr;
    contextField_ =
        makeReadOnlyField(QStringLiteral("Current Context:"), "contextField", &contextLabel);
    serverField_ = makeReadOnlyField(QStringLiteral("Server:"), "serverField", &serverLabel);
    auto* header = new QHBoxLayout;
    header->addWidget(contextLabel);
    header->addWidget(contextField_, 1);
    header->addWidget(serverLabel);
    header->addWidget(serverField_, 1);

    QGroupBox* operations = buildOperationsGroup();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(create, 1);
    layout->addLayout(header);
    layout->addWidget(operations, 1);
}

void CObjectManagerPage::fillPage() {
    // A failed listing or class walk leaves what it added; start-up goes on regardless.
    ListContextObjects();
    fillClassPicker();
    criteria_->setHeaderLabels({QStringLiteral("Attribute"), QStringLiteral("Value")});
    criteria_->setColumnWidth(0, kCriteriaColumnWidth);
    criteria_->setColumnWidth(1, kCriteriaColumnWidth);
    contextField_->setText(QString::fromStdString(nameContext_));
}

void CObjectManagerPage::ListContextObjects() {
    listing_->start(nameContext_);
}

bool CObjectManagerPage::isListing() const {
    return listing_->isRunning();
}

void CObjectManagerPage::RefreshObjects() {
    for (QLineEdit* field : {newContextField_, newNameField_, moveNameField_, deleteNameField_,
                             classField_, createNameField_, valueField_, syntaxField_})
        field->clear();
    {
        const QSignalBlocker quiet(classCombo_);
        classCombo_->setCurrentIndex(-1);
        classCombo_->clearEditText();
    }
    criteria_->clear();
    // Also the waiting attributes: a pair added after the refresh must never take the place
    // of the "Object Class" row.
    mandatory_->clear();
    listing_->cancel();
    objectsModel_->clear();
    ListContextObjects();
    setChanged();
}

QList<QAbstractItemView*> CObjectManagerPage::imageListViews() {
    return {objects_};
}
