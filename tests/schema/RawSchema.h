#pragma once

#include "client/common/Schema.h"

#include <cstdint>
#include <string>
#include <vector>

// Adds a class with its own lists straight to an embedded schema. Nothing is checked, so a
// chain may name classes that do not exist or lead back to itself.
inline void addRawClass(Schema& schema, const std::string& name,
                        std::vector<std::string> superClasses,
                        std::vector<std::string> mandatory = {}, std::uint32_t flags = 0) {
    ClassDefinition def;
    def.name = name;
    def.flags = flags;
    def.lists[ClassDefinition::SuperClasses] = std::move(superClasses);
    def.lists[ClassDefinition::Mandatory] = std::move(mandatory);
    schema.addClass(std::move(def));
}
