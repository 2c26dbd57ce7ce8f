#pragma once

#include "RequestDecoding.h"
#include "Schema.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The directory's rules for the changes of one modify-entry request on one object, the same
// for every client. The changes are applied in order to a copy of the values the object holds
// of the attributes they name; the first refused change gives the result:
//   ERR_NO_SUCH_ATTRIBUTE          an attribute the schema does not define, or removing an
//                                  attribute the object does not hold
//   ERR_INVALID_REQUEST            an unknown change, a value-carrying change without a value,
//                                  or a stream value
//   ERR_NO_ACCESS                  the caller may not write the attribute
//   ERR_SYNTAX_VIOLATION           a value of another syntax, malformed, or outside the
//                                  bounds of a sized attribute
//   ERR_ILLEGAL_ATTRIBUTE          adding values of an attribute the object's class lists
//                                  neither as mandatory nor as optional
//   ERR_ATTRIBUTE_ALREADY_EXISTS   adding an attribute the object holds already
//   ERR_DUPLICATE_VALUE            adding a value the attribute holds already
//   ERR_CANT_HAVE_MULTIPLE_VALUES  a second value of a single-valued attribute
//   ERR_NO_SUCH_VALUE              removing a value that is not there
//   ERR_CANT_REMOVE_NAMING_VALUE   removing (or overwriting) the value the object is named by
//   ERR_MISSING_MANDATORY          removing the last value of a mandatory attribute
// "Add Additional Value" skips a value that is there already; "Overwrite Value" replaces the
// value of a single-valued attribute and adds to a multi-valued one. Values of a text syntax
// compare with case ignored where the syntax says so.
namespace modifyrules {

// What the rules need of the object and of the client, with values in the client's own form
// (the embedded directory keeps the wire form, the LDAP client the LDAP text form).
struct Target {
    const ClassDefinition* baseClass = nullptr;
    // The values the object holds of an attribute (none when it holds none).
    std::function<std::vector<std::string>(const AttributeDefinition&)> held;
    // Whether a value of an attribute is the one the object is named by.
    std::function<bool(const AttributeDefinition&, std::string_view)> isNamingValue;
    // Whether the caller may write the attribute; unset where the server judges that itself.
    std::function<bool(const AttributeDefinition&)> mayWrite;
    // A checked value in the client's form; unset where that is the wire form itself.
    std::function<NWDSCCODE(const AttributeDefinition&, const std::string& wire, std::string&)>
        form;
};

// What one change does, for a client that sends the changes on as they were asked for.
struct Effect {
    enum Kind { AddValues, RemoveAttribute, RemoveValues, Replace } kind = AddValues;
    const AttributeDefinition* def = nullptr;
    std::vector<std::string> values; // in the client's form
};

struct Outcome {
    std::vector<Effect> effects;
    // Each attribute the changes named, with its values afterwards (none: it is gone).
    std::vector<std::pair<const AttributeDefinition*, std::vector<std::string>>> attributes;
};

NWDSCCODE apply(const Schema& schema, const Target& target,
                const std::vector<request::Change>& changes, Outcome& out);

// Whether two values of an attribute are the same value, as the attribute's syntax compares.
bool sameValue(const Schema& schema, const AttributeDefinition& def, std::string_view a,
               std::string_view b);

// Whether the class (with its super classes) lists the attribute as mandatory or optional.
bool allowedByClass(const Schema& schema, const ClassDefinition* cls,
                    const AttributeDefinition& def);

} // namespace modifyrules
