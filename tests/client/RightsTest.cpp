// Effective rights from ACL values inherited down the tree, and their enforcement on reads.
#include "DemoFixture.h"
#include "client/common/ValueWire.h"

class Rights : public DemoDirectory {
protected:
    std::uint32_t rights(const char* subject, const char* object, const char* attr) {
        std::uint32_t r = 0xDEAD;
        EXPECT_EQ(dir->NWDSGetEffectiveRights(context, subject, object, attr, &r), 0)
            << subject << " on " << object << " " << attr;
        return r;
    }
    void grant(const char* object, const char* subject, const char* attr, std::uint32_t priv) {
        DirectoryModel& m = dir->model();
        ASSERT_EQ(
            m.addValues(*m.find(object), *m.aclDefinition(), {wire::aclValue(attr, subject, priv)}),
            0);
    }
};

TEST_F(Rights, AdministratorIsSupervisorOfTheWholeTree) {
    EXPECT_EQ(rights("Admin.Acme", "[Root]", "[Entry Rights]"), 0x1Fu);
    EXPECT_EQ(rights("Admin.Acme", "User250.Bulk.Acme", "[Entry Rights]"), 0x1Fu);
    EXPECT_EQ(rights("Admin.Acme", "Demo.Sales.Acme", "Telephone Number"), 0x2Fu);
    EXPECT_EQ(rights("Admin.Acme", "Robot.Lab.Engineering.Acme", "[All Attributes Rights]"), 0x2Fu);
    char me[MAX_DN_BYTES];
    ASSERT_EQ(dir->NWDSWhoAmI(context, me, sizeof me), 0);
    EXPECT_EQ(rights(me, "[Root]", "[Entry Rights]") & DS_ENTRY_SUPERVISOR, DS_ENTRY_SUPERVISOR);
}

TEST_F(Rights, GuestAndThePublicMayOnlyBrowse) {
    for (const char* object : {"[Root]", "Acme", "Demo.Sales.Acme", "Robot.Lab.Engineering.Acme"}) {
        EXPECT_EQ(rights("Guest.Acme", object, "[Entry Rights]"), DS_ENTRY_BROWSE) << object;
        EXPECT_EQ(rights("Guest.Acme", object, "[All Attributes Rights]"), 0u) << object;
        EXPECT_EQ(rights("[Public]", object, "[Entry Rights]"), DS_ENTRY_BROWSE) << object;
    }
}

TEST_F(Rights, ContainersAboveTheSubjectAndItsOwnEntriesCount) {
    // Sales.Acme grants its members browse and read of all attributes below it; Demo gives
    // Jane browse and add, and a telephone right that replaces the inherited one for her.
    EXPECT_EQ(rights("Jane.Sales.Acme", "Demo.Sales.Acme", "[Entry Rights]"),
              DS_ENTRY_BROWSE | DS_ENTRY_ADD);
    EXPECT_EQ(rights("John.Sales.Acme", "Demo.Sales.Acme", "[Entry Rights]"), DS_ENTRY_BROWSE);
    EXPECT_EQ(rights("John.Sales.Acme", "Demo.Sales.Acme", "Surname"),
              DS_ATTR_COMPARE | DS_ATTR_READ);
    EXPECT_EQ(rights("Jane.Sales.Acme", "Jane.Sales.Acme", "Surname"),
              DS_ATTR_COMPARE | DS_ATTR_READ);
    EXPECT_EQ(rights("Jane.Sales.Acme", "Admin.Acme", "Surname"), 0u); // outside Sales
}

TEST_F(Rights, ALowerEntryForTheSameSubjectReplacesWhatFlowsDown) {
    EXPECT_EQ(rights("EngAdmin.Engineering.Acme", "Engineering.Acme", "[Entry Rights]"), 0x0Fu);
    EXPECT_EQ(rights("EngAdmin.Engineering.Acme", "WKS-042.Engineering.Acme", "[Entry Rights]"),
              0x0Fu);
    EXPECT_EQ(rights("EngAdmin.Engineering.Acme", "Lab.Engineering.Acme", "[Entry Rights]"),
              DS_ENTRY_BROWSE);
    EXPECT_EQ(rights("EngAdmin.Engineering.Acme", "Robot.Lab.Engineering.Acme", "[Entry Rights]"),
              DS_ENTRY_BROWSE);
}

