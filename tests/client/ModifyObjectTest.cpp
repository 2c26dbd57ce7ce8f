#include "DemoFixture.h"

#include <cstring>
#include <string>
#include <vector>

// NWDSModifyObject of the embedded directory at the seam: each rule with its own code, and a
// request that breaks any rule changes nothing.
namespace {

struct ChangeSpec {
    std::uint32_t type;
    std::string attr;
    std::uint32_t syntax = SYN_CI_STRING;
    std::vector<std::string> texts; // string values
    const void* record = nullptr;   // or one value record
};

class ModifyObjectTest : public DemoDirectory {
protected:
    NWDSCCODE modify(const std::string& object, const std::vector<ChangeSpec>& changes) {
        Buffer request(*dir);
        EXPECT_EQ(dir->NWDSInitBuf(context, DSV_MODIFY_ENTRY, request), 0);
        for (const ChangeSpec& c : changes) {
            EXPECT_EQ(dir->NWDSPutChange(context, request, c.type, c.attr.c_str()), 0);
            for (const std::string& text : c.texts) {
                EXPECT_EQ(dir->NWDSPutAttrVal(context, request, c.syntax, text.c_str()), 0);
            }
            if (c.record != nullptr) {
                EXPECT_EQ(dir->NWDSPutAttrVal(context, request, c.syntax, c.record), 0);
            }
        }
        return dir->NWDSModifyObject(context, object.c_str(), nullptr, false, request);
    }

    std::vector<std::string> texts(const std::string& object, const std::string& attr) {
        std::vector<ReadAttribute> attrs;
        std::vector<std::string> out;
        if (read(object, attrs) != 0)
            return out;
        if (const ReadAttribute* a = find(attrs, attr)) {
            for (const auto& v : a->values)
                out.emplace_back(v.text());
        }
        return out;
    }
};

using Texts = std::vector<std::string>;

TEST_F(ModifyObjectTest, changesOfEveryKindApplyInOrder) {
    ASSERT_EQ(
        modify("Admin.Acme", {{DS_ADD_VALUE, "Title", SYN_CI_STRING, {"Chief"}},
                              {DS_ADDITIONAL_VALUE, "Title", SYN_CI_STRING, {"chief", "Boss"}},
                              {DS_REMOVE_VALUE, "Title", SYN_CI_STRING, {"ADMINISTRATOR"}},
                              {DS_ADD_ATTRIBUTE, "Generational Qualifier", SYN_CI_STRING, {"Jr"}},
                              {DS_OVERWRITE_VALUE, "Generational Qualifier", SYN_CI_STRING, {"Sr"}},
                              {DS_REMOVE_ATTRIBUTE, "Full Name"}}),
        0);
    EXPECT_EQ(texts("Admin.Acme", "Title"), (Texts{"Chief", "Boss"}));
    EXPECT_EQ(texts("Admin.Acme", "Generational Qualifier"), Texts{"Sr"});
    EXPECT_EQ(texts("Admin.Acme", "Full Name"), Texts{});
}

TEST_F(ModifyObjectTest, recordValuesAreStoredAsPut) {
    std::uint8_t bytes[4] = {0xC0, 0xA8, 0x00, 0x01};
    Net_Address_T address{1, 4, bytes};
    char subject[] = "Guest.Acme";
    char protectedAttr[] = "[Entry Rights]";
    Object_ACL_T acl{protectedAttr, subject, DS_ENTRY_BROWSE | DS_ENTRY_RENAME};
    ASSERT_EQ(
        modify("Admin.Acme", {{DS_ADD_ATTRIBUTE, "Network Address", SYN_NET_ADDRESS, {}, &address},
                              {DS_ADD_VALUE, "ACL", SYN_OBJECT_ACL, {}, &acl}}),
        0);
    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Admin.Acme", attrs), 0);
    const ReadAttribute* net = find(attrs, "Network Address");
    ASSERT_TRUE(net && net->values.size() == 1);
    const auto& stored = net->values[0].as<Net_Address_T>();
    EXPECT_EQ(stored.addressType, 1u);
    ASSERT_EQ(stored.addressLength, 4u);
    EXPECT_EQ(std::memcmp(stored.address, bytes, 4), 0);
    const ReadAttribute* acls = find(attrs, "ACL");
    ASSERT_NE(acls, nullptr);
    bool found = false;
    for (const auto& v : acls->values) {
        const auto& a = v.as<Object_ACL_T>();
        found = found || (std::string(a.subjectName) == "Guest.Acme" && a.privileges == 0x09);
    }
    EXPECT_TRUE(found);
}

struct RuleCase {
    const char* what;
    const char* object;
    std::vector<ChangeSpec> changes;
    NWDSCCODE expected;
};

class ModifyRules : public ModifyObjectTest, public ::testing::WithParamInterface<RuleCase> {};

TEST_P(ModifyRules, refusedRequestChangesNothing) {
    const RuleCase& rule = GetParam();
    std::vector<ReadAttribute> before;
    ASSERT_EQ(read(rule.object, before), 0);
    // A valid change first: it must not survive the refusal of a later one.
    std::vector<ChangeSpec> changes{{DS_ADD_VALUE, "Description", SYN_CI_STRING, {"first"}}};
    changes.insert(changes.end(), rule.changes.begin(), rule.changes.end());
    EXPECT_EQ(modify(rule.object, changes), rule.expected) << rule.what;
    std::vector<ReadAttribute> after;
    ASSERT_EQ(read(rule.object, after), 0);
    ASSERT_EQ(after.size(), before.size()) << rule.what;
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].name, before[i].name);
        EXPECT_EQ(after[i].values.size(), before[i].values.size()) << after[i].name;
    }
}

