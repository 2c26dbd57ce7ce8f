#include "BrowserPage.h"

#include "EffectiveRightsDlg.h"
#include "directory/ListContainer.h"
#include "directory/NameRules.h"
#include "directory/ReadAttributeNames.h"
#include "pages/ClassIconTable.h"
#include "pages/ModelListing.h"
#include "pages/ObjectListModel.h"
#include "pages/SliceRunner.h"
#include "pages/TreeItems.h"
#include "pages/WaitCursor.h"
#include "render/ReadAttributeValues.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <cstring>

namespace {

// Bindery names of trees come padded with "_" to 32 characters.
std::string trimmedTreeName(const char* scanned) {
    std::string name(scanned, strnlen(scanned, MAX_TREE_NAME_CHARS));
    while (!name.empty() && name.back() == '_')
        name.pop_back();
    return name;
}
} // namespace

CBrowserPage::CBrowserPage(const PageServices& services, QWidget* parent)
    : PageFrame(PageKind::Browser, services, parent) {
    setObjectName(QStringLiteral("browserPage"));
}

CBrowserPage::~CBrowserPage() {
    // A listing still arriving is closed while the context is there.
    delete listing_;
    listing_ = nullptr;
    if (treeConnection_ != 0)
        client().NWCCCloseConn(treeConnection_);
}

