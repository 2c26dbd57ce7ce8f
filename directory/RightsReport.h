#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What one identity may do with one object, and why, as far as the directory can tell.

// One grant that counts towards a right: an ACL value naming `trustee` (the identity itself,
// a container above it, "[Root]", "[Public]" or an object it is security equal to) held by
// the object `heldBy`, which is the object itself or, when `inherited`, a container above it.
struct RightsSource {
    std::string heldBy;
    std::string trustee;
    std::string protectedAttr; // "[Entry Rights]", "[All Attributes Rights]" or an attribute
    std::uint32_t privileges = 0;
    bool inherited = false;
};

struct RightsLine {
    // "[Entry Rights]", "[All Attributes Rights]" or the name of an attribute of the object.
    std::string attribute;
    std::uint32_t rights = 0;
    // The bits the directory could tell; the others are neither granted nor refused.
    std::uint32_t known = 0;
    std::vector<RightsSource> sources;
    // The attribute's definition lets everyone read it, whatever the rights above say.
    bool publicRead = false;
};

struct RightsReport {
    std::string subject; // as the directory names it
    std::vector<RightsLine> lines;
    // How the directory found the rights, and what it cannot tell.
    std::string note;
};
