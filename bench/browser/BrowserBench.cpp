// The browser showing one container of many objects on the embedded directory: the listing,
// one names read per object, sorted insertion into the object tree with the attribute names
// below each object, and the container list.
#include "bench/BenchSupport.h"
#include "browser/BrowserPage.h"
#include "tests/support/ObjectRows.h"

#include <QListWidget>
#include <QTreeWidget>
#include <string>

namespace {
using bench::CountingReporter;

// A demo directory with one more unit below Acme holding `objects` users, a tenth of them
// units themselves, so that the container list fills too.
EmbeddedDirectory& directoryWith(int objects) {
    return bench::demoWithUnit(
        "Big" + std::to_string(objects), objects,
        [objects](DirectoryModel& model, const std::string& container, int i) {
            // Names in an order the tree must sort: 7919 is prime to every count used here.
            const std::string name = "Object" + std::to_string((i * 7919) % objects);
            if (i % 10 == 0)
                model.addObject(container, name, "Organizational Unit");
            else
                model.addObject(container, name, "User",
                                {{"Surname", {"Bulk"}}, {"Telephone Number", {"+1 555 0100"}}});
        });
}

void showContainer(benchmark::State& state) {
    const int objects = int(state.range(0));
    EmbeddedDirectory& directory = directoryWith(objects);
    // A page's moves change the default name context of later contexts: start at Acme.
    NWDSContextHandle context = NO_CONTEXT;
    directory.NWDSCreateContextHandle(&context);
    directory.NWDSSetDefNameContext(context, 4, "Acme");
    directory.NWDSFreeContext(context);

    CountingReporter reporter;
    CBrowserPage page(PageServices{directory, reporter}, nullptr);
    page.create();
    const QString unit = QString("Big%1").arg(objects);
    QListWidgetItem* entry = page.containerList()->findItems(unit, Qt::MatchExactly).value(0);
    if (!entry) {
        state.SkipWithError("no such unit");
        return;
    }
    page.moveTo(entry); // into the big unit
    rows::finishListing(page);
    for (auto _ : state) {
        page.refresh();
        rows::finishListing(page);
        benchmark::DoNotOptimize(rows::count(rows::top(page.objectTree())));
    }
    const int shown = rows::count(rows::top(page.objectTree()));
    if (shown != objects || reporter.count != 0)
        state.SkipWithError("the container was not shown completely");
    state.counters["objects"] = shown;
    state.counters["containers"] = page.containerList()->count() - 1;
}
BENCHMARK(showContainer)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond)->Iterations(3);
} // namespace

int main(int argc, char** argv) {
    return bench::runWithWidgets(argc, argv);
}
