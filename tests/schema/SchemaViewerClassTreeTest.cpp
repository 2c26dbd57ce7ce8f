#include "RawSchema.h"
#include "ViewerFixture.h"
#include "directory/ResultCodes.h"

#include <QLineEdit>
#include <QTest>

namespace {
const QString SuperClasses = QStringLiteral("Super Class Hierarchy");
const QString Mandatory = QStringLiteral("Mandatory Attributes");
const QString Optional = QStringLiteral("Optional Attributes");
const QStringList Categories = {"Super Class Hierarchy", "Containment",         "Naming Attributes",
                                "Mandatory Attributes",  "Optional Attributes", "Class Flags"};
} // namespace

class SchemaViewerClassTreeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ViewerFixture> f;

    QTreeWidgetItem* node(const char* className, const QString& category) {
        QTreeWidgetItem* root = ViewerFixture::root(f->classTree(), QString::fromUtf8(className));
        return ViewerFixture::child(root, category);
    }
    QStringList items(const char* className, const QString& category) {
        return ViewerFixture::children(node(className, category));
    }
    QString chain(const char* className) {
        return ViewerFixture::outline(node(className, SuperClasses));
    }
    // A list of a class as the schema defines it, each item with one image.
    QStringList listOf(const char* className, int list, int image) {
        const ClassDefinition* def = f->schema().findClass(className);
        return def ? ViewerFixture::withImage(def->lists[list], image) : QStringList{"missing"};
    }
    void addChained(const std::string& name, const std::string& super, std::string mandatory) {
        ClassDefinition def;
        def.name = name;
        def.lists[ClassDefinition::SuperClasses] = {super};
        def.lists[ClassDefinition::Mandatory] = {std::move(mandatory)};
        QCOMPARE(f->model().addClass(def), 0);
    }
    int attributeCount() { return int(f->schema().attributes().size()); }

