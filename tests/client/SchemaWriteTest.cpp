// Schema changes through the seam: every rule the directory applies to a new, extended or
// removed definition, the rights it asks for, and that a refused change changes nothing.
#include "DemoFixture.h"
#include "client/common/ValueText.h"

#include <array>

namespace {

using Lists = std::array<std::vector<std::string>, 5>;

Attr_Info_T attrInfo(std::uint32_t flags, std::uint32_t syntax, std::uint32_t lower = 0,
                     std::uint32_t upper = 0) {
    Attr_Info_T info{};
    info.attrFlags = flags;
    info.attrSyntaxID = syntax;
    info.attrLower = lower;
    info.attrUpper = upper;
    return info;
}

// What the schema holds, to show that a refused change left it as it was.
struct SchemaShape {
    std::vector<std::string> classes, attributes;
    std::vector<Lists> lists;
    bool operator==(const SchemaShape&) const = default;
};

} // namespace

class SchemaWriteTest : public DemoDirectory {
protected:
    Schema& schema() { return dir->model().schema(); }

    SchemaShape shape() {
        SchemaShape s;
        for (const auto& c : schema().classes()) {
            s.classes.push_back(c->name);
            s.lists.push_back(c->lists);
        }
        for (const auto& a : schema().attributes())
            s.attributes.push_back(a->name);
        return s;
    }

    NWDSCCODE defineAttr(const std::string& name, const Attr_Info_T& info) {
        return dir->NWDSDefineAttr(context, name.c_str(), &info);
    }

    // The define-class request as a page builds it: all five lists opened, in order.
    NWDSCCODE defineClass(const std::string& name, std::uint32_t flags, const Lists& lists,
                          std::uint32_t operation = DSV_DEFINE_CLASS) {
        Buffer request(*dir);
        EXPECT_EQ(dir->NWDSInitBuf(context, operation, request), 0);
        // The puts into a buffer prepared for another operation are not this test's subject.
        const bool fitting = operation == DSV_DEFINE_CLASS;
        for (const auto& list : lists) {
            const NWDSCCODE begun = dir->NWDSBeginClassItem(context, request);
            EXPECT_TRUE(begun == 0 || !fitting);
            for (const auto& item : list) {
                const NWDSCCODE put = dir->NWDSPutClassItem(context, request, item.c_str());
                EXPECT_TRUE(put == 0 || !fitting);
            }
        }
        Class_Info_T info{};
        info.classFlags = flags;
        return dir->NWDSDefineClass(context, name.c_str(), &info, request);
    }

    NWDSCCODE modifyClass(const std::string& name, const std::vector<std::string>& optional,
                          std::uint32_t operation = DSV_MODIFY_CLASS_DEF) {
        Buffer request(*dir);
        EXPECT_EQ(dir->NWDSInitBuf(context, operation, request), 0);
        for (const auto& item : optional) {
            const NWDSCCODE put = dir->NWDSPutClassItem(context, request, item.c_str());
            EXPECT_TRUE(put == 0 || operation != DSV_MODIFY_CLASS_DEF);
        }
        return dir->NWDSModifyClass(context, name.c_str(), request);
    }

    // The whole definition of one class as the single class read gives it.
    NWDSCCODE readClass(const std::string& name, std::uint32_t& flags, Lists& lists) {
        Buffer request(*dir);
        Buffer result(*dir);
        EXPECT_EQ(dir->NWDSInitBuf(context, DSV_READ_CLASS_DEF, request), 0);
        EXPECT_EQ(dir->NWDSPutClassItem(context, request, name.c_str()), 0);
        std::int32_t it = NO_MORE_ITERATIONS;
        if (auto rc = dir->NWDSReadClassDef(context, DS_INFO_DEFS, false, request, &it, result);
            rc != 0)
            return rc;
        std::uint32_t count = 0;
        EXPECT_EQ(dir->NWDSGetClassDefCount(context, result, &count), 0);
        EXPECT_EQ(count, 1u);
        char text[MAX_SCHEMA_NAME_BYTES];
        Class_Info_T info{};
        EXPECT_EQ(dir->NWDSGetClassDef(context, result, text, sizeof text, &info), 0);
        flags = info.classFlags;
        for (auto& list : lists) {
            std::uint32_t items = 0;
            EXPECT_EQ(dir->NWDSGetClassItemCount(context, result, &items), 0);
            list.clear();
            for (std::uint32_t i = 0; i < items; ++i) {
                EXPECT_EQ(dir->NWDSGetClassItem(context, result, text, sizeof text), 0);
                list.emplace_back(text);
            }
        }
        return 0;
    }

