#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace base64 {
// Standard alphabet with "=" padding; blanks and line breaks inside are ignored.
std::optional<std::string> decode(std::string_view text);
std::string encode(std::string_view bytes);
} // namespace base64
