// The LDIF dialogs on the offscreen platform, opened from the browser and the query page and
// driven through their named controls: an export of the selected subtree and of a search's
// results, an import with its preview and report, a malformed file, Cancel on a long export
// and import, and every control named as it is labelled with mnemonics of its own.
#include "browser/BrowserPage.h"
#include "ldif/LdifReader.h"
#include "ldifdialogs/LdifExportDlg.h"
#include "ldifdialogs/LdifImportDlg.h"
#include "ldifdialogs/ProgressLine.h"
#include "tests/query/QueryFixture.h"
#include "tests/support/DemoClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/TestFolder.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace {

template <class T> T* named(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Clicks `opener` and runs `act` on the modal dialog it brings up, then closes that dialog.
void onModalDialog(QPushButton* opener, const std::function<void(QDialog&)>& act) {
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        seen = true;
        act(*dialog);
        dialog->reject();
    });
    opener->click();
    EXPECT_TRUE(seen) << "no dialog";
}

// The letters after "&" in the texts of the widget's buttons and labels, each once.
void expectOwnMnemonics(QWidget& widget) {
    std::map<QChar, QString> taken;
    QStringList texts;
    for (auto* b : widget.findChildren<QAbstractButton*>())
        texts << b->text();
    for (auto* l : widget.findChildren<QLabel*>())
        texts << l->text();
    for (const QString& text : texts) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size() || text[at + 1] == QLatin1Char('&'))
            continue;
        const QChar key = text[at + 1].toLower();
        EXPECT_FALSE(taken.count(key)) << text.toStdString() << " and " << taken[key].toStdString();
        taken[key] = text;
    }
}

void expectNamed(QWidget& parent, const QList<QPair<const char*, QString>>& controls) {
    for (const auto& [name, text] : controls) {
        QWidget* control = parent.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->text(QAccessible::Name), text) << name;
    }
}

std::vector<ldif::Record> recordsIn(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    std::vector<ldif::Record> records;
    std::string error;
    EXPECT_TRUE(ldif::read(text.str(), {file.string(), {}}, records, &error)) << error;
    return records;
}

class LdifDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        demo = std::make_unique<DemoClient>();
        dir = freshTestFolder("ostrel-ldif-dialogs");
        fs::create_directories(dir);
    }
    void TearDown() override {
        browser.reset();
        EXPECT_EQ(demo->outstanding(), ClientResourceCounts{});
        fs::remove_all(dir);
    }
    void openBrowser() {
        browser = std::make_unique<CBrowserPage>(demo->services(), nullptr);
        browser->create();
        browser->show();
    }
    void select(const QString& label) {
        const QModelIndex object = rows::named(rows::top(browser->objectTree()), label);
        if (object.isValid())
            browser->objectTree()->setCurrentIndex(object);
        else
            ADD_FAILURE() << "no object " << label.toStdString();
    }
    QPushButton* browserButton(const char* name) { return named<QPushButton>(*browser, name); }
    QStringList messages() const { return demo->reporter.messages; }

    std::unique_ptr<DemoClient> demo;
    std::unique_ptr<CBrowserPage> browser;
    fs::path dir;
};

TEST_F(LdifDialogs, TheButtonsAreNamedAsShownWithMnemonicsOfTheirOwn) {
    openBrowser();
    expectNamed(*browser, {{"exportLdifButton", "Export LDIF..."},
                           {"importLdifButton", "Import LDIF..."},
                           {"effectiveRightsButton", "Effective Rights..."}});
    expectOwnMnemonics(*browser);
    QueryFixture query;
    query.openPage();
    expectNamed(*query.page, {{"exportResultsButton", "Export Results..."}});
    expectOwnMnemonics(*query.page);
    EXPECT_FALSE(query.control<QPushButton>("exportResultsButton")->isEnabled());
}

TEST_F(LdifDialogs, EveryControlOfTheDialogsIsAnnouncedByItsText) {
    openBrowser();
    CLdifExportDlg exportDialog(*browser, "Sales.Acme");
    expectNamed(exportDialog, {{"exportWhatField", "Object:"},
                               {"thisObjectRadio", "This object"},
                               {"subtreeRadio", "The subtree"},
                               {"exportFileEdit", "File:"},
                               {"browseButton", "Browse..."},
                               {"exportButton", "Export"},
                               {"closeButton", "Close"},
                               {"cancelButton", "Cancel"}});
    expectOwnMnemonics(exportDialog);
    CLdifImportDlg importDialog(*browser);
    expectNamed(importDialog, {{"importFileEdit", "File:"},
                               {"browseButton", "Browse..."},
                               {"previewButton", "Preview"},
                               {"continueRadio", "Continue after a refusal"},
                               {"stopRadio", "Stop at the first refusal"},
                               {"importButton", "Import"},
                               {"importReport", "Report:"},
                               {"closeButton", "Close"},
                               {"cancelButton", "Cancel"}});
    expectOwnMnemonics(importDialog);
}

