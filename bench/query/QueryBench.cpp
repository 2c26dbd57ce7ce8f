// A subtree search of the embedded directory through the NDS Query page: the filter built,
// every pass of the search, and each object found shown in the results tree with the values
// of three requested attributes.
#include "bench/BenchSupport.h"
#include "query/QueryPage.h"
#include "tests/support/ObjectRows.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <algorithm>
#include <string>

namespace {
using bench::CountingReporter;

// The demo directory with one more unit below Acme holding `objects` users, each with a
// surname, a telephone number and a title.
EmbeddedDirectory& directoryWith(int objects) {
    return bench::demoWithUnit(
        "Found" + std::to_string(objects), objects,
        [objects](DirectoryModel& model, const std::string& container, int i) {
            // Names in an order the tree must sort: 7919 is prime to every count used here.
            const std::string n = std::to_string((i * 7919) % objects);
            model.addObject(container, "Person" + n, "User",
                            {{"Surname", {"Surname" + n}},
                             {"Telephone Number", {"+1 555 " + n}},
                             {"Title", {"Engineer"}}});
        });
}

template <class T> T* control(QWidget& page, const char* name) {
    return page.findChild<T*>(QString::fromLatin1(name));
}

void searchSubtree(benchmark::State& state) {
    const int objects = int(state.range(0));
    EmbeddedDirectory& directory = directoryWith(objects);
    CountingReporter reporter;
    CQueryPage page(PageServices{directory, reporter}, nullptr);
    page.create("ACME_TREE");
    auto* attributes = control<QComboBox>(page, "attributeCombo");
    double firstRowsMs = 0;
    for (auto _ : state) {
        for (const char* name : {"Surname", "Telephone Number", "Title"}) {
            attributes->setCurrentIndex(attributes->findText(name));
            page.OnAttributeSelected();
        }
        control<QLineEdit>(page, "searchLocationEdit")
            ->setText(QString("Found%1.Acme").arg(objects));
        attributes->setEditText("Object Class");
        control<QComboBox>(page, "operatorCombo")->setEditText("EQUALS");
        control<QLineEdit>(page, "valueEdit")->setText("User");
        page.OnAddCriteria();
        QElapsedTimer submitted;
        submitted.start();
        page.OnSubmitQuery(); // returns with the first screen of results shown
        firstRowsMs = std::max(firstRowsMs, double(submitted.nsecsElapsed()) / 1e6);
        rows::finishListing(page);
    }
    const QTreeView* results = control<QTreeView>(page, "resultsTree");
    if (rows::topCount(results) != objects || reporter.count != 0 ||
        rows::count(rows::top(results)) != 3)
        state.SkipWithError("the results were not shown completely");
    state.counters["objects"] = rows::topCount(results);
    state.counters["firstRowsMs"] = firstRowsMs;
}
BENCHMARK(searchSubtree)->Arg(10000)->Arg(50000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv) {
    return bench::runWithWidgets(argc, argv);
}
