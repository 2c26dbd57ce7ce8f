// LDIF export and import through the LDAP client against the OpenLDAP tools on the same
// private slapd: the export of a 100,000-object subtree against `ldapsearch -LLL` writing the
// same subtree to a file, and the import of 10,000 add records against `ldapadd` of the same
// file. Each pair runs in turns, round by round; the medians and their ratio are the figures.
#include "bench/BenchServer.h"
#include "client/ldap/LdapDirectory.h"
#include "ldif/LdifExport.h"
#include "ldif/LdifImport.h"
#include "tests/ldap/SlapdServer.h"
#include "tests/support/PageContext.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kExported = 100000;
constexpr int kImported = 10000;

const fs::path& workFolder() {
    static const fs::path dir = [] {
        char pattern[] = "/tmp/ostrel-ldif-bench-XXXXXX";
        return fs::path(mkdtemp(pattern));
    }();
    return dir;
}

// The private slapd with ou=Exported (100,000 Users) and an empty ou=Imported below o=Acme.
// The server gets the first processor and this program (with the tools it starts) the
// others, as in the ldap benchmark, unless OSTREL_BENCH_SHARED_CPUS is set.
SlapdServer& server() {
    static std::unique_ptr<SlapdServer> instance = [] {
        const fs::path ldif = workFolder() / "exported.ldif";
        std::ofstream out(ldif);
        out << "dn: ou=Imported,o=Acme\nobjectClass: organizationalUnit\nou: Imported\n\n"
               "dn: ou=Exported,o=Acme\nobjectClass: organizationalUnit\nou: Exported\n\n";
        for (int i = 0; i < kExported; ++i)
            out << "dn: cn=User" << i
                << ",ou=Exported,o=Acme\nobjectClass: inetOrgPerson\nsn: Bulk " << i
                << "\ntelephoneNumber: +1 555 " << i % 10000 << "\n\n";
        out.close();
        SlapdServer::Options options;
        options.extraLdif = {"ACME_TREE=" + ldif.string()};
        return bench::startSlapd(options);
    }();
    return *instance;
}

std::unique_ptr<LdapDirectory> openClient(benchmark::State& state) {
    if (!server().running()) {
        state.SkipWithError(server().failure().c_str());
        return nullptr;
    }
    LdapDirectory::Options options;
    auto source = [](const char* name) -> std::optional<std::string> {
        const std::string n = name;
        if (n == "OSTREL_LDAP_TREES")
            return server().treesFile();
        if (n == "LDAPBINDDN")
            return std::string("cn=Admin,o=Acme");
        if (n == "OSTREL_LDAP_PASSWORD_FILE")
            return server().passwordFile();
        // The client's guard against a server sending without end is 50,000 entries.
        if (n == "OSTREL_LDAP_MAX_ENTRIES")
            return std::to_string(2 * kExported);
        return std::nullopt;
    };
    std::string error;
    readLdapSettings(source, "", options.settings, &error);
    auto client = LdapDirectory::open(options, &error);
    if (!client)
        state.SkipWithError(error.c_str());
    return client;
}

// One of the OpenLDAP tools bound as the demo's administrator, its output into `output`.
bool runTool(const char* tool, std::vector<std::string> args, const std::string& output) {
    std::vector<std::string> all = {
        tool, "-x", "-H", server().uri(), "-D", "cn=Admin,o=Acme", "-y", server().passwordFile()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, tool, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

using Clock = std::chrono::steady_clock;
double millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}
using bench::median;

// The export of ou=Exported (100,001 objects) to a file, and ldapsearch -LLL writing the same
// subtree to a file; the figure is the ratio of the medians, held to at most 2.
void exportAgainstLdapsearch(benchmark::State& state) {
    auto client = openClient(state);
    if (!client)
        return;
    const NWDSContextHandle ctx = pageContextOn(*client, "ACME_TREE", ROOT_NAME);
    const std::string ours = (workFolder() / "ours.ldif").string();
    const std::string theirs = (workFolder() / "ldapsearch.ldif").string();
    std::vector<double> exportMs, ldapsearchMs;
    std::size_t objects = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!runTool("ldapsearch", {"-LLL", "-b", "ou=Exported,o=Acme", "-s", "sub"}, theirs)) {
            state.SkipWithError("ldapsearch failed");
            return;
        }
        ldapsearchMs.push_back(millis(Clock::now() - start));
        start = Clock::now();
        const auto result =
            ldifexport::writeFile(*client, ctx, {"Exported.Acme", DS_SEARCH_SUBTREE, {}}, ours);
        exportMs.push_back(millis(Clock::now() - start));
        if (!result.ok()) {
            state.SkipWithError(("export failed: " + result.failure.call).c_str());
            return;
        }
        objects = result.objects;
    }
    client->NWDSFreeContext(ctx);
    if (objects != std::size_t(kExported) + 1) {
        state.SkipWithError("the export did not write every object");
        return;
    }
    state.counters["objects"] = double(objects);
    state.counters["export_ms"] = median(exportMs);
    state.counters["ldapsearch_ms"] = median(ldapsearchMs);
    state.counters["ratio"] = median(exportMs) / median(ldapsearchMs);
}
BENCHMARK(exportAgainstLdapsearch)->Unit(benchmark::kMillisecond)->Iterations(5);

// The import of 10,000 add records below ou=Imported, and ldapadd of the same file; the
// records are removed again (unmeasured) after each. The figure is the ratio of the medians,
// held to at most 2.
void importAgainstLdapadd(benchmark::State& state) {
    auto client = openClient(state);
    if (!client)
        return;
    const NWDSContextHandle ctx = pageContextOn(*client, "ACME_TREE", ROOT_NAME);
    const fs::path adds = workFolder() / "adds.ldif", dns = workFolder() / "dns.txt";
    {
        std::ofstream a(adds), d(dns);
        for (int i = 0; i < kImported; ++i) {
            a << "dn: cn=Added" << i
              << ",ou=Imported,o=Acme\nobjectClass: inetOrgPerson\nsn: Added " << i
              << "\ntelephoneNumber: +1 555 " << i << "\ntitle: Imported\n\n";
            d << "cn=Added" << i << ",ou=Imported,o=Acme\n";
        }
    }
    const std::string log = (workFolder() / "tool.log").string();
    auto removeAll = [&] { return runTool("ldapdelete", {"-c", "-f", dns.string()}, log); };
    std::vector<double> importMs, ldapaddMs;
    for (auto _ : state) {
        auto start = Clock::now();
        if (!runTool("ldapadd", {"-f", adds.string()}, log)) {
            state.SkipWithError("ldapadd failed");
            return;
        }
        ldapaddMs.push_back(millis(Clock::now() - start));
        removeAll();
        start = Clock::now();
        ldifimport::Plan plan;
        std::string error;
        if (!ldifimport::prepare(*client, ctx, adds.string(), plan, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const auto report = ldifimport::apply(*client, ctx, plan, ldifimport::OnRefusal::Stop);
        importMs.push_back(millis(Clock::now() - start));
        if (!report.allApplied() || report.applied != std::size_t(kImported)) {
            state.SkipWithError(ldifimport::reportText(report).c_str());
            return;
        }
        removeAll();
    }
    client->NWDSFreeContext(ctx);
    state.counters["records"] = kImported;
    state.counters["import_ms"] = median(importMs);
    state.counters["ldapadd_ms"] = median(ldapaddMs);
    state.counters["ratio"] = median(importMs) / median(ldapaddMs);
}
BENCHMARK(importAgainstLdapadd)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(workFolder());
    return 0;
}
