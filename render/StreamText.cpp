#include "StreamText.h"

#include "RenderContext.h"
#include "StreamReader.h"
#include "ValueList.h"
#include "directory/DirectoryPage.h"

#include <QTreeWidget>

namespace {

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence of two to four bytes at `at`, or 0.
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF; // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    if (second < low || second > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!isContinuation(static_cast<unsigned char>(bytes[at + i])))
            return 0;
    return length;
}

} // namespace

std::string streamDisplayText(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\0'));
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if ((byte >= 0x20 && byte <= 0x7E) || byte == '\t' || byte == '\r' || byte == '\n') {
            text += static_cast<char>(byte);
            ++at;
        } else if (const std::size_t length = utf8SequenceLength(bytes, at); length != 0) {
            text.append(bytes.substr(at, length));
            at += length;
        } else {
            text += '.';
            ++at;
        }
    }
    return text;
}

std::optional<std::string> readStreamText(NWFILE_HANDLE handle) {
    std::string bytes(kStreamShownBytes, '\0');
    const long got = readStreamHandle(handle, bytes.data(), bytes.size());
    closeStreamHandle(handle);
    if (got < 0)
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(got));
    return streamDisplayText(bytes) + "\r\n";
}

void renderStream(RenderContext& c) {
    RenderTarget& target = c.target;
    target.outputText.clear();
    if (target.streams == StreamDisplay::ColumnOnly) {
        insertColumn(target.valueList, 0, QStringLiteral("Attribute Values"), 250);
        return;
    }
    if (target.page == nullptr)
        return;

    DirectoryPage& page = *target.page;
    NWFILE_HANDLE handle = -1;
    const NWDSCCODE result = page.client().NWDSOpenStream(
        page.context(), target.objectFullName.c_str(), c.attrName.c_str(), DS_READ_STREAM, &handle);
    if (result < 0) {
        page.report("NWDSOpenStream returned: %d", result);
        return;
    }
    if (auto text = readStreamText(handle))
        target.outputText = std::move(*text);
    else
        page.report("ReadFile failed!");
}
