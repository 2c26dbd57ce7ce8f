#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// Finds a container's subordinate by name without regard to case: an open-addressing table
// of (32-bit hash of the folded name, id), eight bytes a slot. A hit is confirmed against the
// object's own name, so equal hashes of different names are told apart.
class ChildIndex {
public:
    using Id = std::uint32_t;

    static std::uint32_t hashOf(std::string_view name) {
        std::uint64_t h = 14695981039346656037ull;
        for (char c : name) {
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            h = (h ^ std::uint8_t(c)) * 1099511628211ull;
        }
        const auto folded = std::uint32_t(h ^ (h >> 32));
        return folded == kFree ? 1 : folded; // 0 marks a free slot
    }

    // `sameName(id)` tells whether the object `id` is called `name`.
    template <class SameName>
    std::optional<Id> find(std::string_view name, SameName&& sameName) const {
        if (slots_.empty())
            return std::nullopt;
        const std::uint32_t h = hashOf(name);
        for (std::size_t i = h & mask(); slots_[i].hash != kFree; i = (i + 1) & mask()) {
            if (slots_[i].hash == h && sameName(slots_[i].id))
                return slots_[i].id;
        }
        return std::nullopt;
    }

    void insert(std::string_view name, Id id) {
        if ((size_ + 1) * 2 > slots_.size())
            grow();
        place(hashOf(name), id);
    }

    std::size_t size() const { return size_; }

    // Forgets the entry of `id` filed under `name`; false when there is none. Later entries
    // of the same run move back, so that no search stops early at the freed slot.
    bool erase(std::string_view name, Id id) {
        if (slots_.empty())
            return false;
        const std::uint32_t h = hashOf(name);
        std::size_t i = h & mask();
        while (slots_[i].hash != kFree && !(slots_[i].hash == h && slots_[i].id == id))
            i = (i + 1) & mask();
        if (slots_[i].hash == kFree)
            return false;
        for (std::size_t j = (i + 1) & mask(); slots_[j].hash != kFree; j = (j + 1) & mask()) {
            const std::size_t home = slots_[j].hash & mask();
            // The entry at j may fill the gap at i only when its home is not in (i, j].
            const bool reachable = i <= j ? (home > i && home <= j) : (home > i || home <= j);
            if (reachable)
                continue;
            slots_[i] = slots_[j];
            i = j;
        }
        slots_[i] = Slot{};
        --size_;
        return true;
    }

private:
    static constexpr std::uint32_t kFree = 0;
    struct Slot {
        std::uint32_t hash = kFree;
        Id id = 0;
    };

    std::size_t mask() const { return slots_.size() - 1; }
    void place(std::uint32_t h, Id id) {
        std::size_t i = h & mask();
        while (slots_[i].hash != kFree)
            i = (i + 1) & mask();
        slots_[i] = {h, id};
        ++size_;
    }
    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 8 : old.size() * 2, Slot{});
        size_ = 0;
        for (const auto& s : old) {
            if (s.hash != kFree)
                place(s.hash, s.id);
        }
    }

    std::vector<Slot> slots_;
    std::size_t size_ = 0;
};