TEST_F(Rights, SupervisorImpliesEveryRightAndChangesAreSeenAtOnce) {
    EXPECT_EQ(rights("Guest.Acme", "Lab.Engineering.Acme", "[Entry Rights]"), DS_ENTRY_BROWSE);
    grant("Engineering.Acme", "Guest.Acme", "[Entry Rights]", DS_ENTRY_SUPERVISOR);
    EXPECT_EQ(rights("Guest.Acme", "Lab.Engineering.Acme", "[Entry Rights]"), 0x1Fu);
    EXPECT_EQ(rights("Guest.Acme", "Robot.Lab.Engineering.Acme", "Description"), 0x2Fu);
    grant("Sales.Acme", "Guest.Acme", "[All Attributes Rights]", DS_ATTR_SUPERVISOR);
    EXPECT_EQ(rights("Guest.Acme", "Demo.Sales.Acme", "Surname"), 0x2Fu);
    grant("Jane.Sales.Acme", "Guest.Acme", "[All Attributes Rights]", DS_ATTR_WRITE);
    EXPECT_EQ(rights("Guest.Acme", "Jane.Sales.Acme", "Surname"), DS_ATTR_WRITE | DS_ATTR_SELF);
}

TEST_F(Rights, SecurityEquivalenceGivesTheOtherObjectsRights) {
    grant("Engineering.Acme", "Sales Staff.Sales.Acme", "[Entry Rights]", DS_ENTRY_RENAME);
    // Demo is security equal to Sales Staff; Jane is only a member.
    EXPECT_EQ(rights("Demo.Sales.Acme", "Engineering.Acme", "[Entry Rights]"),
              DS_ENTRY_BROWSE | DS_ENTRY_RENAME);
    EXPECT_EQ(rights("Jane.Sales.Acme", "Engineering.Acme", "[Entry Rights]"), DS_ENTRY_BROWSE);
}

TEST_F(Rights, BadArguments) {
    std::uint32_t r = 0;
    EXPECT_EQ(
        dir->NWDSGetEffectiveRights(context, "Admin.Acme", "Nobody.Acme", "[Entry Rights]", &r),
        ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(dir->NWDSGetEffectiveRights(context, "Admin.Acme", "Acme", "Shoe Size", &r),
              ERR_NO_SUCH_ATTRIBUTE);
    EXPECT_EQ(dir->NWDSGetEffectiveRights(context, "Admin.Acme", "Acme", "[Entry Rights]", nullptr),
              ERR_NULL_POINTER);
    EXPECT_EQ(dir->NWDSGetEffectiveRights(context, "Admin..Acme", "Acme", "[Entry Rights]", &r),
              ERR_INVALID_OBJECT_NAME);
}

TEST_F(Rights, GuestCanListAndReadNamesButNotValues) {
    open("Guest.Acme");
    char me[MAX_DN_BYTES];
    ASSERT_EQ(dir->NWDSWhoAmI(context, me, sizeof me), 0);
    EXPECT_STREQ(me, "Guest.Acme");
    EXPECT_EQ(listAll("Sales.Acme").size(), 8u);

    std::vector<ReadAttribute> attrs;
    ASSERT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_NAMES), 0);
    EXPECT_NE(find(attrs, "Surname"), nullptr);
    attrs.clear();
    EXPECT_EQ(read("Demo.Sales.Acme", attrs, DS_ATTRIBUTE_VALUES, {"Surname"}), ERR_NO_ACCESS);
    // Reading all values gives only the attributes everyone may read.
    attrs.clear();
    ASSERT_EQ(read("Demo.Sales.Acme", attrs), 0);
    ASSERT_FALSE(attrs.empty());
    for (const auto& a : attrs)
        EXPECT_TRUE(dir->model().schema().findAttribute(a.name)->flags & DS_PUBLIC_READ) << a.name;
    EXPECT_NE(find(attrs, "EMail Address"), nullptr);
    NWFILE_HANDLE fd = -1;
    EXPECT_EQ(dir->NWDSOpenStream(context, "Demo.Sales.Acme", "Login Script", DS_READ_STREAM, &fd),
              ERR_NO_ACCESS);
}

TEST_F(Rights, WithoutBrowseAnObjectIsNotListedNorRead) {
    open("Guest.Acme");
    // Take the public's browse right away below Lab.
    DirectoryModel& m = dir->model();
    ASSERT_EQ(m.addValues(*m.find("Lab.Engineering.Acme"), *m.aclDefinition(),
                          {wire::aclValue("[Entry Rights]", "[Public]", 0)}),
              0);
    Buffer buf(*dir);
    std::int32_t it = NO_MORE_ITERATIONS;
    EXPECT_EQ(dir->NWDSList(context, "Lab.Engineering.Acme", &it, buf), ERR_NO_ACCESS);
    Object_Info_T info{};
    EXPECT_EQ(dir->NWDSReadObjectInfo(context, "Robot.Lab.Engineering.Acme", nullptr, 0, &info),
              ERR_NO_ACCESS);
    const auto names = listAll("Engineering.Acme");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Lab"), 0);
    EXPECT_EQ(names.size(), 3u);
}
