#pragma once

#include "ChildIndex.h"
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
    std::vector<std::string> values;
};

struct Entry {
    EntryId id = kRootEntry;
    EntryId parent = kRootEntry;
    std::string name;       // its own name, the leftmost component of its full name
    std::string namingType; // the tag of that component ("CN", "OU", ...)
    const ClassDefinition* baseClass = nullptr;
    std::uint32_t modified = 0; // seconds since 1970
    std::vector<AttributeValues> attributes;
    // Subordinates in the order they were added; the index finds one by name.
    std::vector<EntryId> children;
    ChildIndex childIndex;
    std::uint32_t liveChildren = 0;
    bool live = true;

    const AttributeValues* find(const AttributeDefinition* def) const;
    AttributeValues* find(const AttributeDefinition* def);
};

// The objects of one tree, "[Root]" first. Ids are positions in the store and stay valid;
// a removed object keeps its slot (not live) so that ids never move.
class ObjectStore {
public:
    ObjectStore();

    Entry& root() { return *entries_.front(); }
    Entry* get(EntryId id);
    const Entry* get(EntryId id) const;
    std::optional<EntryId> child(EntryId parent, std::string_view name) const;
    // Follows components from "[Root]", rightmost (top) first.
    std::optional<EntryId> lookup(const std::vector<std::string>& components) const;

    // Adds a subordinate; nullopt when the parent has one of that name already.
    std::optional<EntryId> add(EntryId parent, std::string name, std::string namingType,
                               const ClassDefinition* baseClass, std::uint32_t modified);

    // The dotted full name, "[Root]" for the top; typed ("CN=Admin.O=Acme") on request.
    std::string fullName(EntryId id, bool typed = false) const;
    std::string ownName(const Entry& e, bool typed = false) const;
    // The ids from the object up to, not including, "[Root]".
    std::vector<EntryId> ancestry(EntryId id) const;

    std::size_t size() const { return entries_.size(); }

    // ---- Changing the tree's shape (removing, renaming and moving objects) ----
    // Takes a live object out of its container's subordinates; it stays live, with no place.
    void detach(EntryId id);
    // Puts a detached object below `parent` as `name`; false when the parent is gone or has
    // a subordinate of that name already.
    bool attach(EntryId id, EntryId parent, std::string name);
    // Detaches the object and frees its slot for good.
    void remove(EntryId id);

private:
    std::vector<std::unique_ptr<Entry>> entries_;
};
