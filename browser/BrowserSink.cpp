#include "BrowserSink.h"

#include "BrowserPage.h"
#include "directory/NameRules.h"
#include "pages/ClassIconTable.h"
#include "pages/ObjectListModel.h"
#include "pages/TreeItems.h"

void BrowserSink::addObject(const ListedObject& object) {
    const int icon = ClassIconTable::iconFor(object.info.baseClass);
    if (object.info.objectFlags & DS_CONTAINER_ENTRY)
        setEntryLabel(
            page_.addContainerEntry(QString::fromStdString(labelText(object.label)), icon),
            object.label);
    page_.model_->addObject(object, icon);
}
