#include "directory/ResultCodes.h"
#include "schema/AttributeReads.h"
#include "schema/ClassReads.h"
#include "schema/ReportPolicies.h"
#include "schema/SchemaTables.h"
#include "schema/SyntaxReads.h"
#include "tests/support/DemoClient.h"
#include "tests/support/TestPage.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;

class SchemaReads : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(demo.directory);
        page = std::make_unique<TestPage>(demo.faults, "Acme");
        ASSERT_NE(page->context(), NO_CONTEXT);
        before = demo.faults.outstandingResources();
    }
    void TearDown() override {
        EXPECT_EQ(demo.faults.outstandingResources(), before) << "a client resource was left";
        page.reset();
    }
    std::vector<ClassDef> walkClasses(ReadOutcome* outcome = nullptr) {
        std::vector<ClassDef> delivered;
        const ReadOutcome result =
            WalkClassDefinitions(*page, SchemaReports::classWalk(),
                                 [&](const ClassDef& def) { delivered.push_back(def); });
        if (outcome)
            *outcome = result;
        return delivered;
    }
    static void expectSameLists(const ClassDef& read, const ClassDefinition& defined) {
        EXPECT_EQ(read.name, defined.name);
        EXPECT_EQ(read.flags, defined.flags);
        for (std::size_t list = 0; list < ClassListCount; ++list)
            EXPECT_EQ(read.lists[list], defined.lists[list]) << defined.name << " list " << list;
    }

    DemoClient demo;
    std::unique_ptr<TestPage> page;
    ClientResourceCounts before;
};

TEST_F(SchemaReads, ClassWalkDeliversEveryClassInDirectoryOrderOverSeveralPasses) {
    ReadOutcome outcome;
    const std::vector<ClassDef> delivered = walkClasses(&outcome);
    EXPECT_TRUE(outcome.ok());
    EXPECT_GE(demo.faults.callCount("NWDSReadClassDef"), 2);
    const auto& classes = demo.directory->model().schema().classes();
    ASSERT_EQ(delivered.size(), classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i)
        expectSameLists(delivered[i], *classes[i]);
    // Empty lists are asked for too: five counts per class.
    EXPECT_EQ(demo.faults.callCount("NWDSGetClassItemCount"), int(5 * classes.size()));
    EXPECT_TRUE(page->messages.empty());
}

TEST_F(SchemaReads, ClassWalkFailingOnTheThirdClassDeliversTheFirstTwoThenReports) {
    demo.faults.failCall("NWDSGetClassDef", 3, ERR_NO_SUCH_CLASS);
    std::vector<std::string> names;
    const ReadOutcome outcome =
        WalkClassDefinitions(*page, SchemaReports::classWalk(), [&](const ClassDef& def) {
            EXPECT_TRUE(page->messages.empty()) << "reported before delivering " << def.name;
            names.push_back(def.name);
        });
    const auto& classes = demo.directory->model().schema().classes();
    EXPECT_EQ(names, (Messages{classes[0]->name, classes[1]->name}));
    EXPECT_EQ(page->messages, Messages{"NWDSGetClassDef() returned: FFFFFDA4\n"});
    EXPECT_EQ(outcome.failedStep, SchemaStep::Definition);
}

TEST_F(SchemaReads, AClassCutShortIsDeliveredWithWhatWasReadOfIt) {
    demo.faults.failCall("NWDSGetClassItemCount", 3, ERR_BUFFER_EMPTY); // naming attributes
    const std::vector<ClassDef> delivered = walkClasses();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_FALSE(delivered[0].complete);
    EXPECT_EQ(delivered[0].list(ClassList::SuperClasses),
              demo.directory->model().schema().classes()[0]->lists[0]);
    EXPECT_TRUE(delivered[0].list(ClassList::NamingAttributes).empty());
}

TEST_F(SchemaReads, SingleClassReadGivesTheNamedClass) {
    std::vector<ClassDef> delivered;
    EXPECT_TRUE(ReadClassDefinition(*page, "User", SchemaReports::objectPageClassRead(),
                                    [&](const ClassDef& def) { delivered.push_back(def); })
                    .ok());
    ASSERT_EQ(delivered.size(), 1u);
    expectSameLists(delivered[0], *demo.directory->model().schema().findClass("User"));
}

