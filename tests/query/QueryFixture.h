#pragma once

#include "client/embedded/EmbeddedDirectory.h"
#include "pages/TreeItems.h"
#include "query/QueryPage.h"
#include "tests/support/FaultInjectingClient.h"
#include "tests/support/ObjectRows.h"
#include "tests/support/RecordingReporter.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>
#include <memory>
#include <vector>

// The fault wrapper that also keeps every NWDSAddFilterToken call: its token, its value as
// text (an integer value as its number) and its syntax id.
class FilterRecordingClient : public FaultInjectingClient {
public:
    using FaultInjectingClient::FaultInjectingClient;

    struct Call {
        std::uint32_t token;
        QString value;
        std::uint32_t syntax;
        bool operator==(const Call&) const = default;
    };

    NWDSCCODE NWDSAddFilterToken(Filter_Cursor_T* cursor, std::uint32_t token, const void* value,
                                 std::uint32_t syntaxID) override {
        calls.push_back({token, describe(token, value, syntaxID), syntaxID});
        return FaultInjectingClient::NWDSAddFilterToken(cursor, token, value, syntaxID);
    }

    std::vector<Call> calls;

private:
    static QString describe(std::uint32_t token, const void* value, std::uint32_t syntax) {
        if (value == nullptr)
            return {};
        const bool number = syntax == SYN_BOOLEAN || syntax == SYN_INTEGER ||
                            syntax == SYN_COUNTER || syntax == SYN_INTERVAL;
        if (token == FTOK_AVAL && number)
            return QString::number(*static_cast<const std::int32_t*>(value));
        return QString::fromUtf8(static_cast<const char*>(value));
    }
};

// The NDS Query page on the embedded demo directory, behind the recording fault wrapper.
class QueryFixture {
public:
    explicit QueryFixture(const std::string& identity = "Admin.Acme")
        : directory(EmbeddedDirectory::openDemo(identity)),
          client(std::make_unique<FilterRecordingClient>(*directory)) {}

    void openPage() {
        page = std::make_unique<CQueryPage>(PageServices{*client, reporter}, nullptr);
        page->create("ACME_TREE");
        page->resize(700, 700);
        page->show();
    }
    template <class T> T* control(const char* name) const {
        return page->findChild<T*>(QString::fromLatin1(name));
    }
    QComboBox* attributes() const { return control<QComboBox>("attributeCombo"); }
    QComboBox* operators() const { return control<QComboBox>("operatorCombo"); }
    QLineEdit* value() const { return control<QLineEdit>("valueEdit"); }
    QLineEdit* syntax() const { return control<QLineEdit>("syntaxField"); }
    QLineEdit* location() const { return control<QLineEdit>("searchLocationEdit"); }
    QListWidget* requested() const { return control<QListWidget>("requestedAttributeList"); }
    QTreeWidget* criteria() const { return control<QTreeWidget>("criteriaList"); }
    QTreeView* results() const { return control<QTreeView>("resultsTree"); }
    void click(const char* button) {
        QTest::mouseClick(control<QPushButton>(button), Qt::LeftButton);
    }

    // Fills the criteria fields as typed and clicks "Add Criteria"; `joint` is "AND", "OR"
    // or empty for neither radio button.
    void addCriterion(const QString& attribute, const QString& op, const QString& text,
                      const QString& joint = {}) {
        attributes()->setEditText(attribute);
        operators()->setEditText(op);
        value()->setText(text);
        auto* orRadio = control<QRadioButton>("orRadio");
        auto* andRadio = control<QRadioButton>("andRadio");
        orRadio->setAutoExclusive(false);
        andRadio->setAutoExclusive(false);
        orRadio->setChecked(joint == "OR");
        andRadio->setChecked(joint == "AND");
        orRadio->setAutoExclusive(true);
        andRadio->setAutoExclusive(true);
        click("addCriteriaButton");
    }
    // Chooses an attribute from the combo's list, as a user does.
    void choose(const QString& attribute) {
        const int at = attributes()->findText(attribute);
        attributes()->setCurrentIndex(at);
        emit attributes()->activated(at);
    }
    void request(const QStringList& names) {
        for (const auto& n : names)
            choose(n);
    }
    void submit() { click("submitQueryButton"); }

    // The rows of the criteria list, each as "name|operator|value|node".
    QStringList rows() const {
        QStringList out;
        for (int i = 0; i < criteria()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* r = criteria()->topLevelItem(i);
            out << QStringList{r->text(0), r->text(1), r->text(2), r->text(3)}.join('|');
        }
        return out;
    }
    QStringList requestedNames() const {
        QStringList out;
        for (int i = 0; i < requested()->count(); ++i)
            out << requested()->item(i)->text();
        return out;
    }
    QModelIndex found(const QString& name) const {
        for (int i = 0; i < rows::topCount(results()); ++i)
            if (rows::text(rows::top(results(), i)) == name)
                return rows::top(results(), i);
        return {};
    }
    static QModelIndex child(const QModelIndex& parent, const QString& text) {
        return rows::named(parent, text);
    }
    // The texts of an attribute row's values.
    static QStringList values(const QModelIndex& object, const QString& attribute) {
        QStringList out;
        const QModelIndex attr = child(object, attribute);
        for (int i = 0; i < rows::count(attr); ++i)
            out << rows::text(rows::child(attr, i));
        return out;
    }
    QStringList topLevelTexts() const {
        QStringList out;
        for (int i = 0; i < rows::topCount(results()); ++i)
            out << rows::text(rows::top(results(), i));
        return out;
    }
    ClientResourceCounts outstanding() const { return client->outstandingResources(); }

    std::unique_ptr<EmbeddedDirectory> directory;
    std::unique_ptr<FilterRecordingClient> client;
    RecordingReporter reporter;
    std::unique_ptr<CQueryPage> page;
};

inline QString failed(const char* format, NWDSCCODE code) {
    return QString::asprintf(format, unsigned(code));
}
