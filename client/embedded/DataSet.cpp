#include "DataSet.h"

#include "TreeLoader.h"
#include "client/common/Ldif.h"
#include "client/common/Names.h"
#include "client/common/SchemaFile.h"
#include "client/common/TextFile.h"

#include <sstream>

namespace {

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

struct Load {
    std::string tree;
    std::string file;
    std::string where; // "directory.conf:<line>: "
};

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
    std::string why;
    if (!readDataFile(dataDir, confPath, conf, why))
        return fail(confPath + " " + why);

    std::vector<std::pair<std::string, std::string>> schemaFiles; // file, where
    std::vector<Load> loads;
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
            schemaFiles.emplace_back(w[1], where);
        } else if (w[0] == "tree" && w.size() >= 3) {
            for (const auto& t : out.trees) {
                if (names::equalFolded(t->treeName(), w[1]))
                    return fail(where + "tree " + w[1] + " is named a second time");
            }
            out.trees.push_back(std::make_unique<DirectoryModel>(w[1], clock));
            for (std::size_t i = 2; i < w.size(); ++i) {
                if (i == 2)
                    out.servers.push_back({w[i], w[1]});
                out.advertisements.emplace_back(w[1], w[i]);
            }
        } else if (w[0] == "load" && w.size() == 3) {
            loads.push_back({w[1], w[2], where});
        } else {
            return fail(where + "expected schema, tree or load");
        }
    }
    if (out.trees.empty())
        return fail(confPath + ": no tree");
    if (schemaFiles.empty())
        return fail(confPath + ": no schema");
    for (const auto& tree : out.trees) {
        bool loaded = false;
        for (const auto& l : loads)
            loaded = loaded || l.tree == tree->treeName();
        if (!loaded)
            return fail(confPath + ": tree " + tree->treeName() + " has no load line");
    }
    // A server named only as an advertiser is a server of that tree as well.
    for (const auto& [tree, server] : out.advertisements) {
        bool known = false;
        for (const auto& s : out.servers)
            known = known || s.name == server;
        if (!known)
            out.servers.push_back({server, tree});
    }

    for (const auto& [file, where] : schemaFiles) {
        const std::string path = dataDir + "/" + file;
        std::string text;
        if (!readDataFile(dataDir, path, text, why))
            return fail(where + "the schema file " + path + " " + why);
        for (auto& tree : out.trees) {
            if (!schemafile::load(text, path, tree->schema(), &why))
                return fail(why);
            tree->adoptSchema();
        }
    }
    for (auto& tree : out.trees)
        tree->schema().markAllBase();
    for (const auto& load : loads) {
        DirectoryModel* tree = nullptr;
        for (auto& t : out.trees) {
            if (t->treeName() == load.tree)
                tree = t.get();
        }
        if (tree == nullptr)
            return fail(load.where + "load names unknown tree " + load.tree);
        const std::string path = dataDir + "/" + load.file;
        // Read a block at a time and loaded a record at a time: a file of a million objects is
        // never held whole, as text or as records.
        RecordLoader loader(*tree, path);
        ldif::DataFileReader reader(
            ldif::Source{path, folderOf(path), dataDir},
            [&](ldif::Record& record) { return loader.load(record, &why); }, &why);
        std::string readWhy;
        const bool loaded =
            readDataFileInPieces(
                dataDir, path, [&](std::string_view piece) { return reader.feed(piece); },
                readWhy) &&
            reader.finish();
        if (!loaded && !readWhy.empty())
            return fail(load.where + "the LDIF file " + path + " " + readWhy);
        if (!loaded)
            return fail(why);
    }
    return true;
}
