// Reading the schema: class, attribute and syntax definitions.
#include "EmbeddedDirectory.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "directory/ResultCodes.h"

#include <cstring>

namespace {

Class_Info_T classInfoOf(const ClassDefinition& c) {
    Class_Info_T info{};
    info.classFlags = c.flags;
    info.asn1ID = Schema::asn1Of(c.oid);
    return info;
}

Attr_Info_T attrInfoOf(const AttributeDefinition& a) {
    Attr_Info_T info{};
    info.attrFlags = a.flags;
    info.attrSyntaxID = a.syntax;
    info.attrLower = a.lower;
    info.attrUpper = a.upper;
    info.asn1ID = Schema::asn1Of(a.oid);
    return info;
}

} // namespace

NWDSCCODE EmbeddedDirectory::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                              bool allClasses, Buf_T* classNames,
                                              std::int32_t* iterationHandle, Buf_T* classDefs) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != DS_INFO_NAMES && infoType != DS_INFO_DEFS)
        return ERR_INVALID_REQUEST;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(classDefs, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, Pending::ClassDefs, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        fresh.kind = Pending::ClassDefs;
        fresh.context = context;
        fresh.tree = treeOf(*ctx);
        fresh.infoType = infoType;
        if (fresh.tree == nullptr)
            return ERR_NO_SUCH_TREE;
        if (allClasses) {
            for (const auto& c : fresh.tree->schema().classes())
                fresh.names.push_back(c->name);
        } else {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(classNames, request); rc != 0)
                return rc;
            if (auto rc = requestNames(*request, {DSV_READ_CLASS_DEF}, fresh.names); rc != 0)
                return rc;
            for (const auto& n : fresh.names) {
                if (fresh.tree->schema().findClass(n) == nullptr)
                    return ERR_NO_SUCH_CLASS;
            }
        }
        pending = &fresh;
    }
    const bool defs = pending->infoType == DS_INFO_DEFS;
    beginReply(*out, ReplyKind::ClassDefs, defs);
    ReplyWriter reply(*out);
    for (; pending->position < pending->names.size(); ++pending->position) {
        const ClassDefinition* c =
            pending->tree->schema().findClass(pending->names[pending->position]);
        if (c == nullptr)
            continue; // removed since the read began
        const Class_Info_T info = classInfoOf(*c);
        if (!reply.addClassDef(c->name, defs ? &info : nullptr, defs ? &c->lists : nullptr))
            break;
    }
    reply.finish();
    const bool done = pending->position >= pending->names.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    finishPass(done, *pending, iterationHandle);
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                             bool allAttrs, Buf_T* attrNames,
                                             std::int32_t* iterationHandle, Buf_T* attrDefs) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != DS_INFO_NAMES && infoType != DS_INFO_DEFS)
        return ERR_INVALID_REQUEST;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(attrDefs, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, Pending::AttrDefs, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        fresh.kind = Pending::AttrDefs;
        fresh.context = context;
        fresh.tree = treeOf(*ctx);
        fresh.infoType = infoType;
        if (fresh.tree == nullptr)
            return ERR_NO_SUCH_TREE;
        if (allAttrs) {
            for (const auto& a : fresh.tree->schema().attributes())
                fresh.names.push_back(a->name);
        } else {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(attrNames, request); rc != 0)
                return rc;
            if (auto rc = requestNames(*request, {DSV_READ}, fresh.names); rc != 0)
                return rc;
            for (const auto& n : fresh.names) {
                if (fresh.tree->schema().findAttribute(n) == nullptr)
                    return ERR_NO_SUCH_ATTRIBUTE;
            }
        }
        pending = &fresh;
    }
    const bool defs = pending->infoType == DS_INFO_DEFS;
    beginReply(*out, ReplyKind::AttrDefs, defs);
    ReplyWriter reply(*out);
    for (; pending->position < pending->names.size(); ++pending->position) {
        const AttributeDefinition* a =
            pending->tree->schema().findAttribute(pending->names[pending->position]);
        if (a == nullptr)
            continue;
        const Attr_Info_T info = attrInfoOf(*a);
        if (!reply.addAttrDef(a->name, defs ? &info : nullptr))
            break;
    }
    reply.finish();
    const bool done = pending->position >= pending->names.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    finishPass(done, *pending, iterationHandle);
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                              bool allSyntaxes, Buf_T* syntaxNames,
                                              std::int32_t* iterationHandle, Buf_T* syntaxDefs) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != DS_INFO_NAMES && infoType != DS_INFO_DEFS)
        return ERR_INVALID_REQUEST;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(syntaxDefs, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, Pending::Syntaxes, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        fresh.kind = Pending::Syntaxes;
        fresh.context = context;
        fresh.tree = treeOf(*ctx);
        fresh.infoType = infoType;
        if (fresh.tree == nullptr)
            return ERR_NO_SUCH_TREE;
        if (allSyntaxes) {
            for (const auto& [id, s] : fresh.tree->schema().syntaxes())
                fresh.names.push_back(s.name);
        } else {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(syntaxNames, request); rc != 0)
                return rc;
            if (auto rc = requestNames(*request, {DSV_READ}, fresh.names); rc != 0)
                return rc;
            for (const auto& n : fresh.names) {
                if (fresh.tree->schema().findSyntax(std::string_view(n)) == nullptr)
                    return ERR_BAD_SYNTAX;
            }
        }
        pending = &fresh;
    }
    beginReply(*out, ReplyKind::Syntaxes, pending->infoType == DS_INFO_DEFS);
    ReplyWriter reply(*out);
    for (; pending->position < pending->names.size(); ++pending->position) {
        const SyntaxDefinition* s =
            pending->tree->schema().findSyntax(std::string_view(pending->names[pending->position]));
        if (s == nullptr)
            continue;
        if (!reply.addSyntax(s->name, s->id, s->flags))
            break;
    }
    reply.finish();
    const bool done = pending->position >= pending->names.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    finishPass(done, *pending, iterationHandle);
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                                             std::uint32_t* syntaxID) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxID == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    DirectoryModel* tree = treeOf(*ctx);
    if (tree == nullptr)
        return ERR_NO_SUCH_TREE;
    const AttributeDefinition* a = tree->schema().findAttribute(attrName);
    if (a == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    *syntaxID = a->syntax;
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                               Syntax_Info_T* syntaxDef) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxDef == nullptr)
        return ERR_NULL_POINTER;
    DirectoryModel* tree = treeOf(*ctx);
    if (tree == nullptr)
        return ERR_NO_SUCH_TREE;
    const SyntaxDefinition* s = tree->schema().findSyntax(syntaxID);
    if (s == nullptr)
        return ERR_BAD_SYNTAX;
    *syntaxDef = Syntax_Info_T{};
    syntaxDef->ID = s->id;
    std::memcpy(syntaxDef->defStr, s->name.data(), std::min(s->name.size(), MAX_SCHEMA_NAME_CHARS));
    syntaxDef->flags = s->flags;
    return 0;
}
