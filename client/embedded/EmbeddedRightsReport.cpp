#include "EmbeddedDirectory.h"
#include "client/common/EffectiveRights.h"
#include "client/common/Names.h"

#include <algorithm>

namespace {

RightsLine lineOf(std::string attribute, std::uint32_t rights, std::uint32_t known,
                  const std::vector<RightsEvaluator::Source>& sources, EntryId object,
                  const ObjectStore& objects) {
    RightsLine line{std::move(attribute), rights, known, {}};
    for (const auto& s : sources)
        line.sources.push_back({objects.fullName(s.heldBy), s.trustee, s.protectedAttr,
                                s.privileges, s.heldBy != object});
    return line;
}

} // namespace

NWDSCCODE EmbeddedDirectory::explainRights(NWDSContextHandle context, const char* subjectName,
                                           const char* objectName, RightsReport& report) {
    const ContextState* ctx = nullptr;
    if (auto rc = rightsReportRequest(context, subjectName, report, ctx); rc != 0)
        return rc;
    Target t;
    std::string subject;
    if (auto rc = rightsOf(*ctx, subjectName, objectName, t, subject); rc != 0)
        return rc;
    const RightsSubject who = t.tree->subjectFor(subject);
    RightsEvaluator& rights = t.tree->rights();
    const ObjectStore& objects = t.tree->objects();
    report.subject = subject;
    report.lines.push_back(lineOf(std::string(kEntryRights), rights.entryRights(who, t.id),
                                  kAllEntryRights, rights.entrySources(who, t.id), t.id, objects));

    std::vector<const AttributeDefinition*> held;
    if (const Entry* e = objects.get(t.id)) {
        for (const auto& a : e->attributes) {
            if (a.def != nullptr)
                held.push_back(a.def);
        }
        std::sort(held.begin(), held.end(), [](const auto* a, const auto* b) {
            return names::fold(a->name) < names::fold(b->name);
        });
    }
    auto attributeLine = [&](const std::string& attr) {
        return lineOf(attr, rights.attributeRights(who, t.id, attr), kAllAttributeRights,
                      rights.attributeSources(who, t.id, attr), t.id, objects);
    };
    report.lines.push_back(attributeLine(std::string(kAllAttributesRights)));
    for (const AttributeDefinition* def : held) {
        report.lines.push_back(attributeLine(def->name));
        report.lines.back().publicRead = (def->flags & DS_PUBLIC_READ) != 0;
    }
    report.note = "Computed from the ACL values of the object and of the containers above it. "
                  "A value lower down replaces, for its trustee, what came from above; a value "
                  "naming one attribute counts on its own object only. An attribute defined "
                  "as Public Read may be read by everyone.";
    return 0;
}
