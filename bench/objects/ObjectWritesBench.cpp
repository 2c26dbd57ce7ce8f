// One object's life through the seam in a container of N objects, as the Object Manager
// makes it: an add from a request, a rename, a move out and back, a remove.

#include "bench/BenchSupport.h"

#include <string>

namespace {

bench::TypelessUnit& fixtureFor(int objects) {
    return bench::typelessUnit(
        "Big" + std::to_string(objects), objects,
        [](DirectoryModel& model, const std::string& container, int i) {
            model.addObject(container, "User" + std::to_string(i), "User", {{"Surname", {"Bulk"}}});
        });
}

void objectLife(benchmark::State& state) {
    bench::TypelessUnit& f = fixtureFor(int(state.range(0)));
    EmbeddedDirectory& d = *f.dir;
    Buf_T* request = nullptr;
    d.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &request);
    const std::string probe = "Probe." + f.container;
    const std::string renamed = "Probe2." + f.container;
    for (auto _ : state) {
        d.NWDSInitBuf(f.context, DSV_ADD_ENTRY, request);
        d.NWDSPutAttrName(f.context, request, "Object Class");
        d.NWDSPutAttrVal(f.context, request, SYN_CLASS_NAME, "User");
        d.NWDSPutAttrName(f.context, request, "Surname");
        d.NWDSPutAttrVal(f.context, request, SYN_CI_STRING, "Probe");
        NWDSCCODE rc = d.NWDSAddObject(f.context, probe.c_str(), nullptr, false, request);
        rc |= d.NWDSModifyRDN(f.context, probe.c_str(), "Probe2", true);
        rc |= d.NWDSMoveObject(f.context, renamed.c_str(), "Sales.Acme", "Probe2");
        rc |= d.NWDSMoveObject(f.context, "Probe2.Sales.Acme", f.container.c_str(), "Probe2");
        rc |= d.NWDSRemoveObject(f.context, renamed.c_str());
        if (rc != 0) {
            state.SkipWithError("a write failed");
            break;
        }
    }
    d.NWDSFreeBuf(request);
    state.SetItemsProcessed(state.iterations() * 5);
}

} // namespace

BENCHMARK(objectLife)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
