#pragma once

#include "DirectoryModel.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Everything a data folder describes. Its directory.conf holds lines of
//   schema <file>                       a schema file, loaded into every tree
//   tree <TREE_NAME> <SERVER> [SERVER...] a tree held by the first server; every server
//                                       named advertises it in the tree scan
//   load <TREE_NAME> <file.ldif>        content of that tree, in order
// with "#" comments; file names are relative to the folder.
struct DataSet {
    struct Server {
        std::string name;
        std::string tree;
    };
    std::vector<std::unique_ptr<DirectoryModel>> trees;
    std::vector<Server> servers;
    std::vector<std::pair<std::string, std::string>> advertisements; // tree, server
};

bool loadDataSet(const std::string& dataDir, std::uint32_t clock, DataSet& out, std::string* error);
