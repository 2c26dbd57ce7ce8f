// The reading pages on a slapd with the demo data show what they show on the embedded
// directory: the browser's object tree, container list, value list, text panel and syntax
// field after every move and selection, and the Schema Viewer's trees and fields for every
// class and attribute; and neither page reports a message on either directory.
#include "LdapFixture.h"
#include "browser/BrowserPage.h"
#include "query/QueryPage.h"
#include "schema/SchemaViewerPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>

// What the pages showed, a line each, where a comparison fails.
void PrintTo(const QStringList& lines, std::ostream* os) {
    *os << "\n" << lines.join("\n").toStdString();
}

namespace {

void dumpItem(const QTreeWidgetItem* item, int depth, QStringList& out) {
    QStringList columns;
    for (int c = 0; c < item->columnCount(); ++c)
        columns << item->text(c);
    out << QString(depth, ' ') + columns.join('|');
    for (int i = 0; i < item->childCount(); ++i)
        dumpItem(item->child(i), depth + 1, out);
}

// What a user sees of a page, control by control; the server's name is left out.
QStringList shown(const QWidget& page) {
    QStringList out;
    for (auto* tree : page.findChildren<QTreeView*>()) {
        out << "tree " + tree->objectName();
        if (auto* items = qobject_cast<QTreeWidget*>(tree)) {
            for (int i = 0; i < items->topLevelItemCount(); ++i)
                dumpItem(items->topLevelItem(i), 1, out);
            continue;
        }
        rows::dump(tree, out, false);
    }
    for (auto* list : page.findChildren<QListWidget*>()) {
        out << "list " + list->objectName();
        for (int i = 0; i < list->count(); ++i)
            out << " " + list->item(i)->text();
    }
    for (auto* field : page.findChildren<QLineEdit*>()) {
        if (field->objectName() != "serverField")
            out << "field " + field->objectName() + ": " + field->text();
    }
    for (auto* text : page.findChildren<QPlainTextEdit*>())
        out << "text " + text->objectName() + ": " + text->toPlainText();
    for (auto* text : page.findChildren<QTextEdit*>())
        out << "text " + text->objectName() + ": " + text->toPlainText();
    return out;
}

std::vector<QModelIndex> allRows(QTreeView* tree) {
    std::vector<QModelIndex> out;
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& row) {
        out.push_back(row);
        const int n = rows::count(row);
        for (int i = 0; i < n; ++i)
            walk(rows::child(row, i));
    };
    for (int i = 0; i < rows::topCount(tree); ++i)
        walk(rows::top(tree, i));
    return out;
}

std::vector<QTreeWidgetItem*> allItems(QTreeWidget* tree) {
    std::vector<QTreeWidgetItem*> items;
    std::function<void(QTreeWidgetItem*)> walk = [&](QTreeWidgetItem* item) {
        items.push_back(item);
        for (int i = 0; i < item->childCount(); ++i)
            walk(item->child(i));
    };
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        walk(tree->topLevelItem(i));
    return items;
}

// One directory as the pages get it: behind the fault wrapper, with a message recorder.
struct Side {
    explicit Side(DirectoryClient& client) : faults(client) {}
    PageServices services() { return PageServices{faults, reporter}; }
    FaultInjectingClient faults;
    RecordingReporter reporter;
};

// Each case runs as the demo's administrator and as its guest, who may browse everything but
// read only the values of public attributes.
class PageParity : public SharedSlapd<::testing::TestWithParam<std::string>> {
protected:
    void SetUp() override {
        ASSERT_TRUE(server && server->running());
        std::string error;
        ldapDirectory =
            LdapDirectory::open(GetParam() == "Admin.Acme" ? ldapOptionsFor(*server)
                                                           : ldapOptionsAs(*server, GetParam()),
                                &error);
        ASSERT_NE(ldapDirectory, nullptr) << error;
        embeddedDirectory = EmbeddedDirectory::openDemo(GetParam());
        ldap = std::make_unique<Side>(*ldapDirectory);
        embedded = std::make_unique<Side>(*embeddedDirectory);
    }
    void TearDown() override {
        if (ldap) {
            EXPECT_EQ(ldap->reporter.messages, embedded->reporter.messages);
            EXPECT_EQ(ldapDirectory->outstandingResources(), ClientResourceCounts{});
        }
    }
    std::unique_ptr<LdapDirectory> ldapDirectory;
    std::unique_ptr<EmbeddedDirectory> embeddedDirectory;
    std::unique_ptr<Side> ldap, embedded;
};

