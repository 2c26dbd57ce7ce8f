#pragma once

#include "directory/Codes.h"

#include <cstdint>
#include <string>
#include <string_view>

// The wire form of one attribute value, by syntax; the bytes of a value inside a buffer and
// in the directory's store (all numbers u32 little-endian, string = u32 length + bytes):
//   1-5, 10, 20  the text itself          6  u32 n, n strings
//   7   one byte                          8, 22, 24, 27  u32
//   9   the octets themselves             11 string number, u32 bit count, string bits
//   12  u32 type, string address          13 u32 n, n strings of octets
//   14  u32 type, string address          15 u32 name space, string volume, string path
//   16  string server, u32 type, u32 number, u32 n, n x (u32 type, string address)
//   17  string protected attribute, string subject, u32 privileges
//   18  u32 n (at most 6), n strings      19 u32 seconds, u32 event id
//   21  u32 length (the content is read through a stream)
//   23  u32 remote id, string name        25 string name, u32 level, u32 interval
//   26  string name, u32 amount           other ids: the octets themselves
namespace wire {

constexpr std::uint32_t kMaxListItems = 1024; // elements of lists 6, 13
constexpr std::uint32_t kMaxReplicaAddresses = 64;
constexpr std::uint32_t kPostalLines = 6;

// True when `bytes` is a well-formed value of the syntax, with nothing left over.
bool isWellFormed(std::uint32_t syntax, std::string_view bytes);

// Builders for stored values of the record syntaxes.
std::string aclValue(std::string_view protectedAttr, std::string_view subject,
                     std::uint32_t privileges);
std::string u32Value(std::uint32_t v);

// Decoded view of an ACL value (syntax 17); false when malformed.
struct AclView {
    std::string_view protectedAttr;
    std::string_view subject;
    std::uint32_t privileges = 0;
};
bool decodeAcl(std::string_view bytes, AclView& out);

} // namespace wire
