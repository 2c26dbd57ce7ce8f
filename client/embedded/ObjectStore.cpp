#include "ObjectStore.h"

#include "client/common/Names.h"

#include <limits>

const AttributeValues* Entry::find(const AttributeDefinition* def) const {
    for (const auto& a : attributes) {
        if (a.def == def)
            return &a;
    }
    return nullptr;
}

AttributeValues* Entry::find(const AttributeDefinition* def) {
    for (auto& a : attributes) {
        if (a.def == def)
            return &a;
    }
    return nullptr;
}

const std::vector<EntryId>& Subordinates::ids() const {
    static const std::vector<EntryId> none;
    return part_ == nullptr ? none : part_->order;
}

void Subordinates::add(std::string_view name, EntryId id) {
    if (part_ == nullptr)
        part_ = std::make_unique<Part>();
    part_->order.push_back(id);
    part_->index.insert(name, id);
}

void Subordinates::remove(std::string_view name, EntryId id) {
    if (part_ == nullptr)
        return;
    part_->index.erase(name, id);
    std::erase(part_->order, id);
    if (part_->order.empty())
        part_.reset();
}

ObjectStore::ObjectStore() {
    blocks_.push_back(std::make_unique<Entry[]>(kBlockEntries));
    size_ = 1;
    root().name = ROOT_NAME;
}

Entry* ObjectStore::get(EntryId id) {
    if (id >= size_)
        return nullptr;
    Entry& e = slot(id);
    return e.live ? &e : nullptr;
}

const Entry* ObjectStore::get(EntryId id) const {
    if (id >= size_)
        return nullptr;
    const Entry& e = slot(id);
    return e.live ? &e : nullptr;
}

NamingType ObjectStore::intern(std::string_view namingType) {
    if (namingType.empty())
        return {};
    for (const auto& known : namingTypes_) {
        if (*known == namingType)
            return NamingType(known.get());
    }
    namingTypes_.push_back(std::make_unique<std::string>(namingType));
    return NamingType(namingTypes_.back().get());
}

std::optional<EntryId> ObjectStore::child(EntryId parent, std::string_view name) const {
    const Entry* p = get(parent);
    if (p == nullptr)
        return std::nullopt;
    return p->children.find(name, [&](EntryId id) {
        const Entry* e = get(id);
        return e != nullptr && names::equalFolded(e->name, name);
    });
}

std::optional<EntryId> ObjectStore::lookup(const std::vector<std::string>& components) const {
    EntryId at = kRootEntry;
    for (auto it = components.rbegin(); it != components.rend(); ++it) {
        auto next = child(at, *it);
        if (!next)
            return std::nullopt;
        at = *next;
    }
    return at;
}

std::optional<EntryId> ObjectStore::add(EntryId parent, std::string name,
                                        std::string_view namingType,
                                        const ClassDefinition* baseClass, std::uint32_t modified) {
    Entry* p = get(parent);
    if (p == nullptr)
        return std::nullopt;
    if (child(parent, name))
        return std::nullopt;
    if (size_ >= std::size_t(std::numeric_limits<EntryId>::max()))
        return std::nullopt;
    if (size_ == blocks_.size() * kBlockEntries)
        blocks_.push_back(std::make_unique<Entry[]>(kBlockEntries));
    const auto id = EntryId(size_++);
    Entry& e = slot(id);
    e.id = id;
    e.parent = parent;
    e.name = std::move(name);
    e.namingType = intern(namingType);
    e.baseClass = baseClass;
    e.modified = modified;
    p->children.add(e.name, id);
    ++p->liveChildren;
    return id;
}

std::string ObjectStore::ownName(const Entry& e, bool typed) const {
    if (e.id == kRootEntry)
        return ROOT_NAME;
    std::string out;
    if (typed && !e.namingType.empty()) {
        out = e.namingType.view();
        out += '=';
    }
    out += names::escapeComponent(e.name);
    return out;
}

std::string ObjectStore::fullName(EntryId id, bool typed) const {
    if (id == kRootEntry)
        return ROOT_NAME;
    std::string out;
    for (const Entry* e = get(id); e != nullptr && e->id != kRootEntry; e = get(e->parent)) {
        if (!out.empty())
            out += '.';
        out += ownName(*e, typed);
    }
    return out;
}

std::vector<EntryId> ObjectStore::ancestry(EntryId id) const {
    std::vector<EntryId> out;
    for (const Entry* e = get(id); e != nullptr && e->id != kRootEntry; e = get(e->parent))
        out.push_back(e->id);
    return out;
}

void ObjectStore::detach(EntryId id) {
    Entry* e = get(id);
    if (e == nullptr || id == kRootEntry)
        return;
    Entry* p = get(e->parent);
    if (p == nullptr)
        return;
    p->children.remove(e->name, id);
    --p->liveChildren;
}

bool ObjectStore::attach(EntryId id, EntryId parent, std::string name) {
    Entry* e = get(id);
    Entry* p = get(parent);
    if (e == nullptr || p == nullptr || id == kRootEntry)
        return false;
    if (auto same = child(parent, name); same && *same != id)
        return false;
    e->parent = parent;
    e->name = std::move(name);
    p->children.add(e->name, id);
    ++p->liveChildren;
    return true;
}

void ObjectStore::remove(EntryId id) {
    if (get(id) == nullptr || id == kRootEntry)
        return;
    detach(id);
    Entry& e = slot(id);
    e.live = false;
    e.attributes = {};
    e.children = {};
}
