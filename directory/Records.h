#pragma once

#include "Codes.h"

#include <cstddef>
#include <cstdint>

// Records exchanged with the directory client. Field order and number widths are fixed;
// references are native pointers into the same allocation as the record.

struct Asn1_ID_T {
    std::uint32_t length;
    std::uint8_t data[32];
};
static_assert(sizeof(Asn1_ID_T) == 36);

// As NWDSGetObjectName and NWDSReadObjectInfo return it: the flag word first,
// the base class name as text from byte 12.
struct Object_Info_T {
    std::uint32_t objectFlags;      // DS_CONTAINER_ENTRY, ...
    std::uint32_t subordinateCount; // objects directly below it
    std::uint32_t modificationTime; // seconds since 1970, UTC
    char baseClass[MAX_SCHEMA_NAME_BYTES];
};
static_assert(offsetof(Object_Info_T, baseClass) == 12);

struct Attr_Info_T {
    std::uint32_t attrFlags;
    std::uint32_t attrSyntaxID;
    std::uint32_t attrLower;
    std::uint32_t attrUpper;
    Asn1_ID_T asn1ID;
};
static_assert(sizeof(Attr_Info_T) == 52);

struct Class_Info_T {
    std::uint32_t classFlags;
    Asn1_ID_T asn1ID;
};
static_assert(sizeof(Class_Info_T) == 40);

struct Syntax_Info_T {
    std::uint32_t ID;
    char defStr[MAX_SCHEMA_NAME_BYTES];
    std::uint16_t flags;
};
static_assert(offsetof(Syntax_Info_T, defStr) == 4);

// ---- Value records, by syntax ----
// Syntaxes 1-5, 10 and 20: the record is the NUL-terminated text itself.
// Syntaxes 7: one byte. 8, 22, 24, 27: one 32-bit number.

struct CI_List_T { // 6
    CI_List_T* next;
    char* s;
};

struct Octet_String_T { // 9, and values of syntaxes the client does not know
    std::uint32_t length;
    std::uint8_t* data;
};

struct Bit_String_T {
    std::uint32_t numOfBits;
    std::uint8_t* data;
};

struct Fax_Number_T { // 11
    char* telephoneNumber;
    Bit_String_T parameters;
};

struct Net_Address_T { // 12
    std::uint32_t addressType;
    std::uint32_t addressLength;
    std::uint8_t* address;
};

struct Octet_List_T { // 13
    Octet_List_T* next;
    std::uint32_t length;
    std::uint8_t* data;
};

struct EMail_Address_T { // 14
    std::uint32_t type;
    char* address;
};

struct Path_T { // 15
    std::uint32_t nameSpaceType;
    char* volumeName;
    char* path;
};

struct Replica_Pointer_T { // 16; count address records follow in place
    char* serverName;
    std::uint32_t replicaType;
    std::uint32_t replicaNumber;
    std::uint32_t count;
    Net_Address_T replicaAddressHint[1];
};

struct Object_ACL_T { // 17
    char* protectedAttrName;
    char* subjectName;
    std::uint32_t privileges;
};

struct PO_Address_T { // 18
    char* line[6];
};

struct NWDS_TimeStamp_T { // 19
    std::uint32_t wholeSeconds;
    std::int32_t eventID;
};

struct Stream_T { // 21: the content is read through NWDSOpenStream
    std::uint32_t length;
};

struct Back_Link_T { // 23
    std::uint32_t remoteID;
    char* objectName;
};

struct Typed_Name_T { // 25
    char* objectName;
    std::uint32_t level;
    std::uint32_t interval;
};

struct Hold_T { // 26
    char* objectName;
    std::uint32_t amount;
};

// Size of a replica pointer record holding `count` address records (at least one slot).
constexpr std::size_t replicaPointerRecordSize(std::uint32_t count) {
    return offsetof(Replica_Pointer_T, replicaAddressHint) +
           sizeof(Net_Address_T) * (count == 0 ? 1 : count);
}
