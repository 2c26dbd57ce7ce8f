#pragma once

#include "render/ValueRenderer.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

// A value record laid out as the client lays it out: the fixed fields first, then the
// texts and bytes its references point to, all in one allocation of exactly its size.
// A copy points its references into its own bytes.
struct TestRecord {
    using Reference = std::pair<std::size_t, std::size_t>; // slot, target offset

    TestRecord(std::uint32_t syntax, std::vector<std::uint8_t> content,
               std::vector<Reference> pointers = {})
        : syntaxID(syntax), bytes(std::move(content)), references(std::move(pointers)) {
        patch();
    }
    TestRecord(const TestRecord& other)
        : syntaxID(other.syntaxID), bytes(other.bytes), references(other.references) {
        patch();
    }
    TestRecord(TestRecord&&) = default;
    TestRecord& operator=(const TestRecord& other) {
        syntaxID = other.syntaxID;
        bytes = other.bytes;
        references = other.references;
        patch();
        return *this;
    }
    TestRecord& operator=(TestRecord&&) = default;

    ValueRecord value() const {
        return {syntaxID, bytes.empty() ? nullptr : bytes.data(), bytes.size()};
    }

    std::uint32_t syntaxID = 0;
    std::vector<std::uint8_t> bytes;
    std::vector<Reference> references;

private:
    void patch() {
        for (const auto& [slot, target] : references) {
            const void* pointer = bytes.data() + target;
            std::memcpy(bytes.data() + slot, &pointer, sizeof pointer);
        }
    }
};

class RecordBuilder {
public:
    RecordBuilder(std::uint32_t syntaxID, std::size_t fixedSize)
        : syntaxID_(syntaxID), bytes_(fixedSize) {}

    RecordBuilder& u8(std::size_t offset, std::uint8_t value) {
        bytes_[offset] = value;
        return *this;
    }
    RecordBuilder& u32(std::size_t offset, std::uint32_t value) {
        std::memcpy(bytes_.data() + offset, &value, sizeof value);
        return *this;
    }
    // Appends the text and its NUL; the reference at `offset` points to it.
    RecordBuilder& text(std::size_t offset, std::string_view text) {
        references_.emplace_back(offset, bytes_.size());
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        bytes_.push_back(0);
        return *this;
    }
    RecordBuilder& bytes(std::size_t offset, const std::vector<std::uint8_t>& data) {
        references_.emplace_back(offset, bytes_.size());
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    // The reference at `offset` points to `target` bytes into the record.
    RecordBuilder& reference(std::size_t offset, std::size_t target) {
        references_.emplace_back(offset, target);
        return *this;
    }

    TestRecord build() { return TestRecord(syntaxID_, std::move(bytes_), std::move(references_)); }

private:
    std::uint32_t syntaxID_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::pair<std::size_t, std::size_t>> references_;
};

// The string syntaxes: the record is the text and its NUL.
inline TestRecord textRecord(std::uint32_t syntaxID, std::string_view text) {
    TestRecord record(syntaxID, std::vector<std::uint8_t>(text.begin(), text.end()));
    record.bytes.push_back(0);
    return record;
}

// A record of one 32-bit number (syntaxes 8, 22, 24, 27).
inline TestRecord numberRecord(std::uint32_t syntaxID, std::uint32_t number) {
    return RecordBuilder(syntaxID, sizeof number).u32(0, number).build();
}
