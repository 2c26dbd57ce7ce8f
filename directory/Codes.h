#pragma once

#include <cstddef>
#include <cstdint>

// Fixed codes and sizes that cross the directory-client seam.

using NWDSCCODE = std::int32_t;
using NWDSContextHandle = std::uint32_t;
using NWCONN_HANDLE = std::uint32_t;
using NWCCConnRef = std::uint32_t;
using NWFILE_HANDLE = int; // an operating-system file descriptor

constexpr NWDSContextHandle NO_CONTEXT = 0;
constexpr std::int32_t NO_MORE_ITERATIONS = -1;
constexpr std::size_t DEFAULT_MESSAGE_LEN = 0x1000; // every request and result buffer

// Name limits, in characters; output arrays hold one byte more for the NUL.
constexpr std::size_t MAX_DN_CHARS = 256;
constexpr std::size_t MAX_RDN_CHARS = 128;
constexpr std::size_t MAX_SCHEMA_NAME_CHARS = 32;
constexpr std::size_t MAX_TREE_NAME_CHARS = 32;
constexpr std::size_t MAX_DN_BYTES = MAX_DN_CHARS + 1;
constexpr std::size_t MAX_SCHEMA_NAME_BYTES = MAX_SCHEMA_NAME_CHARS + 1;
constexpr std::size_t MAX_TREE_NAME_BYTES = MAX_TREE_NAME_CHARS + 1;
constexpr std::size_t MAX_BINDERY_NAME_BYTES = 48;
constexpr std::size_t CONN_INFO_SERVER_NAME_BYTES = 49;

constexpr const char* ROOT_NAME = "[Root]";

// NWDSInitBuf operations
enum DSV : std::uint32_t {
    DSV_READ = 3,
    DSV_LIST = 5,
    DSV_SEARCH = 6,
    DSV_ADD_ENTRY = 7,
    DSV_MODIFY_ENTRY = 9,
    DSV_DEFINE_CLASS = 14,
    DSV_READ_CLASS_DEF = 15,
    DSV_MODIFY_CLASS_DEF = 16,
    DSV_SEARCH_FILTER = 28,
};

// Context keys of NWDSGetContext / NWDSSetContext
enum DCK : int {
    DCK_FLAGS = 1,
    DCK_NAME_CONTEXT = 3,
    DCK_LAST_CONNECTION = 8,
    DCK_TREE_NAME = 11,
};

// Bits of the context flag word (key 1)
enum DCV : std::uint32_t {
    DCV_DEREF_ALIASES = 0x0001,
    DCV_XLATE_STRINGS = 0x0002,
    DCV_TYPELESS_NAMES = 0x0004,
    DCV_ASYNC_MODE = 0x0008,
    DCV_CANONICALIZE_NAMES = 0x0010,
    DCV_DEREF_BASE_CLASS = 0x0040,
    DCV_DISALLOW_REFERRALS = 0x0080,
};

// NWDSRead / NWDSSearch information types and schema read information types
enum DS_INFO : std::uint32_t {
    DS_ATTRIBUTE_NAMES = 0,
    DS_ATTRIBUTE_VALUES = 1,
};
enum DS_SCHEMA_INFO : std::uint32_t {
    DS_INFO_NAMES = 0,
    DS_INFO_DEFS = 1,
};

// NWDSPutChange change types
enum DS_CHANGE : std::uint32_t {
    DS_ADD_ATTRIBUTE = 0,
    DS_REMOVE_ATTRIBUTE = 1,
    DS_ADD_VALUE = 2,
    DS_REMOVE_VALUE = 3,
    DS_ADDITIONAL_VALUE = 4,
    DS_OVERWRITE_VALUE = 5,
};

// NWDSAddFilterToken tokens
enum FTOK : std::uint32_t {
    FTOK_END = 0,
    FTOK_OR = 1,
    FTOK_AND = 2,
    FTOK_AVAL = 6,
    FTOK_EQ = 7,
    FTOK_GE = 8,
    FTOK_LE = 9,
    FTOK_ANAME = 14,
    FTOK_PRESENT = 15,
    FTOK_RDN = 16,
    FTOK_BASECLS = 17,
};

