#include "DataSet.h"

#include "Ldif.h"
#include "SchemaFile.h"
#include "TextFile.h"
#include "TreeLoader.h"

#include <sstream>

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

bool loadDataSet(const std::string& dataDir, std::uint32_t clock, DataSet& out,
                 std::string* error) {
    auto fail = [&](const std::string& what) {
        if (error != nullptr)
            *error = what;
        return false;
    };
    const std::string confPath = dataDir + "/directory.conf";
    std::string conf;
    if (!readWholeFile(confPath, conf))
        return fail("cannot read " + confPath);

    std::vector<std::string> schemaFiles;
    std::vector<std::pair<std::string, std::string>> loads; // tree, file
    std::istringstream lines(conf);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        if (auto hash = line.find('#'); hash != std::string::npos)
            line.resize(hash);
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty())
            continue;
        const std::string where = confPath + ":" + std::to_string(number) + ": ";
        if (w[0] == "schema" && w.size() == 2) {
            schemaFiles.push_back(w[1]);
        } else if (w[0] == "tree" && w.size() >= 3) {
            out.trees.push_back(std::make_unique<DirectoryModel>(w[1], clock));
            for (std::size_t i = 2; i < w.size(); ++i) {
                if (i == 2)
                    out.servers.push_back({w[i], w[1]});
                out.advertisements.emplace_back(w[1], w[i]);
            }
        } else if (w[0] == "load" && w.size() == 3) {
            loads.emplace_back(w[1], w[2]);
        } else {
            return fail(where + "expected schema, tree or load");
        }
    }
    if (out.trees.empty())
        return fail(confPath + ": no tree");
    // A server named only as an advertiser is a server of that tree as well.
    for (const auto& [tree, server] : out.advertisements) {
        bool known = false;
        for (const auto& s : out.servers)
            known = known || s.name == server;
        if (!known)
            out.servers.push_back({server, tree});
    }

    for (const auto& file : schemaFiles) {
        std::string text;
        if (!readWholeFile(dataDir + "/" + file, text))
            return fail("cannot read " + dataDir + "/" + file);
        for (auto& tree : out.trees) {
            std::string why;
            if (!schemafile::load(text, file, tree->schema(), &why))
                return fail(why);
            tree->adoptSchema();
        }
    }
    for (auto& tree : out.trees)
        tree->schema().markAllBase();
    for (const auto& [treeName, file] : loads) {
        DirectoryModel* tree = nullptr;
        for (auto& t : out.trees) {
            if (t->treeName() == treeName)
                tree = t.get();
        }
        if (tree == nullptr)
            return fail(confPath + ": load names unknown tree " + treeName);
        const std::string path = dataDir + "/" + file;
        std::string text;
        if (!readWholeFile(path, text))
            return fail("cannot read " + path);
        std::vector<ldif::Record> records;
        std::string why;
        if (!ldif::parse(text, folderOf(path), records, &why) || !loadRecords(*tree, records, &why))
            return fail(file + ": " + why);
    }
    return true;
}
