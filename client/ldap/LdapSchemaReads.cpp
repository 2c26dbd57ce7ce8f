// The five schema reads over the schema read from the server's subschema entry.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

#include <cstring>

struct LdapDirectory::SchemaRead {
    Pending::Kind kind;
    ReplyKind reply;
    std::uint32_t requestOperation; // what a request buffer of names is prepared for
    NWDSCCODE undefined;            // for a requested name the schema does not hold
    std::vector<std::string> (*allNames)(const Schema&);
    bool (*defined)(const Schema&, const std::string& name);
    bool (*write)(ReplyWriter&, const Schema&, const std::string& name, bool definitions);
};

NWDSCCODE LdapDirectory::readSchema(const SchemaRead& read, NWDSContextHandle context,
                                    std::uint32_t infoType, bool all, Buf_T* requestNames,
                                    std::int32_t* iterationHandle, Buf_T* result) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (iterationHandle == nullptr)
        return ERR_NULL_POINTER;
    if (infoType != DS_INFO_NAMES && infoType != DS_INFO_DEFS)
        return ERR_INVALID_REQUEST;
    Buf_T* out = nullptr;
    if (auto rc = findBuffer(result, out); rc != 0)
        return rc;
    Pending* pending = nullptr;
    if (auto rc = pendingFor(*iterationHandle, read.kind, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        fresh.kind = read.kind;
        fresh.context = context;
        fresh.infoType = infoType;
        if (auto rc = treeOf(*ctx, fresh.tree); rc != 0)
            return rc;
        const Schema& schema = *fresh.tree->schema;
        if (all) {
            fresh.names = read.allNames(schema);
        } else {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(requestNames, request); rc != 0)
                return rc;
            if (auto rc =
                    BufferedClient::requestNames(*request, {read.requestOperation}, fresh.names);
                rc != 0)
                return rc;
            for (const auto& n : fresh.names) {
                if (!read.defined(schema, n))
                    return read.undefined;
            }
        }
        pending = &fresh;
    }
    const bool defs = pending->infoType == DS_INFO_DEFS;
    beginReply(*out, read.reply, defs);
    ReplyWriter reply(*out);
    const Schema& schema = *pending->tree->schema;
    for (; pending->position < pending->names.size(); ++pending->position) {
        if (!read.write(reply, schema, pending->names[pending->position], defs))
            break;
    }
    reply.finish();
    const bool done = pending->position >= pending->names.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    finishPass(done, *pending, iterationHandle);
    return 0;
}

NWDSCCODE LdapDirectory::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                          bool allClasses, Buf_T* classNames,
                                          std::int32_t* iterationHandle, Buf_T* classDefs) {
    static const SchemaRead classes{
        Pending::ClassDefs,
        ReplyKind::ClassDefs,
        DSV_READ_CLASS_DEF,
        ERR_NO_SUCH_CLASS,
        [](const Schema& schema) {
            std::vector<std::string> names;
            for (const auto& c : schema.classes())
                names.push_back(c->name);
            return names;
        },
        [](const Schema& schema, const std::string& name) {
            return schema.findClass(name) != nullptr;
        },
        [](ReplyWriter& reply, const Schema& schema, const std::string& name, bool defs) {
            const ClassDefinition* c = schema.findClass(name);
            if (c == nullptr)
                return true;
            Class_Info_T info{};
            info.classFlags = c->flags;
            info.asn1ID = Schema::asn1Of(c->oid);
            return reply.addClassDef(c->name, defs ? &info : nullptr, defs ? &c->lists : nullptr);
        }};
    return readSchema(classes, context, infoType, allClasses, classNames, iterationHandle,
                      classDefs);
}

NWDSCCODE LdapDirectory::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                         bool allAttrs, Buf_T* attrNames,
                                         std::int32_t* iterationHandle, Buf_T* attrDefs) {
    static const SchemaRead attributes{
        Pending::AttrDefs,
        ReplyKind::AttrDefs,
        DSV_READ,
        ERR_NO_SUCH_ATTRIBUTE,
        [](const Schema& schema) {
            std::vector<std::string> names;
            for (const auto& a : schema.attributes())
                names.push_back(a->name);
            return names;
        },
        [](const Schema& schema, const std::string& name) {
            return schema.findAttribute(name) != nullptr;
        },
        [](ReplyWriter& reply, const Schema& schema, const std::string& name, bool defs) {
            const AttributeDefinition* a = schema.findAttribute(name);
            if (a == nullptr)
                return true;
            Attr_Info_T info{};
            info.attrFlags = a->flags;
            info.attrSyntaxID = a->syntax;
            info.attrLower = a->lower;
            info.attrUpper = a->upper;
            info.asn1ID = Schema::asn1Of(a->oid);
            return reply.addAttrDef(a->name, defs ? &info : nullptr);
        }};
    return readSchema(attributes, context, infoType, allAttrs, attrNames, iterationHandle,
                      attrDefs);
}

NWDSCCODE LdapDirectory::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                          bool allSyntaxes, Buf_T* syntaxNames,
                                          std::int32_t* iterationHandle, Buf_T* syntaxDefs) {
    static const SchemaRead syntaxes{
        Pending::Syntaxes,
        ReplyKind::Syntaxes,
        DSV_READ,
        ERR_BAD_SYNTAX,
        [](const Schema& schema) {
            std::vector<std::string> names;
            for (const auto& [id, s] : schema.syntaxes())
                names.push_back(s.name);
            return names;
        },
        [](const Schema& schema, const std::string& name) {
            return schema.findSyntax(std::string_view(name)) != nullptr;
        },
        [](ReplyWriter& reply, const Schema& schema, const std::string& name, bool) {
            const SyntaxDefinition* s = schema.findSyntax(std::string_view(name));
            return s == nullptr || reply.addSyntax(s->name, s->id, s->flags);
        }};
    return readSchema(syntaxes, context, infoType, allSyntaxes, syntaxNames, iterationHandle,
                      syntaxDefs);
}

NWDSCCODE LdapDirectory::NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                                         std::uint32_t* syntaxID) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxID == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    const AttributeDefinition* a = tree->schema->findAttribute(attrName);
    if (a == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    *syntaxID = a->syntax;
    return 0;
}

NWDSCCODE LdapDirectory::NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                           Syntax_Info_T* syntaxDef) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxDef == nullptr)
        return ERR_NULL_POINTER;
    Tree* tree = nullptr;
    if (auto rc = treeOf(*ctx, tree); rc != 0)
        return rc;
    const SyntaxDefinition* s = tree->schema->findSyntax(syntaxID);
    if (s == nullptr)
        return ERR_BAD_SYNTAX;
    *syntaxDef = Syntax_Info_T{};
    syntaxDef->ID = s->id;
    std::memcpy(syntaxDef->defStr, s->name.data(), std::min(s->name.size(), MAX_SCHEMA_NAME_CHARS));
    syntaxDef->flags = s->flags;
    return 0;
}
