// The seam's calls of the LDAP client and the steps of its multi-pass reads, each handed to
// the part of the client that does it.
#include "LdapDirectory.h"
#include "LdapSchemaConfig.h"
#include "LdapTree.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

NWDSCCODE LdapDirectory::startList(const ContextState& ctx, NWDSContextHandle context,
                                   const char* objectName, Pending& fresh) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    std::string dn;
    std::vector<std::string> from;
    if (auto rc = naming_.resolve(ctx, *tree, objectName, dn, &from); rc != 0)
        return rc;
    // A new listing in a context ends the listings it left unfinished there: their
    // searches are abandoned rather than left running on the server.
    pending_.forgetIf([context](const Pending& p) {
        return p.kind == Pending::List && p.context == context && p.stream;
    });
    return listing_.start(ctx, context, *tree, objectName, dn, from, fresh);
}

NWDSCCODE LdapDirectory::fillList(const ContextState& /*ctx*/, Pending& state, Buf_T& out,
                                  bool& done) {
    return listing_.fill(state, out, done);
}

NWDSCCODE LdapDirectory::startRead(const ContextState& ctx, const ReadRequest& request,
                                   Pending& fresh) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    return reader_.start(ctx, *tree, request, fresh);
}

NWDSCCODE LdapDirectory::fillRead(Pending& state, Buf_T& out, bool& done) {
    return reader_.fill(state, out, done);
}

NWDSCCODE LdapDirectory::startSearch(const ContextState& ctx, const SearchRequest& request,
                                     Pending& out) {
    Tree* tree = nullptr;
    std::string base;
    if (auto rc = objectOf(ctx, request.baseObjectName, tree, base); rc != 0)
        return rc;
    std::vector<FilterToken> tokens;
    if (request.filter != nullptr) {
        // A filter request with nothing put into it finds every object in scope.
        if (auto rc = filterRequest(request.filter, tokens); rc == ERR_FILTER_TREE_EMPTY)
            tokens.clear();
        else if (rc != 0)
            return rc;
    }
    return searcher_.start(ctx, *tree, base, request.filter != nullptr ? &tokens : nullptr, request,
                           out);
}

NWDSCCODE LdapDirectory::fillSearch(Pending& state, Buf_T& out, std::int32_t countObjectsToSearch,
                                    std::int32_t& searched, bool& done) {
    return searcher_.fill(state, out, countObjectsToSearch, searched, done);
}

NWDSCCODE LdapDirectory::schemaOf(const ContextState& ctx, const Schema*& out) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    out = tree->schema.get();
    return 0;
}

NWDSCCODE LdapDirectory::startSchemaRead(const ContextState& ctx, Pending& fresh) {
    return treeOf(ctx, fresh.tree);
}

const Schema& LdapDirectory::schemaRead(const Pending& state) const {
    return *state.tree->schema;
}

NWDSCCODE LdapDirectory::readObjectInfo(const ContextState& ctx, const char* objectName,
                                        std::string* fullName, Object_Info_T& info) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(ctx, objectName, tree, dn); rc != 0)
        return rc;
    return reader_.objectInfo(ctx, *tree, dn, fullName, info);
}

NWDSCCODE LdapDirectory::readStream(const ContextState& ctx, const char* objectName,
                                    const char* attrName, std::string& content) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(ctx, objectName, tree, dn); rc != 0)
        return rc;
    return reader_.stream(ctx, *tree, dn, attrName, content);
}

NWDSCCODE LdapDirectory::NWDSGetEffectiveRights(NWDSContextHandle context, const char* subjectName,
                                                const char* objectName, const char* attrName,
                                                std::uint32_t* privileges) {
    const ContextState* ctx = nullptr;
    if (auto rc = effectiveRightsRequest(context, subjectName, attrName, privileges, ctx); rc != 0)
        return rc;
    if (auto rc = rights_.checkQuestion(subjectName, attrName); rc != 0)
        return rc;
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(*ctx, objectName, tree, dn); rc != 0)
        return rc;
    return rights_.effectiveRights(*tree, dn, attrName, *privileges);
}

NWDSCCODE LdapDirectory::explainRights(NWDSContextHandle context, const char* subjectName,
                                       const char* objectName, RightsReport& report) {
    outcome_.refusal = {};
    const ContextState* ctx = nullptr;
    if (auto rc = rightsReportRequest(context, subjectName, report, ctx); rc != 0)
        return rc;
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(*ctx, objectName, tree, dn); rc != 0)
        return rc;
    return rights_.explain(*ctx, *tree, dn, subjectName, report);
}

NWDSCCODE LdapDirectory::schemaTree(NWDSContextHandle context, const char* name, Tree*& tree,
                                    schemaconfig::ConfigSchema& config) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = names::checkSchemaName(name); rc != 0)
        return rc;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    return schemaWriter_.readConfig(*tree, config);
}

