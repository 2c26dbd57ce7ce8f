// The browser showing a 10,000-object container from a private slapd, measured in the same
// run as ldapsearch listing the same container (one level, attribute names only): the
// client's listing with its names reads should cost about one search, not one per object.
#include "bench/BenchServer.h"
#include "browser/BrowserPage.h"
#include "client/ldap/LdapDirectory.h"
#include "pages/Reporter.h"
#include "tests/ldap/SlapdServer.h"
#include "tests/support/ObjectRows.h"

#include <QApplication>
#include <QListWidget>
#include <QTreeWidget>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace {

// OSTREL_BENCH_OBJECTS sets another size (100000 for the figure the browser is held to).
const int kObjects = [] {
    const char* set = std::getenv("OSTREL_BENCH_OBJECTS");
    return set != nullptr && std::atoi(set) > 0 ? std::atoi(set) : 10000;
}();

class CountingReporter : public Reporter {
public:
    void showMessage(QWidget*, const QString&) override { ++messages; }
    int messages = 0;
};

SlapdServer& server() {
    static std::unique_ptr<SlapdServer> instance = [] {
        char pattern[] = "/tmp/ostrel-bench-XXXXXX";
        const std::string ldif = std::string(mkdtemp(pattern)) + "/big.ldif";
        std::ofstream out(ldif);
        out << "dn: ou=Big,o=Acme\nobjectClass: organizationalUnit\nou: Big\n\n";
        for (int i = 0; i < kObjects; ++i)
            out << "dn: cn=Object" << (i * 7919) % kObjects
                << ",ou=Big,o=Acme\nobjectClass: inetOrgPerson\nsn: Bulk\n"
                   "telephoneNumber: +1 555 0100\n\n";
        out.close();
        SlapdServer::Options options;
        options.extraLdif = {"ACME_TREE=" + ldif};
        return bench::startSlapd(options);
    }();
    return *instance;
}

LdapDirectory::Options optionsFor(const SlapdServer& s) {
    LdapDirectory::Options options;
    auto source = [&](const char* name) -> std::optional<std::string> {
        const std::string n = name;
        if (n == "OSTREL_LDAP_TREES")
            return s.treesFile();
        if (n == "LDAPBINDDN")
            return std::string("cn=Admin,o=Acme");
        if (n == "OSTREL_LDAP_PASSWORD_FILE")
            return s.passwordFile();
        if (n == "OSTREL_LDAP_SCHEMA")
            return std::string(OSTREL_DATA_DIR) + "/schema/base.schema";
        return std::nullopt;
    };
    std::string error;
    readLdapSettings(source, "", options.settings, &error);
    return options;
}

