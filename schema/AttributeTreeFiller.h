#pragma once

#include "ReportPolicy.h"
#include "SchemaDefinitions.h"

class DirectoryPage;
class ImageList;
class QTreeWidget;

// Fills the Schema Viewer's attribute tree: every attribute as a sorted root item with its
// flags (and bounds, when sized) and its syntax constant name.
class AttributeTreeFiller {
public:
    AttributeTreeFiller(DirectoryPage& page, QTreeWidget* tree, const ImageList* images);

    // Runs the attribute walk, whose failures are silent; what was added stays.
    ReadOutcome fill();

private:
    void addAttribute(const AttrDef& definition);

    DirectoryPage& page_;
    QTreeWidget* tree_;
    const ImageList* images_;
};