NWDSCCODE LdapDirectory::NWDSDefineAttr(NWDSContextHandle context, const char* attrName,
                                        const Attr_Info_T* attrDef) {
    Tree* tree = nullptr;
    schemaconfig::ConfigSchema config;
    if (auto rc = schemaTree(context, attrName, tree, config); rc != 0)
        return rc;
    AttributeDefinition def;
    if (auto rc = attributeDefinitionRequest(attrName, attrDef, def); rc != 0)
        return rc;
    return schemaWriter_.defineAttribute(*tree, config, def);
}

NWDSCCODE LdapDirectory::NWDSDefineClass(NWDSContextHandle context, const char* className,
                                         const Class_Info_T* classInfo, Buf_T* classItems) {
    Tree* tree = nullptr;
    schemaconfig::ConfigSchema config;
    if (auto rc = schemaTree(context, className, tree, config); rc != 0)
        return rc;
    ClassDefinition def;
    if (auto rc = classDefinitionRequest(className, classInfo, classItems, def); rc != 0)
        return rc;
    return schemaWriter_.defineClass(*tree, config, def);
}

NWDSCCODE LdapDirectory::NWDSModifyClass(NWDSContextHandle context, const char* className,
                                         Buf_T* optionalAttrs) {
    Tree* tree = nullptr;
    schemaconfig::ConfigSchema config;
    if (auto rc = schemaTree(context, className, tree, config); rc != 0)
        return rc;
    std::vector<std::string> attributes;
    if (auto rc = optionalAttributesRequest(optionalAttrs, attributes); rc != 0)
        return rc;
    return schemaWriter_.addOptional(*tree, config, className, attributes);
}

NWDSCCODE LdapDirectory::NWDSRemoveAttrDef(NWDSContextHandle context, const char* attrName) {
    Tree* tree = nullptr;
    schemaconfig::ConfigSchema config;
    if (auto rc = schemaTree(context, attrName, tree, config); rc != 0)
        return rc;
    return schemaWriter_.removeAttribute(*tree, config, attrName);
}

NWDSCCODE LdapDirectory::NWDSRemoveClassDef(NWDSContextHandle context, const char* className) {
    Tree* tree = nullptr;
    schemaconfig::ConfigSchema config;
    if (auto rc = schemaTree(context, className, tree, config); rc != 0)
        return rc;
    return schemaWriter_.removeClass(*tree, config, className);
}

NWDSCCODE LdapDirectory::NWDSAddObject(NWDSContextHandle context, const char* objectName,
                                       std::int32_t* iterationHandle, bool more,
                                       Buf_T* objectInfo) {
    outcome_.refusal = {};
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = nullptr;
    std::vector<request::Attribute> attributes;
    if (auto rc = addEntryRequest(context, iterationHandle, more, objectInfo, ctx, attributes);
        rc != 0)
        return rc;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    return objectWriter_.add(*ctx, *tree, objectName, attributes);
}

NWDSCCODE LdapDirectory::objectToChange(NWDSContextHandle context, const char* objectName,
                                        Tree*& tree, std::string& dn) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    return objectOf(*ctx, objectName, tree, dn);
}

NWDSCCODE LdapDirectory::NWDSRemoveObject(NWDSContextHandle context, const char* objectName) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectToChange(context, objectName, tree, dn); rc != 0)
        return rc;
    return objectWriter_.remove(*tree, dn);
}

NWDSCCODE LdapDirectory::NWDSModifyRDN(NWDSContextHandle context, const char* objectName,
                                       const char* newDN, bool deleteOldRDN) {
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectToChange(context, objectName, tree, dn); rc != 0)
        return rc;
    return objectWriter_.rename(*tree, dn, newDN, deleteOldRDN);
}

NWDSCCODE LdapDirectory::NWDSMoveObject(NWDSContextHandle context, const char* objectName,
                                        const char* destParentDN, const char* destRDN) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    return objectWriter_.move(*ctx, *tree, objectName, destParentDN, destRDN);
}

NWDSCCODE LdapDirectory::NWDSModifyObject(NWDSContextHandle context, const char* objectName,
                                          std::int32_t* iterationHandle, bool more,
                                          Buf_T* changes) {
    outcome_.lastFailure = {}; // the server's word on this change alone
    outcome_.changeNote.clear();
    const ContextState* ctx = nullptr;
    std::vector<request::Change> decoded;
    if (auto rc = modifyRequest(context, iterationHandle, more, changes, ctx, decoded); rc != 0)
        return rc;
    Tree* tree = nullptr;
    std::string dn;
    if (auto rc = objectOf(*ctx, objectName, tree, dn); rc != 0)
        return rc;
    return objectWriter_.modify(*tree, dn, decoded);
}

NWDSCCODE LdapDirectory::NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                    std::size_t objectNameSize) {
    return BufferedClient::NWDSWhoAmI(context, objectName, objectNameSize);
}

NWDSCCODE LdapDirectory::withTextNames(const ContextState& ctx, const TextNamesUse& use) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    return naming_.withTextNames(*tree, use);
}