    // Replaces every ACL value of "[Root]" with the given ones (text form).
    void setRootAcl(const std::vector<std::string>& values) {
        DirectoryModel& model = dir->model();
        Entry& root = model.objects().root();
        const AttributeDefinition* acl = model.aclDefinition();
        ASSERT_NE(acl, nullptr);
        if (AttributeValues* a = root.find(acl))
            a->values.clear();
        ASSERT_EQ(model.addTextValues(kRootEntry, {acl->name, values}, valuetext::PlainNames()), 0);
        model.changed();
    }

    static Lists widgetLists() {
        return {{{"Top"},
                 {"Organizational Unit", "Widget"},
                 {"CN"},
                 {"CN"},
                 {"Description", "Telephone Number"}}};
    }
};

TEST_F(SchemaWriteTest, ADefinedAttributeIsReadBackWithItsFlagsSyntaxAndBounds) {
    ASSERT_EQ(defineAttr("Shoe Size", attrInfo(DS_SIZED_ATTR | DS_SINGLE_VALUED_ATTR, SYN_INTEGER,
                                               0, 0xFFFFFFFF)),
              0);
    std::uint32_t syntax = 0;
    EXPECT_EQ(dir->NWDSGetSyntaxID(context, "shoe size", &syntax), 0);
    EXPECT_EQ(syntax, std::uint32_t(SYN_INTEGER));
    const AttributeDefinition* def = schema().findAttribute("Shoe Size");
    ASSERT_NE(def, nullptr);
    EXPECT_EQ(def->flags, std::uint32_t(DS_SIZED_ATTR | DS_SINGLE_VALUED_ATTR));
    EXPECT_EQ(def->lower, 0u);
    EXPECT_EQ(def->upper, 0xFFFFFFFFu);
    EXPECT_FALSE(def->base);
    // Equal bounds are allowed.
    EXPECT_EQ(defineAttr("Exact Size", attrInfo(DS_SIZED_ATTR, SYN_INTEGER, 7, 7)), 0);
}

TEST_F(SchemaWriteTest, AttributeDefinitionsBreakingARuleAreRefusedWithTheirOwnCode) {
    const SchemaShape before = shape();
    struct Case {
        const char* name;
        Attr_Info_T info;
        NWDSCCODE expected;
    };
    const Case cases[] = {
        {"cn", attrInfo(0, SYN_CI_STRING), ERR_ATTRIBUTE_ALREADY_EXISTS},
        {"Fresh", attrInfo(0, SYN_UNKNOWN), ERR_BAD_SYNTAX},
        {"Fresh", attrInfo(0, 99), ERR_BAD_SYNTAX},
        {"Fresh", attrInfo(0, SYN_INTEGER, 1, 5), ERR_BOUNDS_NOT_SIZED},
        {"Fresh", attrInfo(0, SYN_INTEGER, 0, 5), ERR_BOUNDS_NOT_SIZED},
        {"Fresh", attrInfo(DS_SIZED_ATTR, SYN_INTEGER, 6, 5), ERR_LOWER_ABOVE_UPPER},
        {"Fresh", attrInfo(0x0800, SYN_INTEGER), ERR_INVALID_REQUEST},
        {"", attrInfo(0, SYN_INTEGER), ERR_INVALID_REQUEST},
        {"An attribute name that is far too long", attrInfo(0, SYN_INTEGER), ERR_NAME_TOO_LONG},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defineAttr(c.name, c.info), c.expected) << c.name << " " << c.info.attrSyntaxID;
    EXPECT_EQ(dir->NWDSDefineAttr(context, "Fresh", nullptr), ERR_NULL_POINTER);
    EXPECT_EQ(dir->NWDSDefineAttr(context + 100, "Fresh", nullptr), ERR_BAD_CONTEXT);
    EXPECT_EQ(shape(), before);
}

