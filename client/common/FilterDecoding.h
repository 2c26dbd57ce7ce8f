#pragma once

#include "Buffer.h"
#include "Filter.h"

#include <vector>

namespace request {

// The tokens of a search-filter request (operation 28) in the order they were added, each
// with its value in wire form. ERR_BAD_VERB for a buffer prepared otherwise,
// ERR_FILTER_TREE_EMPTY when no filter was put into it, ERR_INVALID_REQUEST for bytes that
// are not whole.
NWDSCCODE searchFilter(const Buf_T& request, std::vector<FilterToken>& out);

} // namespace request
