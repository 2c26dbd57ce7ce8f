#include "RetiredItems.h"

#include <QTreeWidget>
#include <QTreeWidgetItem>

namespace {
constexpr int kMostTaken = 8;
}

RetiredItems::RetiredItems() {
    freeing_.setSingleShot(true);
    freeing_.setInterval(0);
    QObject::connect(&freeing_, &QTimer::timeout, [this] { items_.clear(); });
}

RetiredItems::~RetiredItems() = default;

void RetiredItems::empty(QTreeWidget* tree) {
    items_.clear(); // those of an earlier listing, should the event loop not have run since
    const int count = tree->topLevelItemCount();
    if (count > kMostTaken) {
        tree->clear();
        return;
    }
    for (int i = count - 1; i >= 0; --i)
        items_.emplace_back(tree->takeTopLevelItem(i));
    tree->clear(); // the header and the view's state as a clearing leaves them
    if (!items_.empty())
        freeing_.start();
}