TEST_F(SchemaWriteTest, AClassIsDefinedFromTheFiveListsAndTakesObjects) {
    ASSERT_EQ(defineClass("Widget", DS_CONTAINER_CLASS | DS_EFFECTIVE_CLASS, widgetLists()), 0);
    std::uint32_t flags = 0;
    Lists lists;
    ASSERT_EQ(readClass("Widget", flags, lists), 0);
    EXPECT_EQ(flags, 0x03u);
    EXPECT_EQ(lists, widgetLists());

    // Empty lists but the super class are taken as empty; naming comes from the super class.
    ASSERT_EQ(defineClass("Gadget", DS_EFFECTIVE_CLASS, {{{"Widget"}, {}, {}, {}, {}}}), 0);
    ASSERT_EQ(readClass("Gadget", flags, lists), 0);
    EXPECT_EQ(lists, (Lists{{{"Widget"}, {}, {}, {}, {}}}));

    // Objects of the new classes can be placed where their containment allows.
    EXPECT_EQ(
        dir->model().addObject("Sales.Acme", "W1", "Widget", {{"Description", {"first widget"}}}),
        0);
    EXPECT_EQ(dir->model().addObject("W1.Sales.Acme", "W2", "Widget"), 0);
    EXPECT_EQ(dir->model().addObject("W2.W1.Sales.Acme", "G1", "Gadget"), 0);
    EXPECT_EQ(dir->model().addObject("Acme", "W3", "Widget"), ERR_ILLEGAL_CONTAINMENT);
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("W1.Sales.Acme", attrs), 0);
    ASSERT_NE(find(attrs, "Description"), nullptr);
    EXPECT_STREQ(find(attrs, "Description")->values.at(0).text(), "first widget");
}

TEST_F(SchemaWriteTest, ClassDefinitionsBreakingARuleAreRefusedWithTheirOwnCode) {
    const SchemaShape before = shape();
    struct Case {
        const char* why;
        std::string name;
        std::uint32_t flags;
        Lists lists;
        NWDSCCODE expected;
    };
    const Case cases[] = {
        {"name taken", "user", 0, {{{"Top"}, {}, {}, {}, {}}}, ERR_CLASS_ALREADY_EXISTS},
        {"no super class", "Fresh", 0, {}, ERR_NO_SUCH_CLASS},
        {"undefined super class", "Fresh", 0, {{{"Nothing"}, {}, {}, {}, {}}}, ERR_NO_SUCH_CLASS},
        {"itself as super class", "Fresh", 0, {{{"Fresh"}, {}, {}, {}, {}}}, ERR_NO_SUCH_CLASS},
        {"undefined containment",
         "Fresh",
         0,
         {{{"Top"}, {"Nothing"}, {}, {}, {}}},
         ERR_NO_SUCH_CLASS},
        {"containment not a container",
         "Fresh",
         0,
         {{{"Top"}, {"User"}, {}, {}, {}}},
         ERR_ILLEGAL_CONTAINMENT},
        {"itself as containment, not a container",
         "Fresh",
         0,
         {{{"Top"}, {"Fresh"}, {}, {}, {}}},
         ERR_ILLEGAL_CONTAINMENT},
        {"undefined naming attribute",
         "Fresh",
         0,
         {{{"Top"}, {}, {"Nothing"}, {}, {}}},
         ERR_NO_SUCH_ATTRIBUTE},
        {"undefined mandatory attribute",
         "Fresh",
         0,
         {{{"Top"}, {}, {}, {"Nothing"}, {}}},
         ERR_NO_SUCH_ATTRIBUTE},
        {"undefined optional attribute",
         "Fresh",
         0,
         {{{"Top"}, {}, {}, {}, {"Nothing"}}},
         ERR_NO_SUCH_ATTRIBUTE},
        {"mandatory twice",
         "Fresh",
         0,
         {{{"Top"}, {}, {}, {"CN", "cn"}, {}}},
         ERR_DUPLICATE_MANDATORY},
        {"optional and mandatory",
         "Fresh",
         0,
         {{{"Top"}, {}, {}, {"CN"}, {"CN"}}},
         ERR_DUPLICATE_OPTIONAL},
        {"undefined flag", "Fresh", 0x20, {{{"Top"}, {}, {}, {}, {}}}, ERR_INVALID_REQUEST},
        {"empty name", "", 0, {{{"Top"}, {}, {}, {}, {}}}, ERR_INVALID_REQUEST},
    };
    for (const auto& c : cases)
        EXPECT_EQ(defineClass(c.name, c.flags, c.lists), c.expected) << c.why;
    // A request prepared for another operation, and no class information.
    EXPECT_EQ(defineClass("Fresh", 0, {{{"Top"}, {}, {}, {}, {}}}, DSV_READ_CLASS_DEF),
              ERR_BAD_VERB);
    Buffer request(*dir);
    EXPECT_EQ(dir->NWDSDefineClass(context, "Fresh", nullptr, request), ERR_NULL_POINTER);
    EXPECT_EQ(shape(), before);
}

