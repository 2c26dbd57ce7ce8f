#pragma once

#include "ChildIndex.h"
#include "ValueList.h"
#include "client/common/Schema.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

using EntryId = std::uint32_t;
constexpr EntryId kRootEntry = 0;

// The values of one attribute of an object, each in its syntax's wire form (a stream's
// value is its content).
struct AttributeValues {
    const AttributeDefinition* def = nullptr;
    ValueList values;
};

// The tag of an object's name ("CN", "OU", ...): one of the few a store holds once.
class NamingType {
public:
    NamingType() = default;
    explicit NamingType(const std::string* text) : text_(text) {}
    bool empty() const { return text_ == nullptr || text_->empty(); }
    std::string_view view() const { return text_ == nullptr ? std::string_view() : *text_; }
    operator std::string_view() const { return view(); }

private:
    const std::string* text_ = nullptr;
};

// A container's subordinates in the order they were added, with an index that finds one by
// name. Nothing is allocated until the first subordinate comes.
class Subordinates {
public:
    bool empty() const { return part_ == nullptr; }
    std::size_t size() const { return ids().size(); }
    EntryId operator[](std::size_t i) const { return part_->order[i]; }
    auto begin() const { return ids().begin(); }
    auto end() const { return ids().end(); }
    auto rbegin() const { return ids().rbegin(); }
    auto rend() const { return ids().rend(); }

    // `sameName(id)` tells whether the object `id` is called `name`.
    template <class SameName>
    std::optional<EntryId> find(std::string_view name, SameName&& sameName) const {
        if (part_ == nullptr)
            return std::nullopt;
        return part_->index.find(name, std::forward<SameName>(sameName));
    }
    void add(std::string_view name, EntryId id);
    void remove(std::string_view name, EntryId id);

private:
    struct Part {
        std::vector<EntryId> order;
        ChildIndex index;
    };
    const std::vector<EntryId>& ids() const;

    std::unique_ptr<Part> part_;
};

struct Entry {
    EntryId id = kRootEntry;
    EntryId parent = kRootEntry;
    std::string name;      // its own name, the leftmost component of its full name
    NamingType namingType; // the tag of that component
    const ClassDefinition* baseClass = nullptr;
    std::uint32_t modified = 0; // seconds since 1970
    std::uint32_t liveChildren = 0;
    std::vector<AttributeValues> attributes;
    Subordinates children;
    bool live = true;

    const AttributeValues* find(const AttributeDefinition* def) const;
    AttributeValues* find(const AttributeDefinition* def);
};

// The objects of one tree, "[Root]" first. Ids are positions in the store and stay valid;
// a removed object keeps its slot (not live, its values let go) so that ids never move.
// Objects lie in blocks of a fixed count, so an object never moves either.
class ObjectStore {
public:
    ObjectStore();

    Entry& root() { return slot(kRootEntry); }
    Entry* get(EntryId id);
    const Entry* get(EntryId id) const;
    std::optional<EntryId> child(EntryId parent, std::string_view name) const;
    // Follows components from "[Root]", rightmost (top) first.
    std::optional<EntryId> lookup(const std::vector<std::string>& components) const;

    // Adds a subordinate; nullopt when the parent has one of that name already.
    std::optional<EntryId> add(EntryId parent, std::string name, std::string_view namingType,
                               const ClassDefinition* baseClass, std::uint32_t modified);

    // The dotted full name, "[Root]" for the top; typed ("CN=Admin.O=Acme") on request.
    std::string fullName(EntryId id, bool typed = false) const;
    std::string ownName(const Entry& e, bool typed = false) const;
    // The ids from the object up to, not including, "[Root]".
    std::vector<EntryId> ancestry(EntryId id) const;

    std::size_t size() const { return size_; }

    // ---- Changing the tree's shape (removing, renaming and moving objects) ----
    // Takes a live object out of its container's subordinates; it stays live, with no place.
    void detach(EntryId id);
    // Puts a detached object below `parent` as `name`; false when the parent is gone or has
    // a subordinate of that name already.
    bool attach(EntryId id, EntryId parent, std::string name);
    // Detaches the object and frees its slot for good.
    void remove(EntryId id);

private:
    static constexpr std::size_t kBlockEntries = 1024;
    Entry& slot(EntryId id) { return blocks_[id / kBlockEntries][id % kBlockEntries]; }
    const Entry& slot(EntryId id) const { return blocks_[id / kBlockEntries][id % kBlockEntries]; }
    NamingType intern(std::string_view namingType);

    std::vector<std::unique_ptr<Entry[]>> blocks_;
    std::size_t size_ = 0;
    std::vector<std::unique_ptr<std::string>> namingTypes_;
};
