#pragma once

#include "RecordView.h"
#include "ValueRenderer.h"

#include <string>
#include <string_view>

class QTreeWidgetItem;

// The renderer's working view of one value: the record, where its cells go, and the
// formatting of cells into the output text.
class RenderContext {
public:
    RenderContext(const ValueRecord& value, int index, const std::string& attributeName,
                  RenderTarget& output)
        : record(value.data, value.size), valueIndex(index), attrName(attributeName),
          target(output) {}

    bool firstValue() const { return valueIndex == 0; }
    // Appends a column when this is the first value.
    void column(const char* header, int width);
    // The one column headed by the attribute name, 497 pixels wide.
    void attributeNameColumn() { column(nullptr, 497); }
    // Inserts this value's row at the value index with the text of column 0.
    void row(std::string firstCell) { rowAt(valueIndex, std::move(firstCell)); }
    void rowAt(int index, std::string firstCell);
    // Sets a further cell of the row made last.
    void cell(int column, std::string text);
    // A single-column value: the column for the first value, then the row.
    void single(std::string text) {
        attributeNameColumn();
        row(std::move(text));
    }

    const RecordView record;
    const int valueIndex;
    const std::string& attrName;
    RenderTarget& target;

private:
    QTreeWidgetItem* row_ = nullptr;
};

// printf-style formatting of one cell.
std::string cellText(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string cellText(std::string_view text);

// Cells of the syntaxes kept in their own files.
void renderHexDump(RenderContext& context);
void renderNetAddress(RenderContext& context);
void renderReplicaPointer(RenderContext& context);
void renderStream(RenderContext& context);
