// The embedded directory alone on a data folder: how long loading takes and how much memory
// the loaded trees hold. Prints one line per figure; run it on the demo data too and take the
// difference to get the bytes of the added objects.
//
//   build/default/bench/large/ostrel_bench_load /tmp/large
//   build/default/bench/large/ostrel_bench_load data
#include "client/embedded/EmbeddedDirectory.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double residentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double cpuMs(const rusage& u) {
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DATA-FOLDER\n", argv[0]);
        return 2;
    }
    const double before = residentMegabytes();
    const auto start = std::chrono::steady_clock::now();
    EmbeddedDirectory::Options options;
    options.dataDir = argv[1];
    std::string error;
    auto directory = EmbeddedDirectory::open(options, &error);
    if (!directory) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const double loadMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("load: %.0f ms (processor %.0f ms)\n", loadMs, cpuMs(usage));
    std::printf("objects in the first tree: %zu\n", directory->model().objects().size());
    std::printf("RSS before loading: %.1f MB\n", before);
    std::printf("RSS after loading: %.1f MB\n", residentMegabytes());
    std::printf("peak RSS: %.1f MB\n", double(usage.ru_maxrss) / 1024.0);
    return 0;
}