void CBrowserPage::buildControls() {
    QLabel* treeLabel = nullptr;
    QLabel* contextLabel = nullptr;
    QLabel* typeLabel = nullptr;
    QLabel* selectedLabel = nullptr;
    QLabel* serverLabel = nullptr;
    treeField_ = makeReadOnlyField(QStringLiteral("Current Tree: "), "treeField", &treeLabel);
    contextField_ = makeReadOnlyField(QStringLiteral("Context: "), "contextField", &contextLabel);
    typeField_ = makeReadOnlyField(QStringLiteral("Object Type:"), "typeField", &typeLabel);
    selectedField_ = makeReadOnlyField(QStringLiteral("Selected Object:"), "selectedObjectField",
                                       &selectedLabel);
    serverField_ = makeReadOnlyField(QStringLiteral("Server:"), "serverField", &serverLabel);

    model_ = new ObjectListModel(this);
    model_->setNameReader(ModelListing::nameReader(*this), ClassIcon::Attribute);
    objects_ = new QTreeView(this);
    objects_->setObjectName(QStringLiteral("objectTree"));
    objects_->setHeaderHidden(true);
    objects_->setRootIsDecorated(true);
    objects_->setDragEnabled(false);
    objects_->setUniformRowHeights(true);
    objects_->setSelectionMode(QAbstractItemView::SingleSelection);
    objects_->setModel(model_);
    QLabel* objectsLabel = makeBuddyLabel(QStringLiteral("Objects:"), objects_);

    listing_ = new ModelListing(*this, model_, this);

    containers_ = new QListWidget(this);
    containers_->setObjectName(QStringLiteral("containerList"));
    containers_->setViewMode(QListView::ListMode);
    containers_->setSelectionMode(QAbstractItemView::SingleSelection);
    containers_->setSortingEnabled(true);
    containers_->setUniformItemSizes(true);
    containers_->viewport()->installEventFilter(this);
    containers_->installEventFilter(this);
    QLabel* containersLabel = makeBuddyLabel(QStringLiteral("Containers:"), containers_);

    // Beyond what the page shows of the object: what an identity may do with it, and why.
    rightsButton_ = new QPushButton(QStringLiteral("&Effective Rights..."), this);
    rightsButton_->setObjectName(QStringLiteral("effectiveRightsButton"));
    rightsButton_->setEnabled(false);
    exportLdifButton_ = new QPushButton(QStringLiteral("E&xport LDIF..."), this);
    exportLdifButton_->setObjectName(QStringLiteral("exportLdifButton"));
    importLdifButton_ = new QPushButton(QStringLiteral("&Import LDIF..."), this);
    importLdifButton_->setObjectName(QStringLiteral("importLdifButton"));
    connectionsButton_ = new QPushButton(QStringLiteral("Co&nnections..."), this);
    connectionsButton_->setObjectName(QStringLiteral("connectionsButton"));
    connectionsButton_->setAccessibleName(QStringLiteral("Connections..."));
    connectionsButton_->hide();

    surfaces_ = makeValueSurfaces(this);
    surfaces_.valueList->setObjectName(QStringLiteral("valueList"));
    surfaces_.valueList->setAccessibleName(QStringLiteral("Values"));
    surfaces_.textPanel->setObjectName(QStringLiteral("textPanel"));
    surfaces_.textPanel->setAccessibleName(QStringLiteral("Value text"));
    surfaces_.syntaxField->setObjectName(QStringLiteral("syntaxField"));
    QLabel* syntaxLabel = makeBuddyLabel(QStringLiteral("Syntax:"), surfaces_.syntaxField);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->addWidget(treeLabel, 0, 0);
    grid->addWidget(treeField_, 0, 1);
    grid->addWidget(contextLabel, 0, 2);
    grid->addWidget(contextField_, 0, 3);
    grid->addWidget(objectsLabel, 1, 0, 1, 2);
    grid->addWidget(containersLabel, 1, 2);
    grid->addWidget(connectionsButton_, 1, 3, Qt::AlignRight);
    grid->addWidget(objects_, 2, 0, 1, 2);
    grid->addWidget(containers_, 2, 2, 1, 2);
    grid->addWidget(listing_->progress(), 7, 0, 1, 4);
    grid->addWidget(typeLabel, 3, 0);
    grid->addWidget(typeField_, 3, 1);
    grid->addWidget(syntaxLabel, 3, 2);
    grid->addWidget(surfaces_.syntaxField, 3, 3);
    grid->addWidget(surfaces_.textPanel, 4, 0, 1, 4);
    grid->addWidget(surfaces_.valueList, 4, 0, 1, 4);
    grid->addWidget(selectedLabel, 5, 0);
    grid->addWidget(selectedField_, 5, 1);
    grid->addWidget(serverLabel, 5, 2);
    grid->addWidget(serverField_, 5, 3);
    auto* ldifRow = new QHBoxLayout;
    ldifRow->addWidget(importLdifButton_);
    ldifRow->addWidget(exportLdifButton_);
    ldifRow->addStretch(1);
    grid->addLayout(ldifRow, 6, 0, 1, 3);
    grid->addWidget(rightsButton_, 6, 3, Qt::AlignRight);
    grid->setRowStretch(2, 3);
    grid->setRowStretch(4, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    surfaces_.valueList->hide();
    surfaces_.textPanel->show();

    // Whatever selects an item (mouse, keyboard, an assistive technology) runs the handler.
    connect(objects_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CBrowserPage::onSelectionChanged);
    connect(rightsButton_, &QPushButton::clicked, this, &CBrowserPage::showEffectiveRights);
    connect(exportLdifButton_, &QPushButton::clicked, this, &CBrowserPage::exportLdif);
    connect(importLdifButton_, &QPushButton::clicked, this, &CBrowserPage::importLdif);
}

std::string CBrowserPage::rightsObjectName() const {
    if (selectedField_->text().isEmpty())
        return {};
    const QModelIndexList selected = objects_->selectionModel()->selectedIndexes();
    QModelIndex item = selected.isEmpty() ? QModelIndex() : selected.first();
    if (model_->isAttribute(item))
        item = item.parent();
    if (!item.isValid())
        return {};
    // The top item stands for the context itself.
    if (model_->isHead(item))
        return isRootName(nameContext_) || nameContext_.empty() ? std::string(ROOT_NAME)
                                                                : nameContext_;
    return fullNameOf(itemLabel(item), nameContext_);
}

void CBrowserPage::showEffectiveRights() {
    const std::string object = rightsObjectName();
    if (object.empty())
        return;
    CEffectiveRightsDlg dialog(*this, object, this);
    if (dialog.showRights())
        dialog.exec();
}

void CBrowserPage::fillPage() {
    showCurrentContext();
}

void CBrowserPage::refresh() {
    clearListing();
    surfaces_.valueList->clear();
    showCurrentContext();
}

QList<QAbstractItemView*> CBrowserPage::imageListViews() {
    return {objects_};
}

bool CBrowserPage::isListing() const {
    return listing_->isRunning();
}

ListingProgress* CBrowserPage::listingProgress() const {
    return listing_->progress();
}

SliceRunner* CBrowserPage::listingRun() const {
    return listing_->runner();
}

void CBrowserPage::clearListing() {
    // One listing at a time: the one under way stops and its rows go before the next arrive.
    listing_->cancel();
    model_->clear();
    containers_->clear();
}

void CBrowserPage::showCurrentContext() {
    WaitCursor wait;
    const std::string& current = nameContext_;
    NWDSCCODE rc =
        client().NWDSSetDefNameContext(context(), std::uint32_t(current.size()), current.c_str());
    if (rc != 0)
        report("NWDSSetDefNameContext() returned: %04X\n", unsigned(rc));

    int rootIcon = ClassIcon::Tree;
    if (!isRootName(current)) {
        Object_Info_T info{};
        rc = client().NWDSReadObjectInfo(context(), current.c_str(), nullptr, 0, &info);
        if (rc != 0) {
            report("NWDSReadObjectInfo returned: %04X\n", unsigned(rc));
            rootIcon = ClassIcon::Unknown;
        } else {
            info.baseClass[sizeof info.baseClass - 1] = '\0';
            rootIcon = ClassIconTable::iconFor(info.baseClass);
        }
    }

    // The top of the tree (or no context at all) shows the tree's name.
    const std::string rootText =
        isRootName(current) || current.empty() ? treeName_ : labelText(labelOf(current));
    model_->setImageList(imageList());
    const QModelIndex head = model_->setHead(QString::fromStdString(rootText), rootIcon);
    objects_->expand(head);

    // The first screen of objects is there when this returns; the rest arrives from the
    // event loop while the page answers the user.
    listing_->start(current, [this](const ListedObject& object, int icon) {
        if (object.info.objectFlags & DS_CONTAINER_ENTRY)
            setEntryLabel(addContainerEntry(QString::fromStdString(labelText(object.label)), icon),
                          object.label);
    });

    // A listing that failed has been reported; what arrived stays, and the way up and the
    // containers listed so far stay usable, so the page never strands the user.
    addContainerEntry(QString(), ClassIcon::UpArrow);
    treeField_->setText(QString::fromStdString(treeName_));
    contextField_->setText(QString::fromStdString(current));
    typeField_->clear();
    refreshServerField();
}

QListWidgetItem* CBrowserPage::addContainerEntry(const QString& label, int image) {
    auto* entry = new QListWidgetItem(label);
    setEntryImage(entry, image, imageList());
    if (label.isEmpty())
        entry->setData(Qt::AccessibleTextRole, QStringLiteral("Up one level"));
    containers_->addItem(entry);
    return entry;
}

bool CBrowserPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == containers_->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        QListWidgetItem* entry = containers_->itemAt(mouse->position().toPoint());
        if (!entry) {
            selectedField_->clear();
            serverField_->clear();
            rightsButton_->setEnabled(false);
        } else {
            moveTo(entry);
        }
        return true;
    }
    if (watched == containers_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && containers_->currentItem()) {
            moveTo(containers_->currentItem());
            return true;
        }
    }
    return PageFrame::eventFilter(watched, event);
}

