// Modifying one object's attributes with a modify-entry request.
#include "EmbeddedDirectory.h"
#include "EntryModification.h"
#include "directory/ResultCodes.h"

NWDSCCODE EmbeddedDirectory::NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                                              std::int32_t* iterationHandle, bool more,
                                              Buf_T* changes) {
    const ContextState* ctx = nullptr;
    std::vector<request::Change> decoded;
    if (auto rc = modifyRequest(context, iterationHandle, more, changes, ctx, decoded); rc != 0)
        return rc;
    Target target;
    if (auto rc = resolve(*ctx, objectName, false, target); rc != 0)
        return rc;
    if (!canBrowse(*target.tree, target.id))
        return ERR_NO_ACCESS;
    return applyModification(*target.tree, identitySubject(*target.tree), target.id, decoded);
}
