// The embedded directory's object writes at the seam: every rule refuses with its own code
// and leaves the tree exactly as it was; what is allowed is seen by the next read.
#include "DemoFixture.h"
#include "client/common/Names.h"
#include "client/embedded/ChildIndex.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

using Attributes = std::vector<std::pair<std::string, std::vector<std::string>>>;

const Attributes kUserAnn = {{"Object Class", {"User"}}, {"Surname", {"Smith"}}};

class ObjectWrites : public DemoDirectory {
protected:
    // An add-entry request as a page builds one: each value made by the attribute's syntax
    // (the text, a 32-bit number, or one byte for a Boolean). `syntaxes` overrides the
    // syntax an attribute's values are put with.
    NWDSCCODE add(const std::string& name, const Attributes& attrs,
                  const std::vector<std::pair<std::string, std::uint32_t>>& syntaxes = {}) {
        Buffer request(*dir);
        EXPECT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, request), 0);
        for (const auto& [attr, values] : attrs) {
            EXPECT_EQ(dir->NWDSPutAttrName(context, request, attr.c_str()), 0) << attr;
            std::uint32_t syntax = SYN_CI_STRING; // for an attribute the schema does not hold
            dir->NWDSGetSyntaxID(context, attr.c_str(), &syntax);
            for (const auto& [which, forced] : syntaxes) {
                if (which == attr)
                    syntax = forced;
            }
            for (const auto& v : values) {
                const std::int32_t number = std::atoi(v.c_str());
                const std::uint8_t flag = std::uint8_t(number);
                const void* value = v.c_str();
                if (syntax == SYN_INTEGER || syntax == SYN_COUNTER || syntax == SYN_INTERVAL)
                    value = &number;
                else if (syntax == SYN_BOOLEAN)
                    value = &flag;
                EXPECT_EQ(dir->NWDSPutAttrVal(context, request, syntax, value), 0) << attr;
            }
        }
        return dir->NWDSAddObject(context, name.c_str(), nullptr, false, request);
    }

    // Every object below `container` (one level) with each attribute and its values' sizes:
    // what a refused write must leave as it was.
    std::string state(const std::string& container) {
        std::string out;
        for (const auto& name : listAll(container)) {
            std::vector<ReadAttribute> attrs;
            const std::string full = container == ROOT_NAME ? name : name + "." + container;
            EXPECT_EQ(read(full, attrs), 0) << full;
            out += name + ":";
            for (const auto& a : attrs) {
                out += a.name + "=";
                for (const auto& v : a.values)
                    out += std::to_string(v.bytes) + ",";
            }
            out += "\n";
        }
        return out;
    }

    std::vector<std::string> textValues(const std::string& object, const std::string& attr) {
        std::vector<ReadAttribute> attrs;
        EXPECT_EQ(read(object, attrs), 0) << object;
        std::vector<std::string> out;
        if (const ReadAttribute* a = find(attrs, attr)) {
            for (const auto& v : a->values)
                out.push_back(v.text());
        }
        return out;
    }

    bool listed(const std::string& container, const std::string& name) {
        const auto names = listAll(container);
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    void setNameContext(const char* name) {
        ASSERT_EQ(dir->NWDSSetContext(context, DCK_NAME_CONTEXT, name), 0);
    }
};

TEST_F(ObjectWrites, AddCreatesTheObjectWithItsValuesItsNameAndItsClasses) {
    ASSERT_EQ(add("Ann.Sales.Acme", {{"Object Class", {"User"}},
                                     {"Surname", {"Smith"}},
                                     {"Telephone Number", {"555-0100", "555-0101"}},
                                     {"Login Grace Limit", {"6"}},
                                     {"Login Disabled", {"1"}}}),
              0);
    EXPECT_TRUE(listed("Sales.Acme", "Ann"));
    EXPECT_EQ(textValues("Ann.Sales.Acme", "CN"), std::vector<std::string>{"Ann"});
    EXPECT_EQ(textValues("Ann.Sales.Acme", "Surname"), std::vector<std::string>{"Smith"});
    EXPECT_EQ(textValues("Ann.Sales.Acme", "Telephone Number").size(), 2u);
    const auto classes = textValues("Ann.Sales.Acme", "Object Class");
    for (const char* c : {"User", "Organizational Person", "Person", "ndsLoginProperties", "Top"})
        EXPECT_NE(std::find(classes.begin(), classes.end(), c), classes.end()) << c;

    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Ann.Sales.Acme", attrs), 0);
    ASSERT_NE(find(attrs, "Login Grace Limit"), nullptr);
    EXPECT_EQ(find(attrs, "Login Grace Limit")->values[0].as<std::int32_t>(), 6);
    ASSERT_NE(find(attrs, "Login Disabled"), nullptr);
    EXPECT_EQ(find(attrs, "Login Disabled")->values[0].as<std::uint8_t>(), 1);

    Object_Info_T info{};
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Ann.Sales.Acme", nullptr, 0, &info), 0);
    EXPECT_STREQ(info.baseClass, "User");
}