TEST_F(SchemaWriteTest, ModifyAddsOptionalAttributesOrNothing) {
    ASSERT_EQ(defineAttr("Shoe Size", attrInfo(0, SYN_INTEGER)), 0);
    ASSERT_EQ(defineAttr("Hat Size", attrInfo(0, SYN_INTEGER)), 0);
    // A base class may be extended.
    ASSERT_EQ(modifyClass("user", {"shoe size"}), 0);
    std::uint32_t flags = 0;
    Lists lists;
    ASSERT_EQ(readClass("User", flags, lists), 0);
    EXPECT_EQ(lists[ClassDefinition::Optional].back(), "Shoe Size");

    const SchemaShape before = shape();
    EXPECT_EQ(modifyClass("Nothing", {"Hat Size"}), ERR_NO_SUCH_CLASS);
    EXPECT_EQ(modifyClass("User", {"Hat Size", "Nothing"}), ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(modifyClass("User", {"Hat Size", "hat size"}), ERR_DUPLICATE_OPTIONAL);
    EXPECT_EQ(modifyClass("User", {"Hat Size", "Shoe Size"}), ERR_DUPLICATE_OPTIONAL);
    // Already there through a super class (mandatory in Top, optional in Person).
    EXPECT_EQ(modifyClass("User", {"Object Class"}), ERR_DUPLICATE_OPTIONAL);
    EXPECT_EQ(modifyClass("User", {"Hat Size"}, DSV_DEFINE_CLASS), ERR_BAD_VERB);
    EXPECT_EQ(modifyClass("", {"Hat Size"}), ERR_INVALID_REQUEST);
    EXPECT_EQ(shape(), before);
}

TEST_F(SchemaWriteTest, AttributeRemovalRefusesBaseAndUsedDefinitions) {
    ASSERT_EQ(defineAttr("Shoe Size", attrInfo(0, SYN_INTEGER)), 0);
    ASSERT_EQ(defineAttr("Hat Size", attrInfo(0, SYN_CI_STRING)), 0);
    ASSERT_EQ(defineAttr("Fixed", attrInfo(DS_NONREMOVABLE_ATTR, SYN_INTEGER)), 0);
    ASSERT_EQ(defineAttr("Spare", attrInfo(0, SYN_INTEGER)), 0);
    ASSERT_EQ(modifyClass("User", {"Shoe Size"}), 0);
    // Held by an object without any class listing it.
    auto jane = dir->model().find("Jane.Sales.Acme");
    ASSERT_TRUE(jane);
    ASSERT_EQ(dir->model().addTextValues(*jane, {"Hat Size", {"large"}}, valuetext::PlainNames()),
              0);

    const SchemaShape before = shape();
    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "CN"), ERR_SCHEMA_IS_NONREMOVABLE);
    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "Fixed"), ERR_SCHEMA_IS_NONREMOVABLE);
    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "Shoe Size"), ERR_SCHEMA_IS_IN_USE);
    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "Hat Size"), ERR_SCHEMA_IS_IN_USE);
    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "Nothing"), ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(shape(), before);

    const auto use = dir->model().attributeUse(*schema().findAttribute("Hat Size"));
    EXPECT_TRUE(use.classes.empty());
    EXPECT_EQ(use.objects, 1u);
    EXPECT_EQ(dir->model().attributeUse(*schema().findAttribute("Shoe Size")).classes,
              std::vector<std::string>{"User"});

    EXPECT_EQ(dir->NWDSRemoveAttrDef(context, "spare"), 0);
    EXPECT_EQ(schema().findAttribute("Spare"), nullptr);
    std::uint32_t syntax = 0;
    EXPECT_EQ(dir->NWDSGetSyntaxID(context, "Spare", &syntax), ERR_NO_SUCH_ATTRIBUTE);
    // The name is free again.
    EXPECT_EQ(defineAttr("Spare", attrInfo(0, SYN_BOOLEAN)), 0);
}

