#include "DemoDirectory.h"
#include "RawSchema.h"
#include "RecordingPage.h"
#include "directory/ResultCodes.h"
#include "schema/AttributeReads.h"
#include "schema/ClassReads.h"
#include "schema/ReportPolicies.h"
#include "schema/SyntaxReads.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

class SchemaReads : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(demo.ok());
        ASSERT_EQ(demo.faults->NWDSCreateContextHandle(&context), 0);
        ASSERT_EQ(
            demo.faults->NWDSSetContext(context, DCK_TREE_NAME, demo.model().treeName().c_str()),
            0);
        page = std::make_unique<RecordingPage>(*demo.faults, context);
        before = demo.faults->outstandingResources();
    }
    void TearDown() override {
        EXPECT_EQ(demo.faults->outstandingResources(), before) << "a client resource was left";
        demo.faults->NWDSFreeContext(context);
    }

    // Enough classes that one result buffer cannot hold every definition.
    void addManyClasses(int count) {
        for (int i = 0; i < count; ++i) {
            addRawClass(demo.schema(), "Padding Class " + std::to_string(1000 + i), {"Top"},
                        {"Padding Attribute Name One", "Padding Attribute Name Two"});
        }
    }

    std::vector<ClassDef> walkClasses(const ReportPolicy& policy, ReadOutcome* outcome = nullptr) {
        std::vector<ClassDef> delivered;
        const ReadOutcome result = WalkClassDefinitions(
            *page, policy, [&](const ClassDef& def) { delivered.push_back(def); });
        if (outcome)
            *outcome = result;
        return delivered;
    }

    DemoDirectory demo;
    NWDSContextHandle context = NO_CONTEXT;
    std::unique_ptr<RecordingPage> page;
    ClientResourceCounts before;
};

TEST_F(SchemaReads, ClassWalkDeliversEveryClassInDirectoryOrderOverSeveralPasses) {
    addManyClasses(120);
    ReadOutcome outcome;
    const std::vector<ClassDef> delivered = walkClasses(SchemaReports::classWalk(), &outcome);

    EXPECT_TRUE(outcome.ok());
    EXPECT_GE(demo.faults->callCount("NWDSReadClassDef"), 2);
    const auto& classes = demo.schema().classes();
    ASSERT_EQ(delivered.size(), classes.size());
    for (std::size_t i = 0; i < classes.size(); ++i) {
        SCOPED_TRACE(classes[i]->name);
        EXPECT_EQ(delivered[i].name, classes[i]->name);
        EXPECT_EQ(delivered[i].flags, classes[i]->flags);
        EXPECT_TRUE(delivered[i].complete);
        for (std::size_t list = 0; list < ClassListCount; ++list)
            EXPECT_EQ(delivered[i].lists[list], classes[i]->lists[list]) << "list " << list;
    }
    // Empty lists are asked for too: five counts per class.
    EXPECT_EQ(demo.faults->callCount("NWDSGetClassItemCount"), int(5 * classes.size()));
    EXPECT_TRUE(page->messages.empty());
}

