#include "ObjectTreeSink.h"

#include "ClassIconTable.h"
#include "PageFrame.h"
#include "directory/ReadAttributeNames.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <algorithm>

ObjectTreeSink::ObjectTreeSink(PageFrame& page, QTreeWidget* tree, QTreeWidgetItem* parent,
                               AttributeNames names)
    : page_(page), tree_(tree), names_(names), objects_(tree, parent) {}

void ObjectTreeSink::addObject(const ListedObject& object) {
    listed(object);
    if (!tree_) {
        page_.showLiteralMessage("Could Not Add Node");
        return;
    }
    QTreeWidgetItem* item = makeItem(ClassIconTable::iconFor(object.info.baseClass), object.label);
    objects_.add(item);
    if (names_ == AttributeNames::Skip)
        return;
    objectNames_.clear();
    std::string failure;
    ReadAttributeNames(
        page_, object.listedName,
        [this](const std::string& attrName) { objectNames_.push_back(&nameText(attrName)); },
        &failure);
    // A server that fails the reads of a whole listing gets one message, not one per object.
    if (!failure.empty() && failedReads_++ == 0)
        page_.report("%s", failure.c_str());
    if (objectNames_.empty())
        return;
    // An object's few names go below it sorted, in one step.
    std::stable_sort(objectNames_.begin(), objectNames_.end(),
                     [](const NameText* a, const NameText* b) { return a->key < b->key; });
    QList<QTreeWidgetItem*> children;
    children.reserve(qsizetype(objectNames_.size()));
    for (const NameText* name : objectNames_)
        children.append(makeItem(ClassIcon::Attribute, name->text));
    item->addChildren(children);
}

const ObjectTreeSink::NameText& ObjectTreeSink::nameText(const std::string& attrName) {
    auto it = nameTexts_.find(attrName);
    if (it == nameTexts_.end()) {
        const QString text = QString::fromStdString(attrName);
        it =
            nameTexts_.emplace(attrName, NameText{text, SortedInsertionBatch::sortKey(text)}).first;
    }
    return it->second;
}

void ObjectTreeSink::flush() {
    objects_.flush();
    if (failedReads_ > 1)
        page_.report("The attribute names of %zu more objects could not be read either.\n",
                     failedReads_ - 1);
    failedReads_ = 0;
}

ObjectTreeSink::~ObjectTreeSink() {
    flush();
}

QTreeWidgetItem* ObjectTreeSink::makeItem(int image, const std::string& label) {
    QTreeWidgetItem* item = makeItem(image, QString());
    setItemLabel(item, label);
    return item;
}

QTreeWidgetItem* ObjectTreeSink::makeItem(int image, const QString& text) {
    // Items of one image share its data: copying a prototype spares setting image and icon
    // on each of the thousands of items of a large container.
    std::unique_ptr<QTreeWidgetItem>& prototype = prototypes_[image];
    if (!prototype) {
        prototype = std::make_unique<QTreeWidgetItem>();
        setItemImage(prototype.get(), image, page_.imageList());
    }
    auto* item = new QTreeWidgetItem(*prototype);
    item->setText(0, text);
    return item;
}