void CBrowserPage::moveTo(QListWidgetItem* entry) {
    const int image = entryImage(entry);
    const std::string label = entryLabel(entry);
    if (image != ClassIcon::Tree && model_->head().isValid())
        objects_->setCurrentIndex(model_->head());
    serverField_->clear();
    selectedField_->clear();
    rightsButton_->setEnabled(false);

    WaitCursor wait;
    if (image == ClassIcon::Tree) {
        if (openTree(label)) {
            nameContext_ = ROOT_NAME;
            clearListing();
            showCurrentContext();
        }
    } else if (image == ClassIcon::UpArrow) {
        if (!isRootName(nameContext_)) {
            nameContext_ = parentContextOf(nameContext_);
            clearListing();
            showCurrentContext();
        } else {
            clearListing();
            // Without the list of trees the page stays at the top of the tree it was in.
            if (!listTrees())
                showCurrentContext();
        }
    } else {
        // Every other entry is a container the listing found: entered whatever its class.
        nameContext_ = fullNameOf(label, nameContext_);
        clearListing();
        showCurrentContext();
    }
}

bool CBrowserPage::listTrees() {
    NWCCConnRef reference = 0;
    NWDSCCODE rc = client().NWCCGetPrimConnRef(&reference);
    if (rc != 0) {
        report("\nNWCCGetPrimConnRef() returned : %04X\n", unsigned(rc));
        return false;
    }
    NWCONN_HANDLE connection = 0;
    rc = client().NWCCOpenConnByRef(reference, NWCC_OPEN_LICENSED, 0, &connection);
    if (rc != 0) {
        report("\nNWCCOpenConnByRef() returned : %04X\n", unsigned(rc));
        return false;
    }
    std::uint32_t objectID = BINDERY_SCAN_START;
    char scanned[MAX_BINDERY_NAME_BYTES] = {};
    while (client().NWScanObject(connection, "*", OT_TREE_NAME, &objectID, scanned,
                                 sizeof scanned) == 0) {
        const QString name = QString::fromStdString(trimmedTreeName(scanned));
        if (containers_->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty())
            addContainerEntry(name, ClassIcon::Tree);
    }
    client().NWCCCloseConn(connection);
    treeField_->clear();
    typeField_->clear();
    return true;
}

