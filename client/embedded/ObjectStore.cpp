#include "ObjectStore.h"

#include "client/common/Names.h"

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

ObjectStore::ObjectStore() {
    auto root = std::make_unique<Entry>();
    root->name = ROOT_NAME;
    entries_.push_back(std::move(root));
}

Entry* ObjectStore::get(EntryId id) {
    return id < entries_.size() && entries_[id]->live ? entries_[id].get() : nullptr;
}

const Entry* ObjectStore::get(EntryId id) const {
    return id < entries_.size() && entries_[id]->live ? entries_[id].get() : nullptr;
}

std::optional<EntryId> ObjectStore::child(EntryId parent, std::string_view name) const {
    const Entry* p = get(parent);
    if (p == nullptr)
        return std::nullopt;
    return p->childIndex.find(name, [&](EntryId id) {
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

std::optional<EntryId> ObjectStore::add(EntryId parent, std::string name, std::string namingType,
                                        const ClassDefinition* baseClass, std::uint32_t modified) {
    Entry* p = get(parent);
    if (p == nullptr)
        return std::nullopt;
    if (child(parent, name))
        return std::nullopt;
    auto e = std::make_unique<Entry>();
    e->id = EntryId(entries_.size());
    e->parent = parent;
    e->name = std::move(name);
    e->namingType = std::move(namingType);
    e->baseClass = baseClass;
    e->modified = modified;
    const EntryId id = e->id;
    entries_.push_back(std::move(e)); // entries stay where they are; only their slots move
    p->children.push_back(id);
    p->childIndex.insert(entries_.back()->name, id);
    ++p->liveChildren;
    return id;
}

std::string ObjectStore::ownName(const Entry& e, bool typed) const {
    if (e.id == kRootEntry)
        return ROOT_NAME;
    std::string out;
    if (typed && !e.namingType.empty())
        out = e.namingType + "=";
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
    p->childIndex.erase(e->name, id);
    std::erase(p->children, id);
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
    p->children.push_back(id);
    p->childIndex.insert(e->name, id);
    ++p->liveChildren;
    return true;
}

void ObjectStore::remove(EntryId id) {
    if (get(id) == nullptr || id == kRootEntry)
        return;
    detach(id);
    entries_[id]->live = false;
}
