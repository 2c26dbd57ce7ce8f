// The browser on a tree whose names hold dots, equals signs, commas, backslashes, blanks and
// other text: every object listed is opened and read as itself.
#include "browser/BrowserPage.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "pages/TreeItems.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace fs = std::filesystem;

class SpecialNamesTest : public QObject {
    Q_OBJECT

    fs::path folder;
    std::unique_ptr<EmbeddedDirectory> directory;
    std::unique_ptr<FaultInjectingClient> client;
    RecordingReporter reporter;
    std::unique_ptr<CBrowserPage> page;

    QString field(const char* name) const {
        return page->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QModelIndex root() const { return rows::top(page->objectTree()); }
    static QModelIndex child(const QModelIndex& parent, const QString& text) {
        return rows::named(parent, text);
    }
    QString titleOf(const QString& label) {
        const QModelIndex object = child(root(), label);
        if (!object.isValid())
            return QStringLiteral("(not listed)");
        const QModelIndex title = child(object, QStringLiteral("Title"));
        if (!title.isValid())
            return QStringLiteral("(no attribute names)");
        page->objectTree()->setCurrentIndex(title);
        if (field("selectedObjectField") != label)
            return QStringLiteral("(selected as ") + field("selectedObjectField") + ")";
        auto* values = page->findChild<QTreeWidget*>(QStringLiteral("valueList"));
        return values->topLevelItemCount() == 1 ? values->topLevelItem(0)->text(0) : QString();
    }

private slots:
    void initTestCase() {
        // A data folder of the demo schema and the fixture's objects.
        folder = fs::temp_directory_path() / ("ostrel-names-" + std::to_string(::getpid()));
        fs::create_directories(folder / "schema");
        fs::copy_file(fs::path(EmbeddedDirectory::demoDataDir()) / "schema/base.schema",
                      folder / "schema/base.schema", fs::copy_options::overwrite_existing);
        fs::copy_file(fs::path(OSTREL_TEST_DATA) / "names/names.ldif", folder / "names.ldif",
                      fs::copy_options::overwrite_existing);
        std::ofstream(folder / "directory.conf")
            << "schema schema/base.schema\ntree NAMES_TREE NAMES-FS1\nload NAMES_TREE names.ldif\n";
    }
    void cleanupTestCase() { fs::remove_all(folder); }

    void init() {
        std::string error;
        directory = EmbeddedDirectory::open({folder.string(), "Admin.Acme"}, &error);
        QVERIFY2(directory, error.c_str());
        client = std::make_unique<FaultInjectingClient>(*directory);
        reporter.clear();
        page = std::make_unique<CBrowserPage>(PageServices{*client, reporter}, nullptr);
        page->create();
    }
    void cleanup() {
        page.reset();
        QCOMPARE(client->outstandingResources(), ClientResourceCounts{});
        client.reset();
        directory.reset();
    }

    void everyListedObjectReadsAsItself_data() {
        QTest::addColumn<QString>("label");
        for (const char* name :
             {"Admin", "Boss=Admin", "a.b", "a", "back\\slash", "Smith, John", "R+D", " blanks ",
              "M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC", "[Left]"})
            QTest::newRow(name) << QString::fromUtf8(name);
    }
    void everyListedObjectReadsAsItself() {
        QFETCH(QString, label);
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QCOMPARE(titleOf(label), QStringLiteral("Title of ") + label.trimmed());
        QVERIFY2(reporter.messages.isEmpty(), qPrintable(reporter.messages.join('|')));
    }

    void containersWithSpecialNamesAreEnteredAndLeft() {
        const auto found =
            page->containerList()->findItems(QStringLiteral("Dept.One"), Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        page->moveTo(found.first());
        QCOMPARE(field("contextField"), QStringLiteral("Dept\\.One.Acme"));
        QCOMPARE(rows::text(root()), QStringLiteral("Dept.One"));
        QCOMPARE(titleOf(QStringLiteral("Inner=Most\\")), QStringLiteral("Title of Inner=Most\\"));
        page->moveTo(page->containerList()->item(0)); // up
        QCOMPARE(field("contextField"), QStringLiteral("Acme"));
        QVERIFY(child(root(), QStringLiteral("Dept.One")).isValid());
        QVERIFY2(reporter.messages.isEmpty(), qPrintable(reporter.messages.join('|')));
    }
};

QTEST_MAIN(SpecialNamesTest)
#include "SpecialNamesTest.moc"
