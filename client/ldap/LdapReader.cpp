// Reading objects over LDAP: attributes and values, object information, streams.
#include "LdapReader.h"

#include "LdapListing.h"
#include "LdapNaming.h"
#include "LdapObjects.h"
#include "LdapOutcome.h"
#include "LdapPending.h"
#include "LdapRightsProbe.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "client/common/ValueWire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>
#include <span>

using ldapreads::derefOf;
using ldapreads::withInfo;

NWDSCCODE LdapReader::fill(LdapPending& state, Buf_T& out, bool& done) {
    LdapTree& tree = *state.tree;
    LdapObjectData& o = state.object;
    const bool values = state.infoType == DS_ATTRIBUTE_VALUES;
    BufferedClient::beginReply(out, ReplyKind::Attributes, values);
    ReplyWriter reply(out);
    LdapValueNames valueNames(*tree.schema, nullptr);
    std::string wireValue;
    const LdapAttributeList& attributes = o.attributeList();
    // An attribute whose values were withheld is passed over; one none of whose values the
    // client can show is dropped again.
    const auto shown = [&](std::size_t i) -> const AttributeDefinition* {
        return values && o.values[i].empty() ? nullptr : attributes[i];
    };
    reply.addAttributes(
        values, attributes.size(), state.position, state.valuePosition, shown,
        [&](std::size_t i, const AttributeDefinition& def, std::size_t& next) {
            if (!ldapobjects::addTextValues(reply, def, o.values[i], next, valueNames, wireValue))
                return false;
            if (reply.valuesInAttribute() == 0)
                reply.dropAttribute();
            return true;
        });
    reply.finish();
    done = state.position >= attributes.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE LdapReader::withheldNames(LdapTree& tree, const std::string& dn,
                                    const std::vector<const AttributeDefinition*>& asked,
                                    const LdapObjectData& answered, const ContextState& ctx) {
    std::vector<std::string> missing;
    for (const auto* def : asked) {
        if (std::find(answered.attributes.begin(), answered.attributes.end(), def) ==
            answered.attributes.end())
            missing.push_back(def->ldapName);
    }
    LdapEntry e;
    if (tree.session->readEntry(dn, missing, true, ldapreads::derefOf(ctx), e) != 0)
        return 0; // the answer stands as it came
    for (const auto& name : missing) {
        if (e.find(name) != nullptr)
            return ERR_NO_ACCESS;
    }
    return 0;
}

NWDSCCODE LdapReader::start(const ContextState& ctx, LdapTree& tree, const ReadRequest& request,
                            LdapPending& fresh) {
    std::string dn;
    // The names read that follows a listing: the listing named the object already.
    const bool listed = request.allAttrs && request.infoType == DS_ATTRIBUTE_NAMES &&
                        listing_.listedDnOf(ctx, request.context, tree, request.objectName, dn);
    if (!listed) {
        if (auto rc = naming_.resolve(ctx, tree, request.objectName, dn); rc != 0)
            return rc;
    }
    // A top object's read brings the names of the attributes the identity may read; where it
    // may not read them all, the server gives the others' names only when asked for names
    // alone.
    const bool wholeNames = request.infoType != DS_ATTRIBUTE_NAMES || rights_.readsEverything(tree);
    std::shared_ptr<const LdapAttributeList> cached;
    if (auto it = tree.listedNames.find(dn); wholeNames && it != tree.listedNames.end())
        cached = it->second;
    fresh.tree = &tree;
    fresh.infoType = request.infoType;
    const bool values = request.infoType == DS_ATTRIBUTE_VALUES;
    std::vector<std::string> ldapNames;
    std::vector<const AttributeDefinition*> asked;
    for (const auto& n : request.wanted) {
        const AttributeDefinition* def = naming_.directoryAttribute(tree, n);
        if (def != nullptr && !(def->flags & DS_HIDDEN_ATTR)) {
            asked.push_back(def);
            ldapNames.push_back(def->ldapName);
        }
    }
    if (!request.allAttrs && asked.empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    if (dn.empty()) {
        fresh.object.dn.clear(); // [Root] itself holds nothing on a server
    } else if (!values && request.allAttrs && cached != nullptr) {
        // A listed top object (and no alias): what the listing brought is the answer.
        fresh.object.dn = std::move(dn);
        fresh.object.shown = std::move(cached);
    } else {
        LdapEntry e;
        NWDSCCODE rc =
            tree.session->readEntry(dn, request.allAttrs ? ldapreads::allAttributes() : ldapNames,
                                    !values, derefOf(ctx), e);
        if (rc != 0) {
            outcome_.fail(tree);
            return rc;
        }
        fresh.object = ldapobjects::dataOf(tree, std::move(e), values);
        if (!request.allAttrs) {
            // In the order asked for, each once.
            LdapObjectData picked;
            picked.dn = fresh.object.dn;
            for (auto* def : asked) {
                bool twice = false;
                for (auto* p : picked.attributes)
                    twice = twice || p == def;
                for (std::size_t i = 0; i < fresh.object.attributes.size() && !twice; ++i) {
                    if (fresh.object.attributes[i] == def) {
                        // The name came without its values: the server withholds them.
                        if (values && fresh.object.values[i].empty())
                            return ERR_NO_ACCESS;
                        picked.attributes.push_back(def);
                        if (values)
                            picked.values.push_back(fresh.object.values[i]);
                        break;
                    }
                }
            }
            if (values && picked.attributes.size() < asked.size()) {
                // Values withheld leave their attribute out of the answer; asked for by
                // name alone, the server shows whether the object holds it.
                if (auto withheld = withheldNames(tree, dn, asked, picked, ctx); withheld != 0)
                    return withheld;
            }
            if (picked.attributes.empty())
                return ERR_NO_SUCH_ATTRIBUTE;
            fresh.object = std::move(picked);
        }
    }
    return 0;
}

NWDSCCODE LdapReader::objectInfo(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                                 std::string* fullName, Object_Info_T& info) {
    std::string full = ROOT_NAME;
    if (dn.empty()) {
        info.objectFlags = DS_CONTAINER_ENTRY;
        info.subordinateCount = std::uint32_t(tree.bases.size());
        const ClassDefinition* root = tree.schema->findClassByLdapName("treeRoot");
        const std::string cls = root != nullptr ? root->name : "Top";
        std::memcpy(info.baseClass, cls.data(), std::min(cls.size(), MAX_SCHEMA_NAME_CHARS));
    } else {
        LdapEntry e;
        NWDSCCODE rc =
            tree.session->readEntry(dn, withInfo({"objectClass"}), false, derefOf(ctx), e);
        if (rc != 0) {
            outcome_.fail(tree);
            return rc;
        }
        info = ldapobjects::infoOf(tree, e);
        full = naming_.nameOfDn(tree, ldapnames::canonicalDn(e.dn),
                                (ctx.flags & DCV_TYPELESS_NAMES) == 0);
    }
    if (fullName != nullptr)
        *fullName = std::move(full);
    return 0;
}

NWDSCCODE LdapReader::stream(const ContextState& ctx, LdapTree& tree, const std::string& dn,
                             const char* attrName, std::string& content) {
    const AttributeDefinition* def = tree.schema->findAttribute(attrName);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (def->syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    LdapEntry e;
    if (auto rc = tree.session->readEntry(dn, {def->ldapName}, false, derefOf(ctx), e); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    const auto* values = e.find(def->ldapName);
    if (values == nullptr || values->empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    content = values->front();
    return 0;
}
