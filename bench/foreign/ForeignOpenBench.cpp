// Opening a server Ostrel did not seed and showing "[Root]": a private 389 Directory Server
// (about 1,500 schema definitions of its own, no hints) and a stock slapd, each read with a
// new user's settings. The figure includes connecting, binding, reading the root DSE and the
// whole subschema entry, mapping it, and the browser's first listing.
#include "bench/BenchSupport.h"
#include "browser/BrowserPage.h"
#include "client/ldap/LdapDirectory.h"
#include "tests/ldap/ForeignServer.h"

#include <QListWidget>
#include <cstdio>
#include <memory>
#include <string_view>

namespace {

ForeignServer& server(ForeignServer::Kind kind) {
    static std::unique_ptr<ForeignServer> servers[2];
    auto& slot = servers[int(kind)];
    if (!slot)
        slot = std::make_unique<ForeignServer>(kind);
    return *slot;
}

LdapDirectory::Options optionsFor(const ForeignServer& s) {
    LdapDirectory::Options options;
    auto source = [&](const char* name) -> std::optional<std::string> {
        if (std::string(name) == "LDAPURI")
            return s.uri();
        return std::nullopt;
    };
    std::string error;
    readLdapSettings(source, "", options.settings, &error);
    return options;
}

// The definitions the server publishes, as ldapsearch counts them.
int definitionsOf(const ForeignServer& s) {
    const char* base = s.kind() == ForeignServer::Kind::Dirsrv ? "cn=schema" : "cn=Subschema";
    const std::string command = "ldapsearch -LLL -x -o ldif-wrap=no -H '" + s.uri() + "' -b '" +
                                base + "' -s base attributeTypes objectClasses 2>/dev/null";
    FILE* out = popen(command.c_str(), "r");
    if (out == nullptr)
        return 0;
    int count = 0;
    char line[8192];
    while (std::fgets(line, sizeof line, out) != nullptr) {
        const std::string_view text(line);
        if (text.starts_with("attributeTypes:") || text.starts_with("objectClasses:"))
            ++count;
    }
    pclose(out);
    return count;
}

void openAndShowRoot(benchmark::State& state, ForeignServer::Kind kind) {
    ForeignServer& s = server(kind);
    if (!s.running()) {
        state.SkipWithError(s.failure().c_str());
        return;
    }
    int shown = 0;
    for (auto _ : state) {
        std::string error;
        auto dir = LdapDirectory::open(optionsFor(s), &error);
        if (!dir) {
            state.SkipWithError(error.c_str());
            return;
        }
        bench::CountingReporter reporter;
        CBrowserPage page(PageServices{*dir, reporter}, nullptr);
        page.create();
        shown = page.containerList()->count();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["definitions"] = definitionsOf(s);
    state.counters["rootEntries"] = shown;
}

void dirsrvOpensAndShowsRoot(benchmark::State& state) {
    openAndShowRoot(state, ForeignServer::Kind::Dirsrv);
}
void stockSlapdOpensAndShowsRoot(benchmark::State& state) {
    openAndShowRoot(state, ForeignServer::Kind::StockSlapd);
}

BENCHMARK(dirsrvOpensAndShowsRoot)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(stockSlapdOpensAndShowsRoot)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    return bench::runWithWidgets(argc, argv);
}
