// Class, attribute and syntax definitions of the base schema through the seam.
#include "DemoFixture.h"

#include <array>
#include <map>
#include <set>

namespace {

struct ClassRead {
    std::string name;
    Class_Info_T info{};
    std::array<std::vector<std::string>, 5> lists;
};

} // namespace

class SchemaRead : public DemoDirectory {
protected:
    // The class walk of the schema pages: every definition with its five item lists.
    std::vector<ClassRead> readClasses(const std::vector<std::string>& only = {},
                                       int* passes = nullptr, NWDSCCODE* result = nullptr) {
        Buffer request(*dir), defs(*dir);
        if (!only.empty()) {
            EXPECT_EQ(dir->NWDSInitBuf(context, DSV_READ_CLASS_DEF, request), 0);
            for (const auto& n : only)
                EXPECT_EQ(dir->NWDSPutClassItem(context, request, n.c_str()), 0);
        }
        std::vector<ClassRead> out;
        std::int32_t it = NO_MORE_ITERATIONS;
        int n = 0;
        do {
            const NWDSCCODE rc =
                dir->NWDSReadClassDef(context, DS_INFO_DEFS, only.empty(), request, &it, defs);
            if (result != nullptr)
                *result = rc;
            if (rc != 0)
                return out;
            ++n;
            std::uint32_t count = 0;
            EXPECT_EQ(dir->NWDSGetClassDefCount(context, defs, &count), 0);
            for (std::uint32_t i = 0; i < count; ++i) {
                ClassRead c;
                char name[MAX_SCHEMA_NAME_BYTES];
                EXPECT_EQ(dir->NWDSGetClassDef(context, defs, name, sizeof name, &c.info), 0);
                c.name = name;
                for (auto& list : c.lists) {
                    std::uint32_t items = 0;
                    EXPECT_EQ(dir->NWDSGetClassItemCount(context, defs, &items), 0);
                    for (std::uint32_t k = 0; k < items; ++k) {
                        char item[MAX_SCHEMA_NAME_BYTES];
                        EXPECT_EQ(dir->NWDSGetClassItem(context, defs, item, sizeof item), 0);
                        list.push_back(item);
                    }
                }
                out.push_back(std::move(c));
            }
        } while (it != NO_MORE_ITERATIONS);
        if (passes != nullptr)
            *passes = n;
        return out;
    }
};

TEST_F(SchemaRead, FullClassReadTakesSeveralPassesAndDeliversEveryClassOnce) {
    int passes = 0;
    const auto classes = readClasses({}, &passes);
    EXPECT_GT(passes, 1);
    const auto& schema = dir->model().schema();
    ASSERT_EQ(classes.size(), schema.classes().size());
    for (std::size_t i = 0; i < classes.size(); ++i)
        EXPECT_EQ(classes[i].name, schema.classes()[i]->name);

    std::map<std::string, ClassRead> byName;
    for (const auto& c : classes)
        byName[c.name] = c;
    for (const char* icon : {"User",
                             "Organization",
                             "Organizational Unit",
                             "Group",
                             "NCP Server",
                             "Volume",
                             "AFP Server",
                             "Computer",
                             "Organizational Role",
                             "Directory Map",
                             "Alias",
                             "Application (DOS)",
                             "Application (Windows NT)",
                             "Application (Windows 95)",
                             "Application (Windows 3.x)",
                             "Queue",
                             "Printer",
                             "Print Server",
                             "Bindery Object",
                             "Locality",
                             "Country",
                             "Profile",
                             "Bindery Group",
                             "Top",
                             "Template"})
        EXPECT_EQ(byName.count(icon), 1u) << icon;

    const ClassRead& user = byName["User"];
    EXPECT_EQ(user.lists[0],
              (std::vector<std::string>{"Organizational Person", "ndsLoginProperties"}));
    EXPECT_EQ(user.info.classFlags, DS_EFFECTIVE_CLASS | DS_NONREMOVABLE_CLASS);
    EXPECT_GT(user.info.asn1ID.length, 0u);
    const ClassRead& person = byName["Person"];
    EXPECT_EQ(person.lists[1], (std::vector<std::string>{"Organization", "Organizational Unit"}));
    EXPECT_EQ(person.lists[2], (std::vector<std::string>{"CN"}));
    EXPECT_EQ(person.lists[3], (std::vector<std::string>{"CN", "Surname"}));
    EXPECT_FALSE(person.lists[4].empty());
    const ClassRead& ou = byName["Organizational Unit"];
    EXPECT_EQ(ou.info.classFlags, DS_CONTAINER_CLASS | DS_EFFECTIVE_CLASS | DS_NONREMOVABLE_CLASS);
    EXPECT_TRUE(byName["Locality"].info.classFlags & DS_AMBIGUOUS_NAMING);
    EXPECT_TRUE(byName["Alias"].info.classFlags & DS_AMBIGUOUS_CONTAINMENT);
    const ClassRead& top = byName["Top"];
    EXPECT_TRUE(top.lists[0].empty());
    EXPECT_TRUE(top.lists[1].empty());
    EXPECT_EQ(top.lists[3], (std::vector<std::string>{"Object Class"}));
    EXPECT_EQ(top.lists[4].front(), "ACL");
}

