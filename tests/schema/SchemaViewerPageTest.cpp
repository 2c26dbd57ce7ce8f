#include "ViewerFixture.h"
#include "directory/ResultCodes.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
AttributeDefinition attributeOf(std::string name, std::uint32_t flags, std::uint32_t syntax,
                                std::uint32_t lower = 0, std::uint32_t upper = 0) {
    AttributeDefinition def;
    def.name = std::move(name);
    def.flags = flags;
    def.syntax = syntax;
    def.lower = lower;
    def.upper = upper;
    return def;
}

QImage picture(const QIcon& icon, QIcon::Mode mode) {
    return icon.pixmap(QSize(ImageList::ImageWidth, ImageList::ImageHeight), mode).toImage();
}
} // namespace

class SchemaViewerPageTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ViewerFixture> f;

    QString field(const char* name) const {
        return f->page->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QTreeWidgetItem* attribute(const char* name) const {
        return ViewerFixture::root(f->attributeTree(), QString::fromUtf8(name));
    }
    QString flagsOutline(const char* attributeName) const {
        return ViewerFixture::outline(
            ViewerFixture::child(attribute(attributeName), QStringLiteral("Attribute Flags")));
    }
    void select(QTreeWidget* tree, QTreeWidgetItem* item) {
        QVERIFY(item);
        tree->setCurrentItem(item);
    }
    static bool sortedCaseInsensitive(const QStringList& texts) {
        for (int i = 1; i < texts.size(); ++i) {
            if (QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive) > 0)
                return false;
        }
        return true;
    }

