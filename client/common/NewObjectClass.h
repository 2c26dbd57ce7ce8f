#pragma once

#include "RequestDecoding.h"

#include <string_view>
#include <vector>

class Schema;
struct ClassDefinition;

namespace request {

inline constexpr std::string_view kObjectClass = "Object Class";

// The class of a new object from the Object Class values of its add request: the one named
// class that every other named class is above, and effective. 0 and the class, or
// ERR_SYNTAX_VIOLATION (a value of the wrong syntax), ERR_NO_SUCH_CLASS, ERR_MISSING_MANDATORY
// (no Object Class at all), ERR_OBJECT_CLASS_VIOLATION (no single lineage) or
// ERR_NOT_EFFECTIVE_CLASS.
NWDSCCODE classOfNewObject(const Schema& schema, const std::vector<Attribute>& attributes,
                           const ClassDefinition*& cls);

} // namespace request
