#pragma once

#include "directory/Codes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Conversion between the wire form of a value (ValueWire.h) and the native value record the
// caller sees (directory/Records.h). A native record is one allocation: the record itself
// first, then the texts and bytes its references point to.
namespace records {

// Bytes the native record of this wire value needs; 0 when the wire value is malformed.
std::size_t nativeSize(std::uint32_t syntax, std::string_view wireValue);

// Builds the native record into `out` of `outSize` bytes. Returns 0, ERR_VALUE_TOO_SMALL
// when outSize is short of nativeSize, or ERR_INVALID_SERVER_RESPONSE for a malformed value.
NWDSCCODE buildNative(std::uint32_t syntax, std::string_view wireValue, void* out,
                      std::size_t outSize);

// Encodes the caller's value (the text itself for the string syntaxes, else the native
// record) into its wire form, at most `limit` bytes. Returns 0, ERR_NULL_POINTER for a
// missing reference, ERR_BUFFER_FULL when the value is longer than `limit`, or
// ERR_SYNTAX_VIOLATION for a record that cannot be a value (a list that never ends, more
// than six postal lines, ...).
NWDSCCODE encodeNative(std::uint32_t syntax, const void* value, std::size_t limit,
                       std::string& wireValue);

} // namespace records
