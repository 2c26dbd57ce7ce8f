#pragma once

#include "DirectoryModel.h"
#include "client/common/RequestDecoding.h"

#include <vector>

// Carries out the changes of one modify-entry request on one object, all or nothing: the
// changes are applied in order to a copy of the object's attributes, and the copy replaces
// them only when every change passed its rules. The first refused change gives the result:
//   ERR_NO_SUCH_ATTRIBUTE          an attribute the schema does not define, or removing an
//                                  attribute the object does not hold
//   ERR_ILLEGAL_ATTRIBUTE          adding values of an attribute its class does not allow
//   ERR_NO_ACCESS                  the caller lacks the write right to the attribute
//   ERR_SYNTAX_VIOLATION           a value of another syntax, malformed, or outside the
//                                  bounds of a sized attribute
//   ERR_CANT_HAVE_MULTIPLE_VALUES  a second value of a single-valued attribute
//   ERR_ATTRIBUTE_ALREADY_EXISTS   adding an attribute the object holds already
//   ERR_DUPLICATE_VALUE            adding a value the attribute holds already
//   ERR_NO_SUCH_VALUE              removing a value that is not there
//   ERR_CANT_REMOVE_NAMING_VALUE   removing the value the object is named by
//   ERR_MISSING_MANDATORY          removing the last value of a mandatory attribute
//   ERR_INVALID_REQUEST            a value-carrying change without a value, or a stream value
// "Add Additional Value" skips a value that is there already; "Overwrite Value" replaces the
// value of a single-valued attribute and adds to a multi-valued one.
NWDSCCODE applyModification(DirectoryModel& tree, const RightsSubject& subject, EntryId id,
                            const std::vector<request::Change>& changes);
