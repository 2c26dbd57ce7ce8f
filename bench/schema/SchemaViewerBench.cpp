// Filling both trees of the Schema Viewer: the base schema of the demo directory, and a
// generated schema of 1,000 classes in chains up to 8 deep with 5,000 attributes.
#include "bench/BenchSupport.h"
#include "schema/SchemaViewerPage.h"

#include <QTreeWidget>
#include <cstdio>

namespace {

using bench::CountingReporter;
using bench::numbered;

// 5,000 attributes over the syntaxes 1 to 27, a third of them sized; then 1,000 classes,
// each below the one before it except every eighth, which is below Top.
void generateSchema(DirectoryModel& model) {
    constexpr int Attributes = 5000;
    constexpr int Classes = 1000;
    for (int i = 0; i < Attributes; ++i) {
        AttributeDefinition def;
        def.name = numbered("Generated Attribute", i);
        def.syntax = 1 + std::uint32_t(i % 27);
        def.flags = (i % 3 == 0 ? 0x0002u : 0u) | (i % 5 == 0 ? 0x0001u : 0u) | 0x0080u;
        def.lower = 1;
        def.upper = std::uint32_t(i + 10);
        if (model.addAttribute(def) != 0)
            std::fprintf(stderr, "cannot add %s\n", def.name.c_str());
    }
    for (int i = 0; i < Classes; ++i) {
        ClassDefinition def;
        def.name = numbered("Generated Class", i);
        def.flags = i % 2 == 0 ? 0x02u : 0x01u;
        def.lists[ClassDefinition::SuperClasses] = {
            i % 8 == 0 ? std::string("Top") : numbered("Generated Class", i - 1)};
        def.lists[ClassDefinition::Containment] = {"Organizational Unit"};
        for (int k = 0; k < 2; ++k)
            def.lists[ClassDefinition::Mandatory].push_back(
                numbered("Generated Attribute", (i * 5 + k) % Attributes));
        for (int k = 2; k < 5; ++k)
            def.lists[ClassDefinition::Optional].push_back(
                numbered("Generated Attribute", (i * 5 + k) % Attributes));
        if (model.addClass(def) != 0)
            std::fprintf(stderr, "cannot add %s\n", def.name.c_str());
    }
}

int countItems(const QTreeWidgetItem* item) {
    int count = 1;
    for (int i = 0; i < item->childCount(); ++i)
        count += countItems(item->child(i));
    return count;
}

int countItems(const QTreeWidget* tree) {
    int count = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        count += countItems(tree->topLevelItem(i));
    return count;
}

void fillBothTrees(benchmark::State& state, bool generated) {
    std::unique_ptr<EmbeddedDirectory> directory = EmbeddedDirectory::openDemo();
    if (!directory) {
        state.SkipWithError("the demo directory cannot be opened");
        return;
    }
    if (generated)
        generateSchema(directory->model());
    CountingReporter reporter;
    CSchemaViewerPage page(PageServices{*directory, reporter}, nullptr);
    page.create(directory->model().treeName());

    for (auto _ : state)
        page.refresh(); // empties both trees and fills them again

    auto* classes = page.findChild<QTreeWidget*>("classTree");
    auto* attributes = page.findChild<QTreeWidget*>("attributeTree");
    state.counters["classes"] = classes->topLevelItemCount();
    state.counters["attributes"] = attributes->topLevelItemCount();
    state.counters["items"] = countItems(classes) + countItems(attributes);
    if (reporter.count != 0)
        state.SkipWithError(qPrintable(QStringLiteral("reported: ") + reporter.last));
}

void BM_FillBaseSchema(benchmark::State& state) {
    fillBothTrees(state, false);
}
void BM_FillGeneratedSchema(benchmark::State& state) {
    fillBothTrees(state, true);
}

BENCHMARK(BM_FillBaseSchema)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillGeneratedSchema)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return bench::runWithWidgets(argc, argv);
}