// ldapsearch listing the container, its output thrown away. Started with posix_spawn, as a
// fork of this process would first copy the page tables of its tens of thousands of items.
bool ldapsearchListsBig() {
    const std::string uri = server().uri(), passwordFile = server().passwordFile();
    // clang-format off
    std::vector<std::string> args = {"ldapsearch", "-LLL", "-x", "-H", uri, "-D", "cn=Admin,o=Acme",
                                     "-y", passwordFile, "-b", "ou=Big,o=Acme", "-s", "one", "-A"};
    // clang-format on
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "ldapsearch", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// The browser page at the large container, on a connection of its own.
struct BrowserAtBig {
    std::unique_ptr<LdapDirectory> directory;
    CountingReporter reporter;
    std::unique_ptr<CBrowserPage> page;

    // Empty when the page cannot be put there, with the reason given to `state`.
    static std::unique_ptr<BrowserAtBig> open(benchmark::State& state) {
        if (!server().running()) {
            state.SkipWithError(server().failure().c_str());
            return nullptr;
        }
        auto at = std::make_unique<BrowserAtBig>();
        std::string error;
        at->directory = LdapDirectory::open(optionsFor(server()), &error);
        if (!at->directory) {
            state.SkipWithError(error.c_str());
            return nullptr;
        }
        at->page =
            std::make_unique<CBrowserPage>(PageServices{*at->directory, at->reporter}, nullptr);
        at->page->create();
        QListWidgetItem* entry =
            at->page->containerList()->findItems("Big", Qt::MatchExactly).value(0);
        if (!entry) {
            state.SkipWithError("no unit Big");
            return nullptr;
        }
        at->page->moveTo(entry);
        rows::finishListing(*at->page);
        return at;
    }
    bool showsAll() const {
        return rows::count(rows::top(page->objectTree())) == kObjects && reporter.messages == 0;
    }
};

void browserShowsContainer(benchmark::State& state) {
    auto at = BrowserAtBig::open(state);
    if (!at)
        return;
    CBrowserPage& page = *at->page;
    LdapDirectory* directory = at->directory.get();
    const auto before = directory->roundTrips();
    for (auto _ : state) {
        page.refresh();
        rows::finishListing(page);
        benchmark::DoNotOptimize(rows::count(rows::top(page.objectTree())));
    }
    if (!at->showsAll())
        state.SkipWithError("the container was not shown completely");
    state.counters["objects"] = rows::count(rows::top(page.objectTree()));
    state.counters["requests"] =
        double(directory->roundTrips() - before) / double(state.iterations());
}
BENCHMARK(browserShowsContainer)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same container through the seam only: the listing as the browser makes it, without the
// page's rows.
void seamListsContainer(benchmark::State& state) {
    std::string error;
    auto directory = LdapDirectory::open(optionsFor(server()), &error);
    if (!directory) {
        state.SkipWithError(error.c_str());
        return;
    }
    NWDSContextHandle ctx = NO_CONTEXT;
    directory->NWDSCreateContextHandle(&ctx);
    const std::uint32_t flags = BufferedClient::kDefaultContextFlags | DCV_TYPELESS_NAMES;
    directory->NWDSSetContext(ctx, DCK_FLAGS, &flags);
    directory->NWDSSetContext(ctx, DCK_NAME_CONTEXT, "Big.Acme");
    Buf_T* list = nullptr;
    directory->NWDSAllocBuf(DEFAULT_MESSAGE_LEN, &list);
    std::size_t objects = 0;
    for (auto _ : state) {
        objects = 0;
        std::int32_t it = NO_MORE_ITERATIONS;
        do {
            directory->NWDSList(ctx, "Big.Acme", &it, list);
            std::uint32_t count = 0;
            directory->NWDSGetObjectCount(ctx, list, &count);
            for (std::uint32_t i = 0; i < count; ++i) {
                char name[MAX_DN_BYTES];
                Object_Info_T info{};
                directory->NWDSGetObjectName(ctx, list, name, sizeof name, nullptr, &info);
                ++objects;
            }
        } while (it != NO_MORE_ITERATIONS);
    }
    directory->NWDSFreeBuf(list);
    directory->NWDSFreeContext(ctx);
    if (objects != std::size_t(kObjects))
        state.SkipWithError("the container was not listed completely");
}
BENCHMARK(seamListsContainer)->Unit(benchmark::kMillisecond)->Iterations(5);

void ldapsearchListsContainer(benchmark::State& state) {
    if (!server().running()) {
        state.SkipWithError(server().failure().c_str());
        return;
    }
    for (auto _ : state) {
        if (!ldapsearchListsBig()) {
            state.SkipWithError("ldapsearch failed");
            return;
        }
    }
}
BENCHMARK(ldapsearchListsContainer)->Unit(benchmark::kMillisecond)->Iterations(5);

// The two in turns, round by round, so that a change in the machine's load falls on both:
// the medians of each and their ratio, the figure the listing is held to (bench/README.md).
void browserAgainstLdapsearch(benchmark::State& state) {
    auto at = BrowserAtBig::open(state);
    if (!at)
        return;
    using Clock = std::chrono::steady_clock;
    const auto millis = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::vector<double> browser, ldapsearch;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!ldapsearchListsBig()) {
            state.SkipWithError("ldapsearch failed");
            return;
        }
        ldapsearch.push_back(millis(Clock::now() - start));
        start = Clock::now();
        at->page->refresh();
        rows::finishListing(*at->page);
        browser.push_back(millis(Clock::now() - start));
        // What the program's event loop does once the listing is shown, before the user's
        // next action: among others, the previous listing's items are freed.
        QCoreApplication::processEvents();
    }
    if (!at->showsAll()) {
        state.SkipWithError("the container was not shown completely");
        return;
    }
    using bench::median;
    state.counters["browser_ms"] = median(browser);
    state.counters["ldapsearch_ms"] = median(ldapsearch);
    state.counters["ratio"] = median(browser) / median(ldapsearch);
}
BENCHMARK(browserAgainstLdapsearch)->Unit(benchmark::kMillisecond)->Iterations(31);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
