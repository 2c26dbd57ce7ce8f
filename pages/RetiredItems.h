#pragma once

#include <QTimer>
#include <memory>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

// Empties a tree whose top holds a few items with a large listing below them: the items
// leave the view at once and are freed when the event loop next runs, so that the time
// freeing tens of thousands of items takes comes after the next listing is shown, not before.
// A tree with many items at its top is simply cleared: taking them out one by one would cost
// the view more than freeing them. Items still waiting go with this object.
class RetiredItems {
public:
    RetiredItems();
    ~RetiredItems();
    RetiredItems(const RetiredItems&) = delete;
    RetiredItems& operator=(const RetiredItems&) = delete;

    void empty(QTreeWidget* tree);

private:
    std::vector<std::unique_ptr<QTreeWidgetItem>> items_;
    QTimer freeing_;
};
