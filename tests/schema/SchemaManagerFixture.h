#pragma once

#include "client/common/ValueText.h"
#include "directory/ResultCodes.h"
#include "schema/SchemaManagerPage.h"
#include "tests/support/DemoClient.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <memory>

// One Schema Manager page on the demo directory, driven the way a person drives it: pick an
// entry from a combo's list, type into a field, double-click a chosen entry, press a button.
struct SchemaManagerFixture {
    explicit SchemaManagerFixture(const std::string& identity = "Admin.Acme")
        : demo(std::make_unique<DemoClient>(identity)) {}

    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CSchemaManagerPage> page;

    DirectoryModel& model() { return demo->directory->model(); }
    Schema& schema() { return model().schema(); }
    QStringList& messages() { return demo->reporter.messages; }

    void open() {
        page = std::make_unique<CSchemaManagerPage>(demo->services(), nullptr);
        page->create(model().treeName());
    }
    // Opens the page and checks that it reported nothing (a test's init()).
    void openQuietly() {
        open();
        QVERIFY(messages().isEmpty());
    }
    // Closes the page and checks that it left no client resource behind (a test's cleanup()).
    void close() {
        page.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
    }

    // The rights on "[Root]" are exactly these ACL values (text form).
    void setRootAcl(const std::vector<std::string>& values) {
        Entry& root = model().objects().root();
        const AttributeDefinition* acl = model().aclDefinition();
        if (AttributeValues* a = root.find(acl))
            a->values.clear();
        model().addTextValues(kRootEntry, {acl->name, values}, valuetext::PlainNames());
        model().changed();
    }

    QComboBox* combo(const char* name) const {
        return page->findChild<QComboBox*>(QString::fromLatin1(name));
    }
    QListWidget* list(const char* name) const {
        return page->findChild<QListWidget*>(QString::fromLatin1(name));
    }
    QLineEdit* edit(const char* name) const {
        return page->findChild<QLineEdit*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) const {
        return page->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    static QStringList items(const QComboBox* combo) {
        QStringList out;
        for (int i = 0; i < combo->count(); ++i)
            out << combo->itemText(i);
        return out;
    }
    static QStringList entries(const QListWidget* list) {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // Chooses an entry of a combo's list; false when the list does not hold it.
    bool choose(const char* comboName, const QString& text) {
        QComboBox* c = combo(comboName);
        const int index = c->findText(text, Qt::MatchExactly);
        if (index < 0)
            return false;
        c->setCurrentIndex(index);
        emit c->activated(index);
        return true;
    }
    void type(const char* comboName, const QString& text) { combo(comboName)->setEditText(text); }
    // Selects the entry and double-clicks it.
    void doubleClick(const char* listName, const QString& text) {
        QListWidget* l = list(listName);
        const auto found = l->findItems(text, Qt::MatchExactly);
        QListWidgetItem* item = found.isEmpty() ? nullptr : found.front();
        if (item)
            l->setCurrentItem(item);
        emit l->itemDoubleClicked(item);
    }
    void press(const char* buttonName) { button(buttonName)->click(); }

    // The messages shown since the last call.
    QStringList take() {
        const QStringList shown = messages();
        demo->reporter.clear();
        return shown;
    }
};
