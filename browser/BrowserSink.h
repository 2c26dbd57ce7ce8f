#pragma once

#include "pages/ObjectTreeSink.h"

class CBrowserPage;

// The browser's share of a listing: every object sorted under the root item with its
// attribute names below it, and containers with a known class icon in the container list.
class BrowserSink : public ObjectTreeSink {
public:
    explicit BrowserSink(CBrowserPage& page);

protected:
    void listed(const ListedObject& object) override;

private:
    CBrowserPage& page_;
};
