#pragma once

#include "Codes.h"

#include <array>
#include <string_view>

// The names the directory gives its syntaxes, by id.
inline constexpr std::array<std::string_view, SYNTAX_COUNT> SyntaxNames = {
    "Unknown",
    "Distinguished Name",
    "Case Exact String",
    "Case Ignore String",
    "Printable String",
    "Numeric String",
    "Case Ignore List",
    "Boolean",
    "Integer",
    "Octet String",
    "Telephone Number",
    "Facsimile Telephone Number",
    "Net Address",
    "Octet List",
    "EMail Address",
    "Path",
    "Replica Pointer",
    "Object ACL",
    "Postal Address",
    "Timestamp",
    "Class Name",
    "Stream",
    "Counter",
    "Back Link",
    "Time",
    "Typed Name",
    "Hold",
    "Interval",
};
