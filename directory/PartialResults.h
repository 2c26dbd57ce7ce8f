#pragma once

#include "Codes.h"

class DirectoryClient;

#include <cstddef>
#include <string>

// A listing or search that a server ended early by one of its own limits, or the client by
// one of its limits on what a server may send, keeps what arrived; the page says how much that
// is and why, after the call's code. Empty for other failures.
std::string partialResultNote(const DirectoryClient& client, NWDSCCODE rc, std::size_t shown);