TEST_F(SchemaReads, ClassWalkFailingOnTheThirdClassDeliversTheFirstTwoThenReports) {
    demo.faults->failCall("NWDSGetClassDef", 3, ERR_NO_SUCH_CLASS);
    std::vector<std::string> names;
    std::vector<std::size_t> reportsSeenAtDelivery;
    const ReadOutcome outcome =
        WalkClassDefinitions(*page, SchemaReports::classWalk(), [&](const ClassDef& def) {
            names.push_back(def.name);
            reportsSeenAtDelivery.push_back(page->messages.size());
        });

    const auto& classes = demo.schema().classes();
    ASSERT_EQ(names, (std::vector<std::string>{classes[0]->name, classes[1]->name}));
    EXPECT_EQ(reportsSeenAtDelivery, (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(page->messages, std::vector<std::string>{"NWDSGetClassDef() returned: FFFFFDA4\n"});
    EXPECT_EQ(outcome.failedStep, SchemaStep::Definition);
    EXPECT_EQ(outcome.code, ERR_NO_SUCH_CLASS);
}

TEST_F(SchemaReads, ClassWalkStoppedInsideAClassDeliversWhatWasReadOfIt) {
    // The first class's third item count (naming attributes) fails.
    demo.faults->failCall("NWDSGetClassItemCount", 3, ERR_BUFFER_EMPTY);
    const std::vector<ClassDef> delivered = walkClasses(SchemaReports::classWalk());

    const ClassDefinition& first = *demo.schema().classes().front();
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_FALSE(delivered[0].complete);
    EXPECT_EQ(delivered[0].name, first.name);
    EXPECT_EQ(delivered[0].list(ClassList::SuperClasses), first.lists[0]);
    EXPECT_EQ(delivered[0].list(ClassList::Containment), first.lists[1]);
    EXPECT_TRUE(delivered[0].list(ClassList::NamingAttributes).empty());
}

TEST_F(SchemaReads, ClassWalkFailingOnASecondPassKeepsTheFirstPass) {
    addManyClasses(120);
    demo.faults->failCall("NWDSReadClassDef", 2, ERR_INVALID_HANDLE);
    ReadOutcome outcome;
    const std::vector<ClassDef> delivered = walkClasses(SchemaReports::classWalk(), &outcome);

    EXPECT_EQ(outcome.failedStep, SchemaStep::Read);
    EXPECT_GT(delivered.size(), 0u);
    EXPECT_LT(delivered.size(), demo.schema().classes().size());
    EXPECT_EQ(page->messages, std::vector<std::string>{"NWDSReadClassDef() returned: FFFFFEBE\n"});
}

TEST_F(SchemaReads, SingleClassReadGivesTheNamedClassOnly) {
    const ClassDefinition* user = demo.schema().findClass("User");
    ASSERT_NE(user, nullptr);
    std::vector<ClassDef> delivered;
    const ReadOutcome outcome =
        ReadClassDefinition(*page, "User", SchemaReports::objectPageClassRead(),
                            [&](const ClassDef& def) { delivered.push_back(def); });

    EXPECT_TRUE(outcome.ok());
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].name, "User");
    EXPECT_EQ(delivered[0].flags, user->flags);
    for (std::size_t list = 0; list < ClassListCount; ++list)
        EXPECT_EQ(delivered[0].lists[list], user->lists[list]) << "list " << list;
}

TEST_F(SchemaReads, SingleClassReadOfAnUnknownClassReportsTheRead) {
    int deliveries = 0;
    const ReadOutcome outcome =
        ReadClassDefinition(*page, "No Such Class", SchemaReports::viewerClassRead(),
                            [&](const ClassDef&) { ++deliveries; });
    EXPECT_EQ(outcome.failedStep, SchemaStep::Read);
    EXPECT_EQ(deliveries, 0);
    EXPECT_EQ(page->messages, std::vector<std::string>{"NWDSReadClassDef() returned: FFFFFDA4\n"});
}

TEST_F(SchemaReads, AttributeWalkDeliversEveryAttributeWithItsRecord) {
    std::vector<AttrDef> delivered;
    const ReadOutcome outcome = WalkAttributeDefinitions(
        *page, SchemaReports::silent(), [&](const AttrDef& def) { delivered.push_back(def); });

    EXPECT_TRUE(outcome.ok());
    EXPECT_GE(demo.faults->callCount("NWDSReadAttrDef"), 2) << "the base schema spans passes";
    const auto& attributes = demo.schema().attributes();
    ASSERT_EQ(delivered.size(), attributes.size());
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        SCOPED_TRACE(attributes[i]->name);
        EXPECT_EQ(delivered[i].name, attributes[i]->name);
        EXPECT_EQ(delivered[i].info.attrFlags, attributes[i]->flags);
        EXPECT_EQ(delivered[i].info.attrSyntaxID, attributes[i]->syntax);
        EXPECT_EQ(delivered[i].info.attrLower, attributes[i]->lower);
        EXPECT_EQ(delivered[i].info.attrUpper, attributes[i]->upper);
    }
}

