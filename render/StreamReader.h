#pragma once

#include "directory/Codes.h"

#include <cstddef>

// The operating system's read and close on the file handle that NWDSOpenStream gives.

// Reads up to `capacity` bytes, stopping early only at the end of the stream.
// Returns the number of bytes read, or -1 when the read fails.
long readStreamHandle(NWFILE_HANDLE handle, char* buffer, std::size_t capacity);

void closeStreamHandle(NWFILE_HANDLE handle);
