// Object Editor: the object tree, choosing an entry, the attribute lists filled from the
// object's class, and the values of the chosen attribute.
#include "EditPanel.h"
#include "ModificationCriterion.h"
#include "ObjectEditorPage.h"
#include "directory/ListContainer.h"
#include "pages/ClassIconTable.h"
#include "pages/ModelListing.h"
#include "pages/ObjectListModel.h"
#include "pages/TreeItems.h"
#include "pages/WaitCursor.h"
#include "render/ReadAttributeValues.h"
#include "schema/ClassReads.h"
#include "schema/ReportPolicies.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <deque>
#include <set>

namespace {

constexpr const char* kTop = "Top";

// Inserts at the text's sorted place (case-insensitive, after equal texts), as a sorted
// drop-down list does; a name listed twice is kept twice.
void insertSortedItem(QComboBox* combo, const QString& text) {
    int low = 0;
    int high = combo->count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (QString::compare(combo->itemText(mid), text, Qt::CaseInsensitive) <= 0)
            low = mid + 1;
        else
            high = mid;
    }
    combo->insertItem(low, text);
}

} // namespace

void CObjectEditorPage::listObjects() {
    listing_->start(nameContext_);
}

bool CObjectEditorPage::isListing() const {
    return listing_->isRunning();
}

void CObjectEditorPage::listingEnded(bool completed) {
    if (!completed)
        return;
    treeField_->setText(QString::fromStdString(treeName_));
    selectedField_->clear();
    refreshServerField();
}

void CObjectEditorPage::onObjectSelectionChanged() {
    const QModelIndexList selected = objects_->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const QModelIndex item = selected.first();
    if (objectsModel_->isAttribute(item))
        chooseAttribute(item);
    else
        chooseObject(item);
}

std::string CObjectEditorPage::classOf(const QModelIndex& objectItem) {
    return ClassIconTable::typeNameFor(*this, itemImage(objectItem), itemLabel(objectItem));
}

void CObjectEditorPage::chooseObject(const QModelIndex& item) {
    WaitCursor wait;
    // Its attribute names come with the selection, as with an expansion.
    objectsModel_->readNames(item);
    selectedField_->setText(item.data().toString());
    selectedShown_ = item.data().toString();
    selectedLabel_ = itemLabel(item);
    const std::string className = classOf(item);
    rebuildAttributeListsFor(className);
    typeField_->setText(QString::fromStdString(className));
    refreshServerField();
}

void CObjectEditorPage::chooseAttribute(const QModelIndex& item) {
    WaitCursor wait;
    const QModelIndex object = item.parent();
    if (!object.isValid())
        return;
    const std::string className = classOf(object);
    rebuildAttributeListsFor(className);
    typeField_->setText(QString::fromStdString(className));
    selectedField_->setText(object.data().toString());
    selectedShown_ = object.data().toString();
    selectedLabel_ = itemLabel(object);
    const std::string attrName = item.data().toString().toStdString();
    showValues(itemLabel(object), attrName);
    setUpEditPanel(attrName);
    attributes_->setEditText(item.data().toString());
    operations_->setEditText(QStringLiteral("Remove Attribute"));
}

void CObjectEditorPage::rebuildAttributeListsFor(const std::string& className) {
    if (className == fieldText(typeField_->text(), MAX_SCHEMA_NAME_CHARS - 1))
        return;
    fillAttributeLists(className);
}

void CObjectEditorPage::fillAttributeLists(const std::string& className) {
    QComboBox* protectedAttrs = editPanel_->protectedAttributes();
    const QSignalBlocker quietAttributes(attributes_);
    const QSignalBlocker quietProtected(protectedAttrs);
    attributes_->clear();
    protectedAttrs->clear();

    // Every class of the lineage once, each super class followed (a class may list several),
    // until all are read or a read fails.
    std::deque<std::string> toRead{className};
    std::set<std::string> read;
    bool failed = false;
    while (!toRead.empty() && !failed) {
        const std::string current = toRead.front();
        toRead.pop_front();
        if (!read.insert(current).second)
            continue;
        const ReadOutcome outcome = ReadClassDefinition(
            *this, current, SchemaReports::objectPageClassRead(), [&](const ClassDef& def) {
                for (ClassList list :
                     {ClassList::MandatoryAttributes, ClassList::OptionalAttributes}) {
                    for (const std::string& name : def.list(list)) {
                        insertSortedItem(attributes_, QString::fromStdString(name));
                        insertSortedItem(protectedAttrs, QString::fromStdString(name));
                    }
                }
                if (!def.complete)
                    return;
                for (const std::string& super : def.list(ClassList::SuperClasses))
                    toRead.push_back(super);
            });
        failed = !outcome.ok();
        if (!failed && toRead.empty() && read.count(kTop) == 0)
            toRead.push_back(kTop);
    }
    protectedAttrs->insertItem(0, QStringLiteral("[Entry Rights]"));
    protectedAttrs->insertItem(0, QStringLiteral("[All Attributes Rights]"));
    attributes_->setCurrentIndex(-1);
    protectedAttrs->setCurrentIndex(-1);
}

void CObjectEditorPage::showValues(const std::string& objectName, const std::string& attrName) {
    std::string name = objectName;
    shownAttribute_ = attrName;
    ReadAttributeValues(*this, surfaces_, name, attrName);
}
