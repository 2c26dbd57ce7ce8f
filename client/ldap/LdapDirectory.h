#pragma once

#include "LdapSearchStream.h"
#include "LdapSession.h"
#include "LdapSettings.h"
#include "RefusedAnswers.h"
#include "client/common/BufferedClient.h"
#include "client/common/IterationTable.h"
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

class LdapDirectory : public BufferedClient {
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
    const LdapFailure& lastFailure() const { return lastFailure_; }
    std::string serverReason(NWDSCCODE code) const override;
    std::string limitReached(NWDSCCODE code) const override;
    std::string clientReason(NWDSCCODE code) const override;
    std::string changeNote() const override { return changeNote_; }
    std::string takeRefusedNote() override;
    // Requests sent to the servers so far (binds, searches, extended operations).
    std::uint64_t roundTrips() const;
    // Searches whose answer is still arriving on the servers' connections.
    std::size_t openSearches() const;

    NWDSCCODE NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                         std::size_t objectNameSize) override;

    // ---- Reads ----
    NWDSCCODE NWDSList(NWDSContextHandle context, const char* objectName,
                       std::int32_t* iterationHandle, Buf_T* subordinates) override;
    NWDSCCODE NWDSRead(NWDSContextHandle context, const char* objectName, std::uint32_t infoType,
                       bool allAttrs, Buf_T* attrNames, std::int32_t* iterationHandle,
                       Buf_T* objectInfo) override;
    NWDSCCODE NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                 char* distinguishedName, std::size_t distinguishedNameSize,
                                 Object_Info_T* objectInfo) override;
    NWDSCCODE NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                     const char* objectName, const char* attrName,
                                     std::uint32_t* privileges) override;
    NWDSCCODE explainRights(NWDSContextHandle context, const char* subjectName,
                            const char* objectName, RightsReport& report) override;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                             const char* attrName, std::uint32_t flags,
                             NWFILE_HANDLE* fileHandle) override;

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
    NWDSCCODE NWDSSearch(NWDSContextHandle context, const char* baseObjectName, std::int32_t scope,
                         bool searchAliases, Buf_T* filter, std::uint32_t infoType, bool allAttrs,
                         Buf_T* attrNames, std::int32_t* iterationHandle,
                         std::int32_t countObjectsToSearch, std::int32_t* countObjectsSearched,
                         Buf_T* objectInfo) override;

protected:
    void contextReleased(NWDSContextHandle context) override;
    bool closeIteration(NWDSContextHandle context, std::int32_t handle) override {
        return pending_.close(handle, context);
    }
    bool isKnownSyntax(std::uint32_t syntaxID) const override;
    NWDSCCODE withTextNames(const ContextState& ctx, const TextNamesUse& use) override;

