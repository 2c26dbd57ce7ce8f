#pragma once

#include "TreeItems.h"
#include "directory/ListContainer.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

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
    ~ObjectTreeSink() override;
    void addObject(const ListedObject& object) override;
    // Puts the objects listed so far into the tree, and says how many more objects' names
    // could not be read; also done when the sink goes.
    void flush();

protected:
    // Runs for each object before it goes into the tree.
    virtual void listed(const ListedObject&) {}

private:
    QTreeWidgetItem* makeItem(int image, const std::string& label);
    QTreeWidgetItem* makeItem(int image, const QString& text);

    PageFrame& page_;
    QTreeWidget* tree_;
    AttributeNames names_;
    std::map<int, std::unique_ptr<QTreeWidgetItem>> prototypes_; // one per image, by image
    // The few attribute names of a listing, each made text and sort key once.
    struct NameText {
        QString text;
        QString key;
    };
    const NameText& nameText(const std::string& attrName);
    std::unordered_map<std::string, NameText> nameTexts_;
    std::vector<const NameText*> objectNames_; // the names of the object being added
    // Reads of names that failed: the first is reported as it happens, the rest counted.
    std::size_t failedReads_ = 0;
    SortedInsertionBatch objects_;
};
