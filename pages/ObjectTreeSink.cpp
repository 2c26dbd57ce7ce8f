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
    auto* item = new QTreeWidgetItem;
    item->setText(0, QString::fromStdString(object.label));
    setItemImage(item, object.icon, page_.imageList());
    objects_.add(item);
    if (names_ == AttributeNames::Skip)
        return;
    SortedInsertionBatch names(tree_, item);
    ReadAttributeNames(page_, object.listedName, [&](const std::string& attrName) {
        auto* name = new QTreeWidgetItem;
        name->setText(0, QString::fromStdString(attrName));
        setItemImage(name, ClassIcon::Attribute, page_.imageList());
        names.add(name);
    });
}