TEST_F(SchemaReads, SyntaxNameWalkAndOneAttributesSyntax) {
    std::vector<std::string> names;
    EXPECT_TRUE(
        WalkSyntaxNames(*page, SchemaReports::syntaxNameWalk(), [&](const std::string& name) {
            names.push_back(name);
        }).ok());
    std::vector<std::string> expected;
    for (const auto& [id, syntax] : demo.schema().syntaxes())
        expected.push_back(syntax.name);
    EXPECT_EQ(names, expected);

    const AttributeDefinition* cn = demo.schema().findAttribute("CN");
    ASSERT_NE(cn, nullptr);
    AttributeSyntax syntax;
    EXPECT_TRUE(ReadAttributeSyntax(*page, "CN", SchemaReports::attributeSyntax(), syntax).ok());
    EXPECT_EQ(syntax.id, cn->syntax);
    EXPECT_EQ(syntax.name, demo.schema().findSyntax(cn->syntax)->name);
    EXPECT_TRUE(page->messages.empty());
}

// Every call of every read, failed in turn, with what the caller's rules show for it.
struct FailureCase {
    const char* read;
    const char* operation;
    int nth;
    SchemaStep step;
    const char* message; // empty: silent
};

ReadOutcome runRead(DirectoryPage& page, std::string_view read) {
    const auto ignoreClass = [](const ClassDef&) {};
    if (read == "class walk")
        return WalkClassDefinitions(page, SchemaReports::classWalk(), ignoreClass);
    if (read == "viewer class read")
        return ReadClassDefinition(page, "User", SchemaReports::viewerClassRead(), ignoreClass);
    if (read == "object page class read")
        return ReadClassDefinition(page, "User", SchemaReports::objectPageClassRead(), ignoreClass);
    if (read == "attribute walk")
        return WalkAttributeDefinitions(page, SchemaReports::silent(), [](const AttrDef&) {});
    if (read == "syntax name walk")
        return WalkSyntaxNames(page, SchemaReports::syntaxNameWalk(), [](const std::string&) {});
    AttributeSyntax syntax;
    return ReadAttributeSyntax(page, "CN", SchemaReports::attributeSyntax(), syntax);
}

