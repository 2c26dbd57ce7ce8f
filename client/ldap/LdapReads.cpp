// Reading objects over LDAP: listing a container (one paged search that also brings the
// attribute names of every listed object), reading attributes and values, object
// information, streams.
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

const std::vector<std::string> kInfoAttributes = {"structuralObjectClass", "modifyTimestamp",
                                                  "hasSubordinates"};

NWDSCCODE copyOut(std::string_view text, char* out, std::size_t size) {
    if (text.size() + 1 > size)
        return ERR_INSUFFICIENT_BUFFER;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
    return 0;
}

LdapSession::Deref derefOf(const ContextState& ctx) {
    return (ctx.flags & DCV_DEREF_ALIASES) ? LdapSession::Deref::Finding
                                           : LdapSession::Deref::Never;
}

std::vector<std::string> withInfo(std::vector<std::string> attrs) {
    attrs.insert(attrs.end(), kInfoAttributes.begin(), kInfoAttributes.end());
    return attrs;
}

} // namespace

Object_Info_T LdapDirectory::infoOf(Tree& tree, const LdapEntry& e) const {
    Object_Info_T info{};
    const Schema& schema = *tree.schema;
    const ClassDefinition* cls = nullptr;
    if (auto* v = e.find("structuralObjectClass"); v != nullptr && !v->empty())
        cls = schema.findClassByLdapName(v->front());
    if (cls == nullptr) {
        // The most specific of the listed classes.
        if (auto* v = e.find("objectClass")) {
            for (const auto& name : *v) {
                const ClassDefinition* c = schema.findClassByLdapName(name);
                if (c != nullptr && (cls == nullptr || schema.isA(*c, cls->name)))
                    cls = c;
            }
        }
    }
    if (cls != nullptr) {
        if (cls->flags & DS_CONTAINER_CLASS)
            info.objectFlags |= DS_CONTAINER_ENTRY;
        if (schema.isA(*cls, "Alias"))
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
                                                bool canonical) const {
    ObjectData d;
    d.info = infoOf(tree, e);
    if (canonical)
        d.dn = ldapnames::canonicalDn(e.dn);
    for (auto& [name, values] : e.attributes) {
        const AttributeDefinition* def = tree.schema->findAttributeByLdapName(name);
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

NWDSCCODE LdapDirectory::pendingFor(std::int32_t handle, Pending::Kind kind,
                                    NWDSContextHandle context, Pending*& out) {
    out = nullptr;
    if (handle == NO_MORE_ITERATIONS)
        return 0;
    Pending* p = pending_.find(handle);
    if (p == nullptr || p->kind != kind || p->context != context)
        return ERR_INVALID_ITERATION;
    out = p;
    return 0;
}

void LdapDirectory::finishPass(bool done, Pending& state, std::int32_t* handle) {
    if (done) {
        if (*handle != NO_MORE_ITERATIONS)
            pending_.finish(*handle);
        *handle = NO_MORE_ITERATIONS;
        return;
    }
    if (*handle == NO_MORE_ITERATIONS)
        *handle = pending_.issue(std::move(state));
}

NWDSCCODE LdapDirectory::listRoot(Tree& tree, Pending& out) {
    for (const auto& base : tree.bases) {
        LdapEntry e;
        NWDSCCODE rc =
            tree.session->readEntry(base, withInfo({"*"}), false, LdapSession::Deref::Never, e);
        if (rc == ERR_NO_SUCH_ENTRY)
            continue; // a naming context without its top entry
        if (rc != 0) {
            fail(tree);
            return rc;
        }
        out.objects.push_back(dataOf(tree, std::move(e), false));
    }
    return 0;
}

NWDSCCODE LdapDirectory::fillObjects(Pending& state, Buf_T& out, bool& done) {
    Tree& tree = *state.tree;
    beginReply(out, ReplyKind::Objects, false);
    ReplyWriter reply(out);
    for (; state.position < state.objects.size(); ++state.position) {
        ObjectData& o = state.objects[state.position];
        // A listed object goes by its own name, the leftmost component.
        const std::string own = o.ownName.empty() ? nameOfDn(tree, o.dn, state.typed) : o.ownName;
        if (!reply.addObject(own, o.info))
            break;
    }
    reply.finish();
    done = state.position >= state.objects.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE LdapDirectory::NWDSList(NWDSContextHandle context, const char* objectName,
                                  std::int32_t* iterationHandle, Buf_T* subordinates) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(subordinates, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, Pending::List, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        Tree* tree = nullptr;
        if (auto rc = treeOf(*ctx, tree); rc != 0)
            return rc;
        std::string dn;
        if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
            return rc;
        fresh.kind = Pending::List;
        fresh.context = context;
        fresh.tree = tree;
        fresh.typed = (ctx->flags & DCV_TYPELESS_NAMES) == 0;
        if (dn.empty()) {
            if (auto rc = listRoot(*tree, fresh); rc != 0)
                return rc;
        } else {
            // One paged search brings every subordinate with its attribute names, so that
            // the names reads that follow need no request of their own.
            // Values travel only for what the object information needs.
            static const std::vector<std::string> kValuesOf = withInfo({"objectClass"});
            NWDSCCODE rc = tree->session->search(
                dn, 1, "(objectClass=*)", withInfo({"*"}), false, derefOf(*ctx),
                [&](LdapEntry&& e) {
                    std::vector<valuetext::DnComponent> parts;
                    if (!valuetext::splitDn(e.dn, parts) || parts.empty())
                        return true;
                    ObjectData d = dataOf(*tree, std::move(e), false, false);
                    // Below a canonical container: the object's DN is its own part and that.
                    const auto& own = parts.front();
                    d.dn = own.type + "=" + valuetext::escapeDnValue(own.value) + "," + dn;
                    rememberNaming(*tree, dn, own.value, own.type);
                    d.ownName = names::escapeComponent(own.value);
                    if (fresh.typed)
                        d.ownName = tagOf(*tree, own.type) + "=" + d.ownName;
                    fresh.objects.push_back(std::move(d));
                    return true;
                },
                &kValuesOf);
            if (rc != 0) {
                fail(*tree);
                return rc;
            }
        }
        if (tree->listedNames.size() > 100000)
            tree->listedNames.clear();
        for (const auto& o : fresh.objects) {
            if (!(o.info.objectFlags & 0x01)) // an alias is read through to its object
                tree->listedNames[names::fold(o.dn)] = o.attributes;
        }
        pending = &fresh;
    }
    bool done = false;
    if (auto rc = fillObjects(*pending, *out, done); rc != 0)
        return rc;
    finishPass(done, *pending, iterationHandle);
    return 0;
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
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(objectInfo, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, Pending::Read, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
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
        if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
            return rc;
        fresh.kind = Pending::Read;
        fresh.context = context;
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
        auto cached = tree->listedNames.find(names::fold(dn));
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
        pending = &fresh;
    }
    bool done = false;
    if (auto rc = fillRead(*pending, *out, done); rc != 0)
        return rc;
    finishPass(done, *pending, iterationHandle);
    return 0;
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
