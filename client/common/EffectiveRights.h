#pragma once

#include "directory/Codes.h"

#include <cstdint>

// What each right holds besides itself, as the directory grants rights: supervisor holds
// every right of its kind, read holds compare, write holds self.
namespace effectiverights {

constexpr std::uint32_t kAllEntryRights =
    DS_ENTRY_BROWSE | DS_ENTRY_ADD | DS_ENTRY_DELETE | DS_ENTRY_RENAME | DS_ENTRY_SUPERVISOR;
constexpr std::uint32_t kAllAttributeRights =
    DS_ATTR_COMPARE | DS_ATTR_READ | DS_ATTR_WRITE | DS_ATTR_SELF | DS_ATTR_SUPERVISOR;

constexpr std::uint32_t widenEntry(std::uint32_t r) {
    return (r & DS_ENTRY_SUPERVISOR) ? kAllEntryRights : (r & kAllEntryRights);
}

constexpr std::uint32_t widenAttribute(std::uint32_t r) {
    if (r & DS_ATTR_SUPERVISOR)
        return kAllAttributeRights;
    if (r & DS_ATTR_READ)
        r |= DS_ATTR_COMPARE;
    if (r & DS_ATTR_WRITE)
        r |= DS_ATTR_SELF;
    return r & kAllAttributeRights;
}

} // namespace effectiverights
