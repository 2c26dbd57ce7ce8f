// The Schema Manager: opening the page (rights check and every picker filled) on the demo
// directory and on a generated schema of 5,000 attributes and 1,000 classes, and the look-up
// of what uses a definition after a refused removal, over the whole demo tree.
#include "bench/BenchSupport.h"
#include "schema/SchemaManagerPage.h"
#include "schema/SchemaUseReport.h"

#include <QComboBox>
#include <cstdio>

namespace {

using bench::CountingReporter;
using bench::numbered;

void generateSchema(DirectoryModel& model) {
    for (int i = 0; i < 5000; ++i) {
        AttributeDefinition def;
        def.name = numbered("Generated Attribute", i);
        def.syntax = 1 + std::uint32_t(i % 27);
        if (model.defineAttribute(def) != 0)
            std::fprintf(stderr, "cannot define %s\n", def.name.c_str());
    }
    for (int i = 0; i < 1000; ++i) {
        ClassDefinition def;
        def.name = numbered("Generated Class", i);
        def.flags = i % 2 == 0 ? 0x02u : 0x03u;
        def.lists[ClassDefinition::SuperClasses] = {"Top"};
        def.lists[ClassDefinition::Optional] = {numbered("Generated Attribute", i * 5)};
        if (model.defineClass(def) != 0)
            std::fprintf(stderr, "cannot define %s\n", def.name.c_str());
    }
}

void openPage(benchmark::State& state, bool generated) {
    std::unique_ptr<EmbeddedDirectory> directory = EmbeddedDirectory::openDemo();
    if (!directory) {
        state.SkipWithError("the demo directory cannot be opened");
        return;
    }
    if (generated)
        generateSchema(directory->model());
    CountingReporter reporter;
    int attributes = 0;
    for (auto _ : state) {
        CSchemaManagerPage page(PageServices{*directory, reporter}, nullptr);
        page.create(directory->model().treeName());
        attributes = page.findChild<QComboBox*>("optionalPicker")->count();
    }
    state.counters["attributes"] = attributes;
    if (reporter.count != 0)
        state.SkipWithError(qPrintable(QStringLiteral("reported: ") + reporter.last));
}

void BM_OpenOnBaseSchema(benchmark::State& state) {
    openPage(state, false);
}
void BM_OpenOnGeneratedSchema(benchmark::State& state) {
    openPage(state, true);
}

// What uses "CN" (listed by many classes, held by every object named by it).
void BM_AttributeUseOverDemoTree(benchmark::State& state) {
    std::unique_ptr<EmbeddedDirectory> directory = EmbeddedDirectory::openDemo();
    if (!directory) {
        state.SkipWithError("the demo directory cannot be opened");
        return;
    }
    CountingReporter reporter;
    CSchemaManagerPage page(PageServices{*directory, reporter}, nullptr);
    page.create(directory->model().treeName());
    std::string text;
    for (auto _ : state)
        text = AttributeUseText(page, "CN");
    state.counters["objects"] = double(directory->model().objects().size());
    if (text.empty())
        state.SkipWithError("nothing found");
}

BENCHMARK(BM_OpenOnBaseSchema)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenOnGeneratedSchema)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AttributeUseOverDemoTree)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return bench::runWithWidgets(argc, argv);
}
