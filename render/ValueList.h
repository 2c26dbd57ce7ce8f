#pragma once

#include <QString>
#include <string>

class QTreeWidget;
class QTreeWidgetItem;

// A QTreeWidget used as a list view in report mode: columns with left-aligned headers
// and pixel widths, rows of cells, no tree decoration.

// Sets the list up for report mode: header shown, no root decoration, no stretching.
void configureValueList(QTreeWidget& list);

// Inserts a column at `position` (clamped to the end), moving later headers and cells right.
void insertColumn(QTreeWidget& list, int position, const QString& header, int width);
void appendColumn(QTreeWidget& list, const QString& header, int width);
// Deletes column 0 until none is left.
void deleteEveryColumn(QTreeWidget& list);

// Inserts a row at `index` (past the end: appended) with the text of column 0.
QTreeWidgetItem* insertRow(QTreeWidget& list, int index, const QString& firstCell);

// Directory text is UTF-8.
inline QString cellString(const std::string& text) {
    return QString::fromUtf8(text);
}
