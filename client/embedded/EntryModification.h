#pragma once

#include "DirectoryModel.h"
#include "client/common/RequestDecoding.h"

#include <vector>

// Carries out the changes of one modify-entry request on one object, all or nothing, by the
// directory's rules (client/common/ModifyRules.h) with the caller's write rights: the object's
// attributes change only when every change passed.
NWDSCCODE applyModification(DirectoryModel& tree, const RightsSubject& subject, EntryId id,
                            const std::vector<request::Change>& changes);
