// Object writes: adding an object from an add-entry request, removing, renaming and moving
// one. Names resolve as for the reads (aliases are not followed to the object written);
// the logged-in identity needs the entry right of each write; the tree's own rules are
// DirectoryModel's (DirectoryModelWrites.cpp).
#include "EmbeddedDirectory.h"
#include "client/common/Names.h"
#include "client/common/RequestDecoding.h"
#include "directory/ResultCodes.h"

bool EmbeddedDirectory::hasEntryRight(DirectoryModel& tree, EntryId id, std::uint32_t right) {
    return (tree.rights().entryRights(identitySubject(tree), id) & right) != 0;
}

NWDSCCODE EmbeddedDirectory::singleComponent(const char* name, std::string& component) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    // Objects here have one naming value.
    if (parsed.root || parsed.leadingDot || parsed.components.size() != 1 ||
        names::isMultiValued(parsed.components.front()))
        return ERR_INVALID_OBJECT_NAME;
    component = parsed.components.front();
    return 0;
}

NWDSCCODE EmbeddedDirectory::resolveNew(const ContextState& ctx, const char* name, Target& parent,
                                        std::string& ownName) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    parent.tree = treeOf(ctx);
    if (parent.tree == nullptr)
        return ERR_NO_SUCH_TREE;
    ownName = parsed.components.front();
    if (names::isMultiValued(ownName))
        return ERR_INVALID_OBJECT_NAME;
    const std::vector<std::string> above(parsed.components.begin() + 1, parsed.components.end());

    names::ParsedName base;
    const bool relativeToo =
        !parsed.leadingDot && names::parse(ctx.nameContext, base) == 0 && !base.root;
    std::vector<std::string> relative = above;
    relative.insert(relative.end(), base.components.begin(), base.components.end());
    const ObjectStore& store = parent.tree->objects();
    std::optional<EntryId> found;
    const bool relativeFirst = (ctx.flags & DCV_CANONICALIZE_NAMES) != 0;
    if (relativeToo && above.empty()) {
        // A name of one component goes into the name context: read from [Root] it would
        // always be a top-level object, which a caller writes as ".Name".
        found = store.lookup(relative);
    } else {
        if (relativeToo && relativeFirst)
            found = store.lookup(relative);
        if (!found)
            found = store.lookup(above);
        if (!found && relativeToo && !relativeFirst)
            found = store.lookup(relative);
    }
    if (!found)
        return ERR_NO_SUCH_ENTRY;
    parent.id = *found;
    return 0;
}

NWDSCCODE EmbeddedDirectory::entryToChange(NWDSContextHandle context, const char* objectName,
                                           const ContextState*& ctx, Target& t) {
    ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = resolve(*ctx, objectName, false, t); rc != 0)
        return rc;
    if (t.id == kRootEntry)
        return ERR_INVALID_ENTRY_FOR_ROOT;
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSAddObject(NWDSContextHandle context, const char* objectName,
                                           std::int32_t* iterationHandle, bool more,
                                           Buf_T* objectInfo) {
    const ContextState* ctx = nullptr;
    std::vector<request::Attribute> attributes;
    if (auto rc = addEntryRequest(context, iterationHandle, more, objectInfo, ctx, attributes);
        rc != 0)
        return rc;
    Target parent;
    std::string ownName;
    if (auto rc = resolveNew(*ctx, objectName, parent, ownName); rc != 0)
        return rc;
    if (!hasEntryRight(*parent.tree, parent.id, DS_ENTRY_ADD))
        return ERR_NO_ACCESS;
    return parent.tree->createEntry(parent.id, ownName, attributes);
}

NWDSCCODE EmbeddedDirectory::NWDSRemoveObject(NWDSContextHandle context, const char* objectName) {
    const ContextState* ctx = nullptr;
    Target t;
    if (auto rc = entryToChange(context, objectName, ctx, t); rc != 0)
        return rc;
    if (!hasEntryRight(*t.tree, t.id, DS_ENTRY_DELETE))
        return ERR_NO_ACCESS;
    const NWDSCCODE rc = t.tree->removeEntry(t.id);
    if (rc == 0)
        subjects_.clear(); // the identity's own names may have gone with it
    return rc;
}

NWDSCCODE EmbeddedDirectory::NWDSModifyRDN(NWDSContextHandle context, const char* objectName,
                                           const char* newDN, bool deleteOldRDN) {
    const ContextState* ctx = nullptr;
    Target t;
    if (auto rc = entryToChange(context, objectName, ctx, t); rc != 0)
        return rc;
    std::string newName;
    if (auto rc = singleComponent(newDN, newName); rc != 0)
        return rc;
    if (!hasEntryRight(*t.tree, t.id, DS_ENTRY_RENAME))
        return ERR_NO_ACCESS;
    const NWDSCCODE rc = t.tree->renameEntry(t.id, newName, deleteOldRDN);
    if (rc == 0)
        subjects_.clear();
    return rc;
}

NWDSCCODE EmbeddedDirectory::NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                                            const char* destParentDN, const char* destRDN) {
    const ContextState* ctx = nullptr;
    Target t;
    if (auto rc = entryToChange(context, objectName, ctx, t); rc != 0)
        return rc;
    Target destination;
    if (auto rc = resolve(*ctx, destParentDN, true, destination); rc != 0)
        return rc;
    std::string newName;
    if (auto rc = singleComponent(destRDN, newName); rc != 0)
        return rc;
    // Leaving a container is taking the object out of it; arriving is creating it there.
    if (!hasEntryRight(*t.tree, t.id, DS_ENTRY_DELETE) ||
        !hasEntryRight(*t.tree, destination.id, DS_ENTRY_ADD))
        return ERR_NO_ACCESS;
    const NWDSCCODE rc = t.tree->moveEntry(t.id, destination.id, newName);
    if (rc == 0)
        subjects_.clear();
    return rc;
}
