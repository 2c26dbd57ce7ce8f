#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Bounded reads of one value record as the client delivers it: fixed fields first,
// with references that point into the same allocation. A field that does not lie
// wholly inside the record reads as zero (a reference as null); text and bytes end at
// the end of the record, and a reference that points outside it is not followed.
class RecordView {
public:
    RecordView(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data)), size_(data ? size : 0) {}

    std::size_t size() const { return size_; }
    bool holds(std::size_t offset, std::size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }

    std::uint8_t u8(std::size_t offset) const;
    std::uint32_t u32(std::size_t offset) const;
    std::int32_t i32(std::size_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    const void* reference(std::size_t offset) const;

    // The record is the NUL-terminated text itself.
    std::string_view ownText() const;
    // The NUL-terminated text that the reference at `offset` points to; empty when null.
    std::string_view textAt(std::size_t offset) const;
    // Up to `length` bytes that the reference at `offset` points to.
    std::span<const std::uint8_t> bytesAt(std::size_t offset, std::uint32_t length) const;

private:
    // Bytes from p to the end of the record; 0 when p lies outside it.
    std::size_t roomFrom(const void* p) const;

    const std::uint8_t* data_;
    std::size_t size_;
};