TEST_F(SchemaReads, AttributeWalkDeliversEveryAttributeWithItsRecord) {
    std::vector<AttrDef> delivered;
    EXPECT_TRUE(WalkAttributeDefinitions(*page, SchemaReports::silent(), [&](const AttrDef& def) {
                    delivered.push_back(def);
                }).ok());
    EXPECT_GE(demo.faults.callCount("NWDSReadAttrDef"), 2);
    const auto& attributes = demo.directory->model().schema().attributes();
    ASSERT_EQ(delivered.size(), attributes.size());
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const AttributeDefinition& a = *attributes[i];
        const Attr_Info_T& info = delivered[i].info;
        EXPECT_EQ(delivered[i].name, a.name);
        EXPECT_EQ(std::tie(info.attrFlags, info.attrSyntaxID, info.attrLower, info.attrUpper),
                  std::tie(a.flags, a.syntax, a.lower, a.upper))
            << a.name;
    }
}

TEST_F(SchemaReads, SyntaxNamesAreTheDirectorysAndMapBackToTheirIds) {
    std::vector<std::string> names;
    EXPECT_TRUE(
        WalkSyntaxNames(*page, SchemaReports::syntaxNameWalk(), [&](const std::string& name) {
            names.push_back(name);
        }).ok());
    ASSERT_EQ(names.size(), demo.directory->model().schema().syntaxes().size());
    // The Schema Manager turns a picked name back into its id; ids past 27 have none.
    for (const std::string& name : names) {
        const std::uint32_t id =
            demo.directory->model().schema().findSyntax(std::string_view(name))->id;
        EXPECT_EQ(syntaxIdForName(name), id < 28 ? std::optional(id) : std::nullopt) << name;
    }

    AttributeSyntax syntax;
    EXPECT_TRUE(ReadAttributeSyntax(*page, "CN", SchemaReports::attributeSyntax(), syntax).ok());
    EXPECT_EQ(syntax.id, SYN_CI_STRING);
    EXPECT_EQ(syntax.name, demo.directory->model().schema().findSyntax(SYN_CI_STRING)->name);
}

enum Read { Walk, ViewerRead, ObjectRead, Attributes, Syntaxes, OneSyntax };

ReadOutcome run(DirectoryPage& page, Read read) {
    const auto skipClass = [](const ClassDef&) {};
    AttributeSyntax syntax;
    switch (read) {
    case Walk:
        return WalkClassDefinitions(page, SchemaReports::classWalk(), skipClass);
    case ViewerRead:
        return ReadClassDefinition(page, "User", SchemaReports::viewerClassRead(), skipClass);
    case ObjectRead:
        return ReadClassDefinition(page, "User", SchemaReports::objectPageClassRead(), skipClass);
    case Attributes:
        return WalkAttributeDefinitions(page, SchemaReports::silent(), [](const AttrDef&) {});
    case Syntaxes:
        return WalkSyntaxNames(page, SchemaReports::syntaxNameWalk(), [](const std::string&) {});
    case OneSyntax:
        return ReadAttributeSyntax(page, "CN", SchemaReports::attributeSyntax(), syntax);
    }
    return {};
}

