#pragma once

// Driving a writing page on a slapd holding the demo data and on the embedded directory
// through the same steps, and comparing what each shows and reports and what each directory
// holds afterwards.
#include "LdapFixture.h"
#include "directory/NameRules.h"
#include "pages/PageFrame.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QTreeWidget>
#include <functional>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace writeparity {

inline void dumpItem(const QTreeWidgetItem* item, int depth, QStringList& out) {
    QStringList columns;
    for (int c = 0; c < item->columnCount(); ++c)
        columns << item->text(c);
    out << QString(depth, ' ') + columns.join('|') + (item->isSelected() ? " *" : "");
    for (int i = 0; i < item->childCount(); ++i)
        dumpItem(item->child(i), depth + 1, out);
}

// What a user sees of a page, control by control; the server's name is left out.
inline QStringList shown(const QWidget& page) {
    QStringList out;
    for (auto* tree : page.findChildren<QTreeView*>()) {
        out << "tree " + tree->objectName();
        if (auto* items = qobject_cast<QTreeWidget*>(tree)) {
            for (int i = 0; i < items->topLevelItemCount(); ++i)
                dumpItem(items->topLevelItem(i), 1, out);
            continue;
        }
        rows::dump(tree, out, true);
    }
    for (auto* list : page.findChildren<QListWidget*>()) {
        out << "list " + list->objectName();
        for (int i = 0; i < list->count(); ++i)
            out << " " + list->item(i)->text();
    }
    for (auto* combo : page.findChildren<QComboBox*>()) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        out << "combo " + combo->objectName() + ": " + combo->currentText() + " [" +
                   items.join(',') + "]";
    }
    for (auto* field : page.findChildren<QLineEdit*>()) {
        if (field->objectName() != "serverField" && field->parent() != nullptr &&
            qobject_cast<QComboBox*>(field->parent()) == nullptr)
            out << "field " + field->objectName() + ": " + field->text() +
                       (field->isVisibleTo(&page) ? "" : " (hidden)");
    }
    for (auto* box : page.findChildren<QCheckBox*>()) {
        if (box->isVisibleTo(&page))
            out << "box " + box->objectName() + (box->isChecked() ? ": on" : ": off");
    }
    return out;
}

// Every object of some containers with every value, as read through the seam.
using Content = std::map<std::string, std::map<std::string, ReadItem>>;

inline Content contentOf(DirectoryClient& client, const std::vector<std::string>& containers) {
    Content out;
    NWDSContextHandle ctx = pageContext(client);
    for (const std::string& container : containers) {
        std::vector<ListedItem> listed;
        EXPECT_EQ(listAll(client, ctx, container, listed), 0) << container;
        for (const ListedItem& item : listed) {
            const std::string full = fullNameOf(item.name, container);
            EXPECT_EQ(readAll(client, ctx, full, DS_ATTRIBUTE_VALUES, out[full]), 0) << full;
        }
    }
    client.NWDSFreeContext(ctx);
    return out;
}

// One directory as the pages get it: behind the fault wrapper, with a message recorder.
struct Side {
    explicit Side(DirectoryClient& client) : faults(client) {}
    PageServices services() { return PageServices{faults, reporter}; }
    FaultInjectingClient faults;
    RecordingReporter reporter;
};

template <class T> T* control(QWidget& page, const QString& name) {
    T* found = page.findChild<T*>(name);
    if (found == nullptr)
        throw std::runtime_error(name.toStdString());
    return found;
}

inline QModelIndex topItem(QWidget& page, const QString& label) {
    auto* tree = control<QTreeView>(page, "objectTree");
    for (int i = 0; i < rows::topCount(tree); ++i) {
        if (rows::text(rows::top(tree, i)) == label)
            return rows::top(tree, i);
    }
    return {};
}

class WritePageParity : public ::testing::Test {
protected:
    // Each test changes the data: a server of its own.
    void SetUp() override {
        server = std::make_unique<SlapdServer>();
        ASSERT_TRUE(server->running()) << server->failure();
        std::string error;
        ldapDirectory = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(ldapDirectory, nullptr) << error;
        embeddedDirectory = EmbeddedDirectory::openDemo();
        ASSERT_NE(embeddedDirectory, nullptr);
        ldap = std::make_unique<Side>(*ldapDirectory);
        embedded = std::make_unique<Side>(*embeddedDirectory);
    }
    void TearDown() override {
        if (ldap) {
            EXPECT_EQ(ldapDirectory->outstandingResources(), ClientResourceCounts{});
        }
    }
    // Both directories again, logged in as another User of the demo.
    void openAs(const std::string& identity) {
        ldap.reset();
        embedded.reset();
        std::string error;
        ldapDirectory = LdapDirectory::open(ldapOptionsAs(*server, identity), &error);
        ASSERT_NE(ldapDirectory, nullptr) << error;
        embeddedDirectory = EmbeddedDirectory::openDemo(identity);
        ASSERT_NE(embeddedDirectory, nullptr);
        ldap = std::make_unique<Side>(*ldapDirectory);
        embedded = std::make_unique<Side>(*embeddedDirectory);
    }

    // Runs one step on both pages and expects the same to be seen and reported.
    template <class Page>
    void onBoth(Page& want, Page& got, const std::function<void(Page&)>& step) {
        step(want);
        step(got);
        EXPECT_EQ(shown(got).join('\n').toStdString(), shown(want).join('\n').toStdString());
        EXPECT_EQ(withoutServerWords(ldap->reporter.messages).join('\n').toStdString(),
                  embedded->reporter.messages.join('\n').toStdString())
            << "the server's last word: " << ldapDirectory->lastFailure().text;
    }
    // The directories hold the same, read by a fresh client from the server.
    void expectSameContent(const std::vector<std::string>& containers) {
        std::string error;
        auto fresh = LdapDirectory::open(ldapOptionsFor(*server), &error);
        ASSERT_NE(fresh, nullptr) << error;
        // Read as the administrator on both sides: after another identity's steps, which the
        // demo lets change nothing, the demo as loaded.
        std::unique_ptr<EmbeddedDirectory> asLoaded;
        if (embeddedDirectory->loggedInAs() != "Admin.Acme")
            asLoaded = EmbeddedDirectory::openDemo();
        const Content want = contentOf(asLoaded ? *asLoaded : *embeddedDirectory, containers);
        const Content got = contentOf(*fresh, containers);
        EXPECT_EQ(got.size(), want.size());
        for (const auto& [name, attributes] : want) {
            auto it = got.find(name);
            ASSERT_NE(it, got.end()) << name;
            EXPECT_EQ(it->second, attributes) << name;
        }
    }

    std::unique_ptr<SlapdServer> server;
    std::unique_ptr<LdapDirectory> ldapDirectory;
    std::unique_ptr<EmbeddedDirectory> embeddedDirectory;
    std::unique_ptr<Side> ldap, embedded;
};

} // namespace writeparity
