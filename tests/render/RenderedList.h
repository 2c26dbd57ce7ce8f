#pragma once

#include "RecordBuilder.h"
#include "render/ValueList.h"
#include "render/ValueRenderer.h"

#include <QHeaderView>
#include <QStringList>
#include <QTreeWidget>
#include <string>
#include <utility>
#include <vector>

using Column = std::pair<QString, int>; // header, pixel width
using Row = QStringList;

// A value list as a page has it, and the renderer's state for one attribute.
struct RenderedList {
    RenderedList() { configureValueList(list); }

    // Renders the values as one read does, with value indices from `firstIndex` on.
    void render(const std::string& attrName, const std::vector<TestRecord>& values,
                int firstIndex = 0) {
        RenderTarget target{list, output, state};
        target.streams = streams;
        for (const TestRecord& value : values)
            ValueRenderer(value.value(), firstIndex++, attrName, target);
    }

    std::vector<Column> columns() const {
        std::vector<Column> result;
        for (int i = 0; i < list.columnCount(); ++i)
            result.emplace_back(list.headerItem()->text(i), list.header()->sectionSize(i));
        return result;
    }
    std::vector<Row> rows() const {
        std::vector<Row> result;
        for (int r = 0; r < list.topLevelItemCount(); ++r) {
            Row cells;
            for (int c = 0; c < list.columnCount(); ++c)
                cells << list.topLevelItem(r)->text(c);
            result.push_back(cells);
        }
        return result;
    }

    QTreeWidget list;
    std::string output;
    RenderState state;
    StreamDisplay streams = StreamDisplay::Text;
};