std::uint32_t kBig = 7;

INSTANTIATE_TEST_SUITE_P(
    EachRule, ModifyRules,
    ::testing::Values(
        RuleCase{"undefined attribute",
                 "Admin.Acme",
                 {{DS_ADD_VALUE, "No Such Thing", SYN_CI_STRING, {"x"}}},
                 ERR_NO_SUCH_ATTRIBUTE},
        RuleCase{"attribute the class does not allow",
                 "Sales.Acme",
                 {{DS_ADD_ATTRIBUTE, "Surname", SYN_CI_STRING, {"x"}}},
                 ERR_ILLEGAL_ATTRIBUTE},
        RuleCase{"second value of a single-valued attribute",
                 "Admin.Acme",
                 {{DS_ADD_ATTRIBUTE, "Generational Qualifier", SYN_CI_STRING, {"Jr", "Sr"}}},
                 ERR_CANT_HAVE_MULTIPLE_VALUES},
        RuleCase{"value above a sized attribute's upper bound",
                 "Admin.Acme",
                 {{DS_ADD_VALUE, "Telephone Number", SYN_TEL_NUMBER, {std::string(33, '5')}}},
                 ERR_SYNTAX_VIOLATION},
        RuleCase{"value of another syntax",
                 "Admin.Acme",
                 {{DS_ADD_VALUE, "Title", SYN_INTEGER, {}, &kBig}},
                 ERR_SYNTAX_VIOLATION},
        RuleCase{"removing a value that is not there",
                 "Admin.Acme",
                 {{DS_REMOVE_VALUE, "Title", SYN_CI_STRING, {"Janitor"}}},
                 ERR_NO_SUCH_VALUE},
        RuleCase{"removing an attribute the object lacks",
                 "Admin.Acme",
                 {{DS_REMOVE_ATTRIBUTE, "Generational Qualifier"}},
                 ERR_NO_SUCH_ATTRIBUTE},
        RuleCase{"removing the naming attribute",
                 "Admin.Acme",
                 {{DS_REMOVE_ATTRIBUTE, "CN"}},
                 ERR_CANT_REMOVE_NAMING_VALUE},
        RuleCase{"removing the naming value",
                 "Admin.Acme",
                 {{DS_REMOVE_VALUE, "CN", SYN_CI_STRING, {"admin"}}},
                 ERR_CANT_REMOVE_NAMING_VALUE},
        RuleCase{"removing a mandatory attribute",
                 "Admin.Acme",
                 {{DS_REMOVE_ATTRIBUTE, "Surname"}},
                 ERR_MISSING_MANDATORY},
        RuleCase{"adding an attribute that is there",
                 "Admin.Acme",
                 {{DS_ADD_ATTRIBUTE, "Title", SYN_CI_STRING, {"Chief"}}},
                 ERR_ATTRIBUTE_ALREADY_EXISTS},
        RuleCase{"adding a value that is there",
                 "Admin.Acme",
                 {{DS_ADD_VALUE, "Title", SYN_CI_STRING, {"administrator"}}},
                 ERR_DUPLICATE_VALUE},
        RuleCase{"a value change without a value",
                 "Admin.Acme",
                 {{DS_ADD_VALUE, "Title"}},
                 ERR_INVALID_REQUEST}),
    [](const ::testing::TestParamInfo<RuleCase>& rule) {
        std::string name;
        for (const char* c = rule.param.what; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST_F(ModifyObjectTest, theCallersRightsDecide) {
    open("Guest.Acme");
    EXPECT_EQ(modify("Guest.Acme", {{DS_ADD_VALUE, "Title", SYN_CI_STRING, {"Visitor"}}}),
              ERR_NO_ACCESS);
}

TEST_F(ModifyObjectTest, requestAndObjectAreChecked) {
    EXPECT_EQ(modify("Nobody.Acme", {{DS_ADD_VALUE, "Title", SYN_CI_STRING, {"x"}}}),
              ERR_NO_SUCH_ENTRY);
    Buffer readRequest(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_READ, readRequest), 0);
    EXPECT_EQ(dir->NWDSModifyObject(context, "Admin.Acme", nullptr, false, readRequest),
              ERR_BAD_VERB);
    EXPECT_EQ(dir->NWDSModifyObject(context + 1000, "Admin.Acme", nullptr, false, readRequest),
              ERR_BAD_CONTEXT);
}

TEST_F(ModifyObjectTest, aclChangesTakeEffectAtOnce) {
    char subject[] = "Guest.Acme";
    char protectedAttr[] = "Title";
    Object_ACL_T acl{protectedAttr, subject, DS_ATTR_WRITE | DS_ATTR_READ};
    std::uint32_t rights = 0;
    ASSERT_EQ(dir->NWDSGetEffectiveRights(context, "Guest.Acme", "Guest.Acme", "Title", &rights),
              0);
    EXPECT_EQ(rights & DS_ATTR_WRITE, 0u);
    ASSERT_EQ(modify("Guest.Acme", {{DS_ADD_VALUE, "ACL", SYN_OBJECT_ACL, {}, &acl}}), 0);
    ASSERT_EQ(dir->NWDSGetEffectiveRights(context, "Guest.Acme", "Guest.Acme", "Title", &rights),
              0);
    EXPECT_NE(rights & DS_ATTR_WRITE, 0u);
}

} // namespace