private slots:
    void init() { f = std::make_unique<ViewerFixture>(); }
    void cleanup() {
        f->page.reset();
        QCOMPARE(f->demo->outstanding(), ClientResourceCounts{});
        f.reset();
    }

    void headerFieldsAndTheirLabels() {
        f->open();
        QCOMPARE(field("currentTreeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(field("contextField"), QString::fromStdString(f->page->nameContext()));
        QVERIFY(!field("contextField").isEmpty());
        QCOMPARE(field("serverField"), QStringLiteral("ACME-FS1"));
        QCOMPARE(field("selectedObjectField"), QString());

        const struct {
            const char* label;
            const char* text;
            const char* control;
        } labels[] = {
            {"currentTreeFieldLabel", "Current Tree: ", "currentTreeField"},
            {"contextFieldLabel", "Context: ", "contextField"},
            {"classTreeLabel", "NDS Schema Object Classes:", "classTree"},
            {"attributeTreeLabel", "NDS Schema Attribute Classes:", "attributeTree"},
            {"selectedObjectFieldLabel", "Selected Object:", "selectedObjectField"},
            {"serverFieldLabel", "Server:", "serverField"},
        };
        for (const auto& l : labels) {
            auto* label = f->page->findChild<QLabel*>(QString::fromLatin1(l.label));
            QVERIFY2(label, l.label);
            QCOMPARE(label->text(), QString::fromLatin1(l.text));
            QVERIFY2(label->buddy() && label->buddy()->objectName() == QLatin1String(l.control),
                     l.label);
            if (auto* edit = qobject_cast<QLineEdit*>(label->buddy()))
                QVERIFY2(edit->isReadOnly(), l.control);
        }
    }

    void rootItemsAreSortedAndEachAttributeShowsItsSyntax() {
        f->open();
        const QStringList classes = ViewerFixture::rootTexts(f->classTree());
        const QStringList attributes = ViewerFixture::rootTexts(f->attributeTree());
        QCOMPARE(classes.size(), int(f->schema().classes().size()));
        QCOMPARE(attributes.size(), int(f->schema().attributes().size()));
        QVERIFY(sortedCaseInsensitive(classes));
        QVERIFY(sortedCaseInsensitive(attributes));

        QTreeWidgetItem* cn = attribute("CN");
        QVERIFY(cn);
        QCOMPARE(itemImage(cn), 18);
        QCOMPARE(ViewerFixture::children(cn),
                 QStringList({"Attribute Flags:6", "Attribute Syntax:19"}));
        QCOMPARE(
            ViewerFixture::outline(ViewerFixture::child(cn, QStringLiteral("Attribute Syntax"))),
            QStringLiteral("Attribute Syntax:19{SYN_CI_STRING:19}"));
    }

    void attributeFlagsAndBounds() {
        QCOMPARE(
            f->model().addAttribute(attributeOf("Sized Test", 0x0003, SYN_INTEGER, 1, 0xFFFFFFFF)),
            0);
        // Bounds without the sized flag are not shown.
        QCOMPARE(f->model().addAttribute(attributeOf("Unsized Test", 0x0481, SYN_CI_STRING, 5, 10)),
                 0);
        QCOMPARE(f->model().addAttribute(attributeOf("No Flags Test", 0, SYN_BOOLEAN)), 0);
        f->schema().addAttribute(attributeOf("Future Syntax Test", 0, 31));
        f->open();

        QCOMPARE(flagsOutline("Sized Test"),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Sized Attribute:20{"
                                "Upper Bound:22{-1:22};Lower Bound:21{1:21}}}"));
        QCOMPARE(flagsOutline("Unsized Test"),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Public Read:20;"
                                "Per Replica : Not Synchronized:20}"));
        QCOMPARE(flagsOutline("No Flags Test"), QStringLiteral("Attribute Flags:6"));
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(attribute("Future Syntax Test"),
                                                             QStringLiteral("Attribute Syntax"))),
                 QStringLiteral("Attribute Syntax:19{Syntax 31:19}"));

        // "Upper Bound" shows the flag picture while selected.
        const ImageList* images = f->page->imageList();
        QVERIFY(images);
        QTreeWidgetItem* upper = ViewerFixture::child(
            ViewerFixture::child(
                ViewerFixture::child(attribute("Sized Test"), QStringLiteral("Attribute Flags")),
                QStringLiteral("Sized Attribute")),
            QStringLiteral("Upper Bound"));
        QVERIFY(upper);
        QCOMPARE(picture(upper->icon(0), QIcon::Normal), picture(images->icon(22), QIcon::Normal));
        QCOMPARE(picture(upper->icon(0), QIcon::Selected),
                 picture(images->icon(20), QIcon::Normal));
    }

    void everyAttributeFlagInTableOrder() {
        QCOMPARE(f->model().addAttribute(attributeOf("All Flags Test", 0x07FD, SYN_CI_STRING)), 0);
        f->open();
        QCOMPARE(flagsOutline("All Flags Test"),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Non-Removeable Attribute:20;"
                                "Read Only Attribute:20;Hidden Attribute:20;String Attribute:20;"
                                "Synchronize Immediate:20;Public Read:20;Server Read:20;"
                                "Write Managed:20;Per Replica : Not Synchronized:20}"));
    }

    void onlyRootItemsChangeTheSelectedObject() {
        f->open();
        QTreeWidget* classes = f->classTree();
        QTreeWidget* attributes = f->attributeTree();
        QTreeWidgetItem* user = ViewerFixture::root(classes, QStringLiteral("User"));
        QTreeWidgetItem* mandatory =
            ViewerFixture::child(user, QStringLiteral("Mandatory Attributes"));
        QTreeWidgetItem* optional =
            ViewerFixture::child(user, QStringLiteral("Optional Attributes"));
        QVERIFY(mandatory && mandatory->childCount() > 0 && optional);
        QTreeWidgetItem* own = optional->child(0); // User's own items come first, image 0
        QVERIFY(own && itemImage(own) == 0);

        select(classes, user);
        QCOMPARE(field("selectedObjectField"), QStringLiteral("User"));
        const QList<QTreeWidgetItem*> notRoots = {
            mandatory, own,
            mandatory->child(mandatory->childCount() - 1),                       // inherited item
            ViewerFixture::child(user, QStringLiteral("Class Flags"))->child(0), // flag label
        };
        for (QTreeWidgetItem* item : notRoots) {
            select(classes, item);
            QCOMPARE(field("selectedObjectField"), QStringLiteral("User"));
        }

        QTreeWidgetItem* cn = attribute("CN");
        select(attributes, cn);
        QCOMPARE(field("selectedObjectField"), QStringLiteral("CN"));
        select(attributes, ViewerFixture::child(cn, QStringLiteral("Attribute Syntax"))->child(0));
        select(attributes, ViewerFixture::child(cn, QStringLiteral("Attribute Flags")));
        QCOMPARE(field("selectedObjectField"), QStringLiteral("CN"));

        select(classes, ViewerFixture::root(classes, QStringLiteral("Top")));
        QCOMPARE(field("selectedObjectField"), QStringLiteral("Top"));
    }

    void refreshShowsANewClassAtItsSortedPlace() {
        f->open();
        select(f->classTree(), ViewerFixture::root(f->classTree(), QStringLiteral("User")));
        const int classCount = f->classTree()->topLevelItemCount();
        const ClientResourceCounts before = f->demo->outstanding();

        ClassDefinition added;
        added.name = "Middle Class";
        added.lists[ClassDefinition::SuperClasses] = {"Top"};
        added.lists[ClassDefinition::Mandatory] = {"Full Name"};
        QCOMPARE(f->model().addClass(added), 0);
        QCOMPARE(f->model().addAttribute(attributeOf("Middle Attribute", 0, SYN_CI_STRING)), 0);
        f->page->refresh();

        const QStringList classes = ViewerFixture::rootTexts(f->classTree());
        QCOMPARE(classes.size(), classCount + 1);
        QVERIFY(sortedCaseInsensitive(classes));
        QCOMPARE(classes.count(QStringLiteral("Middle Class")), 1);
        QCOMPARE(ViewerFixture::children(
                     ViewerFixture::child(
                         ViewerFixture::root(f->classTree(), QStringLiteral("Middle Class")),
                         QStringLiteral("Mandatory Attributes")))
                     .first(),
                 QStringLiteral("Full Name:0"));
        QVERIFY(attribute("Middle Attribute"));
        QCOMPARE(field("selectedObjectField"), QStringLiteral("User"));
        QCOMPARE(field("currentTreeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(f->demo->outstanding(), before);
    }

    void attributeWalkFailuresAreSilent() {
        f->demo->faults.failCall("NWDSGetAttrDef", 3, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->attributeTree()->topLevelItemCount(), 2);
        QVERIFY(f->demo->reporter.messages.isEmpty());
        QCOMPARE(f->classTree()->topLevelItemCount(), int(f->schema().classes().size()));
    }

    void pageWithoutAContextReportsTheReadsOfARefresh() {
        f->demo->faults.failCall("NWDSCreateContextHandle", 1, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSCreateContextHandle() returned FFFFFEC1")});
        QCOMPARE(f->classTree()->topLevelItemCount(), 0);
        f->demo->reporter.clear();
        f->page->refresh();
        QCOMPARE(f->classTree()->topLevelItemCount(), 0);
        QCOMPARE(f->attributeTree()->topLevelItemCount(), 0);
        QVERIFY(f->demo->reporter.messages.contains(
            QString::asprintf("NWDSReadClassDef() returned: %04X\n", unsigned(ERR_BAD_CONTEXT))));
    }
};

QTEST_MAIN(SchemaViewerPageTest)
#include "SchemaViewerPageTest.moc"
