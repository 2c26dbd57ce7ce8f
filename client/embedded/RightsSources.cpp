#include "Rights.h"
#include "client/common/Names.h"
#include "client/common/ValueWire.h"

#include <algorithm>

void RightsEvaluator::valuesOn(EntryId holder, std::string_view kind, std::string_view trustee,
                               std::vector<Source>& out) const {
    const Entry* e = store_.get(holder);
    const AttributeValues* acl = (e == nullptr || aclDef_ == nullptr) ? nullptr : e->find(aclDef_);
    if (acl == nullptr)
        return;
    for (const auto& value : acl->values) {
        wire::AclView v;
        if (wire::decodeAcl(value, v) && names::equalFolded(v.protectedAttr, kind) &&
            names::equalFolded(v.subject, trustee))
            out.push_back(
                {holder, std::string(v.subject), std::string(v.protectedAttr), v.privileges});
    }
}

bool RightsEvaluator::nearestValues(EntryId object, std::string_view kind, std::string_view trustee,
                                    std::vector<Source>& out) const {
    for (EntryId at = object;;) {
        const std::size_t before = out.size();
        valuesOn(at, kind, trustee, out);
        if (out.size() != before)
            return true;
        const Entry* e = store_.get(at);
        if (at == kRootEntry || e == nullptr)
            return false;
        at = e->parent;
    }
}

namespace {

// A subject may reach one value by two of its names (a security equal that is also a
// container above it): each value is listed once.
void dropRepeats(std::vector<RightsEvaluator::Source>& sources) {
    std::vector<RightsEvaluator::Source> kept;
    for (auto& s : sources) {
        const bool seen = std::any_of(kept.begin(), kept.end(), [&](const auto& k) {
            return k.heldBy == s.heldBy && k.privileges == s.privileges &&
                   names::equalFolded(k.trustee, s.trustee) &&
                   names::equalFolded(k.protectedAttr, s.protectedAttr);
        });
        if (!seen)
            kept.push_back(std::move(s));
    }
    sources = std::move(kept);
}

} // namespace

std::vector<RightsEvaluator::Source> RightsEvaluator::entrySources(const RightsSubject& subject,
                                                                   EntryId object) const {
    std::vector<Source> out;
    for (const auto& trustee : subject.matches)
        nearestValues(object, kEntryRights, trustee, out);
    dropRepeats(out);
    return out;
}

std::vector<RightsEvaluator::Source>
RightsEvaluator::attributeSources(const RightsSubject& subject, EntryId object,
                                  std::string_view attr) const {
    std::vector<Source> entry = entrySources(subject, object);
    std::vector<Source> supervisor;
    for (const auto& s : entry) {
        if (s.privileges & DS_ENTRY_SUPERVISOR)
            supervisor.push_back(s);
    }
    // Supervisor of the entry holds every right to its attributes.
    if (!supervisor.empty())
        return supervisor;
    const bool specific = !names::equalFolded(attr, kAllAttributesRights);
    std::vector<Source> out;
    for (const auto& trustee : subject.matches) {
        const std::size_t before = out.size();
        if (specific)
            valuesOn(object, attr, trustee, out);
        if (out.size() == before)
            nearestValues(object, kAllAttributesRights, trustee, out);
    }
    dropRepeats(out);
    return out;
}
