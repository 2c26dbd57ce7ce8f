#include "ObjectTreeSink.h"

#include "ClassIconTable.h"
#include "PageFrame.h"
#include "directory/ReadAttributeNames.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

ObjectTreeSink::ObjectTreeSink(PageFrame& page, QTreeWidget* tree, QTreeWidgetItem* parent,
                               AttributeNames names)
    : page_(page), tree_(tree), names_(names), objects_(tree, parent) {}

void ObjectTreeSink::addObject(const ListedObject& object) {
    listed(object);
    if (!tree_) {
        page_.showLiteralMessage("Could Not Add Node");
        return;
    }
    QTreeWidgetItem* item = makeItem(object.icon, object.label);
    objects_.add(item);
    if (names_ == AttributeNames::Skip)
        return;
    SortedInsertionBatch names(tree_, item);
    ReadAttributeNames(page_, object.listedName, [&](const std::string& attrName) {
        names.add(makeItem(ClassIcon::Attribute, attrName));
    });
}

ObjectTreeSink::~ObjectTreeSink() = default;

QTreeWidgetItem* ObjectTreeSink::makeItem(int image, const std::string& text) {
    // Items of one image share its data: copying a prototype spares setting image and icon
    // on each of the thousands of items of a large container.
    std::unique_ptr<QTreeWidgetItem>& prototype = prototypes_[image];
    if (!prototype) {
        prototype = std::make_unique<QTreeWidgetItem>();
        setItemImage(prototype.get(), image, page_.imageList());
    }
    auto* item = new QTreeWidgetItem(*prototype);
    item->setText(0, QString::fromStdString(text));
    return item;
}
