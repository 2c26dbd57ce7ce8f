#pragma once

#include "LdapListing.h"
#include "LdapNaming.h"
#include "LdapObjectWriter.h"
#include "LdapOutcome.h"
#include "LdapPending.h"
#include "LdapReader.h"
#include "LdapRightsProbe.h"
#include "LdapSchemaWriter.h"
#include "LdapSearcher.h"
#include "LdapSettings.h"
#include "client/common/BufferedClientPasses.h"
#include "client/common/Schema.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace schemaconfig {
struct ConfigSchema;
}

// The seam's operations over LDAP: each tree of the settings is one server (and its bases),
// reached through one connection opened when first used. This class holds the trees and
// their connections; each call looks up its context, tree and object and hands the work to
// the part of the client that does it: names (LdapNaming), listing (LdapListing), reads
// (LdapReader), search (LdapSearcher), rights (LdapRightsProbe), object writes
// (LdapObjectWriter) and schema definitions (LdapSchemaWriter). What a call leaves for the
// pages' messages is kept in one LdapOutcome they share.
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

    // ---- The seam's calls (LdapDirectoryCalls.cpp) ----
    NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                         std::size_t objectNameSize) override;
    NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                     const char* objectName, const char* attrName,
                                     std::uint32_t* privileges) override;
    NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                            const char* objectName, RightsReport& report) override;
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
    NWDSCCODE withTextNames(const ContextState& ctx, const TextNamesUse& use) override;

private:
    using Tree = LdapTree;
    using Pending = LdapPending;

    explicit LdapDirectory(Options options);

    // ---- Trees and their connections (LdapDirectory.cpp, LdapReconnect.cpp) ----
    NWDSCCODE connect(Tree& tree, std::string* message);
    // The tree of a context, connected and with its schema read.
    NWDSCCODE treeOf(const ContextState& ctx, Tree*& out);
    // The tree of the context and the DN of the object a call names in it.
    NWDSCCODE objectOf(const ContextState& ctx, const char* name, Tree*& tree, std::string& dn);
    // The same for a removal or rename, the server's word on the last change forgotten first.
    NWDSCCODE objectToChange(NWDSContextHandle context, const char* objectName, Tree*& tree,
                             std::string& dn);
    // The tree a schema change of the context goes to, and the schema as the server's
    // configuration stores it. Checked in the embedded directory's order: the context, the
    // name, then whether the bound identity may see (and so change) the stored schema.
    NWDSCCODE schemaTree(NWDSContextHandle context, const char* name, Tree*& tree,
                         schemaconfig::ConfigSchema& config);
    // Forgets a tree's lost connection and what hangs on it; the next action reconnects.
    void dropConnection(Tree& tree);

    // ---- The steps of the shared client's reads (LdapDirectoryCalls.cpp) ----
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
    NWDSCCODE schemaOf(const ContextState& ctx, const Schema*& out) override;
    NWDSCCODE readObjectInfo(const ContextState& ctx, const char* objectName, std::string* fullName,
                             Object_Info_T& info) override;
    NWDSCCODE readStream(const ContextState& ctx, const char* objectName, const char* attrName,
                         std::string& content) override;

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
    LdapReader reader_;
    LdapSearcher searcher_;

    friend class LdapDirectoryTestAccess;
};
