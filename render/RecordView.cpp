#include "RecordView.h"

#include <cstdint>
#include <cstring>

namespace {

std::size_t boundedLength(const char* text, std::size_t room) {
    const void* nul = std::memchr(text, 0, room);
    return nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - text) : room;
}

} // namespace

std::uint8_t RecordView::u8(std::size_t offset) const {
    return holds(offset, 1) ? data_[offset] : 0;
}

std::uint32_t RecordView::u32(std::size_t offset) const {
    std::uint32_t value = 0;
    if (holds(offset, sizeof value))
        std::memcpy(&value, data_ + offset, sizeof value);
    return value;
}

const void* RecordView::reference(std::size_t offset) const {
    const void* value = nullptr;
    if (holds(offset, sizeof value))
        std::memcpy(&value, data_ + offset, sizeof value);
    return value;
}

std::size_t RecordView::roomFrom(const void* p) const {
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto begin = reinterpret_cast<std::uintptr_t>(data_);
    if (data_ == nullptr || at < begin || at - begin > size_)
        return 0;
    return size_ - (at - begin);
}

std::string_view RecordView::ownText() const {
    if (data_ == nullptr)
        return {};
    const char* text = reinterpret_cast<const char*>(data_);
    return {text, boundedLength(text, size_)};
}

std::string_view RecordView::textAt(std::size_t offset) const {
    const char* text = static_cast<const char*>(reference(offset));
    const std::size_t room = roomFrom(text);
    if (room == 0)
        return {};
    return {text, boundedLength(text, room)};
}

std::span<const std::uint8_t> RecordView::bytesAt(std::size_t offset, std::uint32_t length) const {
    const auto* bytes = static_cast<const std::uint8_t*>(reference(offset));
    const std::size_t room = roomFrom(bytes);
    const std::size_t count = room < length ? room : length;
    if (count == 0)
        return {};
    return {bytes, count};
}
