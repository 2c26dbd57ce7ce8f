#pragma once

#include "directory/SyntaxNames.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The fixed tables that turn syntax ids and flag bits into the texts the schema pages show,
// and the names the Schema Manager offers back into ids and bits. Every lookup by name is
// exact and case-sensitive.

struct FlagText {
    std::uint32_t bit;
    std::string_view text;
};

// Syntax constant names by id, 0 to 28 (28 is the count itself).
inline constexpr std::array<std::string_view, 29> SyntaxConstantNames = {
    "SYN_UNKNOWN",      "SYN_DIST_NAME",       "SYN_CE_STRING",
    "SYN_CI_STRING",    "SYN_PR_STRING",       "SYN_NU_STRING",
    "SYN_CI_LIST",      "SYN_BOOLEAN",         "SYN_INTEGER",
    "SYN_OCTET_STRING", "SYN_TEL_NUMBER",      "SYN_FAX_NUMBER",
    "SYN_NET_ADDRESS",  "SYN_OCTET_LIST",      "SYN_EMAIL_ADDRESS",
    "SYN_PATH",         "SYN_REPLICA_POINTER", "SYN_OBJECT_ACL",
    "SYN_PO_ADDRESS",   "SYN_TIMESTAMP",       "SYN_CLASS_NAME",
    "SYN_STREAM",       "SYN_COUNTER",         "SYN_BACK_LINK",
    "SYN_TIME",         "SYN_TYPED_NAME",      "SYN_HOLD",
    "SYN_INTERVAL",     "SYNTAX_COUNT",
};

// Attribute flag labels of the Schema Viewer, in the order they are tested and shown.
inline constexpr std::array<FlagText, 11> AttributeFlagLabels = {{
    {0x0001, "Single Valued"},
    {0x0002, "Sized Attribute"},
    {0x0004, "Non-Removeable Attribute"},
    {0x0008, "Read Only Attribute"},
    {0x0010, "Hidden Attribute"},
    {0x0020, "String Attribute"},
    {0x0040, "Synchronize Immediate"},
    {0x0080, "Public Read"},
    {0x0100, "Server Read"},
    {0x0200, "Write Managed"},
    {0x0400, "Per Replica : Not Synchronized"},
}};

// Attribute flags a new attribute definition may be given, in the order they are offered.
inline constexpr std::array<FlagText, 8> AttributeFlagChoices = {{
    {0x0080, "Public Read"},
    {0x0400, "Per Replica"},
    {0x0001, "Single Valued"},
    {0x0020, "String"},
    {0x0040, "Sync Immediate"},
    {0x0002, "Sized Attribute"},
    {0x0008, "Read Only"},
    {0x0010, "Hidden"},
}};

// Class flag labels of the Schema Viewer, in the order they are tested and shown.
inline constexpr std::array<FlagText, 5> ClassFlagLabels = {{
    {0x01, "Container Class"},
    {0x02, "Effective Class : Object can be instantiated."},
    {0x04, "Non-Removeable Class"},
    {0x08, "Ambiguous Naming"},
    {0x10, "Ambiguous Containment"},
}};

// Class flags a new class definition may be given, in the order they are offered.
inline constexpr std::array<FlagText, 4> ClassFlagChoices = {{
    {0x10, "Ambiguous Containment"},
    {0x08, "Ambiguous Naming"},
    {0x01, "Container Class"},
    {0x02, "Effective Class"},
}};

// The constant name for the low 16 bits of a syntax id; ids past the table show as
// "Syntax <n>" with the same 16-bit number.
std::string syntaxConstantName(std::uint32_t syntaxID);

// The id of a syntax name as the directory reports it ("EMail Address" gives 14).
std::optional<std::uint32_t> syntaxIdForName(std::string_view syntaxName);

// The bit of an offered attribute or class flag name.
std::optional<std::uint32_t> attributeFlagBit(std::string_view choiceName);
std::optional<std::uint32_t> classFlagBit(std::string_view choiceName);
