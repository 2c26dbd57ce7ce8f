#pragma once

#include "QueryPage.h"
#include "SubmittedSearch.h"
#include "directory/ClientBuffer.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The three buffers of a search, where its passes have got to, and how it ended.
struct CQueryPage::Search {
    explicit Search(DirectoryClient& dc) : attrNames(dc), filterRequest(dc), result(dc) {}
    ClientBuffer attrNames, filterRequest, result;
    std::string baseObject;
    std::int32_t iteration = NO_MORE_ITERATIONS;
    std::size_t shown = 0;
    SearchEnd end = SearchEnd::Completed;
    SubmittedSearch submitted; // what "Export Results..." exports once it has run
};
