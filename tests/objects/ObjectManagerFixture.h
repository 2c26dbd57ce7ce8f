#pragma once

#include "client/embedded/EmbeddedDirectory.h"
#include "directory/ResultCodes.h"
#include "objects/ObjectManagerPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The demo directory behind the fault wrapper, which here also keeps the attribute names
// put into requests, so that tests see what a page sends and in which order.
struct ManagerDemo {
    struct Faults : FaultInjectingClient {
        using FaultInjectingClient::FaultInjectingClient;
        NWDSCCODE NWDSPutAttrName(NWDSContextHandle context, Buf_T* buffer,
                                  const char* attrName) override {
            putNames.emplace_back(attrName);
            return FaultInjectingClient::NWDSPutAttrName(context, buffer, attrName);
        }
        std::vector<std::string> putNames;
    };

    explicit ManagerDemo(const std::string& identity = "Admin.Acme")
        : directory(EmbeddedDirectory::openDemo(identity)),
          faults(directory ? *directory : throw std::runtime_error("demo directory")) {}

    PageServices services() { return PageServices{faults, reporter}; }
    ClientResourceCounts outstanding() const { return faults.outstandingResources(); }
    bool exists(const std::string& fullName) {
        return directory->model().find(fullName).has_value();
    }

    std::unique_ptr<EmbeddedDirectory> directory;
    Faults faults;
    RecordingReporter reporter;
};

// A created "Object Manager" page on the demo tree (name context Acme) and its controls.
struct ManagerPage {
    explicit ManagerPage(ManagerDemo& demo) : page(demo.services(), nullptr) {
        page.create("ACME_TREE");
    }
    template <class T> T* control(const char* name) {
        T* found = page.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(name);
        return found;
    }
    QLineEdit* field(const char* name) { return control<QLineEdit>(name); }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }

    void chooseClass(const QString& name) {
        auto* combo = control<QComboBox>("objectClassCombo");
        combo->setCurrentIndex(combo->findText(name, Qt::MatchExactly));
    }
    void addPair(const QString& value) {
        field("attributeValueField")->setText(value);
        click("addToCriteriaButton");
    }
    QStringList waiting() {
        QStringList out;
        auto* list = control<QListWidget>("mandatoryList");
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }
    QStringList criteria() {
        QStringList out;
        auto* list = control<QTreeWidget>("criteriaList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            out << list->topLevelItem(i)->text(0) + "=" + list->topLevelItem(i)->text(1);
        return out;
    }
    QStringList objects() {
        QStringList out;
        auto* tree = control<QTreeView>("objectTree");
        for (int i = 0; i < rows::topCount(tree); ++i)
            out << rows::text(rows::top(tree, i));
        return out;
    }

    CObjectManagerPage page;
};

// What a live page holds between its handlers: its context, nothing else.
inline const ClientResourceCounts kPageContextOnly{1, 0, 0, 0};

inline QString hex(NWDSCCODE code) {
    return QString::asprintf("%04X", unsigned(code));
}
