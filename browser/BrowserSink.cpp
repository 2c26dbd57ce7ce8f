#include "BrowserSink.h"

#include "BrowserPage.h"
#include "directory/ReadAttributeNames.h"
#include "pages/ClassIconTable.h"
#include "pages/TreeItems.h"

#include <QTreeWidgetItem>

BrowserSink::BrowserSink(CBrowserPage& page) : page_(page) {
    if (page_.rootItem_)
        objects_ = std::make_unique<SortedInsertionBatch>(page_.rootItem_);
}

void BrowserSink::addObject(const ListedObject& object) {
    const QString label = QString::fromStdString(object.label);
    if ((object.info.objectFlags & DS_CONTAINER_ENTRY) && object.icon != ClassIcon::Unknown)
        page_.addContainerEntry(label, object.icon);

    if (!page_.rootItem_) {
        page_.showLiteralMessage("Could Not Add Node");
        return;
    }
    auto* item = new QTreeWidgetItem(QStringList{label});
    setItemImage(item, object.icon, page_.imageList());
    objects_->add(item);
    ReadAttributeNames(page_, object.listedName, [this, item](const std::string& attrName) {
        insertItemSorted(page_.objects_, item, QString::fromStdString(attrName),
                         ClassIcon::Attribute, page_.imageList());
    });
}
