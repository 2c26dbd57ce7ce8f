#pragma once

#include "DirectoryModel.h"
#include "client/common/BufferedClientPasses.h"
#include "client/common/ReplyWriter.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Where an unfinished multi-pass read of the embedded directory goes on from: the object
// (the container of a listing) and, past `position`, the attributes it reads.
struct EmbeddedPending : PassState {
    DirectoryModel* tree = nullptr;
    EntryId entry = kRootEntry;
    std::vector<const AttributeDefinition*> attributes; // the attributes read
    std::shared_ptr<struct EmbeddedSearchState> search; // NWDSSearch (EmbeddedSearch.cpp)
};

// The in-process directory: the trees of a data folder (directory.conf, the schema files and
// the LDIF content it names), their servers, rights from ACL values, and every reading
// operation of the seam over them, acting as one logged-in identity.
class EmbeddedDirectory : public MultiPassClient<EmbeddedPending> {
public:
    struct Options {
        std::string dataDir;
        std::string identity = "Admin.Acme";
    };

    // nullptr with a message in *error (when given) if the data cannot be loaded or the
    // identity is not an object of the first tree.
    static std::unique_ptr<EmbeddedDirectory> open(const Options& options, std::string* error);
    // The demo directory of the source tree's data folder; nullptr (and a message on the
    // standard error) if it cannot be loaded.
    static std::unique_ptr<EmbeddedDirectory> openDemo(const std::string& identity = "Admin.Acme");
    // The compiled-in data folder.
    static std::string demoDataDir();

    // The first tree (the one the primary connection's server holds), and any by name.
    DirectoryModel& model() { return *trees_.front(); }
    DirectoryModel* model(std::string_view treeName);
    const std::string& loggedInAs() const { return identity(); }

    // ---- Rights ----
    NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                     const char* objectName, const char* attrName,
                                     std::uint32_t* privileges) override;
    NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                            const char* objectName, RightsReport& report) override;

    // ---- Changes and search ----
    NWDSCCODE NWDSAddObject(NWDSContextHandle context, const char* objectName,
                            std::int32_t* iterationHandle, bool more, Buf_T* objectInfo) override;
    NWDSCCODE NWDSRemoveObject(NWDSContextHandle context, const char* objectName) override;
    NWDSCCODE NWDSModifyRDN(NWDSContextHandle context, const char* objectName, const char* newDN,
                            bool deleteOldRDN) override;
    NWDSCCODE NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                             const char* destParentDN, const char* destRDN) override;
    NWDSCCODE NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                               std::int32_t* iterationHandle, bool more, Buf_T* changes) override;
    NWDSCCODE NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                             const Attr_Info_T* attrDef) override;
    NWDSCCODE NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) override;
    NWDSCCODE NWDSDefineClass(NWDSContextHandle context, const char* className,
                              const Class_Info_T* classInfo, Buf_T* classItems) override;
    NWDSCCODE NWDSRemoveClassDef(NWDSContextHandle context, const char* className) override;
    NWDSCCODE NWDSModifyClass(NWDSContextHandle context, const char* className,
                              Buf_T* optionalAttrs) override;

protected:
    bool isKnownSyntax(std::uint32_t syntaxID) const override;
    // DNs with each component's naming attribute from the tree, as its LDIF writes them.
    NWDSCCODE withTextNames(const ContextState& ctx, const TextNamesUse& use) override;

private:
    EmbeddedDirectory() = default;

    using Pending = EmbeddedPending;
    struct Target {
        DirectoryModel* tree = nullptr;
        EntryId id = kRootEntry;
    };

    DirectoryModel* treeOf(const ContextState& ctx);
    // Finds an object by the name the caller gives, relative to the context's name context
    // or from [Root] (both are tried, the context's canonicalize flag deciding which first),
    // following an alias at the end when `deref` and the context's flag say so.
    NWDSCCODE resolve(const ContextState& ctx, const char* name, bool deref, Target& out);
    const RightsSubject& identitySubject(DirectoryModel& tree);
    // The object and the subject's full name (as written where it is no object of the tree)
    // for a rights question.
    NWDSCCODE rightsOf(const ContextState& ctx, const char* subjectName, const char* objectName,
                       Target& object, std::string& subject);
    bool canBrowse(DirectoryModel& tree, EntryId id);
    bool canRead(DirectoryModel& tree, EntryId id, const AttributeDefinition& attr);
    Object_Info_T objectInfoOf(DirectoryModel& tree, const Entry& e) const;

    // ---- The steps of the multi-pass reads (EmbeddedReads.cpp, EmbeddedSearch.cpp,
    // EmbeddedSchemaReads.cpp) ----
    NWDSCCODE startList(const ContextState& ctx, NWDSContextHandle context, const char* objectName,
                        Pending& fresh) override;
    NWDSCCODE fillList(const ContextState& ctx, Pending& state, Buf_T& out, bool& done) override;
    NWDSCCODE startRead(const ContextState& ctx, const ReadRequest& request,
                        Pending& fresh) override;
    NWDSCCODE fillRead(Pending& state, Buf_T& out, bool& done) override;
    NWDSCCODE startSearch(const ContextState& ctx, const SearchRequest& request,
                          Pending& fresh) override;
    NWDSCCODE fillSearch(Pending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                         std::int32_t& searched, bool& done) override;
    NWDSCCODE startSchemaRead(const ContextState& ctx, Pending& fresh) override;
    const Schema& schemaRead(const Pending& state) const override;
    NWDSCCODE schemaOf(const ContextState& ctx, const Schema*& out) override;
    NWDSCCODE readObjectInfo(const ContextState& ctx, const char* objectName, std::string* fullName,
                             Object_Info_T& info) override;
    NWDSCCODE readStream(const ContextState& ctx, const char* objectName, const char* attrName,
                         std::string& content) override;

    // ---- Object writes (EmbeddedObjectWrites.cpp) ----
    // Where a new object named `name` goes: its container (by the same relative-or-from-
    // [Root] rule as resolve) and its own name.
    NWDSCCODE resolveNew(const ContextState& ctx, const char* name, Target& parent,
                         std::string& ownName);
    // Whether the logged-in identity holds `right` (DS_ENTRY_...) on the object.
    bool hasEntryRight(DirectoryModel& tree, EntryId id, std::uint32_t right);
    // The single component of a new name ("Jane", "CN=Jane").
    static NWDSCCODE singleComponent(const char* name, std::string& component);
    // The object a removal, rename or move changes, named as the caller gives it (an alias
    // itself, not what it names); never [Root].
    NWDSCCODE entryToChange(NWDSContextHandle context, const char* objectName,
                            const ContextState*& ctx, Target& t);
    // The tree of a schema change, once the name is well formed and the caller holds the
    // supervisor right on its "[Root]" (ERR_NO_ACCESS otherwise).
    NWDSCCODE schemaTree(NWDSContextHandle context, const char* name, DirectoryModel*& tree);

    std::vector<std::unique_ptr<DirectoryModel>> trees_;
    std::vector<std::pair<DirectoryModel*, RightsSubject>> subjects_;
};