TEST_F(SchemaReads, EveryFailingCallIsReportedOrSilentAsTheCallerSaysAndFreesItsBuffers) {
    const FailureCase cases[] = {
        {"class walk", "NWDSAllocBuf", 1, SchemaStep::AllocResult, "NWDSAllocBuf returned: "},
        {"class walk", "NWDSReadClassDef", 1, SchemaStep::Read, "NWDSReadClassDef() returned: "},
        {"class walk", "NWDSGetClassDefCount", 1, SchemaStep::Count, ""},
        {"class walk", "NWDSGetClassDef", 1, SchemaStep::Definition,
         "NWDSGetClassDef() returned: "},
        {"class walk", "NWDSGetClassItemCount", 1, SchemaStep::ItemCount,
         "NWDSGetClassItemCount() returned: "},
        {"class walk", "NWDSGetClassItem", 1, SchemaStep::Item, "NWDSGetClassItem() returned: "},

        {"viewer class read", "NWDSAllocBuf", 1, SchemaStep::AllocResult,
         "NWDSAllocBuf returned: "},
        {"viewer class read", "NWDSAllocBuf", 2, SchemaStep::AllocRequest, ""},
        {"viewer class read", "NWDSInitBuf", 1, SchemaStep::InitRequest, ""},
        {"viewer class read", "NWDSPutClassItem", 1, SchemaStep::PutName, ""},
        {"viewer class read", "NWDSReadClassDef", 1, SchemaStep::Read,
         "NWDSReadClassDef() returned: "},
        {"viewer class read", "NWDSGetClassDefCount", 1, SchemaStep::Count, ""},
        {"viewer class read", "NWDSGetClassDef", 1, SchemaStep::Definition,
         "NWDSGetClassDef() returned: "},
        {"viewer class read", "NWDSGetClassItemCount", 1, SchemaStep::ItemCount, ""},
        {"viewer class read", "NWDSGetClassItem", 1, SchemaStep::Item, ""},

        {"object page class read", "NWDSAllocBuf", 1, SchemaStep::AllocResult,
         "NWDSAllocBuf returned: "},
        {"object page class read", "NWDSAllocBuf", 2, SchemaStep::AllocRequest,
         "NWDSAllocBuf returned: "},
        {"object page class read", "NWDSInitBuf", 1, SchemaStep::InitRequest,
         "NWDSInitBuf returned: "},
        {"object page class read", "NWDSPutClassItem", 1, SchemaStep::PutName,
         "NWDSPutClassName() returned: "},
        {"object page class read", "NWDSReadClassDef", 1, SchemaStep::Read,
         "NWDSReadClassDef() returned: "},
        {"object page class read", "NWDSGetClassDefCount", 1, SchemaStep::Count, ""},
        {"object page class read", "NWDSGetClassDef", 1, SchemaStep::Definition,
         "NWDSGetClassDef() returned: "},
        {"object page class read", "NWDSGetClassItemCount", 1, SchemaStep::ItemCount,
         "NWDSGetClassItemCount() returned: "},
        {"object page class read", "NWDSGetClassItem", 1, SchemaStep::Item,
         "NWDSGetClassItem() returned: "},

        {"attribute walk", "NWDSAllocBuf", 1, SchemaStep::AllocResult, ""},
        {"attribute walk", "NWDSReadAttrDef", 1, SchemaStep::Read, ""},
        {"attribute walk", "NWDSReadAttrDef", 2, SchemaStep::Read, ""},
        {"attribute walk", "NWDSGetAttrCount", 1, SchemaStep::Count, ""},
        {"attribute walk", "NWDSGetAttrDef", 1, SchemaStep::Definition, ""},

        {"syntax name walk", "NWDSAllocBuf", 1, SchemaStep::AllocResult, "NWDSAllocBuf returned: "},
        {"syntax name walk", "NWDSReadSyntaxes", 1, SchemaStep::Read,
         "NWDSReadSyntaxes() returned: "},
        {"syntax name walk", "NWDSGetSyntaxCount", 1, SchemaStep::Count,
         "NWDSGetSyntaxCount() returned: "},
        {"syntax name walk", "NWDSGetSyntaxDef", 1, SchemaStep::Definition,
         "NWDSGetSyntaxDef() returned: "},

        {"attribute syntax", "NWDSGetSyntaxID", 1, SchemaStep::SyntaxId,
         "NWDSGetSyntaxID() returned: "},
        {"attribute syntax", "NWDSReadSyntaxDef", 1, SchemaStep::SyntaxDef,
         "NWDSReadSyntaxDef() returned: "},
    };
    constexpr NWDSCCODE code = ERR_SYSTEM_ERROR; // -319, shown as FFFFFEC1
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(std::string(c.read) + ": " + c.operation + " #" + std::to_string(c.nth));
        demo.faults->clearFaults();
        demo.faults->resetCounts();
        page->messages.clear();
        demo.faults->failCall(c.operation, c.nth, code);

        const ReadOutcome outcome = runRead(*page, c.read);

        EXPECT_EQ(demo.faults->callCount(c.operation), c.nth) << "the read went on after it";
        EXPECT_EQ(outcome.failedStep, c.step);
        EXPECT_EQ(outcome.code, code);
        if (*c.message)
            EXPECT_EQ(page->messages,
                      std::vector<std::string>{std::string(c.message) + "FFFFFEC1\n"});
        else
            EXPECT_TRUE(page->messages.empty());
        EXPECT_EQ(demo.faults->outstandingResources(), before);
    }
}

} // namespace
