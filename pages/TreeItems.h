#pragma once

#include <QString>

class ImageList;
class QTreeWidget;
class QTreeWidgetItem;

// Tree items remember their image index, as the pages tell items apart by it.
void setItemImage(QTreeWidgetItem* item, int image, const ImageList* images);
void setItemImage(QTreeWidgetItem* item, int image, int selectedImage, const ImageList* images);
int itemImage(const QTreeWidgetItem* item); // -1 when none was set

// Inserts at the item's sorted place among the parent's children (case-insensitive
// order of the first column, after equal labels), found by binary search.
void insertSorted(QTreeWidgetItem* parent, QTreeWidgetItem* item);
void insertSorted(QTreeWidget* tree, QTreeWidgetItem* item);

// Creates a child (or top-level item when parent is null) with text and image, appended.
QTreeWidgetItem* appendItem(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text,
                            int image, const ImageList* images);
// The same, at its sorted place.
QTreeWidgetItem* insertItemSorted(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& text,
                                  int image, const ImageList* images);
