#include "BrowserSink.h"

#include "BrowserPage.h"
#include "directory/NameRules.h"
#include "pages/ClassIconTable.h"
#include "pages/TreeItems.h"

BrowserSink::BrowserSink(CBrowserPage& page)
    : ObjectTreeSink(page, page.rootItem_ ? page.objects_ : nullptr, page.rootItem_,
                     AttributeNames::Read),
      page_(page) {}

void BrowserSink::listed(const ListedObject& object) {
    if (object.info.objectFlags & DS_CONTAINER_ENTRY)
        setEntryLabel(
            page_.addContainerEntry(QString::fromStdString(labelText(object.label)),
                                    ClassIconTable::iconFor(object.info.baseClass)),
            object.label);
}