TEST_F(LdifDialogs, TheBrowserExportsTheSelectedObjectOrItsSubtree) {
    openBrowser();
    select("Sales");
    const fs::path one = dir / "one.ldif", all = dir / "all.ldif";
    onModalDialog(browserButton("exportLdifButton"), [&](QDialog& d) {
        EXPECT_EQ(named<QLineEdit>(d, "exportWhatField")->text(), "Sales.Acme");
        EXPECT_FALSE(named<QPushButton>(d, "exportButton")->isEnabled());
        named<QLineEdit>(d, "exportFileEdit")->setText(QString::fromStdString(one.string()));
        named<QPushButton>(d, "exportButton")->click();
        named<QRadioButton>(d, "subtreeRadio")->click();
        named<QLineEdit>(d, "exportFileEdit")->setText(QString::fromStdString(all.string()));
        named<QPushButton>(d, "exportButton")->click();
    });
    EXPECT_EQ(
        messages(),
        QStringList({QString::fromStdString("1 object was written to " + one.string() + ".\n"),
                     QString::fromStdString("9 objects were written to " + all.string() + ".\n")}));
    ASSERT_EQ(recordsIn(one).size(), 1u);
    const auto records = recordsIn(all);
    ASSERT_EQ(records.size(), 9u);
    EXPECT_EQ(records.front().dn, "ou=Sales,o=Acme");
}

TEST_F(LdifDialogs, TheBrowserImportsAFileAndShowsWhatChanged) {
    openBrowser();
    const fs::path file = dir / "in.ldif";
    std::ofstream(file) << "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n\n"
                           "dn: cn=Nobody,o=Acme\nchangetype: delete\n\n"
                           "dn: cn=Lee,o=Acme\nobjectClass: inetOrgPerson\nsn: Lee\n";
    onModalDialog(browserButton("importLdifButton"), [&](QDialog& d) {
        auto* import = named<QPushButton>(d, "importButton");
        EXPECT_FALSE(import->isEnabled());
        named<QLineEdit>(d, "importFileEdit")->setText(QString::fromStdString(file.string()));
        named<QPushButton>(d, "previewButton")->click();
        EXPECT_EQ(named<QLabel>(d, "previewText")->text(),
                  "3 records: 2 adds, 1 delete, 0 modifies, 0 renames or moves");
        ASSERT_TRUE(import->isEnabled());
        named<QRadioButton>(d, "continueRadio")->click();
        import->click();
        EXPECT_EQ(named<QPlainTextEdit>(d, "importReport")->toPlainText(),
                  "2 records applied, 1 refused.\nline 5: NWDSRemoveObject returned: FDA7\n");
        EXPECT_FALSE(import->isEnabled()) << "applied once; preview again to apply again";
    });
    EXPECT_TRUE(messages().isEmpty()) << messages().join("|").toStdString();
    // The browser shows the container again, with what was added.
    const QModelIndex root = rows::top(browser->objectTree());
    QStringList labels;
    for (int i = 0; i < rows::count(root); ++i)
        labels << rows::text(rows::child(root, i));
    EXPECT_TRUE(labels.contains("Kim") && labels.contains("Lee")) << labels.join(",").toStdString();
}

TEST_F(LdifDialogs, StoppingAtARefusalAndAMalformedFileAreReported) {
    openBrowser();
    const fs::path file = dir / "in.ldif", bad = dir / "bad.ldif";
    std::ofstream(file) << "dn: cn=Nobody,o=Acme\nchangetype: delete\n\n"
                           "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nsn: Kim\n";
    std::ofstream(bad) << "dn: cn=Kim,o=Acme\nobjectClass: inetOrgPerson\nbroken line\n";
    onModalDialog(browserButton("importLdifButton"), [&](QDialog& d) {
        auto* fileEdit = named<QLineEdit>(d, "importFileEdit");
        fileEdit->setText(QString::fromStdString(bad.string()));
        named<QPushButton>(d, "previewButton")->click();
        EXPECT_FALSE(named<QPushButton>(d, "importButton")->isEnabled());
        fileEdit->setText(QString::fromStdString(file.string()));
        named<QPushButton>(d, "previewButton")->click();
        EXPECT_TRUE(named<QRadioButton>(d, "stopRadio")->isChecked());
        named<QPushButton>(d, "importButton")->click();
        EXPECT_EQ(named<QPlainTextEdit>(d, "importReport")->toPlainText(),
                  "0 records applied, 1 refused, 1 not tried.\n"
                  "line 1: NWDSRemoveObject returned: FDA7\n");
    });
    EXPECT_EQ(messages(),
              QStringList{QString::fromStdString(bad.string() + ":3: expected \"name: value\"\n")});
}

