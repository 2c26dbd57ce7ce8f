// The schema reads over the schema a client holds: the three listings' items and the two
// single lookups, the same for every client.
#include "BufferedClient.h"
#include "Names.h"
#include "ReplyWriter.h"
#include "Schema.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>

namespace {

struct ItemsRules {
    ReplyKind reply;
    std::uint32_t requestOperation; // what a request buffer of names is prepared for
    NWDSCCODE undefined;            // for a requested name the schema does not hold
};

ItemsRules rulesOf(SchemaItems items) {
    switch (items) {
    case SchemaItems::Classes:
        return {ReplyKind::ClassDefs, DSV_READ_CLASS_DEF, ERR_NO_SUCH_CLASS};
    case SchemaItems::Attributes:
        return {ReplyKind::AttrDefs, DSV_READ, ERR_NO_SUCH_ATTRIBUTE};
    case SchemaItems::Syntaxes:
        break;
    }
    return {ReplyKind::Syntaxes, DSV_READ, ERR_BAD_SYNTAX};
}

bool isDefined(SchemaItems items, const Schema& schema, const std::string& name) {
    switch (items) {
    case SchemaItems::Classes:
        return schema.findClass(name) != nullptr;
    case SchemaItems::Attributes:
        return schema.findAttribute(name) != nullptr;
    case SchemaItems::Syntaxes:
        break;
    }
    return schema.findSyntax(std::string_view(name)) != nullptr;
}

std::vector<std::string> allNamesOf(SchemaItems items, const Schema& schema) {
    std::vector<std::string> names;
    switch (items) {
    case SchemaItems::Classes:
        for (const auto& c : schema.classes())
            names.push_back(c->name);
        break;
    case SchemaItems::Attributes:
        for (const auto& a : schema.attributes())
            names.push_back(a->name);
        break;
    case SchemaItems::Syntaxes:
        for (const auto& [id, s] : schema.syntaxes())
            names.push_back(s.name);
        break;
    }
    return names;
}

// Writes the named item; false when the reply is full. An item gone is skipped (true).
bool writeItem(SchemaItems items, ReplyWriter& reply, const Schema& schema, const std::string& name,
               bool defs) {
    switch (items) {
    case SchemaItems::Classes: {
        const ClassDefinition* c = schema.findClass(name);
        if (c == nullptr)
            return true;
        Class_Info_T info{};
        info.classFlags = c->flags;
        info.asn1ID = Schema::asn1Of(c->oid);
        return reply.addClassDef(c->name, defs ? &info : nullptr, defs ? &c->lists : nullptr);
    }
    case SchemaItems::Attributes: {
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
    }
    case SchemaItems::Syntaxes:
        break;
    }
    const SyntaxDefinition* s = schema.findSyntax(std::string_view(name));
    return s == nullptr || reply.addSyntax(s->name, s->id, s->flags);
}

} // namespace

NWDSCCODE BufferedClient::schemaNamesToRead(SchemaItems items, const Schema& schema, bool all,
                                            Buf_T* requestNames,
                                            std::vector<std::string>& names) const {
    if (all) {
        names = allNamesOf(items, schema);
        return 0;
    }
    Buf_T* request = nullptr;
    if (auto rc = findBuffer(requestNames, request); rc != 0)
        return rc;
    const ItemsRules rules = rulesOf(items);
    if (auto rc = BufferedClient::requestNames(*request, {rules.requestOperation}, names); rc != 0)
        return rc;
    for (const auto& n : names) {
        if (!isDefined(items, schema, n))
            return rules.undefined;
    }
    return 0;
}

NWDSCCODE BufferedClient::fillSchemaReply(SchemaItems items, const Schema& schema,
                                          const std::vector<std::string>& names,
                                          std::size_t& position, bool definitions, Buf_T& out,
                                          bool& done) {
    beginReply(out, rulesOf(items).reply, definitions);
    ReplyWriter reply(out);
    for (; position < names.size(); ++position) {
        if (!writeItem(items, reply, schema, names[position], definitions))
            break;
    }
    reply.finish();
    done = position >= names.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE BufferedClient::NWDSGetSyntaxID(NWDSContextHandle context, const char* attrName,
                                          std::uint32_t* syntaxID) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxID == nullptr)
        return ERR_NULL_POINTER;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    const Schema* schema = nullptr;
    if (auto rc = schemaOf(*ctx, schema); rc != 0)
        return rc;
    const AttributeDefinition* a = schema->findAttribute(attrName);
    if (a == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    *syntaxID = a->syntax;
    return 0;
}

NWDSCCODE BufferedClient::NWDSReadSyntaxDef(NWDSContextHandle context, std::uint32_t syntaxID,
                                            Syntax_Info_T* syntaxDef) {
    const ContextState* ctx = findContext(context);
    if (ctx == nullptr)
        return ERR_BAD_CONTEXT;
    if (syntaxDef == nullptr)
        return ERR_NULL_POINTER;
    const Schema* schema = nullptr;
    if (auto rc = schemaOf(*ctx, schema); rc != 0)
        return rc;
    const SyntaxDefinition* s = schema->findSyntax(syntaxID);
    if (s == nullptr)
        return ERR_BAD_SYNTAX;
    *syntaxDef = Syntax_Info_T{};
    syntaxDef->ID = s->id;
    std::memcpy(syntaxDef->defStr, s->name.data(), std::min(s->name.size(), MAX_SCHEMA_NAME_CHARS));
    syntaxDef->flags = s->flags;
    return 0;
}

NWDSCCODE BufferedClient::NWDSReadClassDef(NWDSContextHandle context, std::uint32_t infoType,
                                           bool allClasses, Buf_T* classNames,
                                           std::int32_t* iterationHandle, Buf_T* classDefs) {
    return readSchema(SchemaItems::Classes, context, infoType, allClasses, classNames,
                      iterationHandle, classDefs);
}

NWDSCCODE BufferedClient::NWDSReadAttrDef(NWDSContextHandle context, std::uint32_t infoType,
                                          bool allAttrs, Buf_T* attrNames,
                                          std::int32_t* iterationHandle, Buf_T* attrDefs) {
    return readSchema(SchemaItems::Attributes, context, infoType, allAttrs, attrNames,
                      iterationHandle, attrDefs);
}

NWDSCCODE BufferedClient::NWDSReadSyntaxes(NWDSContextHandle context, std::uint32_t infoType,
                                           bool allSyntaxes, Buf_T* syntaxNames,
                                           std::int32_t* iterationHandle, Buf_T* syntaxDefs) {
    return readSchema(SchemaItems::Syntaxes, context, infoType, allSyntaxes, syntaxNames,
                      iterationHandle, syntaxDefs);
}
