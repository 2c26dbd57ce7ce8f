#include "BrowserSink.h"

#include "BrowserPage.h"
#include "pages/ClassIconTable.h"

BrowserSink::BrowserSink(CBrowserPage& page)
    : ObjectTreeSink(page, page.rootItem_ ? page.objects_ : nullptr, page.rootItem_,
                     AttributeNames::Read),
      page_(page) {}

void BrowserSink::listed(const ListedObject& object) {
    if (object.info.objectFlags & DS_CONTAINER_ENTRY)
        page_.addContainerEntry(QString::fromStdString(object.label), object.icon);
}
