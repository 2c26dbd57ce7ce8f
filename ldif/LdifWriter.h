#pragma once

#include "LdifRecord.h"

#include <cstddef>
#include <string>
#include <string_view>

// Writing LDIF (RFC 2849): a value is written as it is when it is a SAFE-STRING, else in
// base64 after "::"; lines longer than 76 columns are folded, each continuation starting
// with one blank.
namespace ldif {

constexpr std::size_t kLineWidth = 76;

// Whether a value can be written as it is: no NUL, CR, LF or byte above 0x7F, no blank, ":"
// or "<" first, and (as the RFC advises) no blank last.
bool isSafeString(std::string_view value);

// Appends "name: value", or "name:: <base64>" when `binary` or the value is not safe text,
// folded, with its line end.
void appendLine(std::string& out, std::string_view name, std::string_view value,
                bool binary = false);

// Appends a record (a content record, or a change record with its "changetype:") and the
// blank line after it.
void appendRecord(std::string& out, const Record& record);

} // namespace ldif
