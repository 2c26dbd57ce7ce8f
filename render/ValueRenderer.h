#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class DirectoryPage;
class QTreeWidget;

// What one read of an attribute keeps from value to value.
struct RenderState {
    // Hex-dump rows made so far; the labels of an attribute's rows run on across its values.
    unsigned hexRowCounter = 0;
};

// How a page shows values of the stream syntax.
enum class StreamDisplay {
    Text,       // open the stream and make its text the output text (the browser)
    ColumnOnly, // leave the stream unread; each value adds an "Attribute Values" column
};

// Where the renderer writes, and what the stream syntax needs to open a stream.
struct RenderTarget {
    QTreeWidget& valueList;
    std::string& outputText;
    RenderState& state;
    DirectoryPage* page = nullptr; // its client and context open streams; reports go to it
    std::string objectFullName;
    StreamDisplay streams = StreamDisplay::Text;
};

// One value record as the client delivered it: `size` bytes, references inside them.
struct ValueRecord {
    std::uint32_t syntaxID;
    const void* data;
    std::size_t size;
};

// Creates the columns for value index 0 and fills the row (or rows) of this value, by
// syntax. The output text holds the text of the last cell formatted; for a stream, its
// text; for a syntax outside 1 to 27, "Syntax Not Decoded\r\n" (and no columns, no row).
// Nothing is read past the record's size.
void ValueRenderer(const ValueRecord& value, int valueIndex, const std::string& attrName,
                   RenderTarget& target);
