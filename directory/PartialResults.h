#pragma once

#include "Codes.h"

#include <cstddef>
#include <string>

// A listing or search that a server ended early by one of its own limits keeps what arrived;
// the page says how much that is and why, after the call's code. Empty for other failures.
std::string partialResultNote(NWDSCCODE rc, std::size_t shown);
