#include "ValueList.h"

#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

std::uint32_t fitting32(std::size_t n) {
    if (n > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("the values of an attribute exceed 4 GiB");
    return std::uint32_t(n);
}

} // namespace

ValueList::ValueList(std::initializer_list<std::string_view> values) {
    clearBytes();
    assign(values.begin(), values.size(), 0, 0);
}

ValueList::ValueList(const std::vector<std::string>& values) {
    clearBytes();
    const std::vector<std::string_view> views(values.begin(), values.end());
    assign(views.data(), views.size(), 0, 0);
}

ValueList::ValueList(const ValueList& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    if (Block* b = block())
        b->refs.fetch_add(1, std::memory_order_relaxed);
}

ValueList::ValueList(ValueList&& other) noexcept {
    std::memcpy(raw_, other.raw_, sizeof raw_);
    other.clearBytes();
}

ValueList& ValueList::operator=(const ValueList& other) noexcept {
    if (this != &other) {
        ValueList copy(other);
        *this = std::move(copy);
    }
    return *this;
}

ValueList& ValueList::operator=(ValueList&& other) noexcept {
    if (this != &other) {
        release();
        std::memcpy(raw_, other.raw_, sizeof raw_);
        other.clearBytes();
    }
    return *this;
}

ValueList::Block* ValueList::block() const {
    if (isInline())
        return nullptr;
    // The block's address lies in the first bytes.
    std::uintptr_t address = 0;
    std::memcpy(&address, raw_, sizeof address);
    return reinterpret_cast<Block*>(address);
}

void ValueList::clearBytes() noexcept {
    std::memset(raw_, 0, sizeof raw_);
}

void ValueList::release() noexcept {
    Block* b = block();
    if (b != nullptr && b->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        b->~Block();
        ::operator delete(b);
    }
}

ValueList::Block* ValueList::allocate(std::size_t places, std::size_t room) {
    const std::uint32_t places32 = fitting32(places);
    const std::uint32_t room32 = fitting32(room);
    void* memory = ::operator new(sizeof(Block) + places * sizeof(std::uint32_t) + room);
    Block* b = new (memory) Block;
    b->refs.store(1, std::memory_order_relaxed);
    b->count = 0;
    b->places = places32;
    b->room = room32;
    return b;
}

// The views may point into this list's own storage: the new storage is filled before the
// old is let go.
void ValueList::assign(const std::string_view* values, std::size_t count, std::size_t extraPlaces,
                       std::size_t extraRoom) {
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i)
        total += values[i].size();
    unsigned char next[sizeof raw_] = {};
    if (count == 1 && extraPlaces == 0 && total <= kInlineBytes) {
        if (total != 0)
            std::memcpy(next, values[0].data(), total);
        next[kInlineBytes] = static_cast<unsigned char>(kInlineTag | total);
    } else if (count != 0) {
        Block* b = allocate(count + extraPlaces, total + extraRoom);
        std::uint32_t end = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (!values[i].empty())
                std::memcpy(b->bytes() + end, values[i].data(), values[i].size());
            end += std::uint32_t(values[i].size());
            b->ends()[i] = end;
        }
        b->count = std::uint32_t(count);
        const auto address = reinterpret_cast<std::uintptr_t>(b);
        std::memcpy(next, &address, sizeof address);
    }
    release();
    std::memcpy(raw_, next, sizeof raw_);
}

std::size_t ValueList::size() const {
    if (isInline())
        return 1;
    const Block* b = block();
    return b == nullptr ? 0 : b->count;
}

std::string_view ValueList::operator[](std::size_t i) const {
    if (isInline())
        return {reinterpret_cast<const char*>(raw_), inlineSize()};
    const Block* b = block();
    const std::uint32_t begin = i == 0 ? 0 : b->ends()[i - 1];
    return {b->bytes() + begin, b->ends()[i] - begin};
}

std::string_view ValueList::at(std::size_t i) const {
    if (i >= size())
        throw std::out_of_range("ValueList::at");
    return (*this)[i];
}

bool ValueList::contains(std::string_view value) const {
    for (std::string_view v : *this) {
        if (v == value)
            return true;
    }
    return false;
}

void ValueList::push_back(std::string_view value) {
    Block* b = block();
    if (b != nullptr && b->refs.load(std::memory_order_acquire) == 1 && b->count < b->places &&
        b->used() + value.size() <= b->room) {
        // The value cannot lie in the free room, so it may come from this block.
        const std::uint32_t start = b->used();
        if (!value.empty())
            std::memcpy(b->bytes() + start, value.data(), value.size());
        b->ends()[b->count] = start + std::uint32_t(value.size());
        ++b->count;
        return;
    }
    std::vector<std::string_view> all(begin(), end());
    all.push_back(value);
    // A list that grows past two values gets room to grow on, as a vector would.
    std::size_t extraPlaces = 0, extraRoom = 0;
    if (all.size() > 2) {
        extraPlaces = all.size() / 2;
        for (std::string_view v : all)
            extraRoom += v.size();
        extraRoom /= 2;
    }
    assign(all.data(), all.size(), extraPlaces, extraRoom);
}

std::size_t ValueList::erase(std::string_view value) {
    std::vector<std::string_view> kept;
    for (std::string_view v : *this) {
        if (v != value)
            kept.push_back(v);
    }
    const std::size_t gone = size() - kept.size();
    if (gone != 0)
        assign(kept.data(), kept.size(), 0, 0);
    return gone;
}

void ValueList::clear() noexcept {
    release();
    clearBytes();
}

std::vector<std::string> ValueList::strings() const {
    std::vector<std::string> out;
    out.reserve(size());
    for (std::string_view v : *this)
        out.emplace_back(v);
    return out;
}

bool ValueList::sharesStorageWith(const ValueList& other) const {
    return block() != nullptr && block() == other.block();
}

bool operator==(const ValueList& a, const ValueList& b) {
    const std::size_t n = a.size();
    if (n != b.size())
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (a[i] != b[i])
            return false;
    }
    return true;
}
