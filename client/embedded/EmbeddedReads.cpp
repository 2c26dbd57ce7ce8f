// Reading objects: listing a container, reading attributes and values, object information,
// streams and effective rights.
#include "EmbeddedDirectory.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "client/common/Wire.h"
#include "directory/ResultCodes.h"

#include <cstring>

NWDSCCODE EmbeddedDirectory::startList(const ContextState& ctx, NWDSContextHandle /*context*/,
                                       const char* objectName, Pending& fresh) {
    Target t;
    if (auto rc = resolve(ctx, objectName, true, t); rc != 0)
        return rc;
    if (!canBrowse(*t.tree, t.id))
        return ERR_NO_ACCESS;
    fresh.tree = t.tree;
    fresh.entry = t.id;
    return 0;
}

NWDSCCODE EmbeddedDirectory::fillList(const ContextState& ctx, Pending& pending, Buf_T& out,
                                      bool& done) {
    DirectoryModel& tree = *pending.tree;
    const Entry* container = tree.objects().get(pending.entry);
    if (container == nullptr)
        return ERR_NO_SUCH_ENTRY;
    const bool typed = (ctx.flags & DCV_TYPELESS_NAMES) == 0;

    beginReply(out, ReplyKind::Objects, false);
    ReplyWriter reply(out);
    std::size_t& at = pending.position;
    const auto& children = container->children;
    for (; at < children.size(); ++at) {
        const Entry* child = tree.objects().get(children[at]);
        if (child == nullptr || !canBrowse(tree, child->id))
            continue;
        if (!reply.addObject(tree.objects().ownName(*child, typed), objectInfoOf(tree, *child)))
            break;
    }
    reply.finish();
    done = at >= children.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE EmbeddedDirectory::fillRead(Pending& state, Buf_T& out, bool& done) {
    DirectoryModel& tree = *state.tree;
    const Entry* e = tree.objects().get(state.entry);
    if (e == nullptr)
        return ERR_NO_SUCH_ENTRY;
    const bool values = state.infoType == DS_ATTRIBUTE_VALUES;
    beginReply(out, ReplyKind::Attributes, values);
    ReplyWriter reply(out);
    // An attribute removed since the read began is passed over.
    const auto held = [&](std::size_t i) -> const AttributeDefinition* {
        const AttributeValues* a = e->find(state.attributes[i]);
        return a == nullptr || a->values.empty() ? nullptr : state.attributes[i];
    };
    reply.addAttributes(values, state.attributes.size(), state.position, state.valuePosition, held,
                        [&](std::size_t, const AttributeDefinition& def, std::size_t& next) {
                            return reply.addValues(def.syntax, e->find(&def)->values, next);
                        });
    reply.finish();
    done = state.position >= state.attributes.size();
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE EmbeddedDirectory::startRead(const ContextState& ctx, const ReadRequest& request,
                                       Pending& fresh) {
    Target t;
    if (auto rc = resolve(ctx, request.objectName, true, t); rc != 0)
        return rc;
    if (!canBrowse(*t.tree, t.id))
        return ERR_NO_ACCESS;
    const Entry* e = t.tree->objects().get(t.id);
    const Schema& schema = t.tree->schema();
    const bool values = request.infoType == DS_ATTRIBUTE_VALUES;
    fresh.tree = t.tree;
    fresh.entry = t.id;
    fresh.infoType = request.infoType;
    if (request.allAttrs) {
        for (const auto& a : e->attributes) {
            if ((a.def->flags & DS_HIDDEN_ATTR) || (values && !canRead(*t.tree, t.id, *a.def)))
                continue;
            fresh.attributes.push_back(a.def);
        }
    } else {
        for (const auto& name : request.wanted) {
            const AttributeDefinition* def = schema.findAttribute(name);
            const AttributeValues* a = def == nullptr ? nullptr : e->find(def);
            if (a == nullptr || (def->flags & DS_HIDDEN_ATTR))
                continue;
            if (values && !canRead(*t.tree, t.id, *def))
                return ERR_NO_ACCESS;
            bool twice = false;
            for (auto* d : fresh.attributes)
                twice = twice || d == def;
            if (!twice)
                fresh.attributes.push_back(def);
        }
        if (!request.wanted.empty() && fresh.attributes.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
    }
    return 0;
}

NWDSCCODE EmbeddedDirectory::readObjectInfo(const ContextState& ctx, const char* objectName,
                                            std::string* fullName, Object_Info_T& info) {
    Target t;
    if (auto rc = resolve(ctx, objectName, true, t); rc != 0)
        return rc;
    if (!canBrowse(*t.tree, t.id))
        return ERR_NO_ACCESS;
    if (fullName != nullptr)
        *fullName = t.tree->objects().fullName(t.id, (ctx.flags & DCV_TYPELESS_NAMES) == 0);
    info = objectInfoOf(*t.tree, *t.tree->objects().get(t.id));
    return 0;
}

NWDSCCODE EmbeddedDirectory::readStream(const ContextState& ctx, const char* objectName,
                                        const char* attrName, std::string& content) {
    Target t;
    if (auto rc = resolve(ctx, objectName, true, t); rc != 0)
        return rc;
    if (!canBrowse(*t.tree, t.id))
        return ERR_NO_ACCESS;
    const AttributeDefinition* def = t.tree->schema().findAttribute(attrName);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (def->syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    const AttributeValues* a = t.tree->objects().get(t.id)->find(def);
    if (a == nullptr || a->values.empty())
        return ERR_NO_SUCH_ATTRIBUTE;
    if (!canRead(*t.tree, t.id, *def))
        return ERR_NO_ACCESS;
    content = a->values.front();
    return 0;
}

NWDSCCODE EmbeddedDirectory::rightsOf(const ContextState& ctx, const char* subjectName,
                                      const char* objectName, Target& object,
                                      std::string& subject) {
    names::ParsedName subjectParsed;
    if (auto rc = names::parse(subjectName, subjectParsed); rc != 0)
        return rc;
    if (auto rc = resolve(ctx, objectName, true, object); rc != 0)
        return rc;
    // The subject by its full name when it is an object of the tree, else as written.
    subject = subjectName;
    Target s;
    if (!subjectParsed.root && resolve(ctx, subjectName, false, s) == 0)
        subject = s.tree->objects().fullName(s.id);
    return 0;
}

NWDSCCODE EmbeddedDirectory::NWDSGetEffectiveRights(NWDSContextHandle context,
                                                    const char* subjectName, const char* objectName,
                                                    const char* attrName,
                                                    std::uint32_t* privileges) {
    const ContextState* ctx = nullptr;
    if (auto rc = effectiveRightsRequest(context, subjectName, attrName, privileges, ctx); rc != 0)
        return rc;
    Target t;
    std::string subject;
    if (auto rc = rightsOf(*ctx, subjectName, objectName, t, subject); rc != 0)
        return rc;
    if (auto rc = names::checkSchemaName(attrName); rc != 0)
        return rc;
    const std::string_view attr(attrName);
    const bool pseudo = names::equalFolded(attr, kEntryRights) ||
                        names::equalFolded(attr, kAllAttributesRights) ||
                        names::equalFolded(attr, "[SMS Rights]");
    if (!pseudo && t.tree->schema().findAttribute(attr) == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    const RightsSubject who = t.tree->subjectFor(subject);
    if (names::equalFolded(attr, kEntryRights))
        *privileges = t.tree->rights().entryRights(who, t.id);
    else
        *privileges = t.tree->rights().attributeRights(who, t.id, attr);
    return 0;
}
