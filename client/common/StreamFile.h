#pragma once

#include "directory/Codes.h"

#include <string_view>

// An operating-system file handle positioned at the start of `content`, which the caller
// reads with read() and closes with close(). 0 and the handle, or ERR_SYSTEM_ERROR.
NWDSCCODE openStreamFile(std::string_view content, NWFILE_HANDLE* handle);
