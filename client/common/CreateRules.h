#pragma once

#include "RequestDecoding.h"
#include "Schema.h"
#include "ValueRules.h"

#include <string>
#include <string_view>
#include <vector>

// The directory's rules for a new object, the same for every client: which attribute names it,
// what its name may be, and the attributes it will hold. Where it goes (containment, a name
// taken already) each client checks against the objects it holds.
namespace createrules {

// The checks of a value against its attribute's definition.
inline valuerules::AttributeShape shapeOf(const AttributeDefinition& def) {
    return {def.syntax, def.flags, def.lower, def.upper};
}

// ERR_INVALID_OBJECT_NAME for an empty name or "[Root]", ERR_NAME_TOO_LONG beyond the
// longest name component; 0 otherwise.
NWDSCCODE checkObjectName(std::string_view name);

// Whether objects of `cls` may be placed below an object of class `parent` (null: at the top
// of the tree, where its containment must name the tree's root class).
bool containmentAllows(const Schema& schema, const ClassDefinition& cls,
                       const ClassDefinition* parent);

// The attribute that names objects of the class: the first of its naming attributes (its
// super classes' when it names none of its own); null when there is none.
const AttributeDefinition* namingAttribute(const Schema& schema, const ClassDefinition& cls);

// ERR_SYNTAX_INVALID_IN_NAME when the naming attribute's syntax names nothing, else the
// name's checks as a value of it (bounds, characters).
NWDSCCODE checkName(const AttributeDefinition& naming, std::string_view name);

struct Planned {
    const AttributeDefinition* def = nullptr;
    std::vector<std::string> values; // wire form, each once
};

// The attributes of a new object of `cls` named `name` by `naming`, the naming value first,
// from the request's attributes (its object classes left out):
//   ERR_NO_SUCH_ATTRIBUTE          an attribute the schema does not define
//   ERR_ILLEGAL_ATTRIBUTE          one the class lists neither as naming, mandatory nor
//                                  optional
//   ERR_SYNTAX_VIOLATION ...       a value of another syntax, or one its checks refuse
//   ERR_CANT_HAVE_MULTIPLE_VALUES  two values of a single-valued attribute
//   ERR_MISSING_MANDATORY          a mandatory attribute without a value
// A value given twice (as the attribute's syntax compares) is kept once.
NWDSCCODE plan(const Schema& schema, const ClassDefinition& cls, const AttributeDefinition& naming,
               std::string_view name, const std::vector<request::Attribute>& attributes,
               std::vector<Planned>& out);

} // namespace createrules
