#pragma once

#include "directory/Codes.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Only the first 4096 bytes of a stream are shown.
constexpr std::size_t kStreamShownBytes = 4096;

// The shown text of a stream's bytes: up to the first NUL, with bytes that are not
// text (control characters other than tab, CR and LF; broken UTF-8) as ".".
std::string streamDisplayText(std::string_view bytes);

// Reads up to 4096 bytes from the handle and closes it. The text is the shown text
// followed by "\r\n"; nothing when the read fails.
std::optional<std::string> readStreamText(NWFILE_HANDLE handle);