// NWDSSearch scopes
enum DS_SEARCH_SCOPE : std::int32_t {
    DS_SEARCH_ENTRY = 0,
    DS_SEARCH_SUBORDINATES = 1,
    DS_SEARCH_SUBTREE = 2,
};

// Connections
constexpr std::uint32_t NWCC_OPEN_LICENSED = 1;
constexpr std::uint32_t NWCC_NAME_FORMAT_NDS_TREE = 8;
constexpr std::uint32_t NWCC_TRAN_TYPE_WILD = 0;
constexpr std::uint32_t NWCC_INFO_SERVER_NAME = 7;
constexpr std::uint16_t OT_TREE_NAME = 0x7802;
constexpr std::uint32_t BINDERY_SCAN_START = 0xFFFFFFFF;

// NWDSOpenStream flags
constexpr std::uint32_t DS_READ_STREAM = 1;
constexpr std::uint32_t DS_WRITE_STREAM = 2;

// Object information flag word
constexpr std::uint32_t DS_CONTAINER_ENTRY = 0x04;

// Attribute definition flags
enum DS_ATTR_FLAG : std::uint32_t {
    DS_SINGLE_VALUED_ATTR = 0x0001,
    DS_SIZED_ATTR = 0x0002,
    DS_NONREMOVABLE_ATTR = 0x0004,
    DS_READ_ONLY_ATTR = 0x0008,
    DS_HIDDEN_ATTR = 0x0010,
    DS_STRING_ATTR = 0x0020,
    DS_SYNC_IMMEDIATE = 0x0040,
    DS_PUBLIC_READ = 0x0080,
    DS_SERVER_READ = 0x0100,
    DS_WRITE_MANAGED = 0x0200,
    DS_PER_REPLICA = 0x0400,
};

// Class definition flags
enum DS_CLASS_FLAG : std::uint32_t {
    DS_CONTAINER_CLASS = 0x01,
    DS_EFFECTIVE_CLASS = 0x02,
    DS_NONREMOVABLE_CLASS = 0x04,
    DS_AMBIGUOUS_NAMING = 0x08,
    DS_AMBIGUOUS_CONTAINMENT = 0x10,
};

// Rights bits of object ACL values
enum DS_ENTRY_RIGHT : std::uint32_t {
    DS_ENTRY_BROWSE = 0x01,
    DS_ENTRY_ADD = 0x02,
    DS_ENTRY_DELETE = 0x04,
    DS_ENTRY_RENAME = 0x08,
    DS_ENTRY_SUPERVISOR = 0x10,
};
enum DS_ATTR_RIGHT : std::uint32_t {
    DS_ATTR_COMPARE = 0x01,
    DS_ATTR_READ = 0x02,
    DS_ATTR_WRITE = 0x04,
    DS_ATTR_SELF = 0x08,
    DS_ATTR_SUPERVISOR = 0x20,
};

// Syntax identifiers
enum SYNTAX : std::uint32_t {
    SYN_UNKNOWN = 0,
    SYN_DIST_NAME = 1,
    SYN_CE_STRING = 2,
    SYN_CI_STRING = 3,
    SYN_PR_STRING = 4,
    SYN_NU_STRING = 5,
    SYN_CI_LIST = 6,
    SYN_BOOLEAN = 7,
    SYN_INTEGER = 8,
    SYN_OCTET_STRING = 9,
    SYN_TEL_NUMBER = 10,
    SYN_FAX_NUMBER = 11,
    SYN_NET_ADDRESS = 12,
    SYN_OCTET_LIST = 13,
    SYN_EMAIL_ADDRESS = 14,
    SYN_PATH = 15,
    SYN_REPLICA_POINTER = 16,
    SYN_OBJECT_ACL = 17,
    SYN_PO_ADDRESS = 18,
    SYN_TIMESTAMP = 19,
    SYN_CLASS_NAME = 20,
    SYN_STREAM = 21,
    SYN_COUNTER = 22,
    SYN_BACK_LINK = 23,
    SYN_TIME = 24,
    SYN_TYPED_NAME = 25,
    SYN_HOLD = 26,
    SYN_INTERVAL = 27,
    SYNTAX_COUNT = 28,
};
