#pragma once

#include "TreeItems.h"
#include "directory/ListContainer.h"

class PageFrame;
class QTreeWidget;
class QTreeWidgetItem;

// Puts each listed object into a page's object tree at its sorted place (below `parent`,
// or at the top level when it is null) with its class icon, and, where the page shows
// them, the object's attribute names below it.
class ObjectTreeSink : public ContainerSink {
public:
    enum class AttributeNames { Read, Skip };

    ObjectTreeSink(PageFrame& page, QTreeWidget* tree, QTreeWidgetItem* parent,
                   AttributeNames names);
    void addObject(const ListedObject& object) override;
    // Puts the objects listed so far into the tree; also done when the sink goes.
    void flush() { objects_.flush(); }

protected:
    // Runs for each object before it goes into the tree.
    virtual void listed(const ListedObject&) {}

private:
    PageFrame& page_;
    QTreeWidget* tree_;
    AttributeNames names_;
    SortedInsertionBatch objects_;
};
