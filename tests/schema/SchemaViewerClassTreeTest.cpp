#include "RawSchema.h"
#include "ViewerFixture.h"
#include "directory/ResultCodes.h"

#include <QLineEdit>
#include <QTest>

namespace {
const QStringList CategoryNodes = {
    "Super Class Hierarchy:1", "Containment:2",         "Naming Attributes:3",
    "Mandatory Attributes:4",  "Optional Attributes:5", "Class Flags:6",
};
const QString Mandatory = QStringLiteral("Mandatory Attributes");
const QString Optional = QStringLiteral("Optional Attributes");
const QString SuperClasses = QStringLiteral("Super Class Hierarchy");

ClassDefinition classOf(std::string name, std::vector<std::string> supers,
                        std::vector<std::string> mandatory,
                        std::vector<std::string> optional = {}) {
    ClassDefinition def;
    def.name = std::move(name);
    def.lists[ClassDefinition::SuperClasses] = std::move(supers);
    def.lists[ClassDefinition::Mandatory] = std::move(mandatory);
    def.lists[ClassDefinition::Optional] = std::move(optional);
    return def;
}
} // namespace

class SchemaViewerClassTreeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ViewerFixture> f;

    QTreeWidgetItem* classRoot(const char* name) {
        QTreeWidgetItem* item = ViewerFixture::root(f->classTree(), QString::fromUtf8(name));
        if (!item)
            qWarning("no class item %s", name);
        return item;
    }
    QStringList node(const char* className, const QString& category) {
        return ViewerFixture::children(ViewerFixture::child(classRoot(className), category));
    }
    const ClassDefinition& defined(const char* name) {
        const ClassDefinition* def = f->schema().findClass(name);
        if (!def)
            qFatal("the base schema has no class %s", name);
        return *def;
    }