TEST_F(SchemaRead, ItemsLeftUntakenAreSkipped) {
    Buffer defs(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    std::vector<std::string> names;
    do {
        ASSERT_EQ(dir->NWDSReadClassDef(context, DS_INFO_DEFS, true, nullptr, &it, defs), 0);
        std::uint32_t count = 0;
        ASSERT_EQ(dir->NWDSGetClassDefCount(context, defs, &count), 0);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES];
            ASSERT_EQ(dir->NWDSGetClassDef(context, defs, name, sizeof name, nullptr), 0);
            names.push_back(name);
            if (i % 2 == 0) { // take only the super classes of every other class
                std::uint32_t items = 0;
                ASSERT_EQ(dir->NWDSGetClassItemCount(context, defs, &items), 0);
            }
        }
    } while (it != NO_MORE_ITERATIONS);
    EXPECT_EQ(names.size(), dir->model().schema().classes().size());
}

TEST_F(SchemaRead, SingleClassReadsAndNamesOnly) {
    const auto one = readClasses({"user"});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].name, "User");
    EXPECT_NE(std::find(one[0].lists[4].begin(), one[0].lists[4].end(), "Photo"),
              one[0].lists[4].end());

    NWDSCCODE rc = 0;
    readClasses({"User", "Gadget"}, nullptr, &rc);
    EXPECT_EQ(rc, ERR_NO_SUCH_CLASS);

    Buffer defs(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    ASSERT_EQ(dir->NWDSReadClassDef(context, DS_INFO_NAMES, true, nullptr, &it, defs), 0);
    EXPECT_EQ(it, NO_MORE_ITERATIONS); // names alone fit in one buffer
    char name[MAX_SCHEMA_NAME_BYTES];
    Class_Info_T info{};
    info.classFlags = 0xFF;
    ASSERT_EQ(dir->NWDSGetClassDef(context, defs, name, sizeof name, &info), 0);
    EXPECT_STREQ(name, "Top");
    EXPECT_EQ(info.classFlags, 0u);
    std::uint32_t items = 0;
    EXPECT_EQ(dir->NWDSGetClassItemCount(context, defs, &items), ERR_BUFFER_EMPTY);
}

TEST_F(SchemaRead, ClassesAddedToTheModelAreRead) {
    ClassDefinition gadget;
    gadget.name = "Gadget";
    gadget.flags = DS_EFFECTIVE_CLASS;
    gadget.lists[ClassDefinition::SuperClasses] = {"Device"};
    gadget.lists[ClassDefinition::Optional] = {"Telephone Number"};
    ASSERT_EQ(dir->model().addClass(gadget), 0);
    EXPECT_EQ(dir->model().addClass(gadget), ERR_CLASS_ALREADY_EXISTS);
    gadget.name = "Widget";
    gadget.lists[ClassDefinition::Optional] = {"No Such Attribute"};
    EXPECT_EQ(dir->model().addClass(gadget), ERR_NO_SUCH_ATTRIBUTE);

    const auto classes = readClasses();
    ASSERT_EQ(classes.back().name, "Gadget");
    EXPECT_EQ(classes.back().lists[0], (std::vector<std::string>{"Device"}));
    EXPECT_EQ(dir->model().addObject("Acme", "G1", "Gadget"), 0);
}

