#include "browser/BrowserPage.h"
#include "objects/ObjectEditorPage.h"
#include "schema/SchemaManagerPage.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <memory>

namespace {
constexpr NWDSCCODE Refused = -672; // prints as FFFFFD60

// Reports the flag word it was built with and records what is written back.
class FlagWordClient : public FaultInjectingClient {
public:
    FlagWordClient(DirectoryClient& inner, std::uint32_t flags)
        : FaultInjectingClient(inner), flags_(flags) {}
    NWDSCCODE NWDSGetContext(NWDSContextHandle context, int key, void* value,
                             std::size_t size) override {
        if (key == DCK_FLAGS && size >= sizeof flags_) {
            *static_cast<std::uint32_t*>(value) = flags_;
            return 0;
        }
        return FaultInjectingClient::NWDSGetContext(context, key, value, size);
    }
    NWDSCCODE NWDSSetContext(NWDSContextHandle context, int key, const void* value) override {
        if (key == DCK_FLAGS)
            written = *static_cast<const std::uint32_t*>(value);
        return FaultInjectingClient::NWDSSetContext(context, key, value);
    }
    std::uint32_t written = 0;

private:
    std::uint32_t flags_;
};
} // namespace

class PageFrameTest : public QObject {
    Q_OBJECT

    std::unique_ptr<DemoClient> demo;

    template <typename Page> std::unique_ptr<Page> makePage(const std::string& tree = "ACME_TREE") {
        auto page = std::make_unique<Page>(demo->services(), nullptr);
        page->create(tree);
        return page;
    }
    static QString field(QWidget* page, const char* name) {
        auto* edit = page->findChild<QLineEdit*>(QString::fromLatin1(name));
        return edit ? edit->text() : QStringLiteral("<missing>");
    }
    static QString failed(const char* format) {
        return QString::asprintf(format, unsigned(Refused));
    }

private slots:
    void init() { demo = std::make_unique<DemoClient>(); }
    void cleanup() {
        QCOMPARE(demo->outstanding(), ClientResourceCounts{});
        demo.reset();
    }

    void pageShowsItsHeaderFields() {
        auto page = makePage<CObjectEditorPage>();
        QVERIFY(demo->reporter.messages.isEmpty());
        QVERIFY(page->hasContext());
        QCOMPARE(field(page.get(), "treeField"), QStringLiteral("ACME_TREE"));
        QCOMPARE(field(page.get(), "contextField"), QStringLiteral("Acme"));
        QCOMPARE(field(page.get(), "serverField"), QStringLiteral("ACME-FS1"));
        QCOMPARE(demo->outstanding().contexts, 1);
        page.reset();
        QCOMPARE(demo->outstanding().contexts, 0);
    }

    void contextCreationFailureLeavesThePageEmpty() {
        demo->faults.failCall("NWDSCreateContextHandle", 1, Refused);
        auto page = makePage<CObjectEditorPage>();
        QCOMPARE(demo->reporter.messages,
                 QStringList{failed("NWDSCreateContextHandle() returned %04X")});
        QVERIFY(!page->hasContext());
        QCOMPARE(field(page.get(), "treeField"), QString());
        QCOMPARE(field(page.get(), "serverField"), QString());
    }

    void flagWordFailuresEndSilently_data() {
        QTest::addColumn<QString>("operation");
        QTest::newRow("read") << "NWDSGetContext";
        QTest::newRow("write") << "NWDSSetContext";
    }
    void flagWordFailuresEndSilently() {
        QFETCH(QString, operation);
        demo->faults.failCall(operation.toStdString(), 1, Refused);
        auto page = makePage<CObjectEditorPage>();
        QVERIFY(demo->reporter.messages.isEmpty());
        QCOMPARE(field(page.get(), "treeField"), QString());
        QCOMPARE(field(page.get(), "contextField"), QString());
    }

    void contextValueFailuresAreReportedAndInitialisationGoesOn() {
        // the name context read
        demo->faults.failCall("NWDSGetContext", 2, Refused);
        auto editor = makePage<CObjectEditorPage>();
        // the page goes on, and its listing then fails for want of a container name, which
        // skips the header fields that follow a whole listing
        QCOMPARE(demo->reporter.messages.first(), failed("NWDSGetContext returned: %04X\n"));
        QCOMPARE(demo->reporter.messages.size(), 2);
        QVERIFY(demo->reporter.messages.last().startsWith("\nNWDSList returned : "));
        QCOMPARE(field(editor.get(), "treeField"), QString());
        QCOMPARE(field(editor.get(), "serverField"), QString());
        editor.reset();

        // the tree name write of a page created for a tree
        demo->reporter.clear();
        demo->faults.clearFaults();
        demo->faults.failCall("NWDSSetContext", 2, Refused);
        editor = makePage<CObjectEditorPage>();
        QCOMPARE(demo->reporter.messages, QStringList{failed("NWDSGetContext returned: %04X\n")});
        QCOMPARE(field(editor.get(), "contextField"), QStringLiteral("Acme"));
        editor.reset();

        // "[Root]" as the Schema Manager's name context
        demo->reporter.clear();
        demo->faults.clearFaults();
        demo->faults.failCall("NWDSSetContext", 2, Refused);
        auto manager = makePage<CSchemaManagerPage>();
        QCOMPARE(demo->reporter.messages, QStringList{failed("NWDSGetContext returned: %04X\n")});
        manager.reset();

        // the browser's tree name read
        demo->reporter.clear();
        demo->faults.clearFaults();
        demo->faults.failCall("NWDSGetContext", 3, Refused);
        auto browser = makePage<CBrowserPage>("");
        QVERIFY(demo->reporter.messages.contains(failed("NWDSGetContext returned: %04X\n")));
        QCOMPARE(browser->treeName(), std::string());
        QVERIFY(rows::topCount(browser->objectTree()) == 1);
    }

    void serverLookupFailures() {
        // the connection handle (key 8) of the server lookup
        demo->faults.failCall("NWDSGetContext", 3, Refused);
        auto page = makePage<CObjectEditorPage>();
        QCOMPARE(demo->reporter.messages, QStringList{failed("NWDSGetContext returned: %04X\n")});
        QCOMPARE(field(page.get(), "serverField"), QString());
        page.reset();

        demo->reporter.clear();
        demo->faults.clearFaults();
        demo->faults.failCall("NWCCGetConnInfo", 1, Refused);
        page = makePage<CObjectEditorPage>();
        QCOMPARE(demo->reporter.messages,
                 QStringList{failed("NWCCGetConnInfo() returned: %04X\n")});
        QCOMPARE(field(page.get(), "serverField"), QString());
        QCOMPARE(field(page.get(), "treeField"), QStringLiteral("ACME_TREE"));
    }

    void flagWordKeepsItsOtherBits() {
        FlagWordClient flags(*demo->directory, 0x12340011);
        CObjectEditorPage page(PageServices{flags, demo->reporter}, nullptr);
        page.create("ACME_TREE");
        QCOMPARE(flags.written, 0x12340005u);
    }
};

QTEST_MAIN(PageFrameTest)
#include "PageFrameTest.moc"