TEST_F(ObjectWrites, AddTakesNamesRelativeToTheContextAndAtTheTopOfTheTree) {
    setNameContext("Sales.Acme");
    ASSERT_EQ(add("Ann.Sales.Acme", kUserAnn), 0); // from [Root]
    ASSERT_EQ(add("Bob", kUserAnn), 0);            // below the name context
    setNameContext(ROOT_NAME);
    ASSERT_EQ(add("Globex", {{"Object Class", {"Organization"}}}), 0);
    EXPECT_TRUE(listed("[Root]", "Globex"));
    EXPECT_TRUE(listed("Sales.Acme", "Ann"));
    EXPECT_TRUE(listed("Sales.Acme", "Bob"));
    EXPECT_FALSE(listed("[Root]", "Bob"));
    // The name of a new object is not "[Root]" and not below nothing.
    EXPECT_EQ(add("[Root]", {{"Object Class", {"Organization"}}}), ERR_INVALID_ENTRY_FOR_ROOT);
}

TEST_F(ObjectWrites, EveryAddRuleRefusesWithItsOwnCodeAndChangesNothing) {
    // A class without naming attributes and one named by an integer, to reach those rules.
    ClassDefinition unnamed;
    unnamed.name = "Badge";
    unnamed.flags = DS_EFFECTIVE_CLASS;
    unnamed.lists[ClassDefinition::SuperClasses] = {"Top"};
    unnamed.lists[ClassDefinition::Containment] = {"Organizational Unit"};
    ASSERT_EQ(dir->model().addClass(unnamed), 0);
    ClassDefinition numbered = unnamed;
    numbered.name = "Ticket";
    numbered.lists[ClassDefinition::Naming] = {"Login Grace Limit"};
    ASSERT_EQ(dir->model().addClass(numbered), 0);

    const std::string longText(65, 'x');
    const struct {
        const char* what;
        std::string name;
        Attributes attrs;
        NWDSCCODE code;
    } cases[] = {
        {"existing name", "Jane.Sales.Acme", kUserAnn, ERR_ENTRY_ALREADY_EXISTS},
        {"missing container", "Ann.Nowhere.Sales.Acme", kUserAnn, ERR_NO_SUCH_ENTRY},
        {"no class", "Ann.Sales.Acme", {{"Surname", {"Smith"}}}, ERR_MISSING_MANDATORY},
        {"unknown class", "Ann.Sales.Acme", {{"Object Class", {"Robot"}}}, ERR_NO_SUCH_CLASS},
        {"class not effective",
         "Ann.Sales.Acme",
         {{"Object Class", {"Person"}}, {"Surname", {"Smith"}}},
         ERR_NOT_EFFECTIVE_CLASS},
        {"classes of two lineages",
         "Ann.Sales.Acme",
         {{"Object Class", {"User", "Group"}}, {"Surname", {"Smith"}}},
         ERR_OBJECT_CLASS_VIOLATION},
        {"containment",
         "Acme2.Sales.Acme",
         {{"Object Class", {"Organization"}}},
         ERR_ILLEGAL_CONTAINMENT},
        {"no naming attribute",
         "B1.Sales.Acme",
         {{"Object Class", {"Badge"}}},
         ERR_BAD_NAMING_ATTRIBUTES},
        {"naming syntax",
         "7.Sales.Acme",
         {{"Object Class", {"Ticket"}}},
         ERR_SYNTAX_INVALID_IN_NAME},
        {"name outside the naming bounds", longText + ".Sales.Acme", kUserAnn,
         ERR_SYNTAX_VIOLATION},
        {"mandatory of a second super class chain",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}},
         ERR_MISSING_MANDATORY},
        {"mandatory given no value",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {}}},
         ERR_MISSING_MANDATORY},
        {"unknown attribute",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {"Smith"}}, {"Shoe Size", {"9"}}},
         ERR_NO_SUCH_ATTRIBUTE},
        {"attribute of another class",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {"Smith"}}, {"Queue Directory", {"Q"}}},
         ERR_ILLEGAL_ATTRIBUTE},
        {"empty value below the lower bound",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {""}}},
         ERR_SYNTAX_VIOLATION},
        {"value above the upper bound",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {longText}}},
         ERR_SYNTAX_VIOLATION},
        {"second value of a single-valued attribute",
         "Ann.Sales.Acme",
         {{"Object Class", {"User"}}, {"Surname", {"Smith"}}, {"Login Disabled", {"0", "1"}}},
         ERR_CANT_HAVE_MULTIPLE_VALUES},
        {"naming value beside a different single value",
         ".UK",
         {{"Object Class", {"Country"}}, {"C", {"GB"}}},
         ERR_CANT_HAVE_MULTIPLE_VALUES},
    };
    const std::string before = state("Sales.Acme");
    const auto top = listAll("[Root]");
    for (const auto& c : cases) {
        EXPECT_EQ(add(c.name, c.attrs), c.code) << c.what;
        EXPECT_EQ(state("Sales.Acme"), before) << c.what;
    }
    EXPECT_EQ(listAll("[Root]"), top);

    // A value put with a syntax other than its attribute's.
    EXPECT_EQ(add("Ann.Sales.Acme", kUserAnn, {{"Surname", SYN_INTEGER}}), ERR_SYNTAX_VIOLATION);
    // A request prepared for something else, or a request in parts, is not an add.
    Buffer wrong(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_MODIFY_ENTRY, wrong), 0);
    EXPECT_EQ(dir->NWDSAddObject(context, "Ann.Sales.Acme", nullptr, false, wrong), ERR_BAD_VERB);
    Buffer parts(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, parts), 0);
    EXPECT_EQ(dir->NWDSAddObject(context, "Ann.Sales.Acme", nullptr, true, parts),
              ERR_INVALID_REQUEST);
    EXPECT_EQ(state("Sales.Acme"), before);
}