private slots:
    void init() { f = std::make_unique<ViewerFixture>(); }
    void cleanup() {
        f->page.reset();
        QCOMPARE(f->demo->outstanding(), ClientResourceCounts{});
        f.reset();
    }

    void topAndAClassBelowIt() {
        QCOMPARE(f->schema().findClass("Country")->lists[0], std::vector<std::string>{"Top"});
        f->open();
        QTreeWidgetItem* top = ViewerFixture::root(f->classTree(), QStringLiteral("Top"));
        QVERIFY(top && itemImage(top) == 0);
        QCOMPARE(ViewerFixture::children(top),
                 QStringList({"Super Class Hierarchy:1", "Containment:2", "Naming Attributes:3",
                              "Mandatory Attributes:4", "Optional Attributes:5", "Class Flags:6"}));
        QCOMPARE(chain("Top"), QStringLiteral("Super Class Hierarchy:1"));
        QCOMPARE(items("Top", Optional), listOf("Top", 4, 0));

        QCOMPARE(chain("Country"), QStringLiteral("Super Class Hierarchy:1{Top:7}"));
        QCOMPARE(items("Country", Mandatory), listOf("Country", 3, 0) + listOf("Top", 3, 7));
        QVERIFY(f->demo->reporter.messages.isEmpty());
    }

    void chainOfThreeNestsAndInheritsLevelByLevel() {
        addChained("Chain Z", "Top", "Full Name");
        addChained("Chain Y", "Chain Z", "Home Directory");
        addChained("Chain X", "Chain Y", "Path");
        f->open();
        QCOMPARE(chain("Chain X"),
                 QStringLiteral("Super Class Hierarchy:1{Chain Y:7{Chain Z:8{Top:9}}}"));
        QCOMPARE(items("Chain X", Mandatory),
                 QStringList({"Path:0", "Home Directory:7", "Full Name:8"}) + listOf("Top", 3, 9));
    }

    void twoSuperClassesShareOneWalkLevel() {
        // User: Organizational Person (then Person, Top) and ndsLoginProperties (then Top).
        QCOMPARE(f->schema().findClass("User")->lists[0],
                 (std::vector<std::string>{"Organizational Person", "ndsLoginProperties"}));
        f->open();
        QCOMPARE(chain("User"),
                 QStringLiteral("Super Class Hierarchy:1{Organizational Person:7{Person:8{Top:9}};"
                                "ndsLoginProperties:7{Top:10}}"));
        for (int list = 1; list <= 4; ++list) {
            QCOMPARE(items("User", Categories[list]),
                     listOf("User", list, 0) + listOf("Organizational Person", list, 7) +
                         listOf("Person", list, 8) + listOf("Top", list, 9) +
                         listOf("ndsLoginProperties", list, 9) + listOf("Top", list, 10));
        }
    }

    void classFlagLabelsFollowTheTableOrder() {
        addRawClass(f->schema(), "Every Flag", {}, {}, 0x1F);
        addRawClass(f->schema(), "Two Flags", {}, {}, 0x12);
        f->open();
        const QString flags = QStringLiteral("Class Flags");
        const QString effective =
            QStringLiteral("Effective Class : Object can be instantiated.:20");
        QCOMPARE(items("Every Flag", flags),
                 QStringList({"Container Class:20", effective, "Non-Removeable Class:20",
                              "Ambiguous Naming:20", "Ambiguous Containment:20"}));
        QCOMPARE(items("Two Flags", flags), QStringList({effective, "Ambiguous Containment:20"}));
    }

    void superClassWalkEndsOnLoopsMissingAndRootlessClasses() {
        addRawClass(f->schema(), "Loop A", {"Loop B"}, {"Item A"});
        addRawClass(f->schema(), "Loop B", {"Loop A"}, {"Item B"});
        addRawClass(f->schema(), "Orphan", {"Missing Class"}, {"Item O"});
        addRawClass(f->schema(), "Bare", {}, {"Item Bare"});
        addRawClass(f->schema(), "Rootless", {"Bare"}, {"Item R"});
        f->open();
        QCOMPARE(chain("Loop A"), QStringLiteral("Super Class Hierarchy:1{Loop B:7{Loop A:8}}"));
        QCOMPARE(items("Loop A", Mandatory), QStringList({"Item A:0", "Item B:7"}));
        QCOMPARE(chain("Orphan"), QStringLiteral("Super Class Hierarchy:1{Missing Class:7}"));
        QCOMPARE(items("Orphan", Mandatory), QStringList({"Item O:0"}));
        QCOMPARE(chain("Rootless"), QStringLiteral("Super Class Hierarchy:1{Bare:7}"));
        QCOMPARE(items("Rootless", Mandatory), QStringList({"Item R:0", "Item Bare:7"}));
        // The unreadable class is reported as the viewer's single class read reports.
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSReadClassDef() returned: FFFFFDA4\n")});
        QCOMPARE(f->attributeTree()->topLevelItemCount(), attributeCount());
    }

    void deepChainsKeepTheLastSuperClassImage() {
        for (int i = 0; i <= 12; ++i) // Deep 00 below Top, each next one below the one before
            addRawClass(f->schema(), QString::asprintf("Deep %02d", i).toStdString(),
                        {i == 0 ? "Top" : QString::asprintf("Deep %02d", i - 1).toStdString()},
                        {QString::asprintf("Item %02d", i).toStdString()});
        f->open();
        const int images[] = {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 17};
        QString expectedChain = QStringLiteral("Top:17");
        QStringList expectedItems{QStringLiteral("Item 12:0")};
        for (int i = 0; i <= 11; ++i) // from Deep 00, innermost, out to Deep 11
            expectedChain =
                QString::asprintf("Deep %02d:%d{", i, images[11 - i]) + expectedChain + '}';
        for (int i = 0; i < 12; ++i)
            expectedItems << QString::asprintf("Item %02d:%d", 11 - i, images[i]);
        QCOMPARE(chain("Deep 12"), "Super Class Hierarchy:1{" + expectedChain + '}');
        QCOMPARE(items("Deep 12", Mandatory), expectedItems + listOf("Top", 3, 17));
    }

    void classWalkFailingOnTheThirdClassKeepsTheFirstTwo() {
        // Definitions read: Top (1), Tree Root (2), Top for Tree Root's chain (3), the third (4).
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
        QCOMPARE(f->attributeTree()->topLevelItemCount(), attributeCount());
    }

    void attributeTreeAndServerAreFilledWhenTheClassWalkFails() {
        f->demo->faults.failCall("NWDSReadClassDef", 1, ERR_SYSTEM_ERROR);
        f->open();
        QCOMPARE(f->classTree()->topLevelItemCount(), 0);
        QCOMPARE(f->demo->reporter.messages,
                 QStringList{QStringLiteral("NWDSReadClassDef() returned: FFFFFEC1\n")});
        QCOMPARE(f->attributeTree()->topLevelItemCount(), attributeCount());
        QVERIFY(!f->page->findChild<QLineEdit*>("serverField")->text().isEmpty());
    }

    void silentSuperClassStepFailuresEndTheChainQuietly() {
        f->demo->faults.failFrom("NWDSInitBuf", 1, ERR_SYSTEM_ERROR); // every step's request
        f->open();
        QVERIFY(f->demo->reporter.messages.isEmpty());
        QCOMPARE(chain("Country"), QStringLiteral("Super Class Hierarchy:1{Top:7}"));
        QCOMPARE(items("Country", Mandatory), listOf("Country", 3, 0));
    }
};

QTEST_MAIN(SchemaViewerClassTreeTest)
#include "SchemaViewerClassTreeTest.moc"