bool CBrowserPage::openTree(const std::string& treeName) {
    NWCONN_HANDLE connection = 0;
    NWDSCCODE rc =
        client().NWCCOpenConnByName(0, treeName.c_str(), NWCC_NAME_FORMAT_NDS_TREE,
                                    NWCC_OPEN_LICENSED, NWCC_TRAN_TYPE_WILD, &connection);
    if (rc != 0) {
        report("\nNWCCOpenConnByName() returned : %04X\n", unsigned(rc));
        return false;
    }
    rc = client().NWDSSetContext(context(), DCK_TREE_NAME, treeName.c_str());
    if (rc != 0) {
        report("NWDSGetContext returned: %04X\n", unsigned(rc));
        client().NWCCCloseConn(connection);
        return false;
    }
    rc = client().NWDSSetContext(context(), DCK_LAST_CONNECTION, &connection);
    if (rc != 0) {
        report("NWDSGetContext returned: %04X\n", unsigned(rc));
        // Leave the context on the tree it was on.
        client().NWDSSetContext(context(), DCK_TREE_NAME, treeName_.c_str());
        client().NWCCCloseConn(connection);
        return false;
    }
    treeName_ = treeName;
    if (treeConnection_ != 0)
        client().NWCCCloseConn(treeConnection_);
    treeConnection_ = connection;
    return true;
}

void CBrowserPage::onSelectionChanged() {
    const QModelIndexList selected = objects_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QModelIndex item = selected.first();
    if (!model_->isAttribute(item)) {
        selectObjectItem(item);
        return;
    }
    WaitCursor wait;
    const QModelIndex object = item.parent();
    if (!object.isValid())
        return;
    selectedObject_ = itemLabel(object);
    selectedField_->setText(object.data().toString());
    rightsButton_->setEnabled(true);
    const std::string attrName = item.data().toString().toStdString();
    ReadAttributeValues(*this, surfaces_, selectedObject_, attrName);
}

void CBrowserPage::selectObjectItem(const QModelIndex& item) {
    selectedObject_ = itemLabel(item);
    selectedField_->setText(item.data().toString());
    const int image = itemImage(item);
    // The root item stands for the current context itself.
    const std::string typeName =
        model_->isHead(item) ? ClassIconTable::typeNameForFullName(*this, image, nameContext_)
                             : ClassIconTable::typeNameFor(*this, image, selectedObject_);
    typeField_->setText(QString::fromStdString(typeName));
    rightsButton_->setEnabled(true);
    surfaces_.syntaxField->clear();
    surfaces_.textPanel->clear();
    surfaces_.valueList->hide();
    surfaces_.textPanel->show();
    refreshServerField();
    // Its attribute names come with the selection, as with an expansion.
    model_->readNames(item);
}