TEST_F(ObjectWrites, RemoveTakesLeavesOnlyAndFreesTheName) {
    const std::string sales = state("Sales.Acme");
    EXPECT_EQ(dir->NWDSRemoveObject(context, "Sales.Acme"), ERR_ENTRY_IS_NOT_LEAF);
    EXPECT_EQ(dir->NWDSRemoveObject(context, "Nobody.Sales.Acme"), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSRemoveObject(context, ROOT_NAME), ERR_INVALID_ENTRY_FOR_ROOT);
    EXPECT_EQ(state("Sales.Acme"), sales);

    ASSERT_EQ(dir->NWDSRemoveObject(context, "Jane.Sales.Acme"), 0);
    EXPECT_FALSE(listed("Sales.Acme", "Jane"));
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(context, "Jane.Sales.Acme", nullptr, 0, &info),
              ERR_NO_SUCH_ENTRY);
    // The name is free again, and a container emptied of its objects can go.
    ASSERT_EQ(add("Jane.Sales.Acme", kUserAnn), 0);
    EXPECT_EQ(textValues("Jane.Sales.Acme", "Surname"), std::vector<std::string>{"Smith"});
    for (const char* leaf : {"Robot.Lab.Engineering.Acme", "Tester.Lab.Engineering.Acme"})
        ASSERT_EQ(dir->NWDSRemoveObject(context, leaf), 0) << leaf;
    ASSERT_EQ(dir->NWDSRemoveObject(context, "Lab.Engineering.Acme"), 0);
    EXPECT_FALSE(listed("Engineering.Acme", "Lab"));
    ASSERT_EQ(dir->NWDSReadObjectInfo(context, "Engineering.Acme", nullptr, 0, &info), 0);
    EXPECT_EQ(info.subordinateCount, 3u);
}

