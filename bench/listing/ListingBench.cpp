// The browser's walk over one container through the seam: one NWDSList walk, then one
// names-only NWDSRead walk per listed object, as ListContainer and ReadAttributeNames do.

#include "bench/BenchSupport.h"

#include <string>

namespace {

bench::TypelessUnit& fixtureFor(int objects) {
    return bench::typelessUnit(
        "Big" + std::to_string(objects), objects,
        [](DirectoryModel& model, const std::string& container, int i) {
            model.addObject(container, "User" + std::to_string(i), "User",
                            {{"Surname", {"Bulk"}}, {"Telephone Number", {"+1 555 0100"}}});
        });
}

void listAndReadNames(benchmark::State& state) {
    bench::TypelessUnit& f = fixtureFor(int(state.range(0)));
    EmbeddedDirectory& d = *f.dir;
    Buf_T* list = nullptr;
    Buf_T* names = nullptr;
    d.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &list);
    d.NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &names);
    std::size_t objects = 0, attributes = 0;
    for (auto _ : state) {
        objects = attributes = 0;
        std::int32_t it = NO_MORE_ITERATIONS;
        do {
            if (d.NWDSList(f.context, f.container.c_str(), &it, list) != 0)
                state.SkipWithError("NWDSList failed");
            std::uint32_t count = 0;
            d.NWDSGetObjectCount(f.context, list, &count);
            for (std::uint32_t i = 0; i < count; ++i) {
                char name[MAX_DN_BYTES];
                std::uint32_t attrCount = 0;
                Object_Info_T info;
                d.NWDSGetObjectName(f.context, list, name, sizeof name, &attrCount, &info);
                ++objects;
                const std::string full = std::string(name) + "." + f.container;
                std::int32_t readIt = NO_MORE_ITERATIONS;
                do {
                    if (d.NWDSRead(f.context, full.c_str(), DS_ATTRIBUTE_NAMES, true, nullptr,
                                   &readIt, names) != 0)
                        state.SkipWithError("NWDSRead failed");
                    std::uint32_t n = 0;
                    d.NWDSGetAttrCount(f.context, names, &n);
                    for (std::uint32_t a = 0; a < n; ++a) {
                        char attr[MAX_SCHEMA_NAME_BYTES];
                        std::uint32_t values = 0, syntax = 0;
                        d.NWDSGetAttrName(f.context, names, attr, sizeof attr, &values, &syntax);
                        ++attributes;
                    }
                } while (readIt != NO_MORE_ITERATIONS);
            }
        } while (it != NO_MORE_ITERATIONS);
    }
    d.NWDSFreeBuf(list);
    d.NWDSFreeBuf(names);
    state.counters["objects"] = double(objects);
    state.counters["attributes"] = double(attributes);
}

} // namespace

BENCHMARK(listAndReadNames)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
