#pragma once

#include "objects/EditPanel.h"
#include "objects/ObjectEditorPage.h"
#include "pages/TreeItems.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

// Drives the Object Editor on the demo tree (name context Acme) the way a user does.
class ObjectEditorFixture : public QObject {
    Q_OBJECT
protected:
    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CObjectEditorPage> page;

    static QString failed(const char* format, NWDSCCODE code = -672) {
        return QString::asprintf(format, unsigned(code));
    }

    void openPage() {
        page = std::make_unique<CObjectEditorPage>(demo->services(), nullptr);
        page->create("ACME_TREE");
        page->resize(720, 600);
    }
    void closePage() {
        page.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
    }

    template <class T> T* control(const char* name) const {
        T* c = page->findChild<T*>(QString::fromLatin1(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QTreeView* tree() const { return control<QTreeView>("objectTree"); }
    QTreeWidget* values() const { return control<QTreeWidget>("valueList"); }
    QTreeWidget* criteria() const { return control<QTreeWidget>("criteriaList"); }
    QComboBox* attributeCombo() const { return control<QComboBox>("attributeCombo"); }
    QComboBox* operationCombo() const { return control<QComboBox>("operationCombo"); }
    QComboBox* protectedCombo() const { return control<QComboBox>("protectedAttributeCombo"); }
    QLineEdit* field(const char* name) const { return control<QLineEdit>(name); }
    QString text(const char* name) const { return field(name)->text(); }
    QLineEdit* entry(int n) const {
        return field(qPrintable(QStringLiteral("entryField%1").arg(n)));
    }
    QLineEdit* prompt(int n) const {
        return field(qPrintable(QStringLiteral("promptField%1").arg(n)));
    }
    QCheckBox* box(const char* name) const { return control<QCheckBox>(name); }
    bool shown(QWidget* w) const { return w->isVisibleTo(page.get()); }

    QModelIndex object(const QString& label) const {
        for (int i = 0; i < rows::topCount(tree()); ++i)
            if (rows::text(rows::top(tree(), i)) == label)
                return rows::top(tree(), i);
        return {};
    }
    QModelIndex attribute(const QString& objectLabel, const QString& attr) const {
        return rows::named(object(objectLabel), attr);
    }
    void select(const QModelIndex& item) {
        QVERIFY(item.isValid());
        tree()->clearSelection();
        tree()->selectionModel()->select(item, QItemSelectionModel::Select);
    }
    static QStringList items(QComboBox* combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return texts;
    }
    // Picks a list entry the way the drop-down list does.
    static void choose(QComboBox* combo, const QString& text) {
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index < 0)
            qFatal("no entry %s", qPrintable(text));
        combo->setCurrentIndex(index);
    }
    void clickValueRow(int row) {
        QTreeWidgetItem* item = values()->topLevelItem(row);
        const QPoint at = item ? values()->visualItemRect(item).center() : QPoint(5, 5);
        QTest::mouseClick(values()->viewport(), Qt::LeftButton, {}, at);
    }
    void click(const char* button) { control<QPushButton>(button)->click(); }
    // Queues one criterion through the panel as it stands.
    void queue(const QString& attr, const QString& operation) {
        attributeCombo()->setEditText(attr);
        operationCombo()->setEditText(operation);
        click("addCriteriaButton");
    }
    QStringList row(int r) const {
        QStringList cells;
        QTreeWidgetItem* item = criteria()->topLevelItem(r);
        for (int c = 0; item && c < criteria()->columnCount(); ++c)
            cells << item->text(c);
        return cells;
    }
    QStringList valueRow(int r) const {
        QStringList cells;
        QTreeWidgetItem* item = values()->topLevelItem(r);
        for (int c = 0; item && c < values()->columnCount(); ++c)
            cells << item->text(c);
        return cells;
    }
    QStringList messages() const { return demo->reporter.messages; }
};
