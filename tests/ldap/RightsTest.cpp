// Effective rights answered by a private slapd through no-op dry runs: the administrator holds
// the supervisor right on [Root] and the Schema Manager opens for it; an identity the server
// only lets read gets the page without rights. Neither check adds anything to the tree.
#include "LdapFixture.h"
#include "schema/SchemaManagerPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <fstream>

namespace {

class LdapRights : public SharedSlapd<> {
protected:
    static void SetUpTestSuite() {
        serverOptions.extraLdif = {writeClerk(suiteFolder())};
        SharedSlapd::SetUpTestSuite();
    }
    // The client bound as the administrator, or as the clerk who may only read.
    static std::unique_ptr<LdapDirectory> open(bool clerk) {
        std::string error;
        auto dir = LdapDirectory::open(ldapOptionsFor(*server, clerk, suiteFolder()), &error);
        EXPECT_NE(dir, nullptr) << error;
        return dir;
    }
    static std::uint32_t rights(LdapDirectory& dir, const char* object, const char* attr) {
        NWDSContextHandle ctx = pageContext(dir);
        char me[MAX_DN_BYTES] = {};
        EXPECT_EQ(dir.NWDSWhoAmI(ctx, me, sizeof me), 0);
        std::uint32_t out = 0xFFFF;
        EXPECT_EQ(dir.NWDSGetEffectiveRights(ctx, me, object, attr, &out), 0) << object;
        dir.NWDSFreeContext(ctx);
        return out;
    }
};

TEST_F(LdapRights, TheServerDecidesWhoHoldsWhichRights) {
    auto admin = open(false), clerk = open(true);
    ASSERT_TRUE(admin && clerk);
    const std::uint32_t all =
        DS_ENTRY_BROWSE | DS_ENTRY_ADD | DS_ENTRY_DELETE | DS_ENTRY_RENAME | DS_ENTRY_SUPERVISOR;
    EXPECT_EQ(rights(*admin, ROOT_NAME, "[Entry Rights]"), all);
    EXPECT_EQ(rights(*clerk, ROOT_NAME, "[Entry Rights]"), std::uint32_t(DS_ENTRY_BROWSE));
    EXPECT_EQ(rights(*admin, "Sales.Acme", "[Entry Rights]"),
              std::uint32_t(DS_ENTRY_BROWSE | DS_ENTRY_ADD));
    EXPECT_EQ(rights(*clerk, "Sales.Acme", "[Entry Rights]"), std::uint32_t(DS_ENTRY_BROWSE));
    EXPECT_EQ(rights(*clerk, "Sales.Acme", "Surname"),
              std::uint32_t(DS_ATTR_COMPARE | DS_ATTR_READ));

    // Only the bound identity's rights can be asked of the server; a wrong name is refused.
    NWDSContextHandle ctx = pageContext(*clerk);
    std::uint32_t out = 0;
    EXPECT_EQ(clerk->NWDSGetEffectiveRights(ctx, "Admin.Acme", ROOT_NAME, "[Entry Rights]", &out),
              ERR_NOT_SUPPORTED);
    char me[MAX_DN_BYTES] = {};
    ASSERT_EQ(clerk->NWDSWhoAmI(ctx, me, sizeof me), 0);
    EXPECT_EQ(clerk->NWDSGetEffectiveRights(ctx, me, "Nobody.Acme", "[Entry Rights]", &out),
              ERR_NO_SUCH_ENTRY);
    EXPECT_EQ(clerk->NWDSGetEffectiveRights(ctx, me, ROOT_NAME, "Nonesuch", &out),
              ERR_NO_SUCH_ATTRIBUTE);
    clerk->NWDSFreeContext(ctx);

    // The dry runs left nothing behind.
    std::vector<ListedItem> listed;
    ctx = pageContext(*admin);
    ASSERT_EQ(listAll(*admin, ctx, "Sales.Acme", listed), 0);
    for (const auto& item : listed)
        EXPECT_EQ(item.name.find("probe"), std::string::npos) << item.name;
    admin->NWDSFreeContext(ctx);
}

TEST_F(LdapRights, TheSchemaManagerOpensForTheAdministratorOnly) {
    for (const bool clerk : {false, true}) {
        SCOPED_TRACE(clerk ? "clerk" : "administrator");
        auto dir = open(clerk);
        ASSERT_TRUE(dir);
        FaultInjectingClient faults(*dir);
        RecordingReporter reporter;
        {
            CSchemaManagerPage page(PageServices{faults, reporter}, nullptr);
            page.create("ACME_TREE");
            auto* noRights = page.findChild<QLabel*>("noRightsText");
            ASSERT_NE(noRights, nullptr);
            EXPECT_EQ(noRights->isHidden(), !clerk);
            for (const char* name : {"attributeCreateButton", "classCreateButton"}) {
                auto* button = page.findChild<QPushButton*>(name);
                ASSERT_NE(button, nullptr) << name;
                EXPECT_EQ(button->isEnabled(), !clerk) << name;
            }
        }
        EXPECT_TRUE(reporter.messages.empty()) << reporter.messages.join("|").toStdString();
        EXPECT_EQ(dir->outstandingResources(), ClientResourceCounts{});
    }
}

} // namespace
