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

NWDSCCODE EmbeddedDirectory::readSchema(const SchemaRead& read, NWDSContextHandle context,
                                        std::uint32_t infoType, bool all, Buf_T* requestNames,
                                        std::int32_t* iterationHandle, Buf_T* result) {
    auto start = [&](const ContextState& ctx, Pending& fresh) -> NWDSCCODE {
        fresh.tree = treeOf(ctx);
        fresh.infoType = infoType;
        if (fresh.tree == nullptr)
            return ERR_NO_SUCH_TREE;
        if (all) {
            fresh.names = read.allNames(fresh.tree->schema());
        } else {
            Buf_T* request = nullptr;
            if (auto rc = findBuffer(requestNames, request); rc != 0)
                return rc;
            if (auto rc =
                    BufferedClient::requestNames(*request, {read.requestOperation}, fresh.names);
                rc != 0)
                return rc;
            for (const auto& n : fresh.names) {
                if (!read.defined(fresh.tree->schema(), n))
                    return read.undefined;
            }
        }
        return 0;
    };
    auto fill = [&](const ContextState&, Pending& pending, Buf_T& out, bool& done) -> NWDSCCODE {
        const bool defs = pending.infoType == DS_INFO_DEFS;
        beginReply(out, read.reply, defs);
        ReplyWriter reply(out);
        for (; pending.position < pending.names.size(); ++pending.position) {
            if (!read.write(reply, pending.tree->schema(), pending.names[pending.position], defs))
                break;
        }
        reply.finish();
        done = pending.position >= pending.names.size();
        if (!done && reply.count() == 0)
            return ERR_INSUFFICIENT_BUFFER;
        return 0;
    };
    const bool infoTypeValid = infoType == DS_INFO_NAMES || infoType == DS_INFO_DEFS;
    return runPass(context, read.kind, infoTypeValid, iterationHandle, result, start, fill);
}

NWDSCCODE EmbeddedDirectory::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
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
            const Class_Info_T info = classInfoOf(*c);
            return reply.addClassDef(c->name, defs ? &info : nullptr, defs ? &c->lists : nullptr);
        }};
    return readSchema(classes, context, infoType, allClasses, classNames, iterationHandle,
                      classDefs);
}

NWDSCCODE EmbeddedDirectory::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
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
            const Attr_Info_T info = attrInfoOf(*a);
            return reply.addAttrDef(a->name, defs ? &info : nullptr);
        }};
    return readSchema(attributes, context, infoType, allAttrs, attrNames, iterationHandle,
                      attrDefs);
}

NWDSCCODE EmbeddedDirectory::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
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
