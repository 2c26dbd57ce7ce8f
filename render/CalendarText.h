#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A seconds count since 1 January 1970 00:00:00 UTC, taken as a signed 32-bit number,
// written as "Thu Jan 01 00:00:00 1970\n". No time zone, no locale.
std::string calendarText(std::uint32_t seconds);

// The seconds count a calendarText() wrote (the trailing newline optional); nullopt for any
// other text.
std::optional<std::uint32_t> calendarSeconds(std::string_view text);
