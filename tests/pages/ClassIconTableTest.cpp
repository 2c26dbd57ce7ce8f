#include "pages/ClassIconTable.h"

#include "tests/support/DemoClient.h"

#include <QTest>
#include <cstdarg>
#include <cstdio>

namespace {
// The smallest page: a context on the demo tree and a list of reported texts.
class ProbePage : public DirectoryPage {
public:
    ProbePage(DirectoryClient& client, std::string current) : client_(client), current_(current) {
        client_.NWDSCreateContextHandle(&context_);
        std::uint32_t flags = 0;
        client_.NWDSGetContext(context_, DCK_FLAGS, &flags, sizeof flags);
        flags = (flags | DCV_TYPELESS_NAMES) & ~std::uint32_t(DCV_CANONICALIZE_NAMES);
        client_.NWDSSetContext(context_, DCK_FLAGS, &flags);
    }
    ~ProbePage() override { client_.NWDSFreeContext(context_); }
    DirectoryClient& client() override { return client_; }
    NWDSContextHandle context() const override { return context_; }
    std::string currentContext() const override { return current_; }
    void report(const char* format, ...) override {
        char text[512];
        va_list args;
        va_start(args, format);
        std::vsnprintf(text, sizeof text, format, args);
        va_end(args);
        reports.append(QString::fromUtf8(text));
    }
    void showLiteralMessage(const std::string& text) override {
        reports.append(QString::fromStdString(text));
    }
    void refreshServerField() override {}

    QStringList reports;

private:
    DirectoryClient& client_;
    NWDSContextHandle context_ = NO_CONTEXT;
    std::string current_;
};
} // namespace

class ClassIconTableTest : public QObject {
    Q_OBJECT

private slots:
    void iconsAreFoundByExactName_data() {
        QTest::addColumn<QString>("baseClass");
        QTest::addColumn<int>("icon");
        QTest::newRow("user") << "User" << 1;
        QTest::newRow("lower case user") << "user" << 19;
        QTest::newRow("organization") << "Organization" << 2;
        QTest::newRow("unit") << "Organizational Unit" << 3;
        QTest::newRow("printer") << "Printer" << 17;
        QTest::newRow("last row") << "Bindery Group" << 24;
        QTest::newRow("not a class") << "Up Arrow" << 0;
        QTest::newRow("unlisted") << "Template" << 19;
        QTest::newRow("empty") << "" << 19;
    }
    void iconsAreFoundByExactName() {
        QFETCH(QString, baseClass);
        QFETCH(int, icon);
        QCOMPARE(ClassIconTable::iconFor(baseClass.toStdString()), icon);
    }

    void typeNamesForIcons() {
        DemoClient demo;
        ProbePage page(demo.faults, "Acme");
        QCOMPARE(ClassIconTable::typeNameFor(page, 26, "ACME_TREE"), std::string("NDS Tree"));
        QCOMPARE(ClassIconTable::typeNameFor(page, 25, "CN"), std::string("Unknown"));
        QCOMPARE(ClassIconTable::typeNameFor(page, 3, "Sales"), std::string("Organizational Unit"));
        QCOMPARE(demo.faults.callCount("NWDSReadObjectInfo"), 0);
        QVERIFY(page.reports.isEmpty());
    }

    void unknownIconReadsTheRealClass() {
        DemoClient demo;
        ProbePage page(demo.faults, "Acme");
        QCOMPARE(ClassIconTable::typeNameFor(page, 19, "New Employee"), std::string("Template"));
        QVERIFY(page.reports.isEmpty());

        demo.faults.failCall("NWDSReadObjectInfo", 1, -601);
        QCOMPARE(ClassIconTable::typeNameFor(page, 19, "New Employee"), std::string("Unknown"));
        QCOMPARE(page.reports,
                 QStringList{QStringLiteral("NWDSReadObjectInfo returned: FFFFFDA7\n")});
    }

    void rootContextReadsTheBareName() {
        DemoClient demo;
        ProbePage atRoot(demo.faults, "[Root]");
        QCOMPARE(ClassIconTable::typeNameFor(atRoot, 19, "US"), std::string("Country"));
        QVERIFY(atRoot.reports.isEmpty());
    }
};

QTEST_MAIN(ClassIconTableTest)
#include "ClassIconTableTest.moc"