TEST_F(ObjectWrites, RenameMovesTheNamingValueWithTheName) {
    ASSERT_EQ(dir->NWDSModifyRDN(context, "Jane.Sales.Acme", "Janet", true), 0);
    EXPECT_FALSE(listed("Sales.Acme", "Jane"));
    EXPECT_TRUE(listed("Sales.Acme", "Janet"));
    EXPECT_EQ(textValues("Janet.Sales.Acme", "CN"), std::vector<std::string>{"Janet"});
    // Keeping the old value; a change of case only is a rename too.
    ASSERT_EQ(dir->NWDSModifyRDN(context, "John.Sales.Acme", "Johnny", false), 0);
    EXPECT_EQ(textValues("Johnny.Sales.Acme", "CN"), (std::vector<std::string>{"John", "Johnny"}));
    ASSERT_EQ(dir->NWDSModifyRDN(context, "Mary.Sales.Acme", "MARY", true), 0);
    EXPECT_TRUE(listed("Sales.Acme", "MARY"));
}

TEST_F(ObjectWrites, EveryRenameRuleRefusesWithItsOwnCode) {
    const std::string sales = state("Sales.Acme");
    const std::string top = state("[Root]");
    const std::string longName(65, 'x');
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Jane.Sales.Acme", "John", true),
              ERR_ENTRY_ALREADY_EXISTS);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Nobody.Sales.Acme", "Jane2", true), ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Jane.Sales.Acme", "Jane.Acme", true),
              ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Jane.Sales.Acme", longName.c_str(), true),
              ERR_SYNTAX_VIOLATION);
    EXPECT_EQ(dir->NWDSModifyRDN(context, ROOT_NAME, "Top", true), ERR_INVALID_ENTRY_FOR_ROOT);
    // "C" holds one value: the old one cannot stay beside the new.
    EXPECT_EQ(dir->NWDSModifyRDN(context, "US", "GB", false), ERR_CANT_HAVE_MULTIPLE_VALUES);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "US", "USA", true), ERR_SYNTAX_VIOLATION);
    EXPECT_EQ(state("Sales.Acme"), sales);
    EXPECT_EQ(state("[Root]"), top);
}

TEST_F(ObjectWrites, MoveTakesTheSubtreeAlong) {
    ASSERT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Engineering.Acme", "Jane"), 0);
    EXPECT_FALSE(listed("Sales.Acme", "Jane"));
    EXPECT_TRUE(listed("Engineering.Acme", "Jane"));
    EXPECT_EQ(textValues("Jane.Engineering.Acme", "Surname").size(), 1u);

    ASSERT_EQ(dir->NWDSMoveObject(context, "Lab.Engineering.Acme", "Sales.Acme", "Lab"), 0);
    EXPECT_EQ(listAll("Lab.Sales.Acme"), (std::vector<std::string>{"Robot", "Tester"}));
    EXPECT_FALSE(listed("Engineering.Acme", "Lab"));
    // A new name in the destination is the object's naming value there.
    ASSERT_EQ(dir->NWDSMoveObject(context, "Robot.Lab.Sales.Acme", "Sales.Acme", "Robby"), 0);
    EXPECT_EQ(textValues("Robby.Sales.Acme", "CN"), std::vector<std::string>{"Robby"});
    // Relative to the name context, as the pages give it.
    setNameContext("Sales.Acme");
    ASSERT_EQ(dir->NWDSMoveObject(context, "John", "Engineering.Acme", "John"), 0);
    EXPECT_TRUE(listed("Engineering.Acme", "John"));
}

