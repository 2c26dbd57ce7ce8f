#pragma once

// What the benchmarks share: the demo directory with one large unit, a context that reads
// names as the browser does, a reporter that counts, generated names, and a main for the
// benchmarks that open pages.
#include "client/embedded/EmbeddedDirectory.h"
#include "pages/Reporter.h"
#include "tests/support/PageContext.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace bench {

// Counts what a page reports and keeps the last text.
class CountingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString& text) override {
        ++count;
        last = text;
    }
    int count = 0;
    QString last;
};

// "<prefix> 0042".
inline std::string numbered(const char* prefix, int n) {
    char text[40];
    std::snprintf(text, sizeof text, "%s %04d", prefix, n);
    return text;
}

// The demo directory with one more Organizational Unit `unit` below Acme, holding `objects`
// objects that `addOne(model, container, i)` adds (the container being "<unit>.Acme"); made
// once per unit name for the life of the program.
template <class AddOne>
EmbeddedDirectory& demoWithUnit(const std::string& unit, int objects, AddOne addOne) {
    static std::map<std::string, std::unique_ptr<EmbeddedDirectory>> made;
    std::unique_ptr<EmbeddedDirectory>& directory = made[unit];
    if (directory)
        return *directory;
    directory = EmbeddedDirectory::openDemo();
    DirectoryModel& model = directory->model();
    model.addObject("Acme", unit, "Organizational Unit");
    const std::string container = unit + ".Acme";
    for (int i = 0; i < objects; ++i)
        addOne(model, container, i);
    return *directory;
}

// That directory with its unit, read through a context that gives typeless names and does
// not canonicalize them, as the seam's own walks read it.
struct TypelessUnit {
    EmbeddedDirectory* dir = nullptr;
    NWDSContextHandle context = NO_CONTEXT;
    std::string container;
};
template <class AddOne>
TypelessUnit& typelessUnit(const std::string& unit, int objects, AddOne addOne) {
    static std::map<std::string, TypelessUnit> made;
    TypelessUnit& u = made[unit];
    if (u.dir != nullptr)
        return u;
    u.dir = &demoWithUnit(unit, objects, addOne);
    u.container = unit + ".Acme";
    u.context = pageContextOn(*u.dir);
    return u;
}

// The main of a benchmark that opens pages: an application on the offscreen platform unless
// another is set.
inline int runWithWidgets(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