private:
    struct Tree;
    // The attributes an object shows, shared by the listed objects that show the same.
    using AttributeList = std::vector<const AttributeDefinition*>;
    // An object as listed or read: its DN, what the object information record says, and its
    // attributes (directory definitions) with their values when values were read.
    struct ObjectData {
        std::string dn;
        std::string ownName; // a listed object's own name as the listing gives it
        Object_Info_T info{};
        std::vector<const AttributeDefinition*> attributes;
        std::vector<std::vector<std::string>> values; // text forms, parallel to attributes
        // What a listing brought, shared, in place of `attributes` (names only).
        std::shared_ptr<const AttributeList> shown;
        const AttributeList& attributeList() const { return shown ? *shown : attributes; }
    };
    // What a listing has looked up once for the thousands of entries that follow: schema
    // definitions by the LDAP names the server writes them with, and what entries alike in
    // their classes or attribute names show.
    struct ListingMemo {
        struct Class {
            std::string structural;
            std::vector<std::string> classes; // as listed
            const ClassDefinition* cls;
            bool alias;
        };
        std::vector<Class> classes;
        std::vector<std::pair<std::string, const AttributeDefinition*>> attributes;
        struct Shown {
            std::vector<std::string> ldapNames; // an entry's attribute names, in its order
            std::shared_ptr<const AttributeList> attributes;
        };
        std::vector<Shown> shown;
        std::string time; // the last modification time read, and its seconds
        std::uint32_t seconds = 0;
        std::string type, tag; // the last naming attribute's tag, for typed names
        // Reused from entry to entry.
        std::vector<valuetext::DnComponent> parts;
        std::string dn, key;
        // The listed container's DN in parts, read when an entry's DN gives it otherwise than
        // the request did; and the names listed so far, to refuse one the server repeats.
        std::vector<valuetext::DnComponent> container, rest;
        std::unordered_set<std::uint64_t> seen;
        std::size_t repeatsInRow = 0; // names the listing had already, one after another
    };
    // Where an unfinished multi-pass read goes on from.
    struct Pending {
        enum Kind { List, Read, Search, ClassDefs, AttrDefs, Syntaxes } kind = List;
        NWDSContextHandle context = NO_CONTEXT;
        Tree* tree = nullptr;
        bool typed = false;
        std::uint32_t infoType = 0;
        std::vector<ObjectData> objects; // List, Search: what the server gave
        ObjectData object;               // Read
        std::size_t position = 0;
        std::size_t attrPosition = 0; // Search: the attribute of the object reached
        std::size_t valuePosition = 0;
        std::vector<std::string> names; // schema reads
        // ---- A listing still arriving (LdapListing.cpp) ----
        std::unique_ptr<LdapSearchStream> stream; // List: the server's answer still coming
        std::string dn;                           // List: the container's DN
        std::string containerName;                // List: as named to the listing
        std::unique_ptr<ListingMemo> memo;        // List
        // List: the failure that ended the search, told once what arrived before it is out.
        NWDSCCODE ended = 0;
        LdapFailure endedBecause;
        // What the stream has passed over so far, counted into the refused answers.
        std::size_t undecodableSeen = 0, referencesSeen = 0;
    };

    explicit LdapDirectory(Options options);
    NWDSCCODE connect(Tree& tree, std::string* message);
    // The tree of a context, connected and with its schema read.
    NWDSCCODE treeOf(const ContextState& ctx, Tree*& out);
    // Reads the server's schema (again after a schema change); a message for the user in
    // *message when it cannot.
    NWDSCCODE loadSchema(Tree& tree, std::string* message = nullptr);
    void fail(Tree& tree);
    // The rights report from the server's get-effective-rights control, for any subject
    // (LdapRightsReport.cpp), and from changes tried with the no-op control, for the bound
    // identity only.
    NWDSCCODE reportedRights(const ContextState& ctx, Tree& tree, const char* subjectName,
                             const std::string& dn, RightsReport& report);
    NWDSCCODE triedRights(Tree& tree, const std::string& dn, RightsReport& report);
    // Whether the bound identity may add below one of `parents` (and could read any).
    NWDSCCODE mayAddBelow(Tree& tree, const std::vector<std::string>& parents, bool& readable,
                          bool& mayAdd);
    // Whether the bound identity reads every attribute of every object of the tree, so that a
    // listing's attribute names are all the objects hold; found once per tree.
    bool readsEverything(Tree& tree);
    // Whether a subject names the identity the client is bound as.
    bool isBoundIdentity(std::string_view subjectName) const;

    // ---- Names ----
    // The DN of a dotted name given to an operation, relative to the context's name context
    // or from [Root] (both are tried, the canonicalize flag deciding which first); "" for
    // [Root] itself.
    // `from`, when given, receives the components that named the object.
    NWDSCCODE resolve(const ContextState& ctx, Tree& tree, const char* name, std::string& dn,
                      std::vector<std::string>* from = nullptr);
    // The tree of the context and the DN of the object a call names in it.
    NWDSCCODE objectOf(const ContextState& ctx, const char* name, Tree*& tree, std::string& dn);
    // `hinted`: an object the server does not hold is named as a text form named it
    // (hintNaming), for names inside values sent to the server.
    NWDSCCODE dnOfComponents(Tree& tree, const std::vector<std::string>& components,
                             std::string& dn, bool hinted = false);
    // Keeps the naming attribute of each component of a DN read in a text form, for objects
    // the server does not hold (yet): an import's values name objects it adds later, and
    // itself.
    void hintNaming(Tree& tree, std::string_view dn);
    // The dotted name of a DN (typed: "CN=Admin.O=Acme").
    std::string nameOfDn(Tree& tree, std::string_view dn, bool typed) const;
    // The definition of an attribute by its LDAP name (ldapAttribute) or its directory name
    // (directoryAttribute); a name with options is the attribute's, under its full name
    // ("Description;lang-de" for "description;lang-de"). nullptr when there is none.
    static const AttributeDefinition* ldapAttribute(Tree& tree, std::string_view ldapName);
    static const AttributeDefinition* directoryAttribute(Tree& tree, std::string_view name);
    // The top object a DN lies below (the longest match), or bases.size().
    std::size_t baseOf(const Tree& tree, const std::vector<valuetext::DnComponent>& parts) const;
    // The tag of a typed name for an LDAP naming attribute ("CN" for cn).
    std::string tagOf(Tree& tree, std::string_view ldapType) const;
    // A component with its type tags ("CN=Ann Lee+EMPLOYEENUMBER=4711"); the type and the
    // value joined as valuetext::DnComponent joins them.
    std::string typedComponent(Tree& tree, std::string_view type, std::string_view value) const;
    void rememberNaming(Tree& tree, std::string_view dn);
    // `key` is room for the lookup key, reused by callers that remember many names.
    void rememberNaming(Tree& tree, std::string_view parentDn, std::string_view value,
                        std::string_view type, std::string& key);
    void rememberNaming(Tree& tree, std::string_view parentDn, std::string_view value,
                        std::string_view type);

    // ---- Entries ----
    Object_Info_T infoOf(Tree& tree, const LdapEntry& e) const;
    // Its DN is written back from its parts.
    ObjectData dataOf(Tree& tree, LdapEntry&& e, bool withValues) const;
    // ERR_NO_ACCESS when an attribute asked for by a values read, but not answered, is held by
    // the object: the server withheld its values. 0 otherwise.
    NWDSCCODE withheldNames(Tree& tree, const std::string& dn,
                            const std::vector<const AttributeDefinition*>& asked,
                            const ObjectData& answered, const ContextState& ctx);
    // The object information of a listed entry, and the attributes it shows.
    Object_Info_T infoOf(Tree& tree, const LdapEntryView& e, ListingMemo& memo) const;
    std::shared_ptr<const AttributeList> shownAttributes(Tree& tree, const LdapEntryView& e,
                                                         ListingMemo& memo) const;
    // ---- Listing (LdapListing.cpp) ----
    NWDSCCODE listRoot(Tree& tree, Pending& out);
    NWDSCCODE startListing(const ContextState& ctx, Pending& out);
    // An object of a listing as it arrives: its names remembered for the reads that follow.
    // One the listing cannot take is counted in refused_ instead.
    void admitListed(Pending& state, const LdapEntryView& e);
    // Whether a listed entry's DN names an object directly below the listed container, and
    // one not listed before; counts it in refused_ when not. memo.parts holds its own part.
    bool acceptListed(Pending& state, std::string_view dn);
    // Counts in refused_ what the listing's stream has passed over since the last look.
    void countPassedOver(Pending& state);
    NWDSCCODE fillObjects(Pending& state, Buf_T& out, bool& done);
    // The attributes of an object of the last listing, and its DN, by the name a names read
    // gives; nullptr when the name is not one the listing can answer for.
    const std::shared_ptr<const AttributeList>* listedNamesOf(const ContextState& ctx,
                                                              NWDSContextHandle context, Tree& tree,
                                                              const char* name,
                                                              std::string& dn) const;
    NWDSCCODE fillRead(Pending& state, Buf_T& out, bool& done);
    NWDSCCODE startSearch(const ContextState& ctx, const char* baseObjectName, std::int32_t scope,
                          bool searchAliases, Buf_T* filter, std::uint32_t infoType, bool allAttrs,
                          Buf_T* attrNames, Pending& out);
    NWDSCCODE fillSearch(Pending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                         std::int32_t& searched, bool& done);
    // Whether an entry a search returned lies where the search looked (scope 0 base, 1 one
    // level, 2 subtree below `base`, -1 anywhere) and was not returned before; counts it in
    // refused_ when not. `parts` and `seen` are the caller's, reused from entry to entry.
    bool acceptFound(std::string_view dn, const std::vector<valuetext::DnComponent>& base,
                     int scope, std::vector<valuetext::DnComponent>& parts,
                     std::unordered_set<std::uint64_t>& seen);
    NWDSCCODE schemaOf(const ContextState& ctx, const Schema*& out) override;
    NWDSCCODE readSchema(SchemaItems items, NWDSContextHandle context, std::uint32_t infoType,
                         bool all, Buf_T* requestNames, std::int32_t* iterationHandle,
                         Buf_T* result) override;

    // ---- Writes (LdapObjectWrites.cpp, LdapModify.cpp) ----
    // The base class of the entry at `dn` (nullptr when the schema does not know it).
    NWDSCCODE classOfEntry(Tree& tree, const std::string& dn, const ClassDefinition*& cls);
    // Whether an object of `cls` may live below the entry at `parentDn` ("" for [Root]).
    NWDSCCODE checkContainment(Tree& tree, const ClassDefinition& cls, const std::string& parentDn);
    // The DN of the container a new object's name goes into, and its own name.
    NWDSCCODE resolveNew(const ContextState& ctx, Tree& tree, const char* name,
                         std::string& parentDn, std::string& ownName);
    // Names in values as DNs, for values sent to the server.
    std::function<std::optional<std::string>(std::string_view)> dnOfName(Tree& tree);
    // What the client knows of an entry's name, forgotten when it is removed or renamed.
    void forgetNaming(Tree& tree, const std::string& dn);
    // The LDAP type of the attribute of the entry at `dn` that holds a value ("" for none).
    std::function<std::string(std::string_view)> holderIn(Tree& tree, const std::string& dn);

    // ---- Schema definitions (LdapSchemaWrites.cpp) ----
    // The tree a schema change of the context goes to, and the schema as the server's
    // configuration stores it. Checked in the embedded directory's order: the context, the
    // name, then whether the bound identity may see (and so change) the stored schema.
    NWDSCCODE schemaTree(NWDSContextHandle context, const char* name, Tree*& tree,
                         schemaconfig::ConfigSchema& config);
    // The code of a schema change sent to the server; after a change the schema is read again.
    NWDSCCODE schemaChanged(Tree& tree, NWDSCCODE sent);
    // Whether any entry of the tree matches the filter (one entry is enough).
    NWDSCCODE anyEntry(Tree& tree, const std::string& filter, bool& found);

    // ---- Losing the server (LdapReconnect.cpp) ----
    // Forgets a tree's lost connection and what hangs on it; the next action reconnects.
    void dropConnection(Tree& tree);

    Options options_;
    std::string password_;
    std::unique_ptr<Schema> hints_;
    std::vector<std::unique_ptr<Tree>> trees_;
    IterationTable<Pending> pending_;
    LdapFailure lastFailure_;
    RefusedAnswers refused_; // of the listing, search or read under way
    LimitReached refusal_;   // the last change refused before it was sent, and why
    std::string changeNote_; // what the last modify did not do as the embedded directory would

    friend class LdapDirectoryTestAccess;
};