TEST_F(LdifDialogs, ALongExportOrImportShowsItsProgressAndCanBeCancelled) {
    DirectoryModel& model = demo->directory->model();
    ASSERT_EQ(model.addObject("Acme", "Many", "Organizational Unit"), 0);
    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ(model.addObject("Many.Acme", "Person" + std::to_string(i), "User",
                                  {{"Surname", {"Surname"}}}),
                  0);
    openBrowser();
    select("Many");
    const fs::path file = dir / "many.ldif";
    std::ofstream(file) << "old content\n";
    auto cancelOnceShown = [](ProgressLine* progress, bool& shown) {
        progress->setShowAfter(0);
        QTimer::singleShot(0, [progress, &shown] {
            shown = progress->isVisible() && !progress->textLabel()->text().isEmpty();
            progress->cancelButton()->click();
        });
    };
    bool shown = false;
    onModalDialog(browserButton("exportLdifButton"), [&](QDialog& d) {
        named<QRadioButton>(d, "subtreeRadio")->click();
        named<QLineEdit>(d, "exportFileEdit")->setText(QString::fromStdString(file.string()));
        cancelOnceShown(named<ProgressLine>(d, "progressLine"), shown);
        named<QPushButton>(d, "exportButton")->click();
        EXPECT_FALSE(named<ProgressLine>(d, "progressLine")->isVisible());
        EXPECT_TRUE(named<QPushButton>(d, "exportButton")->isEnabled());
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(messages(),
              QStringList{QString::fromStdString("The export was cancelled; " + file.string() +
                                                 " was not written.\n")});
    std::ifstream in(file);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first, "old content");
    EXPECT_FALSE(fs::exists(file.string() + ".part"));

    // An import of as many records, cancelled as soon as its progress shows.
    std::ofstream out(dir / "adds.ldif");
    for (int i = 0; i < 3000; ++i)
        out << "dn: cn=Added" << i << ",o=Acme\nobjectClass: inetOrgPerson\nsn: A\n\n";
    out.close();
    shown = false;
    onModalDialog(browserButton("importLdifButton"), [&](QDialog& d) {
        named<QLineEdit>(d, "importFileEdit")
            ->setText(QString::fromStdString((dir / "adds.ldif").string()));
        named<QPushButton>(d, "previewButton")->click();
        cancelOnceShown(named<ProgressLine>(d, "progressLine"), shown);
        named<QPushButton>(d, "importButton")->click();
        const QString report = named<QPlainTextEdit>(d, "importReport")->toPlainText();
        EXPECT_TRUE(report.contains("not tried (cancelled).")) << report.toStdString();
    });
    EXPECT_TRUE(shown);
}

TEST_F(LdifDialogs, TheQueryPageExportsWhatItsSearchFound) {
    QueryFixture query;
    query.openPage();
    query.addCriterion("Title", "EQUALS", "Sales Manager");
    query.addCriterion("Surname", "EQUALS", "Doe", "OR");
    query.location()->setText("Acme");
    query.submit();
    ASSERT_TRUE(query.found("Mary.Sales.Acme").isValid() &&
                query.found("Jane.Sales.Acme").isValid());
    auto* exportButton = query.control<QPushButton>("exportResultsButton");
    ASSERT_TRUE(exportButton->isEnabled());
    const fs::path file = dir / "found.ldif";
    onModalDialog(exportButton, [&](QDialog& d) {
        EXPECT_EQ(named<QLineEdit>(d, "exportWhatField")->text(),
                  "Acme, subtree: Title EQUALS Sales Manager OR Surname EQUALS Doe");
        EXPECT_TRUE(named<QRadioButton>(d, "subtreeRadio")->isHidden());
        named<QLineEdit>(d, "exportFileEdit")->setText(QString::fromStdString(file.string()));
        named<QPushButton>(d, "exportButton")->click();
    });
    EXPECT_EQ(query.reporter.messages, QStringList{QString::fromStdString(
                                           "2 objects were written to " + file.string() + ".\n")});
    std::vector<std::string> dns;
    for (const auto& r : recordsIn(file))
        dns.push_back(r.dn);
    std::sort(dns.begin(), dns.end());
    EXPECT_EQ(dns,
              (std::vector<std::string>{"cn=Jane,ou=Sales,o=Acme", "cn=Mary,ou=Sales,o=Acme"}));
}

} // namespace
