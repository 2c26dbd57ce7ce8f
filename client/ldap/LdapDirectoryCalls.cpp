// The seam's calls of the LDAP client and the steps of its multi-pass reads, each handed to
// the part of the client that does it.
#include "LdapDirectory.h"
#include "LdapTree.h"

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
