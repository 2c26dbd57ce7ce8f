#include "render/ReadAttributeValues.h"

#include "QStringPrinter.h"
#include "tests/support/FaultInjectingClient.h"
#include "client/common/ValueText.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "directory/ResultCodes.h"
#include "tests/support/TestPage.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <fcntl.h>
#include <gtest/gtest.h>

namespace {

// Opens a folder as the stream, so that reading it fails.
class UnreadableStreamClient : public FaultInjectingClient {
public:
    using FaultInjectingClient::FaultInjectingClient;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle, const char*, const char*, std::uint32_t,
                             NWFILE_HANDLE* fileHandle) override {
        *fileHandle = ::open(QDir::tempPath().toLocal8Bit().constData(), O_RDONLY);
        return 0;
    }
};

class ReadAttributeValuesTest : public ::testing::Test {
protected:
    void SetUp() override {
        directory = EmbeddedDirectory::openDemo();
        ASSERT_NE(directory, nullptr);
        client = std::make_unique<FaultInjectingClient>(*directory);
        usePage("Sales.Acme");
        surfaces = makeValueSurfaces(&host);
        before = directory->outstandingResources();
    }
    void TearDown() override {
        page.reset();
        if (directory) {
            EXPECT_EQ(directory->outstandingResources(), ClientResourceCounts{});
        }
    }
    void usePage(const std::string& currentContext) {
        page = std::make_unique<TestPage>(*client, currentContext);
    }

    // Reads as the browser does; returns what the object name became.
    std::string read(std::string objectName, const std::string& attrName) {
        ReadAttributeValues(*page, surfaces, objectName, attrName);
        EXPECT_EQ(directory->outstandingResources(), before) << attrName;
        return objectName;
    }
    QStringList column(int c) const {
        QStringList cells;
        for (int r = 0; r < surfaces.valueList->topLevelItemCount(); ++r)
            cells << surfaces.valueList->topLevelItem(r)->text(c);
        return cells;
    }
    QStringList headers() const {
        QStringList texts;
        for (int c = 0; c < surfaces.valueList->columnCount(); ++c)
            texts << surfaces.valueList->headerItem()->text(c);
        return texts;
    }

    std::unique_ptr<EmbeddedDirectory> directory;
    std::unique_ptr<FaultInjectingClient> client;
    std::unique_ptr<TestPage> page;
    QWidget host;
    ValueSurfaces surfaces;
    ClientResourceCounts before;
};

TEST_F(ReadAttributeValuesTest, MultiValuedStringShowsEveryValueInOrder) {
    EXPECT_EQ(read("Demo", "Title"), "Demo.Sales.Acme");
    EXPECT_EQ(headers(), QStringList{"Title"});
    EXPECT_EQ(surfaces.valueList->header()->sectionSize(0), 497);
    EXPECT_EQ(column(0), (QStringList{"Demonstration Account", "Test Subject", "Sample"}));
    EXPECT_EQ(surfaces.syntaxField->text(), "Case Ignore String");
    EXPECT_FALSE(surfaces.valueList->isHidden());
    EXPECT_TRUE(surfaces.textPanel->isHidden());
    EXPECT_TRUE(page->messages.empty());
    EXPECT_EQ(page->serverRefreshes, 1);
}

TEST_F(ReadAttributeValuesTest, AclValuesShowRightsWithTheirTrailingBlank) {
    read("Demo", "ACL");
    EXPECT_EQ(headers(), (QStringList{"Protected Attribute", "Rights", "Subject"}));
    EXPECT_EQ(column(0), (QStringList{"[Entry Rights]", "[SMS Rights]", "Telephone Number",
                                      "Telephone Number"}));
    EXPECT_EQ(column(1), (QStringList{"[BA] ", "[DA] ", "[] ", "[CRS] "}));
    EXPECT_EQ(column(2).last(), "Admin.Acme");
    EXPECT_EQ(surfaces.syntaxField->text(), "Object ACL");
}

TEST_F(ReadAttributeValuesTest, StreamGoesToTheTextPanelAndTheListKeepsItsRows) {
    read("Demo", "Title");
    read("Demo", "Login Script");
    EXPECT_TRUE(surfaces.valueList->isHidden());
    EXPECT_FALSE(surfaces.textPanel->isHidden());
    EXPECT_EQ(column(0).size(), 3);
    EXPECT_EQ(surfaces.syntaxField->text(), "Stream");

    QFile script(QString::fromStdString(EmbeddedDirectory::demoDataDir()) +
                 "/streams/demo-login-script.txt");
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    const QByteArray content = script.readAll();
    ASSERT_GT(content.size(), 4096);
    QString expected = QString::fromUtf8(content.left(4096) + "\r\n");
    expected.replace("\r\n", "\n");
    EXPECT_EQ(surfaces.textPanel->toPlainText(), expected);
    EXPECT_TRUE(page->messages.empty());
}

TEST_F(ReadAttributeValuesTest, AtRootTheNameIsReadAsGiven) {
    usePage("[Root]");
    EXPECT_EQ(read("Acme", "Description"), "Acme");
    EXPECT_EQ(column(0), QStringList{"Acme Corporation"});
}

