#include "render/ReadAttributeValues.h"

#include "TestPage.h"
#include "client/FaultInjectingClient.h"
#include "client/common/ValueText.h"
#include "client/embedded/EmbeddedDirectory.h"
#include "directory/ResultCodes.h"

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
    EXPECT_EQ(read("Jane.Sales.Acme", "Title"), "Jane.Sales.Acme");
    EXPECT_EQ(column(0), QStringList{"Account Manager"});
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
    [](const auto& info) {
        return std::string(info.param.operation) + std::to_string(info.param.nth);
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
