#pragma once

#include "ObjectStore.h"
#include "client/common/EffectiveRights.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Who asks: the subject's own name and every name its rights come through, folded: the
// containers above it, "[Root]" (every object of the tree), "[Public]", and the objects it
// is security equivalent to.
struct RightsSubject {
    std::string key;
    std::vector<std::string> matches;
};

constexpr std::string_view kEntryRights = "[Entry Rights]";
constexpr std::string_view kAllAttributesRights = "[All Attributes Rights]";
using effectiverights::kAllAttributeRights;
using effectiverights::kAllEntryRights;

// Effective rights from the "ACL" values of an object and of every container above it. An
// ACL value names a protected attribute, a subject and privileges. "[Entry Rights]" and
// "[All Attributes Rights]" values flow down the tree; a value for the same subject and the
// same protected attribute lower down replaces what came from above. Values protecting one
// named attribute count on their own object only and replace that subject's
// "[All Attributes Rights]" for that attribute. Supervisor implies every right of its kind,
// entry supervisor every attribute right too; read implies compare, write implies self.
// What containers pass down is kept per subject and dropped by invalidate().
class RightsEvaluator {
public:
    RightsEvaluator(const ObjectStore& store, const AttributeDefinition* aclDef)
        : store_(store), aclDef_(aclDef) {}

    std::uint32_t entryRights(const RightsSubject& subject, EntryId object);
    // `attr` is an attribute name or "[All Attributes Rights]".
    std::uint32_t attributeRights(const RightsSubject& subject, EntryId object,
                                  std::string_view attr);
    // The ACL values the rights above come from: for each name of the subject, the values of
    // the nearest object (the object itself or a container above it) that has any of the
    // kind; for one named attribute, the object's own values for it where there are any.
    struct Source {
        EntryId heldBy = kRootEntry;
        std::string trustee;
        std::string protectedAttr;
        std::uint32_t privileges = 0;
    };
    std::vector<Source> entrySources(const RightsSubject& subject, EntryId object) const;
    std::vector<Source> attributeSources(const RightsSubject& subject, EntryId object,
                                         std::string_view attr) const;

    void invalidate() {
        cache_.clear();
        last_ = nullptr;
    }

private:
    struct Grant {
        std::uint32_t entry = 0;
        std::uint32_t allAttributes = 0;
    };
    using Grants = std::vector<Grant>; // one per name in RightsSubject::matches

    // What reaches `object` including its own ACL.
    Grants grantsAt(const RightsSubject& subject, EntryId object);
    // What containers pass down to this subject, by container.
    std::unordered_map<EntryId, Grants>& cacheOf(const RightsSubject& subject);
    // A leaf without ACL values has what its container passes down.
    const Grants* inheritedOnly(const RightsSubject& subject, EntryId object);
    void apply(const RightsSubject& subject, const Entry& entry, Grants& grants) const;
    // The values protecting `kind` that name `trustee` on one object.
    void valuesOn(EntryId holder, std::string_view kind, std::string_view trustee,
                  std::vector<Source>& out) const;
    // Those of the nearest object from `object` up that has any; false when none has.
    bool nearestValues(EntryId object, std::string_view kind, std::string_view trustee,
                       std::vector<Source>& out) const;

    const ObjectStore& store_;
    const AttributeDefinition* aclDef_;
    std::unordered_map<std::string, std::unordered_map<EntryId, Grants>> cache_;
    std::string lastKey_;
    std::unordered_map<EntryId, Grants>* last_ = nullptr;
};
