// The value rules every stored value meets, and the request decoders the writes use: what the
// puts of the seam write comes back out whole, and a buffer prepared for another operation
// is refused.
#include "DemoFixture.h"
#include "client/common/RequestDecoding.h"
#include "client/common/ValueRules.h"
#include "client/common/ValueWire.h"
#include "directory/Records.h"
#include "directory/ResultCodes.h"

#include <gtest/gtest.h>

namespace {

using valuerules::AttributeShape;
using valuerules::checkValue;

TEST(ValueRules, BoundsMeasureCharactersOctetsAndNumbersBySyntax) {
    const AttributeShape phone{SYN_TEL_NUMBER, DS_SIZED_ATTR, 1, 4};
    EXPECT_EQ(checkValue(phone, "1234"), 0);
    EXPECT_EQ(checkValue(phone, "12345"), ERR_SYNTAX_VIOLATION);
    EXPECT_EQ(checkValue(phone, ""), ERR_SYNTAX_VIOLATION);
    // Characters, not bytes: four two-byte characters fit an upper bound of 4.
    EXPECT_EQ(checkValue(AttributeShape{SYN_CI_STRING, DS_SIZED_ATTR, 1, 4},
                         "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F"),
              0);
    const AttributeShape octets{SYN_OCTET_STRING, DS_SIZED_ATTR, 2, 2};
    EXPECT_EQ(checkValue(octets, std::string("\0\1", 2)), 0);
    EXPECT_EQ(checkValue(octets, std::string("\0", 1)), ERR_SYNTAX_VIOLATION);

    const AttributeShape integer{SYN_INTEGER, DS_SIZED_ATTR, 0, 127};
    EXPECT_EQ(checkValue(integer, wire::u32Value(127)), 0);
    EXPECT_EQ(checkValue(integer, wire::u32Value(128)), ERR_SYNTAX_VIOLATION);
    EXPECT_EQ(checkValue(integer, wire::u32Value(std::uint32_t(-1))), ERR_SYNTAX_VIOLATION);
    // An upper bound of 0xFFFFFFFF is no upper bound; a counter is unsigned.
    const AttributeShape counter{SYN_COUNTER, DS_SIZED_ATTR, 0, 0xFFFFFFFFu};
    EXPECT_EQ(checkValue(counter, wire::u32Value(0xFFFFFFFEu)), 0);
}

TEST(ValueRules, UnsizedAttributesAndUnboundedSyntaxesOnlyNeedAWellFormedValue) {
    EXPECT_EQ(checkValue(AttributeShape{SYN_CI_STRING, 0, 1, 1}, "longer than one"), 0);
    EXPECT_EQ(checkValue(AttributeShape{SYN_BOOLEAN, DS_SIZED_ATTR, 5, 6}, std::string(1, '\1')),
              0);
    EXPECT_EQ(checkValue(AttributeShape{SYN_INTEGER, 0, 0, 0}, "abc"), ERR_SYNTAX_VIOLATION);
    EXPECT_EQ(checkValue(AttributeShape{SYN_CI_STRING, 0, 0, 0}, std::string("a\0b", 3)),
              ERR_SYNTAX_VIOLATION);
}

} // namespace

// Buf_T is reached through the handle the client gave out.
TEST_F(DemoDirectory, AddEntryAndModifyRequestsDecodeToWhatWasPut) {
    Buffer add(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_ADD_ENTRY, add), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, add, "Surname"), 0);
    ASSERT_EQ(dir->NWDSPutAttrVal(context, add, SYN_CI_STRING, "Smith"), 0);
    ASSERT_EQ(dir->NWDSPutAttrName(context, add, "Telephone Number"), 0);
    ASSERT_EQ(dir->NWDSPutAttrVal(context, add, SYN_TEL_NUMBER, "1"), 0);
    ASSERT_EQ(dir->NWDSPutAttrVal(context, add, SYN_TEL_NUMBER, "2"), 0);
    std::vector<request::Attribute> attrs;
    ASSERT_EQ(request::addEntryAttributes(*add.b, attrs), 0);
    ASSERT_EQ(attrs.size(), 2u);
    EXPECT_EQ(attrs[0].name, "Surname");
    ASSERT_EQ(attrs[0].values.size(), 1u);
    EXPECT_EQ(attrs[0].values[0].syntax, std::uint32_t(SYN_CI_STRING));
    EXPECT_EQ(attrs[0].values[0].bytes, "Smith");
    ASSERT_EQ(attrs[1].values.size(), 2u);
    EXPECT_EQ(attrs[1].values[1].bytes, "2");
    std::vector<request::Change> changes;
    EXPECT_EQ(request::modifyChanges(*add.b, changes), ERR_BAD_VERB);

    Buffer modify(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_MODIFY_ENTRY, modify), 0);
    ASSERT_EQ(dir->NWDSPutChange(context, modify, DS_ADD_VALUE, "Telephone Number"), 0);
    ASSERT_EQ(dir->NWDSPutAttrVal(context, modify, SYN_TEL_NUMBER, "3"), 0);
    ASSERT_EQ(dir->NWDSPutChange(context, modify, DS_REMOVE_ATTRIBUTE, "Description"), 0);
    ASSERT_EQ(dir->NWDSPutChange(context, modify, DS_REMOVE_VALUE, "Surname"), 0);
    ASSERT_EQ(dir->NWDSPutAttrVal(context, modify, SYN_CI_STRING, "Smith"), 0);
    ASSERT_EQ(request::modifyChanges(*modify.b, changes), 0);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].type, std::uint32_t(DS_ADD_VALUE));
    EXPECT_EQ(changes[0].values.at(0).bytes, "3");
    EXPECT_EQ(changes[1].type, std::uint32_t(DS_REMOVE_ATTRIBUTE));
    EXPECT_TRUE(changes[1].values.empty());
    EXPECT_EQ(changes[2].name, "Surname");
    EXPECT_EQ(request::addEntryAttributes(*modify.b, attrs), ERR_BAD_VERB);
}

TEST_F(DemoDirectory, DefineClassRequestsDecodeEveryListBegun) {
    Buffer items(*dir);
    ASSERT_EQ(dir->NWDSInitBuf(context, DSV_DEFINE_CLASS, items), 0);
    std::array<std::vector<std::string>, 5> lists;
    ASSERT_EQ(request::classItemLists(*items.b, lists), 0);
    for (const auto& l : lists)
        EXPECT_TRUE(l.empty());
    ASSERT_EQ(dir->NWDSBeginClassItem(context, items), 0);
    ASSERT_EQ(dir->NWDSPutClassItem(context, items, "Top"), 0);
    ASSERT_EQ(dir->NWDSBeginClassItem(context, items), 0);
    ASSERT_EQ(dir->NWDSBeginClassItem(context, items), 0);
    ASSERT_EQ(dir->NWDSPutClassItem(context, items, "CN"), 0);
    ASSERT_EQ(dir->NWDSPutClassItem(context, items, "OU"), 0);
    ASSERT_EQ(request::classItemLists(*items.b, lists), 0);
    EXPECT_EQ(lists[0], std::vector<std::string>{"Top"});
    EXPECT_TRUE(lists[1].empty());
    EXPECT_EQ(lists[2], (std::vector<std::string>{"CN", "OU"}));
    EXPECT_TRUE(lists[3].empty());
}
