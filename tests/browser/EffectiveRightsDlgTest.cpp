// The rights dialog of the browser on the embedded demo: opened from the selection, it shows
// the logged-in identity's rights and any other identity's, each with the ACL values that make
// it, and every control is named as it is labelled.
#include "browser/EffectiveRightsDlg.h"

#include "browser/BrowserPage.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <memory>

class EffectiveRightsDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CBrowserPage> page;

    void enter(const QString& container) {
        const auto found = page->containerList()->findItems(container, Qt::MatchExactly);
        QVERIFY(!found.isEmpty());
        page->moveTo(found.first());
    }
    QModelIndex objectItem(const QString& text) const {
        return rows::named(rows::top(page->objectTree()), text);
    }
    static QTreeWidgetItem* line(QTreeWidget* tree, const QString& attribute) {
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            if (tree->topLevelItem(i)->text(0) == attribute)
                return tree->topLevelItem(i);
        }
        return nullptr;
    }
    static QStringList children(QTreeWidgetItem* item) {
        QStringList out;
        for (int i = 0; i < item->childCount(); ++i)
            out << item->child(i)->text(0) + " | " + item->child(i)->text(1) + " | " +
                       item->child(i)->text(3);
        return out;
    }

private slots:
    void init() {
        demo = std::make_unique<DemoClient>();
        page = std::make_unique<CBrowserPage>(demo->services(), nullptr);
        page->create();
        page->show();
    }
    void cleanup() {
        page.reset();
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void theButtonFollowsTheSelectedObject() {
        // The page opens in the identity's container, Acme.
        QVERIFY(!page->rightsButton()->isEnabled());
        page->objectTree()->setCurrentIndex(rows::top(page->objectTree()));
        QVERIFY(page->rightsButton()->isEnabled());
        QCOMPARE(QString::fromStdString(page->rightsObjectName()), QStringLiteral("Acme"));
        enter("");
        QVERIFY(!page->rightsButton()->isEnabled()); // a move drops the selection
        page->objectTree()->setCurrentIndex(rows::top(page->objectTree()));
        QCOMPARE(QString::fromStdString(page->rightsObjectName()), QStringLiteral("[Root]"));
        enter("Acme");
        const QModelIndex guest = objectItem("Guest");
        QVERIFY(guest.isValid() && rows::count(guest) > 0);
        page->objectTree()->setCurrentIndex(guest);
        QCOMPARE(QString::fromStdString(page->rightsObjectName()), QStringLiteral("Guest.Acme"));
        // An attribute selected asks about its object (whose values it has read).
        page->objectTree()->setCurrentIndex(rows::child(guest, 0));
        QVERIFY(page->rightsButton()->isEnabled());
        QCOMPARE(QString::fromStdString(page->rightsObjectName()), QStringLiteral("Guest.Acme"));
    }

    void theLoggedInIdentitysRightsComeWithTheirSources() {
        enter("Sales");
        page->objectTree()->setCurrentIndex(objectItem("Demo"));
        CEffectiveRightsDlg dialog(*page, page->rightsObjectName());
        QCOMPARE(dialog.findChild<QLineEdit*>("rightsIdentityEdit")->text(),
                 QStringLiteral("Admin.Acme"));
        QVERIFY2(dialog.showRights(), qPrintable(demo->reporter.messages.join(";")));
        QTreeWidget* tree = dialog.rightsTree();
        QTreeWidgetItem* entry = line(tree, "[Entry Rights]");
        QVERIFY(entry);
        QCOMPARE(entry->text(1), QStringLiteral("[BADRS]"));
        QCOMPARE(entry->text(2), QString());
        QVERIFY(children(entry).contains(
            "ACL of [Root] | [S] | Admin.Acme for [Entry Rights], inherited"));
        QVERIFY(children(entry).contains(
            "ACL of [Root] | [B] | [Public] (public) for [Entry Rights], inherited"));
        QVERIFY(line(tree, "Telephone Number"));
        QCOMPARE(line(tree, "Telephone Number")->text(1), QStringLiteral("[CRWAS]"));
        QVERIFY(!dialog.findChild<QLabel*>("rightsNote")->text().isEmpty());
        QVERIFY(demo->reporter.messages.isEmpty());
    }

    void anotherIdentityIsShownFromTheKeyboard() {
        enter("Sales");
        page->objectTree()->setCurrentIndex(objectItem("Demo"));
        CEffectiveRightsDlg dialog(*page, page->rightsObjectName());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* identity = dialog.findChild<QLineEdit*>("rightsIdentityEdit");
        identity->setFocus();
        identity->selectAll();
        QTest::keyClicks(identity, "Jane.Sales.Acme");
        QTest::keyClick(identity, Qt::Key_Return);
        QTreeWidget* tree = dialog.rightsTree();
        QTreeWidgetItem* entry = line(tree, "[Entry Rights]");
        QVERIFY(entry);
        QCOMPARE(entry->text(1), QStringLiteral("[BA]"));
        QVERIFY(children(entry).contains(
            "ACL of Demo.Sales.Acme | [BA] | Jane.Sales.Acme for [Entry Rights]"));
        QVERIFY(children(entry).contains(
            "ACL of Sales.Acme | [B] | Sales.Acme for [Entry Rights], inherited"));
        // Her own telephone value on Demo counts there instead of what Sales gives.
        QTreeWidgetItem* phone = line(tree, "Telephone Number");
        QVERIFY(phone);
        for (const QString& source : children(phone))
            QVERIFY2(!source.startsWith("ACL of Sales.Acme | [CR] | Jane"), qPrintable(source));
        // A Public Read attribute says so.
        QTreeWidgetItem* address = line(tree, "Network Address");
        QVERIFY(address);
        QVERIFY(children(address).join("\n").contains("the attribute is Public Read"));
    }

    void aFailureIsReportedWithTheCallAndItsCode() {
        CEffectiveRightsDlg dialog(*page, ".Missing.Acme");
        QVERIFY(!dialog.showRights());
        QCOMPARE(dialog.rightsTree()->topLevelItemCount(), 0);
        QCOMPARE(demo->reporter.messages.size(), 1);
        QVERIFY(demo->reporter.last().startsWith("explainRights() returned: FFFFFD"));
    }

    void everyControlIsAnnouncedByItsLabel() {
        CEffectiveRightsDlg dialog(*page, "[Root]");
        const QList<QPair<const char*, QString>> named = {
            {"rightsObjectField", "Object:"},
            {"rightsIdentityEdit", "Identity:"},
            {"showRightsButton", "Show Rights"},
            {"rightsTree", "Rights"},
            {"rightsNote", "How the rights were found"},
            {"closeButton", "Close"}};
        for (const auto& [name, text] : named) {
            auto* control = dialog.findChild<QWidget*>(name);
            QVERIFY2(control, name);
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
            QVERIFY(accessible);
            QCOMPARE(accessible->text(QAccessible::Name), text);
        }
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(page->rightsButton());
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("Effective Rights..."));
    }
};

QTEST_MAIN(EffectiveRightsDlgTest)
#include "EffectiveRightsDlgTest.moc"
