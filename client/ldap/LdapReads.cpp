// Reading objects over LDAP: attributes and values, object information, streams.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/StreamFile.h"
#include "client/common/ValueWire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>

namespace {

NWDSCCODE copyOut(std::string_view text, char* out, std::size_t size) {
    if (text.size() + 1 > size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return 0;
}

} // namespace

using ldapreads::derefOf;
using ldapreads::withInfo;

Object_Info_T LdapDirectory::infoOf(Tree& tree, const LdapEntry& e, ListingMemo* memo) const {
    Object_Info_T info{};
    const Schema& schema = *tree.schema;
    const ClassDefinition* cls = nullptr;
    bool alias = false;
    const std::vector<std::string>* structural = e.find("structuralObjectClass");
    if (structural != nullptr && structural->empty())
        structural = nullptr;
    const std::vector<std::string>* classes = e.find("objectClass");
    // The class follows from the structural class and the listed classes alone.
    std::string key;
    const ListingMemo::Class* known = nullptr;
    if (memo != nullptr) {
        if (structural != nullptr)
            key = structural->front();
        for (std::size_t i = 0; classes != nullptr && i < classes->size(); ++i)
            key.append(1, '\n').append((*classes)[i]);
        for (const auto& c : memo->classes) {
            if (c.key == key) {
                known = &c;
                break;
            }
        }
    }
    if (known != nullptr) {
        cls = known->cls;
        alias = known->alias;
    } else {
        if (structural != nullptr)
            cls = schema.findClassByLdapName(structural->front());
        if (cls == nullptr && classes != nullptr) {
            // The most specific of the listed classes.
            for (const auto& name : *classes) {
                const ClassDefinition* c = schema.findClassByLdapName(name);
                if (c != nullptr && (cls == nullptr || schema.isA(*c, cls->name)))
                    cls = c;
            }
        }
        alias = cls != nullptr && schema.isA(*cls, "Alias");
        if (memo != nullptr && memo->classes.size() < 64)
            memo->classes.push_back({std::move(key), cls, alias});
    }
    if (cls != nullptr) {
        if (cls->flags & DS_CONTAINER_CLASS)
            info.objectFlags |= DS_CONTAINER_ENTRY;
        if (alias)
            info.objectFlags |= 0x01; // an alias entry
        std::memcpy(info.baseClass, cls->name.data(),
                    std::min(cls->name.size(), MAX_SCHEMA_NAME_CHARS));
    }
    if (auto* v = e.find("hasSubordinates"); v != nullptr && !v->empty())
        info.subordinateCount = names::equalFolded(v->front(), "TRUE") ? 1 : 0;
    if (auto* v = e.find("modifyTimestamp"); v != nullptr && !v->empty()) {
        // "YYYYMMDDHHMMSSZ", with fractions of a second on some servers.
        std::string t = v->front().substr(0, 14) + "Z";
        info.modificationTime = valuetext::parseGeneralizedTime(t).value_or(0);
    }
    return info;
}

LdapDirectory::ObjectData LdapDirectory::dataOf(Tree& tree, LdapEntry&& e, bool withValues,
                                                bool canonical, ListingMemo* memo) const {
    ObjectData d;
    d.info = infoOf(tree, e, memo);
    if (canonical)
        d.dn = ldapnames::canonicalDn(e.dn);
    for (auto& [name, values] : e.attributes) {
        const AttributeDefinition* def = nullptr;
        bool looked = false;
        if (memo != nullptr) {
            for (const auto& [ldapName, known] : memo->attributes) {
                if (ldapName == name) {
                    def = known;
                    looked = true;
                    break;
                }
            }
        }
        if (!looked) {
            def = tree.schema->findAttributeByLdapName(name);
            if (memo != nullptr && memo->attributes.size() < 64)
                memo->attributes.emplace_back(name, def);
        }
        if (def == nullptr || (def->flags & DS_HIDDEN_ATTR))
            continue;
        bool twice = false;
        for (auto* a : d.attributes)
            twice = twice || a == def;
        if (twice)
            continue;
        d.attributes.push_back(def);
        if (withValues && names::equalFolded(def->ldapName, "objectClass")) {
            // The directory lists an object's classes with every super class above them.
            std::vector<std::string> lineage;
            for (const auto& v : values) {
                const ClassDefinition* c = tree.schema->findClassByLdapName(v);
                if (c == nullptr) {
                    lineage.push_back(v);
                    continue;
                }
                for (const ClassDefinition* up : tree.schema->lineage(*c)) {
                    if (std::find_if(lineage.begin(), lineage.end(), [&](const std::string& n) {
                            return names::equalFolded(n, up->ldapName);
                        }) == lineage.end())
                        lineage.push_back(up->ldapName);
                }
            }
            values = std::move(lineage);
        }
        if (withValues)
            d.values.push_back(std::move(values));
    }
    return d;
}

NWDSCCODE LdapDirectory::fillRead(Pending& state, Buf_T& out, bool& done) {
    Tree& tree = *state.tree;
    ObjectData& o = state.object;
    const bool values = state.infoType == DS_ATTRIBUTE_VALUES;
    beginReply(out, ReplyKind::Attributes, values);
    ReplyWriter reply(out);
    LdapValueNames valueNames(*tree.schema, nullptr);
    std::string wireValue;
    bool full = false;
    for (; state.position < o.attributes.size() && !full; ++state.position) {
        const AttributeDefinition& def = *o.attributes[state.position];
        if (values && o.values[state.position].empty()) {
            state.valuePosition = 0;
            continue;
        }
        if (!reply.beginAttribute(def.name, def.syntax))
            break;
        if (!values)
            continue;
        const auto& texts = o.values[state.position];
        for (; state.valuePosition < texts.size(); ++state.valuePosition) {
            if (valuetext::parse(def.syntax, texts[state.valuePosition], valueNames, wireValue) !=
                0)
                continue; // not a value of its syntax: left out rather than shown wrongly
            if (def.syntax == SYN_STREAM)
                wireValue = wire::u32Value(std::uint32_t(wireValue.size()));
            if (!reply.addValue(wireValue)) {
                full = true;
                break;
            }
        }
        if (full) {
            if (reply.valuesInAttribute() == 0)
                reply.dropAttribute();
            break;
        }
        if (reply.valuesInAttribute() == 0)
            reply.dropAttribute();
        state.valuePosition = 0;
    }
    reply.finish();
    done = state.position >= o.attributes.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE LdapDirectory::NWDSRead(NWDSContextHandle context, const char* objectName,
                                  std::uint32_t infoType, bool allAttrs, Buf_T* attrNames,
                                  std::int32_t* iterationHandle, Buf_T* objectInfo) {
    auto start = [&](const ContextState& state, Pending& fresh) -> NWDSCCODE {
        const ContextState* ctx = &state;
        std::vector<std::string> wanted;
        if (!allAttrs) {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(attrNames, request); rc != 0)
                return rc;
            if (auto rc = requestNames(*request, {DSV_READ}, wanted); rc != 0)
                return rc;
        }
        Tree* tree = nullptr;
        if (auto rc = treeOf(*ctx, tree); rc != 0)
            return rc;
        std::string dn;
        // The names read that follows a listing: the listing named the object already.
        const std::string* listedDn = !allAttrs || infoType != DS_ATTRIBUTE_NAMES
                                          ? nullptr
                                          : listedDnOf(*ctx, context, *tree, objectName);
        std::unordered_map<std::string, std::vector<const AttributeDefinition*>>::iterator cached =
            tree->listedNames.end();
        if (listedDn != nullptr)
            cached = tree->listedNames.find(names::fold(*listedDn));
        if (listedDn != nullptr && cached != tree->listedNames.end()) {
            dn = *listedDn;
        } else {
            if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
                return rc;
            cached = tree->listedNames.find(names::fold(dn));
        }
        fresh.tree = tree;
        fresh.infoType = infoType;
        const bool values = infoType == DS_ATTRIBUTE_VALUES;
        std::vector<std::string> ldapNames;
        std::vector<const AttributeDefinition*> asked;
        for (const auto& n : wanted) {
            const AttributeDefinition* def = tree->schema->findAttribute(n);
            if (def != nullptr && !(def->flags & DS_HIDDEN_ATTR)) {
                asked.push_back(def);
                ldapNames.push_back(def->ldapName);
            }
        }
        if (!allAttrs && asked.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
        if (dn.empty()) {
            fresh.object.dn.clear(); // [Root] itself holds nothing on a server
        } else if (!values && allAttrs && cached != tree->listedNames.end()) {
            // Listed (and no alias): what the listing brought is the answer.
            fresh.object.dn = dn;
            fresh.object.attributes = cached->second;
        } else {
            LdapEntry e;
            NWDSCCODE rc =
                tree->session->readEntry(dn, allAttrs ? std::vector<std::string>{"*"} : ldapNames,
                                         !values, derefOf(*ctx), e);
            if (rc != 0) {
                fail(*tree);
                return rc;
            }
            fresh.object = dataOf(*tree, std::move(e), values);
            if (!allAttrs) {
                // In the order asked for, each once.
                ObjectData picked;
                picked.dn = fresh.object.dn;
                for (auto* def : asked) {
                    bool twice = false;
                    for (auto* p : picked.attributes)
                        twice = twice || p == def;
                    for (std::size_t i = 0; i < fresh.object.attributes.size() && !twice; ++i) {
                        if (fresh.object.attributes[i] == def) {
                            picked.attributes.push_back(def);
                            if (values)
                                picked.values.push_back(fresh.object.values[i]);
                            break;
                        }
                    }
                }
                if (picked.attributes.empty())
                    return ERR_NO_SUCH_ATTRIBUTE;
                fresh.object = std::move(picked);
            }
        }
        return 0;
    };
    auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) {
        return fillRead(pending, out, done);
    };
    const bool infoTypeValid = infoType == DS_ATTRIBUTE_NAMES || infoType == DS_ATTRIBUTE_VALUES;
    return runPass(pending_, context, Pending::Read, infoTypeValid, iterationHandle, objectInfo,
                   start, fill);
}

NWDSCCODE LdapDirectory::NWDSReadObjectInfo(NWDSContextHandle context, const char* objectName,
                                            char* distinguishedName,
                                            std::size_t distinguishedNameSize,
                                            Object_Info_T* objectInfo) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (objectInfo == nullptr)
        return ERR_NULL_POINTER;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    std::string dn;
    if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
        return rc;
    Object_Info_T info{};
    std::string full = ROOT_NAME;
    if (dn.empty()) {
        info.objectFlags = DS_CONTAINER_ENTRY;
        info.subordinateCount = std::uint32_t(tree->bases.size());
        const ClassDefinition* root = tree->schema->findClassByLdapName("treeRoot");
        const std::string cls = root != nullptr ? root->name : "Top";
        std::memcpy(info.baseClass, cls.data(), std::min(cls.size(), MAX_SCHEMA_NAME_CHARS));
    } else {
        LdapEntry e;
        NWDSCCODE rc =
            tree->session->readEntry(dn, withInfo({"objectClass"}), false, derefOf(*ctx), e);
        if (rc != 0) {
            fail(*tree);
            return rc;
        }
        info = infoOf(*tree, e);
        full =
            nameOfDn(*tree, ldapnames::canonicalDn(e.dn), (ctx->flags & DCV_TYPELESS_NAMES) == 0);
    }
    if (distinguishedName != nullptr) {
        if (auto rc = copyOut(full, distinguishedName, distinguishedNameSize); rc != 0)
            return rc;
    }
    *objectInfo = info;
    return 0;
}

NWDSCCODE LdapDirectory::NWDSOpenStream(NWDSContextHandle context, const char* objectName,
                                        const char* attrName, std::uint32_t flags,
                                        NWFILE_HANDLE* fileHandle) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (auto rc = streamRequest(attrName, flags, fileHandle); rc != 0)
        return rc;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    std::string dn;
    if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
        return rc;
    const AttributeDefinition* def = tree->schema->findAttribute(attrName);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (def->syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    LdapEntry e;
    if (auto rc = tree->session->readEntry(dn, {def->ldapName}, false, derefOf(*ctx), e); rc != 0) {
        fail(*tree);
        return rc;
    }
    const auto* values = e.find(def->ldapName);
    if (values == nullptr || values->empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    return openStreamFile(values->front(), fileHandle);
}

NWDSCCODE LdapDirectory::NWDSWhoAmI(NWDSContextHandle context, char* objectName,
                                    std::size_t objectNameSize) {
    return BufferedClient::NWDSWhoAmI(context, objectName, objectNameSize);
}
