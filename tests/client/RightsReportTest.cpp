// The rights report of the embedded directory: each line is the effective right the directory
// enforces, and the ACL values it names are the ones that make it.
#include "DemoFixture.h"
#include "client/common/EffectiveRights.h"

namespace {

const RightsLine* lineFor(const RightsReport& report, const std::string& attribute) {
    for (const auto& line : report.lines) {
        if (line.attribute == attribute)
            return &line;
    }
    return nullptr;
}

} // namespace

class RightsReportTest : public DemoDirectory {
protected:
    RightsReport explain(const char* subject, const char* object) {
        RightsReport report;
        EXPECT_EQ(dir->explainRights(context, subject, object, report), 0)
            << subject << " on " << object;
        return report;
    }
};

TEST_F(RightsReportTest, EveryLineIsTheEnforcedRightAndFollowsFromItsSources) {
    const ObjectStore& objects = dir->model().objects();
    std::size_t lines = 0;
    for (const char* subject : {"Admin.Acme", "Guest.Acme", "Jane.Sales.Acme", "John.Sales.Acme",
                                "EngAdmin.Engineering.Acme", "[Public]"}) {
        for (EntryId id = 0; id < objects.size(); ++id) {
            const Entry* e = objects.get(id);
            // An alias is asked about as the object it stands for.
            if (e == nullptr || !e->live || (e->baseClass && e->baseClass->name == "Alias"))
                continue;
            const std::string object = id == kRootEntry ? "[Root]" : "." + objects.fullName(id);
            SCOPED_TRACE(std::string(subject) + " on " + object);
            const RightsReport report = explain(subject, object.c_str());
            ASSERT_GE(report.lines.size(), 2u);
            EXPECT_EQ(report.lines[0].attribute, "[Entry Rights]");
            EXPECT_EQ(report.lines[1].attribute, "[All Attributes Rights]");
            EXPECT_EQ(report.lines.size(), e->attributes.size() + 2);
            for (const auto& line : report.lines) {
                std::uint32_t enforced = 0;
                ASSERT_EQ(dir->NWDSGetEffectiveRights(context, subject, object.c_str(),
                                                      line.attribute.c_str(), &enforced),
                          0);
                EXPECT_EQ(line.rights, enforced) << line.attribute;
                const bool entry = &line == &report.lines[0];
                EXPECT_EQ(line.known, entry ? effectiverights::kAllEntryRights
                                            : effectiverights::kAllAttributeRights);
                std::uint32_t granted = 0;
                bool entrySupervisor = false;
                for (const auto& s : line.sources) {
                    granted |= s.privileges;
                    entrySupervisor = entrySupervisor || (s.protectedAttr == "[Entry Rights]" &&
                                                          (s.privileges & DS_ENTRY_SUPERVISOR));
                    EXPECT_EQ(s.inherited, s.heldBy != object.substr(object[0] == '.' ? 1 : 0))
                        << s.heldBy;
                }
                const std::uint32_t following = entry ? effectiverights::widenEntry(granted)
                                                : entrySupervisor
                                                    ? effectiverights::kAllAttributeRights
                                                    : effectiverights::widenAttribute(granted);
                EXPECT_EQ(line.rights, following) << line.attribute;
                ++lines;
            }
        }
    }
    EXPECT_GT(lines, 1000u);
}

TEST_F(RightsReportTest, SourcesNameTheValueItsObjectAndWhetherItIsInherited) {
    const RightsReport jane = explain("Jane.Sales.Acme", ".Demo.Sales.Acme");
    EXPECT_EQ(jane.subject, "Jane.Sales.Acme");
    const RightsLine* entry = lineFor(jane, "[Entry Rights]");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->rights, DS_ENTRY_BROWSE | DS_ENTRY_ADD);
    // Her own value on Demo, her container's from Sales, and the public's from [Root].
    ASSERT_EQ(entry->sources.size(), 3u);
    std::map<std::string, RightsSource> by;
    for (const auto& s : entry->sources)
        by[s.trustee] = s;
    EXPECT_EQ(by["Jane.Sales.Acme"].heldBy, "Demo.Sales.Acme");
    EXPECT_FALSE(by["Jane.Sales.Acme"].inherited);
    EXPECT_EQ(by["Jane.Sales.Acme"].privileges, 3u);
    EXPECT_EQ(by["Sales.Acme"].heldBy, "Sales.Acme");
    EXPECT_TRUE(by["Sales.Acme"].inherited);
    EXPECT_EQ(by["[Public]"].heldBy, "[Root]");
    EXPECT_TRUE(by["[Public]"].inherited);

    // Demo's telephone value for Jane replaces, for her, what Sales gives to all attributes.
    const RightsLine* phone = lineFor(jane, "Telephone Number");
    ASSERT_NE(phone, nullptr);
    for (const auto& s : phone->sources)
        EXPECT_FALSE(s.trustee == "Jane.Sales.Acme" && s.protectedAttr != "Telephone Number");
    const RightsLine* all = lineFor(jane, "[All Attributes Rights]");
    ASSERT_NE(all, nullptr);
    ASSERT_EQ(all->sources.size(), 1u);
    EXPECT_EQ(all->sources[0].trustee, "Sales.Acme");
    EXPECT_EQ(all->rights, DS_ATTR_COMPARE | DS_ATTR_READ);

    // The administrator's supervisor right on [Root] holds every attribute right.
    const RightsReport admin = explain("Admin.Acme", ".Demo.Sales.Acme");
    const RightsLine* adminPhone = lineFor(admin, "Telephone Number");
    ASSERT_NE(adminPhone, nullptr);
    ASSERT_EQ(adminPhone->sources.size(), 1u);
    EXPECT_EQ(adminPhone->sources[0].heldBy, "[Root]");
    EXPECT_EQ(adminPhone->sources[0].protectedAttr, "[Entry Rights]");
    EXPECT_FALSE(admin.note.empty());
}

TEST_F(RightsReportTest, AnyIdentityMayBeAskedAboutButTheObjectMustExist) {
    // A name that is no object of the tree holds what the public holds.
    const RightsReport nobody = explain("Nobody.Acme", ".Acme");
    ASSERT_FALSE(nobody.lines.empty());
    EXPECT_EQ(nobody.lines[0].rights, DS_ENTRY_BROWSE);
    RightsReport report;
    EXPECT_EQ(dir->explainRights(context, "Guest.Acme", ".Missing.Acme", report),
              ERR_NO_SUCH_ENTRY);
    EXPECT_TRUE(report.lines.empty());
    EXPECT_EQ(dir->explainRights(context, nullptr, ".Acme", report), ERR_NULL_POINTER);
    EXPECT_EQ(dir->explainRights(NO_CONTEXT, "Guest.Acme", ".Acme", report), ERR_BAD_CONTEXT);
}