TEST_F(ReadAttributeValuesTest, ValuesOverSeveralResultBuffersAreAllShown) {
    DirectoryModel& model = directory->model();
    std::vector<std::string> many;
    QStringList expected;
    for (int i = 0; i < 300; ++i) {
        many.push_back("Description line " + std::to_string(i) + " of many, forty bytes");
        expected << QString::fromStdString(many.back());
    }
    ASSERT_EQ(model.addTextValues(*model.find("Jane.Sales.Acme"), {"Description", many},
                                  valuetext::PlainNames()),
              0);
    read("Jane", "Description");
    EXPECT_GE(client->callCount("NWDSRead"), 3);
    EXPECT_EQ(headers(), QStringList{"Description"});
    EXPECT_EQ(column(0), expected);
    EXPECT_EQ(page->serverRefreshes, client->callCount("NWDSRead"));
}

TEST_F(ReadAttributeValuesTest, PageWithoutTextPanelShowsStreamsAsAColumnOnly) {
    ValueSurfaces listOnly{surfaces.valueList, nullptr, nullptr};
    std::string name = "Demo";
    ReadAttributeValues(*page, listOnly, name, "Login Script");
    EXPECT_EQ(headers(), QStringList{"Attribute Values"});
    EXPECT_EQ(surfaces.valueList->topLevelItemCount(), 0);
    EXPECT_EQ(client->callCount("NWDSOpenStream"), 0);
    EXPECT_EQ(directory->outstandingResources(), before);
}

// One attribute of each syntax of the demo account, read end to end: the client's records
// decoded by the renderer.
struct DemoAttributeCase {
    const char* attrName;
    const char* syntaxName;
    int columns;
    QStringList firstRow;
    int rows;
};

void PrintTo(const DemoAttributeCase& c, std::ostream* os) {
    *os << c.attrName;
}

class DemoAttribute : public ReadAttributeValuesTest,
                      public ::testing::WithParamInterface<DemoAttributeCase> {};