TEST_F(SchemaRead, AttributeDefinitionsWithFlagsAndBounds) {
    Buffer defs(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    std::map<std::string, Attr_Info_T> attrs;
    int passes = 0;
    do {
        ASSERT_EQ(dir->NWDSReadAttrDef(context, DS_INFO_DEFS, true, nullptr, &it, defs), 0);
        ++passes;
        std::uint32_t count = 0;
        ASSERT_EQ(dir->NWDSGetAttrCount(context, defs, &count), 0);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES];
            Attr_Info_T info{};
            ASSERT_EQ(dir->NWDSGetAttrDef(context, defs, name, sizeof name, &info), 0);
            attrs[name] = info;
        }
    } while (it != NO_MORE_ITERATIONS);
    EXPECT_GT(passes, 1);
    EXPECT_EQ(attrs.size(), dir->model().schema().attributes().size());

    std::set<std::uint32_t> syntaxes;
    std::uint32_t flagsSeen = 0;
    for (const auto& [name, info] : attrs) {
        syntaxes.insert(info.attrSyntaxID);
        flagsSeen |= info.attrFlags;
    }
    for (std::uint32_t s = SYN_DIST_NAME; s <= SYN_INTERVAL; ++s)
        EXPECT_EQ(syntaxes.count(s), 1u) << s;
    EXPECT_EQ(flagsSeen, 0x07FFu); // every flag bit is in use somewhere

    const Attr_Info_T& conns = attrs["Supported Connections"];
    EXPECT_EQ(conns.attrFlags, DS_SINGLE_VALUED_ATTR | DS_SIZED_ATTR);
    EXPECT_EQ(conns.attrLower, 0u);
    EXPECT_EQ(conns.attrUpper, 4294967295u);
    EXPECT_EQ(attrs["Telephone Number"].attrSyntaxID, SYN_TEL_NUMBER);
    EXPECT_EQ(attrs["Telephone Number"].attrUpper, 32u);
    EXPECT_EQ(attrs["ACL"].attrSyntaxID, SYN_OBJECT_ACL);
    EXPECT_TRUE(attrs["Private Key"].attrFlags & DS_HIDDEN_ATTR);
    EXPECT_TRUE(attrs["Network Address"].attrFlags & DS_PUBLIC_READ);
    EXPECT_EQ(attrs["Badge Record"].attrSyntaxID, 31u);

    // One named attribute, names only.
    Buffer request(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, request), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, request, "Surname"), 0);
    ASSERT_EQ(dir->NWDSReadAttrDef(context, DS_INFO_NAMES, false, request, &it, defs), 0);
    std::uint32_t count = 0;
    ASSERT_EQ(dir->NWDSGetAttrCount(context, defs, &count), 0);
    ASSERT_EQ(count, 1u);
    char name[MAX_SCHEMA_NAME_BYTES];
    ASSERT_EQ(dir->NWDSGetAttrDef(context, defs, name, sizeof name, nullptr), 0);
    EXPECT_STREQ(name, "Surname");
    ASSERT_EQ(dir->NWDSPutAttrName(context, request, "Nothing"), 0);
    EXPECT_EQ(dir->NWDSReadAttrDef(context, DS_INFO_DEFS, false, request, &it, defs),
              ERR_NO_SUCH_ATTRIBUTE);
}

TEST_F(SchemaRead, SyntaxNamesAndDefinitions) {
    static const char* const tableB[] = {"Unknown",
                                         "Distinguished Name",
                                         "Case Exact String",
                                         "Case Ignore String",
                                         "Printable String",
                                         "Numeric String",
                                         "Case Ignore List",
                                         "Boolean",
                                         "Integer",
                                         "Octet String",
                                         "Telephone Number",
                                         "Facsimile Telephone Number",
                                         "Net Address",
                                         "Octet List",
                                         "EMail Address",
                                         "Path",
                                         "Replica Pointer",
                                         "Object ACL",
                                         "Postal Address",
                                         "Timestamp",
                                         "Class Name",
                                         "Stream",
                                         "Counter",
                                         "Back Link",
                                         "Time",
                                         "Typed Name",
                                         "Hold",
                                         "Interval"};
    Buffer defs(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    std::vector<std::pair<std::uint32_t, std::string>> syntaxes;
    do {
        ASSERT_EQ(dir->NWDSReadSyntaxes(context, DS_INFO_NAMES, true, nullptr, &it, defs), 0);
        std::uint32_t count = 0;
        ASSERT_EQ(dir->NWDSGetSyntaxCount(context, defs, &count), 0);
        for (std::uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES];
            Syntax_Info_T def{};
            ASSERT_EQ(dir->NWDSGetSyntaxDef(context, defs, name, sizeof name, &def), 0);
            EXPECT_STREQ(def.defStr, name);
            syntaxes.emplace_back(def.ID, name);
        }
    } while (it != NO_MORE_ITERATIONS);
    ASSERT_EQ(syntaxes.size(), 29u);
    for (std::uint32_t id = 0; id < 28; ++id)
        EXPECT_EQ(syntaxes[id], std::make_pair(id, std::string(tableB[id])));
    EXPECT_EQ(syntaxes[28].first, 31u);

    std::uint32_t id = 0;
    ASSERT_EQ(dir->NWDSGetSyntaxID(context, "telephone number", &id), 0);
    EXPECT_EQ(id, SYN_TEL_NUMBER);
    EXPECT_EQ(dir->NWDSGetSyntaxID(context, "Nothing", &id), ERR_NO_SUCH_ATTRIBUTE);
    Syntax_Info_T def{};
    ASSERT_EQ(dir->NWDSReadSyntaxDef(context, SYN_EMAIL_ADDRESS, &def), 0);
    EXPECT_EQ(def.ID, SYN_EMAIL_ADDRESS);
    EXPECT_STREQ(reinterpret_cast<const char*>(&def) + 4, "EMail Address");
    ASSERT_EQ(dir->NWDSReadSyntaxDef(context, 31, &def), 0);
    EXPECT_STREQ(def.defStr, "Acme Badge Record");
    EXPECT_EQ(dir->NWDSReadSyntaxDef(context, SYNTAX_COUNT, &def), ERR_BAD_SYNTAX);
    EXPECT_EQ(dir->NWDSReadSyntaxDef(context, SYN_TIME, nullptr), ERR_NULL_POINTER);
}
