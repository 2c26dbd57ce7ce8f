#include "ClassTreeFiller.h"

#include "ClassReads.h"
#include "ReportPolicies.h"
#include "SchemaImages.h"
#include "SchemaTables.h"
#include "pages/TreeItems.h"

#include <QTreeWidget>
#include <algorithm>

namespace {
constexpr const char* TopClass = "Top";

constexpr std::array<const char*, 6> CategoryLabels = {
    "Super Class Hierarchy", "Containment",         "Naming Attributes",
    "Mandatory Attributes",  "Optional Attributes", "Class Flags",
};
} // namespace

ClassTreeFiller::ClassTreeFiller(DirectoryPage& page, QTreeWidget* tree, const ImageList* images)
    : page_(page), tree_(tree), images_(images) {}

ReadOutcome ClassTreeFiller::fill() {
    return WalkClassDefinitions(page_, SchemaReports::classWalk(),
                                [this](const ClassDef& definition) { addClass(definition); });
}

QTreeWidgetItem* ClassTreeFiller::append(QTreeWidgetItem* parent, const std::string& text,
                                         int image) {
    return appendItem(tree_, parent, QString::fromStdString(text), image, images_);
}

void ClassTreeFiller::addClass(const ClassDef& definition) {
    QTreeWidgetItem* root = insertItemSorted(
        tree_, nullptr, QString::fromStdString(definition.name), SchemaImage::Class, images_);
    for (int node = 0; node < NodeCount; ++node)
        nodes_[node] = append(root, CategoryLabels[node], SchemaImage::SuperClassHierarchy + node);

    for (const FlagText& flag : ClassFlagLabels) {
        if (definition.flags & flag.bit)
            append(nodes_[ClassFlags], std::string(flag.text), SchemaImage::Flag);
    }

    for (int node = Containment; node <= Optional; ++node) {
        for (const std::string& item : definition.lists[node])
            append(nodes_[node], item, SchemaImage::Class);
    }
    walkSuperClasses(definition);
}

void ClassTreeFiller::walkSuperClasses(const ClassDef& definition) {
    int level = 0; // counted per class, across all of its direct super classes
    for (const std::string& direct : definition.list(ClassList::SuperClasses)) {
        QTreeWidgetItem* parent =
            append(nodes_[SuperClasses], direct, SchemaImage::DirectSuperClass);
        if (direct == TopClass) {
            superClassStep(TopClass, 1, nullptr);
            continue;
        }
        // The classes met so far; a chain that leads back to one of them ends there.
        std::vector<std::string> chain{definition.name, direct};
        std::string name = direct;
        for (;;) {
            ++level;
            QTreeWidgetItem* last = superClassStep(name, level, parent);
            if (!last)
                break;
            const std::string next = last->text(0).toStdString();
            if (next == TopClass) {
                superClassStep(TopClass, level + 1, nullptr);
                break;
            }
            if (std::find(chain.begin(), chain.end(), next) != chain.end())
                break;
            chain.push_back(next);
            parent = last;
            name = next;
        }
    }
}

QTreeWidgetItem* ClassTreeFiller::superClassStep(const std::string& name, int level,
                                                 QTreeWidgetItem* parent) {
    QTreeWidgetItem* last = nullptr;
    ReadClassDefinition(
        page_, name, SchemaReports::viewerClassRead(), [&](const ClassDef& definition) {
            if (parent) {
                for (const std::string& super : definition.list(ClassList::SuperClasses))
                    last = append(parent, super, SchemaImage::superClassAt(level));
            }
            appendInherited(definition, SchemaImage::inheritedAt(level));
        });
    return last;
}

void ClassTreeFiller::appendInherited(const ClassDef& definition, int image) {
    for (int node = Containment; node <= Optional; ++node) {
        for (const std::string& item : definition.lists[node])
            append(nodes_[node], item, image);
    }
}
