// The rights view on servers Ostrel did not seed: 389 Directory Server reports any identity's
// rights through its get-effective-rights control; a stock slapd is asked by trying changes
// with the no-op control, for the bound identity alone.
#include "ForeignSettings.h"
#include "LdapFixture.h"
#include "browser/BrowserPage.h"
#include "browser/EffectiveRightsDlg.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

using foreign::Who;

constexpr char kStaff[] = "Staff.example\\.com";

class ForeignRights : public foreign::ServerSuite {
protected:
    static std::string whoAmI(LdapDirectory& dir, NWDSContextHandle ctx) {
        char me[MAX_DN_BYTES] = {};
        EXPECT_EQ(dir.NWDSWhoAmI(ctx, me, sizeof me), 0);
        return me;
    }
    struct Summary {
        std::uint32_t entry = 0;
        std::size_t attributes = 0, readable = 0, writable = 0;
    };
    static Summary summaryOf(const RightsReport& report) {
        Summary s;
        for (const auto& line : report.lines) {
            if (line.attribute == "[Entry Rights]") {
                s.entry = line.rights;
                continue;
            }
            ++s.attributes;
            s.readable += (line.rights & DS_ATTR_READ) ? 1 : 0;
            s.writable += (line.rights & DS_ATTR_WRITE) ? 1 : 0;
        }
        return s;
    }
};

constexpr std::uint32_t kEditorEntry =
    DS_ENTRY_BROWSE | DS_ENTRY_ADD | DS_ENTRY_DELETE | DS_ENTRY_RENAME;

TEST_P(ForeignRights, EachIdentitySeesItsOwnRights) {
    for (Who who : {Who::Editor, Who::Anonymous}) {
        SCOPED_TRACE(int(who));
        auto dir = open(who);
        ASSERT_NE(dir, nullptr);
        NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
        RightsReport report;
        const NWDSCCODE rc = dir->explainRights(ctx, whoAmI(*dir, ctx).c_str(), kStaff, report);
        if (who == Who::Anonymous && !slapd()) {
            // 389 answers the control for bound identities only, and says so.
            EXPECT_EQ(rc, ERR_NO_ACCESS);
            EXPECT_NE(dir->serverReason(rc) + dir->clientReason(rc), "");
            dir->NWDSFreeContext(ctx);
            continue;
        }
        ASSERT_EQ(rc, 0) << dir->clientReason(rc);
        const Summary s = summaryOf(report);
        EXPECT_GT(s.attributes, 0u);
        // 389 lists every attribute the entry's classes allow, its password and access rules
        // among them, which nobody but their owner reads.
        EXPECT_GE(s.readable + (slapd() ? 0 : 2), s.attributes);
        if (who == Who::Editor) {
            EXPECT_EQ(s.entry, kEditorEntry);
            EXPECT_GE(s.writable + (slapd() ? 0 : 1), s.attributes);
        } else {
            EXPECT_EQ(s.entry, DS_ENTRY_BROWSE);
            EXPECT_EQ(s.writable, 0u);
        }
        EXPECT_NE(report.note.find(slapd() ? "no-op control" : "get-effective-rights"),
                  std::string::npos);
        dir->NWDSFreeContext(ctx);
    }
}

TEST_P(ForeignRights, AnotherIdentitysRightsComeFromTheServerThatReportsThem) {
    auto editor = open(Who::Editor);
    ASSERT_NE(editor, nullptr);
    NWDSContextHandle ectx = pageContext(*editor, "EXAMPLE");
    const std::string editorName = whoAmI(*editor, ectx);
    editor->NWDSFreeContext(ectx);

    auto dir = open(Who::Root);
    ASSERT_NE(dir, nullptr);
    NWDSContextHandle ctx = pageContext(*dir, "EXAMPLE");
    RightsReport report;
    const NWDSCCODE rc = dir->explainRights(ctx, editorName.c_str(), kStaff, report);
    if (slapd()) {
        EXPECT_EQ(rc, ERR_NOT_SUPPORTED);
        EXPECT_NE(dir->clientReason(rc).find("only its own rights"), std::string::npos);
    } else {
        ASSERT_EQ(rc, 0);
        EXPECT_EQ(report.subject, editorName);
        EXPECT_EQ(summaryOf(report).entry, kEditorEntry);
        EXPECT_GT(summaryOf(report).writable, 0u);
        ASSERT_EQ(dir->explainRights(ctx, "[Public]", kStaff, report), 0);
        EXPECT_EQ(summaryOf(report).entry, DS_ENTRY_BROWSE);
        EXPECT_EQ(summaryOf(report).writable, 0u);
        EXPECT_GT(summaryOf(report).readable, 0u);
        EXPECT_EQ(dir->explainRights(ctx, "Nobody.example\\.com", kStaff, report),
                  ERR_NO_SUCH_ENTRY);
    }
    dir->NWDSFreeContext(ctx);
}

TEST_P(ForeignRights, TheDialogShowsWhatTheServerTells) {
    auto root = open(Who::Root);
    ASSERT_NE(root, nullptr);
    FaultInjectingClient client(*root);
    RecordingReporter reporter;
    CBrowserPage page(PageServices{client, reporter}, nullptr);
    page.create();
    CEffectiveRightsDlg dialog(page, kStaff);
    ASSERT_TRUE(dialog.showRights()) << reporter.last().toStdString();
    QTreeWidget* tree = dialog.rightsTree();
    ASSERT_GT(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* entry = tree->topLevelItem(0);
    EXPECT_EQ(entry->text(0), "[Entry Rights]");
    EXPECT_EQ(entry->text(1), "[BADR]");
    EXPECT_EQ(entry->text(2), "[S]"); // no server tells the supervisor right
    EXPECT_EQ(entry->childCount(), 0);
    EXPECT_FALSE(dialog.findChild<QLabel*>("rightsNote")->text().isEmpty());

    // Another identity: 389 tells, slapd says why it cannot.
    dialog.findChild<QLineEdit*>("rightsIdentityEdit")->setText("[Public]");
    dialog.findChild<QPushButton*>("showRightsButton")->click();
    if (slapd()) {
        EXPECT_EQ(tree->topLevelItemCount(), 0);
        ASSERT_EQ(reporter.messages.size(), 1);
        EXPECT_TRUE(reporter.last().startsWith("explainRights() returned: FFFFFEA2\n"));
        EXPECT_TRUE(reporter.last().contains("only its own rights"));
    } else {
        ASSERT_GT(tree->topLevelItemCount(), 1);
        EXPECT_EQ(tree->topLevelItem(0)->text(1), "[B]");
        EXPECT_TRUE(reporter.messages.isEmpty());
    }
}

OSTREL_ON_FOREIGN_SERVERS(ForeignRights);

} // namespace
