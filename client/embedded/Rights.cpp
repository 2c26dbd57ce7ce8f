#include "Rights.h"

#include "client/common/EffectiveRights.h"
#include "client/common/Names.h"
#include "client/common/ValueWire.h"

using effectiverights::widenAttribute;
using effectiverights::widenEntry;

void RightsEvaluator::apply(const RightsSubject& subject, const Entry& entry,
                            Grants& grants) const {
    const AttributeValues* acl = aclDef_ == nullptr ? nullptr : entry.find(aclDef_);
    if (acl == nullptr)
        return;
    Grants here(grants.size());
    std::vector<std::uint8_t> set(grants.size(), 0); // bit 1 entry, bit 2 all attributes
    for (const auto& value : acl->values) {
        wire::AclView v;
        if (!wire::decodeAcl(value, v))
            continue;
        const bool entryKind = names::equalFolded(v.protectedAttr, kEntryRights);
        const bool allKind = names::equalFolded(v.protectedAttr, kAllAttributesRights);
        if (!entryKind && !allKind)
            continue;
        for (std::size_t m = 0; m < subject.matches.size(); ++m) {
            if (!names::equalFolded(v.subject, subject.matches[m]))
                continue;
            if (entryKind) {
                here[m].entry |= v.privileges;
                set[m] |= 1;
            } else {
                here[m].allAttributes |= v.privileges;
                set[m] |= 2;
            }
        }
    }
    for (std::size_t m = 0; m < grants.size(); ++m) {
        if (set[m] & 1)
            grants[m].entry = here[m].entry;
        if (set[m] & 2)
            grants[m].allAttributes = here[m].allAttributes;
    }
}

std::unordered_map<EntryId, RightsEvaluator::Grants>&
RightsEvaluator::cacheOf(const RightsSubject& subject) {
    if (last_ == nullptr || lastKey_ != subject.key) {
        last_ = &cache_[subject.key];
        lastKey_ = subject.key;
    }
    return *last_;
}

const RightsEvaluator::Grants* RightsEvaluator::inheritedOnly(const RightsSubject& subject,
                                                              EntryId object) {
    const Entry* e = store_.get(object);
    if (e == nullptr || object == kRootEntry || !e->children.empty() ||
        (aclDef_ != nullptr && e->find(aclDef_) != nullptr))
        return nullptr;
    auto& perSubject = cacheOf(subject);
    if (auto hit = perSubject.find(e->parent); hit != perSubject.end())
        return &hit->second;
    grantsAt(subject, e->parent);
    auto hit = perSubject.find(e->parent);
    return hit == perSubject.end() ? nullptr : &hit->second;
}

RightsEvaluator::Grants RightsEvaluator::grantsAt(const RightsSubject& subject, EntryId object) {
    auto& perSubject = cacheOf(subject);
    if (auto hit = perSubject.find(object); hit != perSubject.end())
        return hit->second;
    // Walk up to the nearest container already known (or [Root]), then back down.
    std::vector<EntryId> path;
    Grants grants(subject.matches.size());
    for (EntryId at = object;;) {
        if (auto hit = perSubject.find(at); hit != perSubject.end()) {
            grants = hit->second;
            break;
        }
        path.push_back(at);
        if (at == kRootEntry)
            break;
        const Entry* e = store_.get(at);
        if (e == nullptr)
            break;
        at = e->parent;
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const Entry* e = store_.get(*it);
        if (e == nullptr)
            return Grants(subject.matches.size());
        apply(subject, *e, grants);
        // Containers are cached; leaves are cheap to compute from their parent.
        if (!e->children.empty() || *it == kRootEntry ||
            (e->baseClass != nullptr && (e->baseClass->flags & DS_CONTAINER_CLASS)))
            perSubject.emplace(*it, grants);
    }
    return grants;
}

std::uint32_t RightsEvaluator::entryRights(const RightsSubject& subject, EntryId object) {
    std::uint32_t r = 0;
    if (const Grants* inherited = inheritedOnly(subject, object)) {
        for (const auto& g : *inherited)
            r |= g.entry;
        return widenEntry(r);
    }
    for (const auto& g : grantsAt(subject, object))
        r |= g.entry;
    return widenEntry(r);
}

std::uint32_t RightsEvaluator::attributeRights(const RightsSubject& subject, EntryId object,
                                               std::string_view attr) {
    const Grants grants = grantsAt(subject, object);
    std::uint32_t entry = 0;
    for (const auto& g : grants)
        entry |= g.entry;
    if (entry & DS_ENTRY_SUPERVISOR)
        return kAllAttributeRights;

    std::vector<std::uint32_t> perMatch(grants.size());
    for (std::size_t m = 0; m < grants.size(); ++m)
        perMatch[m] = grants[m].allAttributes;
    const bool specific = !names::equalFolded(attr, kAllAttributesRights);
    const Entry* e = store_.get(object);
    const AttributeValues* acl = (e == nullptr || aclDef_ == nullptr) ? nullptr : e->find(aclDef_);
    if (specific && acl != nullptr) {
        std::vector<std::uint32_t> here(grants.size(), 0);
        std::vector<bool> set(grants.size(), false);
        for (const auto& value : acl->values) {
            wire::AclView v;
            if (!wire::decodeAcl(value, v) || !names::equalFolded(v.protectedAttr, attr))
                continue;
            for (std::size_t m = 0; m < subject.matches.size(); ++m) {
                if (names::equalFolded(v.subject, subject.matches[m])) {
                    here[m] |= v.privileges;
                    set[m] = true;
                }
            }
        }
        for (std::size_t m = 0; m < grants.size(); ++m) {
            if (set[m])
                perMatch[m] = here[m];
        }
    }
    std::uint32_t r = 0;
    for (auto v : perMatch)
        r |= v;
    return widenAttribute(r);
}