TEST_F(ObjectWrites, EveryMoveRuleRefusesWithItsOwnCode) {
    const std::string sales = state("Sales.Acme");
    const std::string engineering = state("Engineering.Acme");
    ASSERT_EQ(add("Jane.Engineering.Acme", kUserAnn), 0);
    const std::string withJane = state("Engineering.Acme");
    EXPECT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Engineering.Acme", "Jane"),
              ERR_ENTRY_ALREADY_EXISTS);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Nowhere.Acme", "Jane"),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Nobody.Sales.Acme", "Acme", "Nobody"),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Springfield.US", "Jane"),
              ERR_ILLEGAL_CONTAINMENT);
    EXPECT_EQ(
        dir->NWDSMoveObject(context, "Engineering.Acme", "Lab.Engineering.Acme", "Engineering"),
        ERR_INVALID_REQUEST);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Sales.Acme", "Sales.Acme", "Sales"),
              ERR_INVALID_REQUEST);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Acme", "Jane.Sales"),
              ERR_INVALID_OBJECT_NAME);
    EXPECT_EQ(dir->NWDSMoveObject(context, ROOT_NAME, "Acme", "Top"), ERR_INVALID_ENTRY_FOR_ROOT);
    EXPECT_EQ(state("Sales.Acme"), sales);
    EXPECT_EQ(state("Engineering.Acme"), withJane);
    EXPECT_NE(withJane, engineering);
}

TEST_F(ObjectWrites, WritesNeedTheEntryRightsOfTheLoggedInIdentity) {
    open("Guest.Acme");
    const std::string sales = state("Sales.Acme");
    EXPECT_EQ(add("Ann.Sales.Acme", kUserAnn), ERR_NO_ACCESS);
    EXPECT_EQ(dir->NWDSRemoveObject(context, "Jane.Sales.Acme"), ERR_NO_ACCESS);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Jane.Sales.Acme", "Janet", true), ERR_NO_ACCESS);
    EXPECT_EQ(dir->NWDSMoveObject(context, "Jane.Sales.Acme", "Engineering.Acme", "Jane"),
              ERR_NO_ACCESS);
    EXPECT_EQ(state("Sales.Acme"), sales);

    // Create, delete and rename below Engineering, browse only in its Lab.
    open("EngAdmin.Engineering.Acme");
    EXPECT_EQ(add("Ann.Engineering.Acme", kUserAnn), 0);
    EXPECT_EQ(dir->NWDSModifyRDN(context, "Ann.Engineering.Acme", "Anne", true), 0);
    EXPECT_EQ(add("Ann.Lab.Engineering.Acme", kUserAnn), ERR_NO_ACCESS);
    EXPECT_EQ(dir->NWDSRemoveObject(context, "Robot.Lab.Engineering.Acme"), ERR_NO_ACCESS);
    // Moving needs the object given up here and the right to create there.
    EXPECT_EQ(dir->NWDSMoveObject(context, "Anne.Engineering.Acme", "Lab.Engineering.Acme", "Anne"),
              ERR_NO_ACCESS);
    EXPECT_EQ(
        dir->NWDSMoveObject(context, "Tester.Lab.Engineering.Acme", "Engineering.Acme", "Tester"),
        ERR_NO_ACCESS);
    EXPECT_EQ(dir->NWDSRemoveObject(context, "Anne.Engineering.Acme"), 0);
}

TEST(ChildIndex, ErasedNamesAreGoneAndTheRestStayFound) {
    ChildIndex index;
    std::vector<std::string> labels;
    std::vector<bool> present;
    for (int i = 0; i < 500; ++i) {
        labels.push_back("Object" + std::to_string(i));
        present.push_back(true);
        index.insert(labels.back(), ChildIndex::Id(i));
    }
    auto same = [&](std::string_view wanted) {
        return [&, wanted](ChildIndex::Id id) {
            return present[id] && names::equalFolded(labels[id], wanted);
        };
    };
    for (int i = 0; i < 500; i += 3) {
        EXPECT_TRUE(index.erase(labels[i], ChildIndex::Id(i)));
        present[i] = false;
    }
    EXPECT_FALSE(index.erase(labels[0], 0));
    EXPECT_FALSE(index.erase("Object1", 2)); // the name filed under another id
    for (int i = 0; i < 500; ++i) {
        const auto found = index.find(labels[i], same(labels[i]));
        if (i % 3 == 0)
            EXPECT_FALSE(found) << labels[i];
        else
            EXPECT_EQ(found, ChildIndex::Id(i)) << labels[i];
    }
    index.insert("OBJECT0", 0);
    present[0] = true;
    EXPECT_EQ(index.find("object0", same("object0")), 0u);
}

} // namespace
