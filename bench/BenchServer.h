#pragma once

// What the benchmarks against slapd and its own tools share: a private slapd, and the median
// of the rounds they run in turns.
//
// A server on another machine takes none of the client's
// processor: here the server gets the first processor to itself and this program (with the
// tools it starts) the others, unless OSTREL_BENCH_SHARED_CPUS is set; sharing them, the
// scheduler now and then puts the server's threads on the client's processor.
#include "tests/ldap/SlapdServer.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sched.h>
#include <vector>

namespace bench {

inline std::unique_ptr<SlapdServer> startSlapd(const SlapdServer::Options& options) {
    cpu_set_t all;
    CPU_ZERO(&all);
    const bool separate = std::getenv("OSTREL_BENCH_SHARED_CPUS") == nullptr &&
                          sched_getaffinity(0, sizeof all, &all) == 0 && CPU_COUNT(&all) >= 2;
    cpu_set_t serverCpu, clientCpus = all;
    CPU_ZERO(&serverCpu);
    if (separate) {
        int first = 0;
        while (!CPU_ISSET(first, &all))
            ++first;
        CPU_SET(first, &serverCpu);
        CPU_CLR(first, &clientCpus);
        sched_setaffinity(0, sizeof serverCpu, &serverCpu); // inherited by the server
    }
    auto started = std::make_unique<SlapdServer>(options);
    if (separate)
        sched_setaffinity(0, sizeof clientCpus, &clientCpus);
    return started;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

} // namespace bench