TEST_F(SchemaWriteTest, ClassRemovalRefusesBaseClassesAndClassesInUse) {
    ASSERT_EQ(defineClass("Widget", DS_CONTAINER_CLASS | DS_EFFECTIVE_CLASS, widgetLists()), 0);
    ASSERT_EQ(defineClass("Gadget", DS_EFFECTIVE_CLASS, {{{"Widget"}, {}, {}, {}, {}}}), 0);
    ASSERT_EQ(defineClass("Holder", DS_CONTAINER_CLASS, {{{"Top"}, {"Organization"}, {}, {}, {}}}),
              0);
    ASSERT_EQ(defineClass("Held", 0, {{{"Top"}, {"Holder"}, {}, {}, {}}}), 0);
    ASSERT_EQ(defineClass("Used", DS_EFFECTIVE_CLASS,
                          {{{"Top"}, {"Organizational Unit"}, {"CN"}, {}, {}}}),
              0);
    ASSERT_EQ(dir->model().addObject("Sales.Acme", "U1", "Used"), 0);

    const SchemaShape before = shape();
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "User"), ERR_SCHEMA_IS_NONREMOVABLE);
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Widget"), ERR_SCHEMA_IS_IN_USE); // a subclass
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Holder"), ERR_SCHEMA_IS_IN_USE); // containment
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Used"), ERR_SCHEMA_IS_IN_USE);   // an instance
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Nothing"), ERR_NO_SUCH_CLASS);
    EXPECT_EQ(shape(), before);
    EXPECT_EQ(dir->model().classUse(*schema().findClass("Used")).objects, 1u);
    EXPECT_EQ(dir->model().classUse(*schema().findClass("Widget")).classes,
              std::vector<std::string>{"Gadget"});

    // Removed from the bottom up; a removed class is gone from the reads.
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "gadget"), 0);
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Widget"), 0);
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Held"), 0);
    EXPECT_EQ(dir->NWDSRemoveClassDef(context, "Holder"), 0);
    std::uint32_t flags = 0;
    Lists lists;
    EXPECT_EQ(readClass("Widget", flags, lists), ERR_NO_SUCH_CLASS);
    // A class of the same name can be defined again, an alias class this time.
    ASSERT_EQ(defineClass("Widget", DS_EFFECTIVE_CLASS, {{{"Alias"}, {}, {}, {}, {}}}), 0);
    EXPECT_TRUE(dir->model().isAliasClass(schema().findClass("Widget")));
}

TEST_F(SchemaWriteTest, OnlyTheSupervisorOfRootChangesTheSchema) {
    const auto tryEverything = [&] {
        std::vector<NWDSCCODE> codes;
        codes.push_back(defineAttr("Shoe Size", attrInfo(0, SYN_INTEGER)));
        codes.push_back(dir->NWDSRemoveAttrDef(context, "Shoe Size"));
        codes.push_back(defineClass("Widget", 0, {{{"Top"}, {}, {}, {}, {}}}));
        codes.push_back(modifyClass("Widget", {"Description"}));
        codes.push_back(dir->NWDSRemoveClassDef(context, "Widget"));
        return codes;
    };
    const std::vector<NWDSCCODE> refused(5, ERR_NO_ACCESS);

    open("Guest.Acme");
    const SchemaShape before = shape();
    EXPECT_EQ(tryEverything(), refused);
    EXPECT_EQ(shape(), before);

    // Every entry right but supervisor is not enough; supervisor alone is.
    open("Mary.Sales.Acme");
    setRootAcl({"47#subtree#Mary.Sales.Acme#[Entry Rights]"});
    EXPECT_EQ(tryEverything(), refused);
    open("Mary.Sales.Acme");
    setRootAcl({"16#entry#Mary.Sales.Acme#[Entry Rights]"});
    EXPECT_EQ(tryEverything(), std::vector<NWDSCCODE>(5, 0));
}
