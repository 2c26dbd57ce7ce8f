#pragma once

#include "pages/TreeItems.h"
#include "schema/SchemaViewerPage.h"
#include "tests/support/DemoClient.h"

#include <QStringList>
#include <QTreeWidget>
#include <memory>

// One Schema Viewer page on the demo directory, and ways to read its trees as a person sees
// them: an item's text with its image, and its children in order.
struct ViewerFixture {
    std::unique_ptr<DemoClient> demo = std::make_unique<DemoClient>();
    std::unique_ptr<CSchemaViewerPage> page;

    Schema& schema() { return demo->directory->model().schema(); }
    DirectoryModel& model() { return demo->directory->model(); }

    void open() {
        page = std::make_unique<CSchemaViewerPage>(demo->services(), nullptr);
        page->create(demo->directory->model().treeName());
    }
    QTreeWidget* classTree() const { return page->findChild<QTreeWidget*>("classTree"); }
    QTreeWidget* attributeTree() const { return page->findChild<QTreeWidget*>("attributeTree"); }

    static QTreeWidgetItem* root(QTreeWidget* tree, const QString& text) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->text(0) == text)
                return tree->topLevelItem(i);
        }
        return nullptr;
    }
    static QTreeWidgetItem* child(QTreeWidgetItem* parent, const QString& text) {
        for (int i = 0; parent && i < parent->childCount(); ++i) {
            if (parent->child(i)->text(0) == text)
                return parent->child(i);
        }
        return nullptr;
    }
    static QStringList rootTexts(QTreeWidget* tree) {
        QStringList texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(0);
        return texts;
    }
    // "text:image" for each child.
    static QStringList children(const QTreeWidgetItem* parent) {
        QStringList lines;
        for (int i = 0; parent && i < parent->childCount(); ++i)
            lines << entry(parent->child(i));
        return lines;
    }
    static QString entry(const QTreeWidgetItem* item) {
        return item->text(0) + ':' + QString::number(itemImage(item));
    }
    // The whole subtree below an item: "text:image{child;child}".
    static QString outline(const QTreeWidgetItem* item) {
        QString text = entry(item);
        if (item->childCount() == 0)
            return text;
        QStringList parts;
        for (int i = 0; i < item->childCount(); ++i)
            parts << outline(item->child(i));
        return text + '{' + parts.join(';') + '}';
    }
    // Each name of a list with one image, as children() shows them.
    static QStringList withImage(const std::vector<std::string>& names, int image) {
        QStringList lines;
        for (const std::string& name : names)
            lines << QString::fromStdString(name) + ':' + QString::number(image);
        return lines;
    }
};
