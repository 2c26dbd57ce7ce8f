#pragma once

#include "Buffer.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Taking apart the request buffers the caller filled with puts (layouts in Buffer.h), for the
// directory that carries them out. Each decoder checks the buffer was prepared for its
// operation (ERR_BAD_VERB otherwise) and that the bytes are whole (ERR_INVALID_REQUEST).
namespace request {

struct Value {
    std::uint32_t syntax = 0;
    std::string bytes; // the value's wire form
};

// One attribute of an add-entry request (operation 7).
struct Attribute {
    std::string name;
    std::vector<Value> values;
};

// One change of a modify-entry request (operation 9).
struct Change {
    std::uint32_t type = 0; // DS_ADD_ATTRIBUTE .. DS_OVERWRITE_VALUE
    std::string name;
    std::vector<Value> values;
};

NWDSCCODE addEntryAttributes(const Buf_T& request, std::vector<Attribute>& out);
NWDSCCODE modifyChanges(const Buf_T& request, std::vector<Change>& out);
// The five item lists of a define-class request (operation 14): super classes, containment,
// naming, mandatory, optional; lists never begun come back empty.
NWDSCCODE classItemLists(const Buf_T& request, std::array<std::vector<std::string>, 5>& out);

} // namespace request
