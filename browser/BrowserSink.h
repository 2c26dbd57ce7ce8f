#pragma once

#include "directory/ListContainer.h"
#include "pages/TreeItems.h"

#include <memory>

class CBrowserPage;

// The browser's share of a listing: containers into the container list, every object
// sorted under the root item with its attribute names below it.
class BrowserSink : public ContainerSink {
public:
    explicit BrowserSink(CBrowserPage& page);
    void addObject(const ListedObject& object) override;
    // Puts the objects listed so far into the tree; also done when the sink goes.
    void flush() { objects_->flush(); }

private:
    CBrowserPage& page_;
    std::unique_ptr<SortedInsertionBatch> objects_;
};
