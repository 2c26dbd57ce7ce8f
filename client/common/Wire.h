#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Little-endian numbers and length-prefixed strings, the encoding used in buffers and in
// stored values. Writers never pass their limit and readers never read past their end:
// both remember a failure instead, so a sequence of calls is checked once at its end.
namespace wire {

class Writer {
public:
    Writer(std::uint8_t* data, std::size_t capacity, std::size_t used = 0)
        : data_(data), capacity_(capacity), used_(used) {}

    void u8(std::uint8_t v) { raw(&v, 1); }
    void u16(std::uint16_t v) {
        std::uint8_t b[2] = {std::uint8_t(v), std::uint8_t(v >> 8)};
        raw(b, 2);
    }
    void u32(std::uint32_t v) {
        std::uint8_t b[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                             std::uint8_t(v >> 24)};
        raw(b, 4);
    }
    void str(std::string_view s) {
        u32(std::uint32_t(s.size()));
        raw(s.data(), s.size());
    }
    void raw(const void* p, std::size_t n) {
        if (!ok_ || n > capacity_ - used_) {
            ok_ = false;
            return;
        }
        if (n != 0)
            std::memcpy(data_ + used_, p, n);
        used_ += n;
    }
    void patchU32(std::size_t at, std::uint32_t v) {
        if (at + 4 > used_)
            return;
        for (int i = 0; i < 4; ++i)
            data_[at + i] = std::uint8_t(v >> (8 * i));
    }
    std::size_t used() const { return used_; }
    bool ok() const { return ok_; }
    // Forgets everything written after `mark` and any failure since.
    void rollback(std::size_t mark) {
        used_ = mark;
        ok_ = true;
    }

private:
    std::uint8_t* data_;
    std::size_t capacity_;
    std::size_t used_;
    bool ok_ = true;
};

// Appends to a growable byte string (stored values).
class Builder {
public:
    void u8(std::uint8_t v) { out_.push_back(char(v)); }
    void u16(std::uint16_t v) {
        u8(std::uint8_t(v));
        u8(std::uint8_t(v >> 8));
    }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            u8(std::uint8_t(v >> (8 * i)));
    }
    void str(std::string_view s) {
        u32(std::uint32_t(s.size()));
        out_.append(s);
    }
    void raw(const void* p, std::size_t n) { out_.append(static_cast<const char*>(p), n); }
    // Hands over the bytes and starts empty again.
    std::string take() {
        std::string bytes = std::move(out_);
        out_.clear();
        return bytes;
    }
    const std::string& bytes() const { return out_; }

private:
    std::string out_;
};

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    explicit Reader(std::string_view bytes)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.data())), size_(bytes.size()) {}

    std::uint8_t u8() {
        std::uint8_t v = 0;
        raw(&v, 1);
        return v;
    }
    std::uint16_t u16() {
        std::uint8_t b[2] = {};
        raw(b, 2);
        return std::uint16_t(b[0] | (b[1] << 8));
    }
    std::uint32_t u32() {
        std::uint8_t b[4] = {};
        raw(b, 4);
        return std::uint32_t(b[0]) | (std::uint32_t(b[1]) << 8) | (std::uint32_t(b[2]) << 16) |
               (std::uint32_t(b[3]) << 24);
    }
    // A view of the next `n` bytes; empty (and failed) when fewer remain.
    std::string_view bytes(std::size_t n) {
        if (!ok_ || n > size_ - pos_) {
            ok_ = false;
            return {};
        }
        std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return v;
    }
    std::string_view str() { return bytes(u32()); }
    void skip(std::size_t n) { bytes(n); }
    void raw(void* out, std::size_t n) {
        auto v = bytes(n);
        if (ok_ && n != 0)
            std::memcpy(out, v.data(), n);
    }
    bool ok() const { return ok_; }
    bool atEnd() const { return pos_ == size_; }
    std::size_t pos() const { return pos_; }
    std::size_t remaining() const { return ok_ ? size_ - pos_ : 0; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace wire
