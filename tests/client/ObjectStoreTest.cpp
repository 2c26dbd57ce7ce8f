// The embedded directory's storage: value lists (inline, in a block, shared), and the object
// store's ids and lookups over many blocks of objects while objects go, get new names and move.
#include "client/embedded/ObjectStore.h"

#include "client/embedded/EmbeddedDirectory.h"
#include "client/embedded/ValueList.h"
#include "directory/ResultCodes.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

std::vector<std::string> strings(const ValueList& list) {
    return list.strings();
}

} // namespace

TEST(ValueList, KeepsBinaryValuesWholeAtEverySize) {
    // Empty, NUL bytes, high bytes, and the sizes around what fits in the list itself.
    const std::vector<std::string> values = {""s,
                                             "\0"s,
                                             "a\0b\xff"s,
                                             std::string(15, '\x80'),
                                             std::string(16, '\0'),
                                             std::string(300, 'x') + "\0end"s};
    for (const auto& v : values) {
        ValueList one;
        one.push_back(v);
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one.front(), v) << v.size();
        EXPECT_TRUE(one.contains(v));
        EXPECT_FALSE(one.contains(v + "x"));
    }
    ValueList all;
    for (const auto& v : values)
        all.push_back(v);
    EXPECT_EQ(strings(all), values);
    EXPECT_EQ(all, ValueList(values));
    // A value is told from its prefix and from the same bytes with a NUL more.
    EXPECT_FALSE(all.contains("a"s));
    EXPECT_FALSE(all.contains("\0\0"s));
    EXPECT_EQ(all.erase("\0"s), 1u);
    EXPECT_EQ(all.size(), values.size() - 1);
    EXPECT_TRUE(all.contains(""s));
    EXPECT_EQ(all.erase("absent"), 0u);
}

TEST(ValueList, GrowsErasesAndComparesByContentInAnyForm) {
    ValueList many;
    std::vector<std::string> expected;
    for (int i = 0; i < 1000; ++i) {
        expected.push_back("value " + std::to_string(i));
        many.push_back(expected.back());
    }
    EXPECT_EQ(strings(many), expected);
    // Values appended from the list itself, its storage moving meanwhile.
    for (int i = 0; i < 10; ++i) {
        many.push_back(many[std::size_t(i)]);
        expected.push_back(expected[std::size_t(i)]);
    }
    EXPECT_EQ(strings(many), expected);
    EXPECT_EQ(many.erase("value 3"), 2u);
    std::erase(expected, "value 3");
    EXPECT_EQ(strings(many), expected);

    // One short value held inline equals the same value left alone in a block.
    ValueList inlineOne{"short"};
    ValueList fromBlock{"short", "longer than fifteen bytes"};
    fromBlock.erase("longer than fifteen bytes");
    EXPECT_EQ(inlineOne, fromBlock);
    EXPECT_NE(inlineOne, (ValueList{"short", "short"}));
    EXPECT_NE(ValueList{}, ValueList{""});
    fromBlock.clear();
    EXPECT_TRUE(fromBlock.empty());
    EXPECT_THROW(fromBlock.at(0), std::out_of_range);
}

TEST(ValueList, CopiesShareUntilOneChanges) {
    const ValueList lineage{"User", "Organizational Person", "Person", "Top"};
    ValueList copy = lineage;
    EXPECT_TRUE(copy.sharesStorageWith(lineage));
    copy.push_back("Extra");
    EXPECT_FALSE(copy.sharesStorageWith(lineage));
    EXPECT_EQ(strings(lineage),
              (std::vector<std::string>{"User", "Organizational Person", "Person", "Top"}));
    ValueList other = lineage;
    other.erase("Person");
    EXPECT_EQ(lineage.size(), 4u);
    EXPECT_EQ(other.size(), 3u);
    ValueList moved = std::move(other);
    EXPECT_EQ(moved.size(), 3u);
    moved = lineage;
    EXPECT_EQ(moved, lineage);
}

