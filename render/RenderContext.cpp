#include "RenderContext.h"

#include "ValueList.h"
#include "directory/FormatText.h"

#include <QTreeWidget>
#include <cstdarg>

void RenderContext::column(const char* header, int width) {
    if (!firstValue())
        return;
    const QString text = header ? QString::fromLatin1(header) : cellString(attrName);
    appendColumn(target.valueList, text, width);
}

void RenderContext::rowAt(int index, std::string firstCell) {
    row_ = insertRow(target.valueList, index, cellString(firstCell));
    target.outputText = std::move(firstCell);
}

void RenderContext::cell(int column, std::string text) {
    // A cell of a column the list does not have is dropped, as a list view does.
    if (row_ != nullptr && column < target.valueList.columnCount())
        row_->setText(column, cellString(text));
    target.outputText = std::move(text);
}

std::string cellText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = formatTextV(format, args);
    va_end(args);
    return text;
}

std::string cellText(std::string_view text) {
    return std::string(text);
}