TEST_F(SchemaReads, EveryFailingCallIsReportedOrSilentAsTheCallerSaysAndFreesItsBuffers) {
    using S = SchemaStep;
    const struct {
        Read read;
        const char* operation;
        int nth;
        SchemaStep step;
        const char* message; // null: silent
    } cases[] = {
        {Walk, "NWDSAllocBuf", 1, S::AllocResult, "NWDSAllocBuf returned: "},
        {Walk, "NWDSReadClassDef", 1, S::Read, "NWDSReadClassDef() returned: "},
        {Walk, "NWDSReadClassDef", 2, S::Read, "NWDSReadClassDef() returned: "},
        {Walk, "NWDSGetClassDefCount", 1, S::Count, nullptr},
        {Walk, "NWDSGetClassDef", 1, S::Definition, "NWDSGetClassDef() returned: "},
        {Walk, "NWDSGetClassItemCount", 1, S::ItemCount, "NWDSGetClassItemCount() returned: "},
        {Walk, "NWDSGetClassItem", 1, S::Item, "NWDSGetClassItem() returned: "},
        {ViewerRead, "NWDSAllocBuf", 1, S::AllocResult, "NWDSAllocBuf returned: "},
        {ViewerRead, "NWDSAllocBuf", 2, S::AllocRequest, nullptr},
        {ViewerRead, "NWDSInitBuf", 1, S::InitRequest, nullptr},
        {ViewerRead, "NWDSPutClassItem", 1, S::PutName, nullptr},
        {ViewerRead, "NWDSReadClassDef", 1, S::Read, "NWDSReadClassDef() returned: "},
        {ViewerRead, "NWDSGetClassDefCount", 1, S::Count, nullptr},
        {ViewerRead, "NWDSGetClassDef", 1, S::Definition, "NWDSGetClassDef() returned: "},
        {ViewerRead, "NWDSGetClassItemCount", 1, S::ItemCount, nullptr},
        {ViewerRead, "NWDSGetClassItem", 1, S::Item, nullptr},
        {ObjectRead, "NWDSAllocBuf", 2, S::AllocRequest, "NWDSAllocBuf returned: "},
        {ObjectRead, "NWDSInitBuf", 1, S::InitRequest, "NWDSInitBuf returned: "},
        {ObjectRead, "NWDSPutClassItem", 1, S::PutName, "NWDSPutClassName() returned: "},
        {ObjectRead, "NWDSGetClassDefCount", 1, S::Count, nullptr},
        {ObjectRead, "NWDSGetClassItemCount", 1, S::ItemCount,
         "NWDSGetClassItemCount() returned: "},
        {ObjectRead, "NWDSGetClassItem", 1, S::Item, "NWDSGetClassItem() returned: "},
        {Attributes, "NWDSAllocBuf", 1, S::AllocResult, nullptr},
        {Attributes, "NWDSReadAttrDef", 2, S::Read, nullptr},
        {Attributes, "NWDSGetAttrCount", 1, S::Count, nullptr},
        {Attributes, "NWDSGetAttrDef", 1, S::Definition, nullptr},
        {Syntaxes, "NWDSAllocBuf", 1, S::AllocResult, "NWDSAllocBuf returned: "},
        {Syntaxes, "NWDSReadSyntaxes", 1, S::Read, "NWDSReadSyntaxes() returned: "},
        {Syntaxes, "NWDSGetSyntaxCount", 1, S::Count, "NWDSGetSyntaxCount() returned: "},
        {Syntaxes, "NWDSGetSyntaxDef", 1, S::Definition, "NWDSGetSyntaxDef() returned: "},
        {OneSyntax, "NWDSGetSyntaxID", 1, S::SyntaxId, "NWDSGetSyntaxID() returned: "},
        {OneSyntax, "NWDSReadSyntaxDef", 1, S::SyntaxDef, "NWDSReadSyntaxDef() returned: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.read) + ": " + c.operation + " #" + std::to_string(c.nth));
        demo.faults.clearFaults();
        demo.faults.resetCounts();
        page->messages.clear();
        demo.faults.failCall(c.operation, c.nth, ERR_SYSTEM_ERROR);

        const ReadOutcome outcome = run(*page, c.read);

        EXPECT_EQ(demo.faults.callCount(c.operation), c.nth) << "the read went on after it";
        EXPECT_EQ(outcome.failedStep, c.step);
        EXPECT_EQ(outcome.code, ERR_SYSTEM_ERROR);
        EXPECT_EQ(page->messages,
                  c.message ? Messages{std::string(c.message) + "FFFFFEC1\n"} : Messages{});
        EXPECT_EQ(demo.faults.outstandingResources(), before);
    }
}

} // namespace