TEST(ObjectStore, IdsAndLookupsHoldOverManyBlocksWhileObjectsGoRenameAndMove) {
    ObjectStore store;
    const EntryId a = *store.add(kRootEntry, "A", "O", nullptr, 0);
    const EntryId b = *store.add(kRootEntry, "B", "O", nullptr, 0);
    std::vector<EntryId> ids;
    for (int i = 0; i < 5000; ++i)
        ids.push_back(*store.add(i % 2 ? a : b, "Obj" + std::to_string(i), "CN", nullptr, 0));
    EXPECT_FALSE(store.add(b, "obj0", "CN", nullptr, 0)) << "names are told apart without case";

    for (int i = 0; i < 5000; i += 3)
        store.remove(ids[std::size_t(i)]);
    // A renamed object and one moved across, both from a late block.
    store.detach(ids[4001]);
    ASSERT_TRUE(store.attach(ids[4001], a, "Renamed"));
    store.detach(ids[4000]);
    ASSERT_TRUE(store.attach(ids[4000], a, "Moved"));
    EXPECT_FALSE(store.attach(ids[4002], a, "moved")) << "the name is taken";

    for (int i = 0; i < 5000; ++i) {
        const auto id = ids[std::size_t(i)];
        const bool removed = i % 3 == 0;
        const std::string name = "Obj" + std::to_string(i);
        const EntryId parent = i % 2 ? a : b;
        if (i == 4000 || i == 4001) {
            EXPECT_FALSE(store.child(b, name));
            continue;
        }
        EXPECT_EQ(store.get(id) == nullptr, removed) << name;
        EXPECT_EQ(store.child(parent, name), removed ? std::nullopt : std::optional(id)) << name;
    }
    EXPECT_EQ(store.lookup({"renamed", "A"}), ids[4001]);
    EXPECT_EQ(store.lookup({"Moved", "A"}), ids[4000]);
    EXPECT_EQ(store.fullName(ids[4000], true), "CN=Moved.O=A");
    EXPECT_EQ(store.get(ids[4000])->parent, a);

    // New objects take new ids; a removed name is free again.
    const EntryId again = *store.add(b, "Obj0", "CN", nullptr, 0);
    EXPECT_EQ(again, EntryId(store.size() - 1));
    EXPECT_EQ(store.child(b, "OBJ0"), again);
    std::size_t listed = 0;
    for (EntryId id : store.get(a)->children)
        listed += store.get(id) != nullptr;
    EXPECT_EQ(listed, store.get(a)->children.size());
    EXPECT_EQ(listed, store.get(a)->liveChildren);
}

TEST(ObjectStore, AContainerEmptiedOfItsObjectsHasNoneAndTakesNewOnes) {
    ObjectStore store;
    const EntryId unit = *store.add(kRootEntry, "Unit", "OU", nullptr, 0);
    const EntryId one = *store.add(unit, "One", "CN", nullptr, 0);
    EXPECT_FALSE(store.get(unit)->children.empty());
    store.remove(one);
    EXPECT_TRUE(store.get(unit)->children.empty());
    EXPECT_EQ(store.get(unit)->children.size(), 0u);
    EXPECT_FALSE(store.child(unit, "One"));
    const EntryId two = *store.add(unit, "One", "CN", nullptr, 0);
    EXPECT_NE(two, one);
    EXPECT_EQ(store.lookup({"one", "unit"}), two);
}

TEST(ObjectStore, ObjectsOfAClassShareItsLineageAndFollowItsRedefinition) {
    auto dir = EmbeddedDirectory::openDemo();
    ASSERT_NE(dir, nullptr);
    DirectoryModel& m = dir->model();
    const AttributeDefinition* oc = m.schema().findAttribute("Object Class");
    ASSERT_NE(oc, nullptr);
    auto classesOf = [&](std::string_view name) {
        const Entry* e = m.objects().get(*m.find(name));
        return e->find(oc)->values;
    };
    ASSERT_EQ(m.addObject("Sales.Acme", "Shared1", "User"), 0);
    ASSERT_EQ(m.addObject("Sales.Acme", "Shared2", "User"), 0);
    EXPECT_TRUE(classesOf("Shared1.Sales.Acme").sharesStorageWith(classesOf("Shared2.Sales.Acme")));

    // A class removed and defined again with other super classes: its new objects carry the
    // new lineage.
    auto gadget = [](std::vector<std::string> supers) {
        ClassDefinition def;
        def.name = "Gadget";
        def.flags = DS_EFFECTIVE_CLASS;
        def.lists[ClassDefinition::SuperClasses] = std::move(supers);
        def.lists[ClassDefinition::Containment] = {"Organizational Unit"};
        def.lists[ClassDefinition::Naming] = {"CN"};
        def.lists[ClassDefinition::Mandatory] = {"CN"};
        return def;
    };
    ASSERT_EQ(m.defineClass(gadget({"Top"})), 0);
    ASSERT_EQ(m.addObject("Sales.Acme", "G1", "Gadget"), 0);
    EXPECT_EQ(strings(classesOf("G1.Sales.Acme")), (std::vector<std::string>{"Gadget", "Top"}));
    ASSERT_EQ(m.removeEntry(*m.find("G1.Sales.Acme")), 0);
    ASSERT_EQ(m.removeClassDefinition("Gadget"), 0);
    ASSERT_EQ(m.defineClass(gadget({"Device"})), 0);
    ASSERT_EQ(m.addObject("Sales.Acme", "G2", "Gadget"), 0);
    std::vector<std::string> lineage;
    for (const ClassDefinition* c : m.schema().lineage(*m.schema().findClass("Gadget")))
        lineage.push_back(c->name);
    EXPECT_EQ(strings(classesOf("G2.Sales.Acme")), lineage);
    EXPECT_GT(lineage.size(), 2u);
}
