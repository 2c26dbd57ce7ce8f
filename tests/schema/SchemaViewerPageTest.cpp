#include "ViewerFixture.h"
#include "directory/ResultCodes.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {
AttributeDefinition attributeOf(std::string name, std::uint32_t flags, std::uint32_t lower = 0,
                                std::uint32_t upper = 0) {
    AttributeDefinition def;
    def.name = std::move(name);
    def.flags = flags;
    def.syntax = SYN_INTEGER;
    def.lower = lower;
    def.upper = upper;
    return def;
}
QImage picture(const QIcon& icon, QIcon::Mode mode) {
    return icon.pixmap(QSize(ImageList::ImageWidth, ImageList::ImageHeight), mode).toImage();
}
bool sortedWithoutCase(const QStringList& texts) {
    for (int i = 1; i < texts.size(); ++i) {
        if (QString::compare(texts[i - 1], texts[i], Qt::CaseInsensitive) > 0)
            return false;
    }
    return true;
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
    QTreeWidgetItem* under(const char* attributeName, const char* node) const {
        return ViewerFixture::child(attribute(attributeName), QString::fromLatin1(node));
    }
    QString selectedAfterChoosing(QTreeWidget* tree, QTreeWidgetItem* item) {
        tree->setCurrentItem(item);
        return field("selectedObjectField");
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
        QCOMPARE(field("serverField"), QStringLiteral("ACME-FS1"));
        const char* labels[][3] = {
            {"currentTreeFieldLabel", "Current Tree: ", "currentTreeField"},
            {"contextFieldLabel", "Context: ", "contextField"},
            {"classTreeLabel", "NDS Schema Object Classes:", "classTree"},
            {"attributeTreeLabel", "NDS Schema Attribute Classes:", "attributeTree"},
            {"selectedObjectFieldLabel", "Selected Object:", "selectedObjectField"},
            {"serverFieldLabel", "Server:", "serverField"},
        };
        for (const auto& [name, text, control] : labels) {
            auto* label = f->page->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY2(label && label->text() == QLatin1String(text), name);
            QVERIFY2(label->buddy() && label->buddy()->objectName() == QLatin1String(control),
                     name);
        }
    }

    void attributeItemsShowFlagsBoundsAndSyntax() {
        QCOMPARE(f->model().addAttribute(attributeOf("Sized Test", 0x0003, 1, 0xFFFFFFFF)), 0);
        // Bounds without the sized flag are not shown.
        QCOMPARE(f->model().addAttribute(attributeOf("Unsized Test", 0x0481, 5, 10)), 0);
        QCOMPARE(f->model().addAttribute(attributeOf("All Flags Test", 0x07FD)), 0);
        f->open();
        const QStringList roots = ViewerFixture::rootTexts(f->attributeTree());
        QCOMPARE(roots.size(), int(f->schema().attributes().size()));
        QVERIFY(sortedWithoutCase(roots));
        QVERIFY(sortedWithoutCase(ViewerFixture::rootTexts(f->classTree())));

        QCOMPARE(itemImage(attribute("CN")), 18);
        QCOMPARE(ViewerFixture::children(attribute("CN")),
                 QStringList({"Attribute Flags:6", "Attribute Syntax:19"}));
        QCOMPARE(ViewerFixture::children(under("CN", "Attribute Syntax")),
                 QStringList{"SYN_CI_STRING:19"});
        QCOMPARE(ViewerFixture::children(under("Badge Record", "Attribute Syntax")),
                 QStringList{"Syntax 31:19"}); // past the table of syntax names
        QCOMPARE(ViewerFixture::outline(under("Sized Test", "Attribute Flags")),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Sized Attribute:20{"
                                "Upper Bound:22{-1:22};Lower Bound:21{1:21}}}"));
        QCOMPARE(ViewerFixture::outline(under("Unsized Test", "Attribute Flags")),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Public Read:20;"
                                "Per Replica : Not Synchronized:20}"));
        QCOMPARE(ViewerFixture::outline(under("All Flags Test", "Attribute Flags")),
                 QStringLiteral("Attribute Flags:6{Single Valued:20;Non-Removeable Attribute:20;"
                                "Read Only Attribute:20;Hidden Attribute:20;String Attribute:20;"
                                "Synchronize Immediate:20;Public Read:20;Server Read:20;"
                                "Write Managed:20;Per Replica : Not Synchronized:20}"));

        // "Upper Bound" shows the flag picture while selected.
        QTreeWidgetItem* upper = under("Sized Test", "Attribute Flags")->child(1)->child(0);
        const ImageList* images = f->page->imageList();
        QVERIFY(images && upper->text(0) == QLatin1String("Upper Bound"));
        QCOMPARE(picture(upper->icon(0), QIcon::Normal), picture(images->icon(22), QIcon::Normal));
        QCOMPARE(picture(upper->icon(0), QIcon::Selected),
                 picture(images->icon(20), QIcon::Normal));
    }

    void onlyRootItemsChangeTheSelectedObject() {
        f->open();
        QTreeWidget* classes = f->classTree();
        QTreeWidgetItem* user = ViewerFixture::root(classes, QStringLiteral("User"));
        QTreeWidgetItem* mandatory =
            ViewerFixture::child(user, QStringLiteral("Mandatory Attributes"));
        QTreeWidgetItem* own =
            ViewerFixture::child(user, QStringLiteral("Optional Attributes"))->child(0);
        QVERIFY(mandatory->childCount() > 0 && itemImage(own) == 0); // an item, not a root
        QCOMPARE(selectedAfterChoosing(classes, user), QStringLiteral("User"));
        for (QTreeWidgetItem* item :
             {mandatory, own, mandatory->child(mandatory->childCount() - 1),
              ViewerFixture::child(user, QStringLiteral("Class Flags"))->child(0)})
            QCOMPARE(selectedAfterChoosing(classes, item), QStringLiteral("User"));

        QTreeWidget* attributes = f->attributeTree();
        QCOMPARE(selectedAfterChoosing(attributes, attribute("CN")), QStringLiteral("CN"));
        QCOMPARE(selectedAfterChoosing(attributes, under("CN", "Attribute Syntax")->child(0)),
                 QStringLiteral("CN"));
        QCOMPARE(
            selectedAfterChoosing(classes, ViewerFixture::root(classes, QStringLiteral("Top"))),
            QStringLiteral("Top"));
    }

    void refreshShowsANewClassAtItsSortedPlace() {
        f->open();
        f->classTree()->setCurrentItem(ViewerFixture::root(f->classTree(), QStringLiteral("User")));
        const int classCount = f->classTree()->topLevelItemCount();
        const ClientResourceCounts before = f->demo->outstanding();
        ClassDefinition added;
        added.name = "Middle Class";
        added.lists[ClassDefinition::SuperClasses] = {"Top"};
        added.lists[ClassDefinition::Mandatory] = {"Full Name"};
        QCOMPARE(f->model().addClass(added), 0);
        QCOMPARE(f->model().addAttribute(attributeOf("Middle Attribute", 0)), 0);

        f->page->refresh();
        const QStringList classes = ViewerFixture::rootTexts(f->classTree());
        QCOMPARE(classes.size(), classCount + 1);
        QVERIFY(sortedWithoutCase(classes) && classes.contains(QStringLiteral("Middle Class")));
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
    }

    void pageWithoutAContextReportsTheReadsOfARefresh() {
        f->demo->faults.failCall("NWDSCreateContextHandle", 1, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSCreateContextHandle() returned FFFFFEC1")});
        f->demo->reporter.clear();
        f->page->refresh();
        QCOMPARE(f->classTree()->topLevelItemCount() + f->attributeTree()->topLevelItemCount(), 0);
        QVERIFY(f->demo->reporter.messages.contains(
            QString::asprintf("NWDSReadClassDef() returned: %04X\n", unsigned(ERR_BAD_CONTEXT))));
    }
};

QTEST_MAIN(SchemaViewerPageTest)
#include "SchemaViewerPageTest.moc"
