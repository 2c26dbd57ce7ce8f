#pragma once

#include <QList>
#include <QString>
#include <string>

class ImageList;
class QListWidgetItem;
class QModelIndex;
class QTreeWidget;
class QTreeWidgetItem;

// Tree items remember their image index, as the pages tell items apart by it.
void setItemImage(QTreeWidgetItem* item, int image, const ImageList* images);
void setItemImage(QTreeWidgetItem* item, int image, int selectedImage, const ImageList* images);
int itemImage(const QTreeWidgetItem* item); // -1 when none was set
int itemImage(const QModelIndex& index);    // the same for a row of a model

// The same for the entries of a list in list mode.
void setEntryImage(QListWidgetItem* entry, int image, const ImageList* images);
int entryImage(const QListWidgetItem* entry); // -1 when none was set

// An object's item or entry shows its label's text (directory/NameRules.h); a multi-valued
// name's label, which no text can hold, is kept with it. itemLabel gives the label back.
void setItemLabel(QTreeWidgetItem* item, const std::string& label);
std::string itemLabel(const QTreeWidgetItem* item);
std::string itemLabel(const QModelIndex& index);
void setEntryLabel(QListWidgetItem* entry, const std::string& label);
std::string entryLabel(const QListWidgetItem* entry);

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

// The key a label sorts by: plain comparison of keys is the order of the pages' trees (case
// ignored). Made once per label: a listing's thousands of labels are compared many times.
QString foldedSortKey(const QString& label);
