#pragma once

#include "directory/ListContainer.h"

class CBrowserPage;

// The browser's share of a listing: containers into the container list, every object
// sorted under the root item with its attribute names below it.
class BrowserSink : public ContainerSink {
public:
    explicit BrowserSink(CBrowserPage& page) : page_(page) {}
    void addObject(const ListedObject& object) override;

private:
    CBrowserPage& page_;
};
