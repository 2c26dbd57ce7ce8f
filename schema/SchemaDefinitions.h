#pragma once

#include "directory/Records.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The five item lists of a class definition, in the order the directory delivers them
// and the order a class is defined with.
enum class ClassList : std::size_t {
    SuperClasses = 0,
    Containment = 1,
    NamingAttributes = 2,
    MandatoryAttributes = 3,
    OptionalAttributes = 4,
};
inline constexpr std::size_t ClassListCount = 5;

struct ClassDef {
    std::string name;
    std::uint32_t flags = 0;
    std::array<std::vector<std::string>, ClassListCount> lists;
    // False when a read stopped inside this definition: the lists hold what came before.
    bool complete = false;

    const std::vector<std::string>& list(ClassList which) const {
        return lists[static_cast<std::size_t>(which)];
    }
    std::vector<std::string>& list(ClassList which) {
        return lists[static_cast<std::size_t>(which)];
    }
};

struct AttrDef {
    std::string name;
    Attr_Info_T info{};
};

struct AttributeSyntax {
    std::uint32_t id = 0;
    std::string name; // the syntax's name, as the directory reports it
};
