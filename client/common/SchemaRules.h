#pragma once

#include "Schema.h"
#include "directory/Codes.h"

#include <string>
#include <string_view>
#include <vector>

// The rules a directory applies to schema changes, asked of a schema before anything is
// changed. The embedded directory and the LDAP client both ask them, so a change is refused
// with the same code wherever the schema lives.
namespace schemarules {

// A new attribute: 0, or ERR_INVALID_REQUEST / ERR_NAME_TOO_LONG (name),
// ERR_ATTRIBUTE_ALREADY_EXISTS, ERR_BAD_SYNTAX, ERR_INVALID_REQUEST (flag bits not defined),
// ERR_BOUNDS_NOT_SIZED, ERR_LOWER_ABOVE_UPPER.
NWDSCCODE checkNewAttribute(const Schema& schema, const AttributeDefinition& def);
// A new class: 0, or the name codes, ERR_CLASS_ALREADY_EXISTS, ERR_INVALID_REQUEST (flag
// bits), ERR_NO_SUCH_CLASS (no super class, or one that is not defined, or a containment
// class that is not), ERR_ILLEGAL_CONTAINMENT, ERR_NO_SUCH_ATTRIBUTE,
// ERR_DUPLICATE_MANDATORY / ERR_DUPLICATE_OPTIONAL.
NWDSCCODE checkNewClass(const Schema& schema, const ClassDefinition& def);
// Optional attributes added to a class: 0, or ERR_NO_SUCH_CLASS, ERR_NO_SUCH_ATTRIBUTE,
// ERR_DUPLICATE_OPTIONAL (named twice, or the class has it already, inherited or not).
NWDSCCODE checkOptionalAdditions(const Schema& schema, std::string_view className,
                                 const std::vector<std::string>& attributes);
// Whether a definition may go at all: 0, or ERR_SCHEMA_IS_NONREMOVABLE (a base definition,
// or one flagged non-removable). Use is asked separately.
NWDSCCODE checkRemovable(const AttributeDefinition& def);
NWDSCCODE checkRemovable(const ClassDefinition& def);

// The classes that list the attribute as naming, mandatory or optional attribute.
std::vector<std::string> classesUsingAttribute(const Schema& schema,
                                               const AttributeDefinition& def);
// The other classes that name the class as super class or containment class.
std::vector<std::string> classesUsingClass(const Schema& schema, const ClassDefinition& def);

} // namespace schemarules