TEST_P(PageParity, TheBrowserShowsTheSameInEveryContainerAndForEveryAttribute) {
    CBrowserPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create();
    got.create();
    ASSERT_EQ(shown(got), shown(want));
    // Into each container of the start and back up, selecting every item of the object tree.
    // (A page's moves set where the next page starts, so one pair of pages walks.)
    auto entry = [](CBrowserPage& page, const QString& label) -> QListWidgetItem* {
        for (int i = 0; i < page.containerList()->count(); ++i) {
            QListWidgetItem* item = page.containerList()->item(i);
            if (item->text().trimmed() == label.trimmed())
                return item;
        }
        return nullptr;
    };
    QStringList labels;
    for (int i = 0; i < want.containerList()->count(); ++i) {
        if (!want.containerList()->item(i)->text().trimmed().isEmpty())
            labels << want.containerList()->item(i)->text();
    }
    for (const QString& label : labels) {
        SCOPED_TRACE(label.toStdString());
        QListWidgetItem *ea = entry(want, label), *eb = entry(got, label);
        ASSERT_TRUE(ea && eb) << shown(want).join("\n").toStdString();
        want.moveTo(ea);
        got.moveTo(eb);
        ASSERT_EQ(shown(got), shown(want));
        const auto rowsA = allRows(want.objectTree()), rowsB = allRows(got.objectTree());
        ASSERT_EQ(rowsA.size(), rowsB.size());
        for (std::size_t k = 0; k < rowsA.size() && k < 400; ++k) {
            want.objectTree()->setCurrentIndex(rowsA[k]);
            got.objectTree()->setCurrentIndex(rowsB[k]);
            EXPECT_EQ(shown(got), shown(want)) << rows::text(rowsA[k]).toStdString();
        }
        QListWidgetItem *upA = entry(want, ""), *upB = entry(got, "");
        ASSERT_TRUE(upA && upB);
        want.moveTo(upA);
        got.moveTo(upB);
        ASSERT_EQ(shown(got), shown(want));
    }
    EXPECT_EQ(ldap->reporter.messages, embedded->reporter.messages);
}

TEST_P(PageParity, TheSchemaViewerShowsTheSameForEveryClassAndAttribute) {
    CSchemaViewerPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create("ACME_TREE");
    got.create("ACME_TREE");
    ASSERT_EQ(shown(got), shown(want));
    for (const char* treeName : {"classTree", "attributeTree"}) {
        QTreeWidget* a = want.findChild<QTreeWidget*>(treeName);
        QTreeWidget* b = got.findChild<QTreeWidget*>(treeName);
        ASSERT_TRUE(a && b);
        const auto itemsA = allItems(a), itemsB = allItems(b);
        ASSERT_EQ(itemsA.size(), itemsB.size());
        // Every third item keeps the run short; every kind of item is among them.
        for (std::size_t k = 0; k < itemsA.size(); k += 3) {
            a->setCurrentItem(itemsA[k]);
            b->setCurrentItem(itemsB[k]);
            EXPECT_EQ(shown(got), shown(want)) << itemsA[k]->text(0).toStdString();
        }
    }
    EXPECT_EQ(ldap->reporter.messages, embedded->reporter.messages);
}

} // namespace

// The query page finds the same objects with the same values on both directories, for
// criteria of several syntaxes joined with AND and OR.
TEST_P(PageParity, TheQueryPageFindsTheSameObjectsWithTheSameValues) {
    CQueryPage want(embedded->services(), nullptr), got(ldap->services(), nullptr);
    want.create("ACME_TREE");
    got.create("ACME_TREE");
    struct Criterion {
        QString attribute, op, value, joint;
    };
    auto search = [](CQueryPage& page, const QString& location, const QStringList& requested,
                     const std::vector<Criterion>& criteria) {
        auto* attributes = page.findChild<QComboBox*>("attributeCombo");
        for (const QString& name : requested) {
            const int at = attributes->findText(name);
            attributes->setCurrentIndex(at);
            emit attributes->activated(at);
        }
        page.findChild<QLineEdit*>("searchLocationEdit")->setText(location);
        for (const Criterion& c : criteria) {
            attributes->setEditText(c.attribute);
            page.findChild<QComboBox*>("operatorCombo")->setEditText(c.op);
            page.findChild<QLineEdit*>("valueEdit")->setText(c.value);
            auto* orRadio = page.findChild<QRadioButton*>("orRadio");
            auto* andRadio = page.findChild<QRadioButton*>("andRadio");
            orRadio->setAutoExclusive(false);
            andRadio->setAutoExclusive(false);
            orRadio->setChecked(c.joint == "OR");
            andRadio->setChecked(c.joint == "AND");
            page.findChild<QPushButton*>("addCriteriaButton")->click();
        }
        page.findChild<QPushButton*>("submitQueryButton")->click();
    };
    const QStringList requested{"Title", "Telephone Number", "Surname", "Login Disabled"};
    const std::vector<std::vector<Criterion>> searches{
        {{"Object Class", "EQUALS", "User", ""}},
        {{"Surname", "EQUALS", "smith", ""}, {"Title", "EQUALS", "Sales Manager", "OR"}},
        {{"Object Class", "EQUALS", "User", ""},
         {"Telephone Number", "Present", "", "AND"},
         {"CN", "EQUALS", "Mary", "OR"}},
        {{"CN", "EQUALS", "Nobody", ""}},
    };
    for (const auto& criteria : searches) {
        SCOPED_TRACE(criteria.front().attribute.toStdString() + " " +
                     std::to_string(criteria.size()));
        search(want, "Acme", requested, criteria);
        search(got, "Acme", requested, criteria);
        EXPECT_TRUE(embedded->reporter.messages.empty());
        EXPECT_EQ(shown(got), shown(want));
        // The administrator finds objects with all but the last search, which finds none; the
        // guest, who may compare only naming attributes, finds fewer.
        const QTreeView* results = want.findChild<QTreeView*>("resultsTree");
        ASSERT_GT(rows::topCount(results), 0);
        const bool none = rows::text(rows::top(results)).startsWith('<');
        if (GetParam() == "Admin.Acme" || &criteria == &searches.back()) {
            EXPECT_EQ(none, &criteria == &searches.back());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Identities, PageParity, ::testing::Values("Admin.Acme", "Guest.Acme"),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return param.param.substr(0, param.param.find('.'));
                         });
