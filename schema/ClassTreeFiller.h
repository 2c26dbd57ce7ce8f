#pragma once

#include "ReportPolicy.h"
#include "SchemaDefinitions.h"

#include <array>
#include <string>
#include <vector>

class DirectoryPage;
class ImageList;
class QTreeWidget;
class QTreeWidgetItem;

// Fills the Schema Viewer's class tree: every class as a sorted root item with its six
// category nodes, its own items, and the items inherited along its super-class chain, which
// is read class by class from the directory.
class ClassTreeFiller {
public:
    ClassTreeFiller(DirectoryPage& page, QTreeWidget* tree, const ImageList* images);

    // Runs the class walk; what was added before a failure stays in the tree.
    ReadOutcome fill();

private:
    // The category nodes; the first five hold the class lists of the same number.
    enum Node { SuperClasses, Containment, Naming, Mandatory, Optional, ClassFlags, NodeCount };
    static_assert(Containment == int(ClassList::Containment) &&
                  Optional == int(ClassList::OptionalAttributes));

    void addClass(const ClassDef& definition);
    void walkSuperClasses(const ClassDef& definition);
    // Reads class `name` and adds what it inherits at `level`; its own super classes go
    // under `parent` when there is one. Gives the last super class added, or null.
    QTreeWidgetItem* superClassStep(const std::string& name, int level, QTreeWidgetItem* parent);
    void appendInherited(const ClassDef& definition, int image);
    QTreeWidgetItem* append(QTreeWidgetItem* parent, const std::string& text, int image);

    DirectoryPage& page_;
    QTreeWidget* tree_;
    const ImageList* images_;
    // The category nodes of the class being added.
    std::array<QTreeWidgetItem*, NodeCount> nodes_{};
};