private slots:
    void init() { f = std::make_unique<ViewerFixture>(); }
    void cleanup() {
        f->page.reset();
        QCOMPARE(f->demo->outstanding(), ClientResourceCounts{});
        f.reset();
    }

    void topHasNoSuperClassesAndOnlyItsOwnItems() {
        f->open();
        const ClassDefinition& top = defined("Top");
        QTreeWidgetItem* item = classRoot("Top");
        QVERIFY(item);
        QCOMPARE(itemImage(item), 0);
        QCOMPARE(ViewerFixture::children(item), CategoryNodes);
        QCOMPARE(node("Top", SuperClasses), QStringList());
        QCOMPARE(node("Top", Mandatory), ViewerFixture::withImage(top.lists[3], 0));
        QCOMPARE(node("Top", Optional), ViewerFixture::withImage(top.lists[4], 0));
        QVERIFY(f->demo->reporter.messages.isEmpty());
    }

    void classWhoseOnlySuperClassIsTopInheritsWithImage7() {
        const ClassDefinition& country = defined("Country");
        QCOMPARE(country.lists[0], std::vector<std::string>{"Top"});
        f->open();
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Country"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Top:7}"));
        QCOMPARE(node("Country", Mandatory),
                 ViewerFixture::withImage(country.lists[3], 0) +
                     ViewerFixture::withImage(defined("Top").lists[3], 7));
    }

    void chainOfThreeNestsAndInheritsLevelByLevel() {
        QCOMPARE(f->model().addClass(classOf("Chain Z", {"Top"}, {"Full Name"}, {"Login Script"})),
                 0);
        QCOMPARE(f->model().addClass(classOf("Chain Y", {"Chain Z"}, {"Home Directory"})), 0);
        QCOMPARE(f->model().addClass(classOf("Chain X", {"Chain Y"}, {"Path"})), 0);
        f->open();
        const ClassDefinition& top = defined("Top");
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Chain X"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Chain Y:7{Chain Z:8{Top:9}}}"));
        QCOMPARE(node("Chain X", Mandatory),
                 QStringList({"Path:0", "Home Directory:7", "Full Name:8"}) +
                     ViewerFixture::withImage(top.lists[3], 9));
        QCOMPARE(node("Chain X", Optional),
                 QStringList({"Login Script:8"}) + ViewerFixture::withImage(top.lists[4], 9));
    }

    void twoSuperClassesShareOneWalkLevel() {
        const ClassDefinition& user = defined("User");
        QCOMPARE(user.lists[0],
                 (std::vector<std::string>{"Organizational Person", "ndsLoginProperties"}));
        QCOMPARE(defined("Organizational Person").lists[0], std::vector<std::string>{"Person"});
        QCOMPARE(defined("Person").lists[0], std::vector<std::string>{"Top"});
        QCOMPARE(defined("ndsLoginProperties").lists[0], std::vector<std::string>{"Top"});
        f->open();
        // The level goes on counting from the first super class's chain into the second's.
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("User"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Organizational Person:7{Person:8{Top:9}};"
                                "ndsLoginProperties:7{Top:10}}"));
        for (int list : {1, 2, 3, 4}) {
            const QString category = CategoryNodes[list].section(':', 0, 0);
            QCOMPARE(node("User", category),
                     ViewerFixture::withImage(user.lists[list], 0) +
                         ViewerFixture::withImage(defined("Organizational Person").lists[list], 7) +
                         ViewerFixture::withImage(defined("Person").lists[list], 8) +
                         ViewerFixture::withImage(defined("Top").lists[list], 9) +
                         ViewerFixture::withImage(defined("ndsLoginProperties").lists[list], 9) +
                         ViewerFixture::withImage(defined("Top").lists[list], 10));
        }
    }

    void classFlagLabelsFollowTheTableOrder() {
        addRawClass(f->schema(), "Every Flag", {}, {}, 0x1F);
        addRawClass(f->schema(), "Two Flags", {}, {}, 0x12);
        addRawClass(f->schema(), "No Flags", {}, {}, 0);
        f->open();
        const QString flags = QStringLiteral("Class Flags");
        QCOMPARE(
            node("Every Flag", flags),
            QStringList({"Container Class:20", "Effective Class : Object can be instantiated.:20",
                         "Non-Removeable Class:20", "Ambiguous Naming:20",
                         "Ambiguous Containment:20"}));
        QCOMPARE(node("Two Flags", flags),
                 QStringList({"Effective Class : Object can be instantiated.:20",
                              "Ambiguous Containment:20"}));
        QCOMPARE(node("No Flags", flags), QStringList());
    }

    void superClassWalkEndsOnLoopsMissingAndRootlessClasses() {
        addRawClass(f->schema(), "Loop A", {"Loop B"}, {"Item A"});
        addRawClass(f->schema(), "Loop B", {"Loop A"}, {"Item B"});
        addRawClass(f->schema(), "Orphan", {"Missing Class"}, {"Item O"});
        addRawClass(f->schema(), "Bare", {}, {"Item Bare"});
        addRawClass(f->schema(), "Rootless", {"Bare"}, {"Item R"});
        f->open();

        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Loop A"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Loop B:7{Loop A:8}}"));
        QCOMPARE(node("Loop A", Mandatory), QStringList({"Item A:0", "Item B:7"}));
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Orphan"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Missing Class:7}"));
        QCOMPARE(node("Orphan", Mandatory), QStringList({"Item O:0"}));
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Rootless"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Bare:7}"));
        QCOMPARE(node("Rootless", Mandatory), QStringList({"Item R:0", "Item Bare:7"}));
        // The unreadable class is reported as the viewer's single class read does.
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSReadClassDef() returned: FFFFFDA4\n")});
        QCOMPARE(f->attributeTree()->topLevelItemCount(), int(f->schema().attributes().size()));
    }

    void deepChainsKeepTheLastSuperClassImage() {
        // Deep 00 below Top, each next one below the one before.
        for (int i = 0; i <= 12; ++i) {
            const std::string super =
                i == 0 ? "Top" : QString::asprintf("Deep %02d", i - 1).toStdString();
            addRawClass(f->schema(), QString::asprintf("Deep %02d", i).toStdString(), {super},
                        {QString::asprintf("Item %02d", i).toStdString()});
        }
        f->open();
        const QList<int> images = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 17, 17};
        QTreeWidgetItem* level = ViewerFixture::child(classRoot("Deep 12"), SuperClasses);
        QStringList chain;
        while (level->childCount() == 1) {
            level = level->child(0);
            chain << ViewerFixture::entry(level);
        }
        QStringList expectedChain;
        for (int i = 0; i < 12; ++i)
            expectedChain << QString::asprintf("Deep %02d:%d", 11 - i, images[i]);
        expectedChain << QStringLiteral("Top:17");
        QCOMPARE(chain, expectedChain);

        QStringList expectedItems{QStringLiteral("Item 12:0")};
        for (int i = 0; i < 12; ++i)
            expectedItems << QString::asprintf("Item %02d:%d", 11 - i, images[i]);
        QCOMPARE(node("Deep 12", Mandatory),
                 expectedItems + ViewerFixture::withImage(defined("Top").lists[3], 17));
    }

    void classWalkFailingOnTheThirdClassKeepsTheFirstTwo() {
        // The walk's definition reads: Top (1), Tree Root (2), Top again for Tree Root's
        // super-class step (3), then the third class (4).
        const auto& classes = f->schema().classes();
        QVERIFY(classes[0]->lists[0].empty());
        QCOMPARE(classes[1]->lists[0], std::vector<std::string>{"Top"});
        f->demo->faults.failCall("NWDSGetClassDef", 4, ERR_SYSTEM_ERROR);
        f->open();
        QStringList firstTwo{QString::fromStdString(classes[0]->name),
                             QString::fromStdString(classes[1]->name)};
        firstTwo.sort(Qt::CaseInsensitive);
        QCOMPARE(ViewerFixture::rootTexts(f->classTree()), firstTwo);
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSGetClassDef() returned: FFFFFEC1\n")});
        QCOMPARE(f->attributeTree()->topLevelItemCount(), int(f->schema().attributes().size()));
    }

    void attributeTreeIsFilledWhenTheClassWalkFails() {
        f->demo->faults.failCall("NWDSReadClassDef", 1, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->classTree()->topLevelItemCount(), 0);
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSReadClassDef() returned: FFFFFEC1\n")});
        QCOMPARE(f->attributeTree()->topLevelItemCount(), int(f->schema().attributes().size()));
        QVERIFY(!f->page->findChild<QLineEdit*>("serverField")->text().isEmpty());
    }

    void silentFailuresOfTheSuperClassStepEndTheChainQuietly() {
        // Every request buffer of the super-class steps fails: only the walk's own items show.
        f->demo->faults.failFrom("NWDSInitBuf", 1, ERR_SYSTEM_ERROR);
        f->open();
        QVERIFY(f->demo->reporter.messages.isEmpty());
        QCOMPARE(ViewerFixture::outline(ViewerFixture::child(classRoot("Country"), SuperClasses)),
                 QStringLiteral("Super Class Hierarchy:1{Top:7}"));
        QCOMPARE(node("Country", Mandatory),
                 ViewerFixture::withImage(defined("Country").lists[3], 0));
    }
};

QTEST_MAIN(SchemaViewerClassTreeTest)
#include "SchemaViewerClassTreeTest.moc"
