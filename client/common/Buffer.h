#pragma once

#include "directory/Codes.h"

#include <array>
#include <cstdint>

// What a buffer currently holds.
enum class BufferUse : std::uint8_t {
    Unprepared, // allocated, neither prepared for a request nor filled by a reply
    Request,    // prepared with NWDSInitBuf for `operation`, being filled by puts
    Reply,      // filled by a reading operation, being taken apart by gets
};

// The kinds of reply a reading operation leaves in a buffer.
enum class ReplyKind : std::uint8_t {
    None,
    Objects,    // NWDSList, NWDSSearch: objects, each with its attributes
    Attributes, // NWDSRead: attributes with their values (or names only)
    ClassDefs,  // NWDSReadClassDef
    AttrDefs,   // NWDSReadAttrDef
    Syntaxes,   // NWDSReadSyntaxes
};

// The byte layout inside `data` (all numbers little-endian):
//   string  = u32 length, then that many bytes (no NUL)
//   value   = u32 length, then the value's bytes in its syntax's wire form
//   Objects    = u32 count, {string name, u32 flags, u32 subordinates, u32 modified,
//                string base class, u32 attribute count, {attribute}}
//   Attributes = u32 count, {attribute}
//   attribute  = string name, u32 syntax, u32 value count, {value}
//   ClassDefs  = u32 count, {string name [, u32 flags, u32 asn1 length, 32 asn1 bytes,
//                5 x (u32 item count, {string item})]}
//   AttrDefs   = u32 count, {string name [, u32 flags, u32 syntax, u32 lower, u32 upper,
//                u32 asn1 length, 32 asn1 bytes]}
//   Syntaxes   = u32 count, {string name, u32 id, u16 flags}
// Requests: names (3, 6, 15, 16) = u32 count, {string}; add entry (7) = u32 count,
// {string name, u32 value count, {u32 syntax, value}}; modify entry (9) = u32 count,
// {u32 change type, string name, u32 value count, {u32 syntax, value}}; define class (14)
// = up to 5 x (u32 item count, {string}); search filter (28) = u32 count, {u32 token,
// u32 syntax, value}.
struct Buf_T {
    std::uint32_t capacity = DEFAULT_MESSAGE_LEN;
    BufferUse use = BufferUse::Unprepared;
    std::uint32_t operation = 0; // the NWDSInitBuf operation of a request
    ReplyKind reply = ReplyKind::None;
    bool replyHasDefinitions = false; // info type 1 of a reply (values or full definitions)
    std::uint32_t length = 0;         // bytes in use
    std::uint32_t cursor = 0;         // where the next get reads

    // Request building: offsets of the counts the next put increments.
    std::uint32_t itemCountAt = 0;  // attribute, change, name or token count
    std::uint32_t valueCountAt = 0; // values of the last attribute or change; 0 when none
    std::uint32_t listCountAt = 0;  // define class: the current item list; 0 before the first
    std::uint32_t listsBegun = 0;   // define class: item lists begun so far

    // Reply taking apart.
    bool countTaken = false;
    std::uint32_t itemsLeft = 0;     // objects, attributes or definitions not yet taken
    std::uint32_t attrsLeft = 0;     // attributes of the current object (Objects replies)
    std::uint32_t valuesLeft = 0;    // values of the current attribute
    std::uint32_t valueSyntax = 0;   // syntax of the current attribute
    std::uint32_t listsLeft = 0;     // item lists of the current class definition
    std::uint32_t listItemsLeft = 0; // items of the current item list

    std::array<std::uint8_t, DEFAULT_MESSAGE_LEN> data{};
};
