#pragma once

#include "LdapListing.h"
#include "LdapNaming.h"
#include "LdapObjectWriter.h"
#include "LdapOutcome.h"
#include "LdapPending.h"
#include "LdapRightsProbe.h"
#include "LdapSchemaWriter.h"
#include "LdapSearchStream.h"
#include "LdapSession.h"
#include "LdapSettings.h"
#include "RefusedAnswers.h"
#include "client/common/BufferedClientPasses.h"
#include "client/common/ReplyWriter.h"
#include "client/common/Schema.h"
#include "client/common/ValueText.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

// The seam's operations over LDAP: each tree of the settings is one server (and its bases),
// reached through one connection opened when first used. Typeless dotted names map to DNs
// through the entries the server holds; the schema comes from its subschema entry; values
// travel in the text forms the embedded directory's LDIF uses.
namespace schemaconfig {
struct ConfigSchema;
}

class LdapDirectory : public MultiPassClient<LdapPending> {
public:
    struct Options {
        LdapSettings settings;
        // Asks the user for the password of the identity; nothing when they cancel.
        std::function<std::optional<std::string>(const std::string& who)> askPassword;
    };

    // nullptr with a message in *error (never holding the password) when the first tree's
    // server cannot be reached, secured or bound to.
    static std::unique_ptr<LdapDirectory> open(Options options, std::string* error);
    ~LdapDirectory() override;

    // The server's word on the last failed call (LDAP code and text), for a message.
    const LdapFailure& lastFailure() const { return outcome_.lastFailure; }
    std::string serverReason(NWDSCCODE code) const override;
    std::string limitReached(NWDSCCODE code) const override;
    std::string clientReason(NWDSCCODE code) const override;
    std::string changeNote() const override { return outcome_.changeNote; }
    std::string takeRefusedNote() override;
    // Requests sent to the servers so far (binds, searches, extended operations).
    std::uint64_t roundTrips() const;
    // Searches whose answer is still arriving on the servers' connections.
    std::size_t openSearches() const;

    NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                         std::size_t objectNameSize) override;

    // ---- Reads ----
    NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                     const char* objectName, const char* attrName,
                                     std::uint32_t* privileges) override;
    NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                            const char* objectName, RightsReport& report) override;

    // ---- Object writes (LdapObjectWrites.cpp, LdapModify.cpp), schema definitions ----
    // ---- (LdapSchemaWrites.cpp) and search ----
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

private:
    using Tree = LdapTree;
    using AttributeList = LdapAttributeList;
    using ObjectData = LdapObjectData;
    using Pending = LdapPending;

    explicit LdapDirectory(Options options);
    NWDSCCODE connect(Tree& tree, std::string* message);
    // The tree of a context, connected and with its schema read.
    NWDSCCODE treeOf(const ContextState& ctx, Tree*& out);
    // The tree of the context and the DN of the object a call names in it.
    NWDSCCODE objectOf(const ContextState& ctx, const char* name, Tree*& tree, std::string& dn);

    // ERR_NO_ACCESS when an attribute asked for by a values read, but not answered, is held by
    // the object: the server withheld its values. 0 otherwise.
    NWDSCCODE withheldNames(Tree& tree, const std::string& dn,
                            const std::vector<const AttributeDefinition*>& asked,
                            const ObjectData& answered, const ContextState& ctx);
    // ---- The steps of the multi-pass reads (LdapReads.cpp, LdapSearch.cpp,
    // LdapSchemaReads.cpp) ----
    NWDSCCODE startList(const ContextState& ctx, NWDSContextHandle context, const char* objectName,
                        Pending& fresh) override;
    NWDSCCODE fillList(const ContextState& ctx, Pending& state, Buf_T& out, bool& done) override;
    // The listing's search is gone with a failed pass.
    bool failedListEnds() const override { return true; }
    NWDSCCODE startRead(const ContextState& ctx, const ReadRequest& request,
                        Pending& fresh) override;
    NWDSCCODE fillRead(Pending& state, Buf_T& out, bool& done) override;
    NWDSCCODE startSearch(const ContextState& ctx, const SearchRequest& request,
                          Pending& out) override;
    NWDSCCODE fillSearch(Pending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                         std::int32_t& searched, bool& done) override;
    NWDSCCODE startSchemaRead(const ContextState& ctx, Pending& fresh) override;
    const Schema& schemaRead(const Pending& state) const override;
    // Whether an entry a search returned lies where the search looked (scope 0 base, 1 one
    // level, 2 subtree below `base`, -1 anywhere) and was not returned before; counts it in
    // refused_ when not. `parts` and `seen` are the caller's, reused from entry to entry.
    bool acceptFound(std::string_view dn, const std::vector<valuetext::DnComponent>& base,
                     int scope, std::vector<valuetext::DnComponent>& parts,
                     std::unordered_set<std::uint64_t>& seen);
    NWDSCCODE schemaOf(const ContextState& ctx, const Schema*& out) override;
    NWDSCCODE readObjectInfo(const ContextState& ctx, const char* objectName, std::string* fullName,
                             Object_Info_T& info) override;
    NWDSCCODE readStream(const ContextState& ctx, const char* objectName, const char* attrName,
                         std::string& content) override;

    // ---- Schema definitions ----
    // The tree a schema change of the context goes to, and the schema as the server's
    // configuration stores it. Checked in the embedded directory's order: the context, the
    // name, then whether the bound identity may see (and so change) the stored schema.
    NWDSCCODE schemaTree(NWDSContextHandle context, const char* name, Tree*& tree,
                         schemaconfig::ConfigSchema& config);

    // ---- Losing the server (LdapReconnect.cpp) ----
    // Forgets a tree's lost connection and what hangs on it; the next action reconnects.
    void dropConnection(Tree& tree);

    Options options_;
    std::string password_;
    std::unique_ptr<Schema> hints_;
    std::vector<std::unique_ptr<Tree>> trees_;
    LdapOutcome outcome_;
    LdapNaming naming_;
    LdapListing listing_;
    LdapRightsProbe rights_;
    LdapSchemaWriter schemaWriter_;
    LdapObjectWriter objectWriter_;

    friend class LdapDirectoryTestAccess;
};
