// Opens the main window on the embedded demo directory, clicks through the pages as a
// user would and saves a picture of the window at each step into the given folder.
// Run it on a real display (under Xvfb: xvfb-run -a ostrel_screenshot_tour docs/screenshots).

#include "app/OstrelDlg.h"
#include "app/Strings.h"
#include "browser/BrowserPage.h"
#include "client/ClientFactory.h"
#include "pages/Reporter.h"
#include "query/QueryPage.h"
#include "tests/support/ObjectRows.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>

namespace {
class PrintingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
};

void settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(40);
    }
}

void save(QWidget& window, const QString& folder, const QString& name) {
    settle();
    const QString path = folder + "/" + name + ".png";
    if (!window.grab().save(path))
        std::fprintf(stderr, "could not save %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; parent && i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

void clickTab(COstrelDlg& window, int tab) {
    QTest::mouseClick(window.tabBar(), Qt::LeftButton, {}, window.tabBar()->tabRect(tab).center());
}

// Selects an attribute of an object below the browser's root item, opening the object.
void showAttribute(CBrowserPage& browser, const QString& object, const QString& attribute) {
    QTreeView* tree = browser.objectTree();
    const QModelIndex item = rows::named(rows::top(tree), object);
    if (!item.isValid()) {
        std::fprintf(stderr, "no object %s\n", qPrintable(object));
        return;
    }
    tree->expand(item);
    const QModelIndex attr = rows::named(item, attribute);
    if (!attr.isValid()) {
        std::fprintf(stderr, "no attribute %s of %s\n", qPrintable(attribute), qPrintable(object));
        return;
    }
    tree->setCurrentIndex(attr);
    tree->scrollTo(attr);
}
QTreeWidgetItem* topLevelNamed(QTreeWidget* tree, const QString& text) {
    for (int i = 0; tree && i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->text(0) == text)
            return tree->topLevelItem(i);
    return nullptr;
}

void expandAll(QTreeWidgetItem* item) {
    item->setExpanded(true);
    for (int i = 0; i < item->childCount(); ++i)
        expandAll(item->child(i));
}

// Opens the User class down to "Top" and an attribute with its flags and bounds.
void openSchemaItems(QWidget& viewer) {
    const auto trees = viewer.findChildren<QTreeWidget*>();
    for (QTreeWidget* tree : trees) {
        for (const char* name : {"User", "Telephone Number"}) {
            if (QTreeWidgetItem* item = topLevelNamed(tree, QString::fromLatin1(name))) {
                item->setExpanded(true);
                if (QTreeWidgetItem* hierarchy = childNamed(item, "Super Class Hierarchy"))
                    expandAll(hierarchy);
                if (QTreeWidgetItem* flags = childNamed(item, "Attribute Flags"))
                    expandAll(flags);
                if (QTreeWidgetItem* syntax = childNamed(item, "Attribute Syntax"))
                    expandAll(syntax);
                tree->setCurrentItem(item);
                tree->scrollToItem(item, QAbstractItemView::PositionAtTop);
            }
        }
    }
}

// The "Object Manager" create form ready to send: a User with its one waiting attribute given.
void fillCreateForm(QWidget& manager) {
    auto* classes = manager.findChild<QComboBox*>("objectClassCombo");
    if (!classes) {
        std::fprintf(stderr, "no create form\n");
        return;
    }
    classes->setCurrentIndex(classes->findText("User"));
    manager.findChild<QLineEdit*>("attributeValueField")->setText("Smith");
    QTest::mouseClick(manager.findChild<QPushButton*>("addToCriteriaButton"), Qt::LeftButton);
    manager.findChild<QLineEdit*>("objectNameField")->setText("Ann");
}

// The Object Editor on the first object of its container that holds ACL values: a value
// taken back into the ACL form with the entry-rights boxes, then a queue of criteria.
void tourObjectEditor(COstrelDlg& window, const QString& folder) {
    QWidget& editor = *window.page(COstrelDlg::ObjectEditor);
    auto* tree = editor.findChild<QTreeWidget*>("objectTree");
    QTreeWidgetItem* holder = nullptr;
    QTreeWidgetItem* acl = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !acl; ++i) {
        holder = tree->topLevelItem(i);
        acl = childNamed(holder, QStringLiteral("ACL"));
    }
    if (!acl) {
        std::fprintf(stderr, "no object with ACL values\n");
        return;
    }
    holder->setExpanded(true);
    tree->setCurrentItem(acl);
    auto* values = editor.findChild<QTreeWidget*>("valueList");
    for (int row = 0; row < values->topLevelItemCount(); ++row) {
        QTreeWidgetItem* value = values->topLevelItem(row);
        if (value->text(0) == "[Entry Rights]") {
            QTest::mouseClick(values->viewport(), Qt::LeftButton, {},
                              values->visualItemRect(value).center());
            break;
        }
    }
    values->horizontalScrollBar()->setValue(0);
    save(window, folder, "object-editor-acl");

    auto* attribute = editor.findChild<QComboBox*>("attributeCombo");
    auto* operation = editor.findChild<QComboBox*>("operationCombo");
    auto* entry = editor.findChild<QLineEdit*>("entryField1");
    auto* add = editor.findChild<QPushButton*>("addCriteriaButton");
    operation->setEditText("Add Value");
    add->click();
    attribute->setCurrentIndex(attribute->findText("Description"));
    entry->setText("Sales and marketing");
    operation->setEditText("Add Attribute");
    add->click();
    attribute->setEditText("L");
    operation->setEditText("Remove Attribute");
    add->click();
    values->horizontalScrollBar()->setValue(0);
    save(window, folder, "object-editor-criteria");
}

// The Schema Manager: a combo's entry chosen as a user chooses it, a text typed.
void chooseEntry(QWidget& page, const char* comboName, const QString& text) {
    auto* combo = page.findChild<QComboBox*>(QString::fromLatin1(comboName));
    const int index = combo ? combo->findText(text) : -1;
    if (index < 0) {
        std::fprintf(stderr, "no entry %s in %s\n", qPrintable(text), comboName);
        return;
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}
void typeInto(QWidget& page, const char* comboName, const QString& text) {
    if (auto* combo = page.findChild<QComboBox*>(QString::fromLatin1(comboName)))
        combo->setEditText(text);
}

// Both halves filled in as far as a definition goes before "Create" is pressed.
void fillInSchemaManager(QWidget& manager) {
    chooseEntry(manager, "attributeFlagPicker", "Single Valued");
    chooseEntry(manager, "attributeFlagPicker", "Sized Attribute");
    chooseEntry(manager, "syntaxCombo", "Integer");
    typeInto(manager, "attributeNameCombo", "Shoe Size");
    if (auto* lower = manager.findChild<QLineEdit*>("lowerBoundEdit"))
        lower->setText("1");
    if (auto* upper = manager.findChild<QLineEdit*>("upperBoundEdit"))
        upper->setText("60");
    for (auto [picker, entry] :
         {std::pair{"containerPicker", "Organizational Unit"},
          std::pair{"containerPicker", "Organization"},
          std::pair{"classFlagPicker", "Container Class"},
          std::pair{"classFlagPicker", "Effective Class"}, std::pair{"mandatoryPicker", "CN"},
          std::pair{"optionalPicker", "Description"},
          std::pair{"optionalPicker", "Telephone Number"}})
        chooseEntry(manager, picker, QString::fromLatin1(entry));
    chooseEntry(manager, "superClassCombo", "Top");
    chooseEntry(manager, "namingAttributeCombo", "CN");
    typeInto(manager, "classNameCombo", "Widget");
}

// The Schema Manager as the guest sees it, in a window of its own.
void saveGuestSchemaManager(const QString& folder) {
    qputenv("OSTREL_IDENTITY", "Guest.Acme");
    std::string error;
    auto client = createDirectoryClient(&error);
    if (!client) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return;
    }
    PrintingReporter reporter;
    COstrelDlg window(PageServices{*client, reporter}, QString::fromLatin1(AboutMenuText));
    window.initDialog();
    window.show();
    settle();
    clickTab(window, COstrelDlg::SchemaManager);
    save(window, folder, "schema-manager-disabled");
}

// The query page with a filter of three criteria, then its results with one object opened.
void showQuery(CQueryPage& query, QWidget& window, const QString& folder) {
    auto* attributes = query.findChild<QComboBox*>("attributeCombo");
    auto* operators = query.findChild<QComboBox*>("operatorCombo");
    auto* value = query.findChild<QLineEdit*>("valueEdit");
    for (const char* name : {"Surname", "Title", "Telephone Number"}) {
        attributes->setCurrentIndex(attributes->findText(name));
        emit attributes->activated(attributes->currentIndex());
    }
    query.findChild<QLineEdit*>("searchLocationEdit")->setText("Sales.Acme");
    struct Criterion {
        const char *attribute, *op, *text, *joint;
    };
    for (const Criterion& c : {Criterion{"Object Class", "EQUALS", "User", nullptr},
                               Criterion{"Telephone Number", "Present", "", "andRadio"},
                               Criterion{"Title", "EQUALS", "Sales Manager", "orRadio"}}) {
        attributes->setEditText(c.attribute);
        operators->setEditText(c.op);
        value->setText(c.text);
        if (c.joint)
            query.findChild<QRadioButton*>(c.joint)->setChecked(true);
        QTest::mouseClick(query.findChild<QPushButton*>("addCriteriaButton"), Qt::LeftButton);
    }
    save(window, folder, "query-filter");
    QTest::mouseClick(query.findChild<QPushButton*>("submitQueryButton"), Qt::LeftButton);
    auto* results = query.findChild<QTreeView*>("resultsTree");
    for (int i = 0; i < rows::topCount(results); ++i) {
        if (rows::text(rows::top(results, i)) == "Demo.Sales.Acme") {
            results->expandRecursively(rows::top(results, i));
            results->scrollTo(rows::top(results, i), QAbstractItemView::PositionAtTop);
        }
    }
    save(window, folder, "query-results");
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const QString object = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("Demo");
    QDir().mkpath(folder);

    std::string error;
    auto client = createDirectoryClient(&error);
    if (!client) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    PrintingReporter reporter;
    COstrelDlg window(PageServices{*client, reporter}, QString::fromLatin1(AboutMenuText));
    window.initDialog();
    window.show();
    settle();

    auto& browser = static_cast<CBrowserPage&>(*window.page(COstrelDlg::Browser));
    const auto sales = browser.containerList()->findItems("Sales", Qt::MatchExactly);
    if (!sales.isEmpty())
        browser.moveTo(sales.first());
    showAttribute(browser, object, QStringLiteral("Surname"));
    save(window, folder, "browser");
    showAttribute(browser, object, QStringLiteral("ACL"));
    save(window, folder, "browser-acl");
    showAttribute(browser, object, QStringLiteral("Photo"));
    save(window, folder, "browser-octets");
    showAttribute(browser, object, QStringLiteral("Login Script"));
    save(window, folder, "browser-stream");

    const char* pages[] = {"browser-tab", "schema-viewer",  "schema-manager",
                           "query",       "object-manager", "object-editor"};
    for (int tab : {1, 2, 3, 4, 5}) {
        clickTab(window, tab);
        if (tab == COstrelDlg::SchemaViewer)
            openSchemaItems(*window.page(COstrelDlg::SchemaViewer));
        if (tab == COstrelDlg::SchemaManager)
            fillInSchemaManager(*window.page(COstrelDlg::SchemaManager));
        save(window, folder, pages[tab]);
        if (tab == COstrelDlg::ObjectManager) {
            fillCreateForm(*window.page(COstrelDlg::ObjectManager));
            save(window, folder, "object-manager-create");
        }
    }
    tourObjectEditor(window, folder);
    clickTab(window, COstrelDlg::Query);
    showQuery(static_cast<CQueryPage&>(*window.page(COstrelDlg::Query)), window, folder);
    clickTab(window, 0);

    for (int up = 0; up < 2; ++up)
        browser.moveTo(browser.containerList()->item(0));
    settle();
    browser.moveTo(browser.containerList()->item(0));
    save(window, folder, "browser-trees");
    saveGuestSchemaManager(folder);
    return 0;
}
