#pragma once

#include "directory/ListContainer.h"

class CBrowserPage;

// The browser's share of a listing: every object into the object model below its top row,
// and containers with a known class icon into the container list.
class BrowserSink : public ContainerSink {
public:
    explicit BrowserSink(CBrowserPage& page) : page_(page) {}
    void addObject(const ListedObject& object) override;

private:
    CBrowserPage& page_;
};
