#include "RenderContext.h"
#include "directory/Records.h"

#include <algorithm>
#include <array>
#include <cstddef>

// Syntax 9: sixteen bytes a row, hexadecimal on the left, printable characters on the
// right, each row labelled with its offset; the row labels run on across the values.
namespace {

constexpr int kBytesPerRow = 16;
constexpr int kFirstHexColumn = 2;
constexpr int kPrintableSeparatorColumn = 18;
constexpr int kFirstCharColumn = 19;

void createDumpColumns(RenderContext& c) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    c.column("HEX", 35);
    c.column("|", 0);
    for (int digit = 0; digit < kBytesPerRow; ++digit) {
        const char header[3] = {' ', kDigits[digit], '\0'};
        c.column(header, 27);
    }
    c.column("PRN", 40);
    for (int digit = 0; digit < kBytesPerRow; ++digit) {
        const char header[2] = {kDigits[digit], '\0'};
        c.column(header, 27);
    }
}

std::string printable(std::uint8_t byte) {
    return byte >= 0x20 && byte <= 0x7E ? cellText("%c", byte) : std::string(".");
}

} // namespace

void renderHexDump(RenderContext& c) {
    createDumpColumns(c);
    const std::uint32_t length = c.record.u32(offsetof(Octet_String_T, length));
    const auto bytes = c.record.bytesAt(offsetof(Octet_String_T, data), length);

    for (std::size_t start = 0; start < bytes.size(); start += kBytesPerRow) {
        std::array<std::uint8_t, kBytesPerRow> rowBytes{};
        const std::size_t count = std::min<std::size_t>(kBytesPerRow, bytes.size() - start);
        std::copy_n(bytes.begin() + start, count, rowBytes.begin());

        const unsigned rowIndex = c.target.state.hexRowCounter++;
        c.rowAt(static_cast<int>(rowIndex), cellText("%X0", rowIndex));
        c.cell(1, "|");
        for (int i = 0; i < kBytesPerRow; ++i)
            c.cell(kFirstHexColumn + i, cellText("%02X", rowBytes[i]));
        c.cell(kPrintableSeparatorColumn, "  ");
        for (int i = 0; i < kBytesPerRow; ++i)
            c.cell(kFirstCharColumn + i, printable(rowBytes[i]));
    }
}
