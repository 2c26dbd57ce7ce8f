#pragma once

#include "directory/DirectoryClient.h"

#include <cstdint>
#include <string>
#include <vector>

// A search filter under construction: the tokens in the order they were added, each with
// its value already in wire form (a name for FTOK_ANAME, FTOK_RDN and FTOK_BASECLS values,
// the value of its syntax for FTOK_AVAL).
struct FilterToken {
    std::uint32_t token = FTOK_END;
    std::uint32_t syntax = 0;
    std::string value;
    void* callerValue = nullptr; // handed to the release function when the filter goes
};

struct Filter_Cursor_T {
    std::vector<FilterToken> tokens;
};

namespace filter {
constexpr std::size_t kMaxTokens = 256;
// Gives the caller's values back through `release` (when given) and empties the filter.
void releaseValues(Filter_Cursor_T& cursor, FilterValueRelease release);
} // namespace filter