TEST_P(DemoAttribute, ReadsAndRenders) {
    const DemoAttributeCase& c = GetParam();
    read("Demo", c.attrName);
    EXPECT_TRUE(page->messages.empty()) << page->messages.front();
    EXPECT_EQ(surfaces.syntaxField->text(), c.syntaxName);
    EXPECT_EQ(surfaces.valueList->columnCount(), c.columns);
    ASSERT_EQ(surfaces.valueList->topLevelItemCount(), c.rows);
    for (int i = 0; i < c.firstRow.size(); ++i)
        EXPECT_EQ(surfaces.valueList->topLevelItem(0)->text(i), c.firstRow[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    EverySyntax, DemoAttribute,
    ::testing::Values(
        DemoAttributeCase{
            "Group Membership", "Distinguished Name", 1, {"Sales Staff.Sales.Acme"}, 1},
        DemoAttributeCase{"Serial Number", "Printable String", 1, {"DEMO-0001"}, 1},
        DemoAttributeCase{"Employee Number", "Numeric String", 1, {"004711"}, 1},
        DemoAttributeCase{"Language", "Case Ignore List", 1, {"ENGLISH"}, 1},
        DemoAttributeCase{"Login Disabled", "Boolean", 1, {"FALSE"}, 1},
        DemoAttributeCase{"Minimum Account Balance", "Integer", 1, {"4294967295"}, 1},
        DemoAttributeCase{"Photo", "Octet String", 35, {"00", "|", "41"}, 2},
        DemoAttributeCase{"Telephone Number", "Telephone Number", 1, {"+1 555 0220"}, 2},
        DemoAttributeCase{
            "Facsimile Telephone Number", "Facsimile Telephone Number", 1, {"+1 555 0229"}, 1},
        DemoAttributeCase{
            "Network Address", "Net Address", 3, {"0", "12", "0A000001:001B2C3D4E05"}, 2},
        DemoAttributeCase{
            "Access Card Numbers", "Octet List", 1, {"SYN_OCTET_LIST Syntax is not handled."}, 1},
        DemoAttributeCase{"EMail Address", "EMail Address", 2, {"0", "demo@acme.example"}, 2},
        DemoAttributeCase{
            "Home Directory", "Path", 3, {"0", "ACME-FS1_SYS.Acme", "\\USERS\\DEMO"}, 1},
        DemoAttributeCase{
            "Replica",
            "Replica Pointer",
            7,
            {"ACME-FS1.Acme", "0", "1", "1", "Type:0 : 0A000001:001B2C3D4E05", "", ""},
            3},
        DemoAttributeCase{"Postal Address",
                          "Postal Address",
                          6,
                          {"Acme Corporation", "Demo Account", "100 Main Street"},
                          1},
        DemoAttributeCase{
            "Partition Creation Time", "Timestamp", 2, {"Sat Aug 17 12:30:00 1996\n", "5"}, 1},
        DemoAttributeCase{"Object Class", "Class Name", 1, {"User"}, 5},
        DemoAttributeCase{"Revision", "Counter", 1, {"42"}, 1},
        DemoAttributeCase{"Back Link", "Back Link", 2, {"305419896", "ACME-FS1.Acme"}, 1},
        DemoAttributeCase{"Last Login Time", "Time", 1, {"Thu Jan 01 00:00:00 1970\n"}, 1},
        DemoAttributeCase{
            "Partition Control", "Typed Name", 4, {"0", "0001", "", "ACME-FS1.Acme"}, 1},
        DemoAttributeCase{"Notify", "Typed Name", 3, {"Admin.Acme", "0001", "0E10"}, 1},
        DemoAttributeCase{"Server Holds", "Hold", 2, {"ACME-FS1.Acme", "250"}, 1},
        DemoAttributeCase{"Password Expiration Interval", "Interval", 1, {"7776000"}, 1},
        DemoAttributeCase{"Badge Record", "Acme Badge Record", 0, {}, 0}),
    [](const auto& row) {
        std::string name = row.param.attrName;
        std::erase(name, ' ');
        return name;
    });

struct FailureCase {
    const char* operation;
    int nth;
    const char* message;
    bool fullNameBuilt;
    QStringList rowsLeft; // the sentinel row "old" when the list was never cleared
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.operation << " #" << c.nth;
}

class ReadFailure : public ReadAttributeValuesTest,
                    public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ReadFailure, ReportsStopsAndReleasesEverything) {
    const FailureCase& c = GetParam();
    surfaces.valueList->setColumnCount(1);
    surfaces.valueList->addTopLevelItem(new QTreeWidgetItem(QStringList{"old"}));
    client->failCall(c.operation, c.nth, ERR_NOT_ENOUGH_MEMORY);

    const std::string name = read("Demo", "Title");
    EXPECT_EQ(page->messages, std::vector<std::string>{c.message});
    EXPECT_EQ(name, c.fullNameBuilt ? "Demo.Sales.Acme" : "Demo");
    EXPECT_EQ(column(0), c.rowsLeft);
    EXPECT_EQ(page->serverRefreshes, 0);
}

const QStringList kOld{"old"};
INSTANTIATE_TEST_SUITE_P(
    EveryCall, ReadFailure,
    ::testing::Values(
        FailureCase{"NWDSAllocBuf", 1, "NWDSAllocBuf returned: FFFFFED3\n", false, kOld},
        FailureCase{"NWDSInitBuf", 1, "NWDSInitBuf returned: FFFFFED3\n", false, kOld},
        FailureCase{"NWDSPutAttrName", 1, "NWDSPutAttrName returned: FFFFFED3\n", false, kOld},
        FailureCase{"NWDSAllocBuf", 2, "NWDSAllocBuf returned: FFFFFED3\n", false, kOld},
        FailureCase{"NWDSRead", 1, "\nNWDSRead returned: FFFFFED3\n", true, kOld},
        FailureCase{"NWDSGetAttrCount", 1, "\nNWDSGetAttrCount returned: FFFFFED3\n", true, kOld},
        FailureCase{"NWDSGetAttrName", 1, "\nNWDSGetAttrName returned: FFFFFED3\n", true, kOld},
        FailureCase{"NWDSComputeAttrValSize",
                    2,
                    "NWDSComputeAttrValSize returned FFFFFED3",
                    true,
                    {"Demonstration Account"}},
        FailureCase{"NWDSGetAttrVal",
                    3,
                    "\nNWDSGetAttrVal returned: FFFFFED3\n",
                    true,
                    {"Demonstration Account", "Test Subject"}},
        FailureCase{
            "NWDSReadSyntaxDef", 1, "\nNWDSReadSyntaxDef() returned: FFFFFED3\n", true, {}}),
    [](const auto& row) {
        return std::string(row.param.operation) + std::to_string(row.param.nth);
    });

TEST_F(ReadAttributeValuesTest, FailedStreamOpenLeavesNoTextAndTheReadGoesOn) {
    surfaces.textPanel->setPlainText("earlier text");
    surfaces.textPanel->selectAll();
    client->failCall("NWDSOpenStream", 1, ERR_NOT_ENOUGH_MEMORY);
    read("Demo", "Login Script");
    EXPECT_EQ(page->messages, std::vector<std::string>{"NWDSOpenStream returned: -301"});
    EXPECT_EQ(surfaces.textPanel->toPlainText(), "");
    EXPECT_EQ(surfaces.syntaxField->text(), "Stream");
    EXPECT_EQ(page->serverRefreshes, 1);
}

TEST_F(ReadAttributeValuesTest, FailedStreamReadIsReportedAndTheReadGoesOn) {
    page.reset();
    client = std::make_unique<UnreadableStreamClient>(*directory);
    usePage("Sales.Acme");
    read("Demo", "Login Script");
    EXPECT_EQ(page->messages, std::vector<std::string>{"ReadFile failed!"});
    EXPECT_EQ(surfaces.textPanel->toPlainText(), "");
    EXPECT_EQ(page->serverRefreshes, 1);
}

} // namespace
