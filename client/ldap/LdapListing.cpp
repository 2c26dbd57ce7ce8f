// Listing a container over LDAP: one paged one-level search that also brings the attribute
// names of every listed object, handed to the caller buffer by buffer as the entries arrive,
// so that the caller works on the first objects while the server still sends the rest.
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "client/common/ValueText.h"
#include "directory/ResultCodes.h"

using ldapreads::derefOf;
using ldapreads::withInfo;

namespace {
// Entries taken from the connection at a time: about what one reply buffer holds, so that
// each pass hands over what has arrived rather than reading on while more keeps coming.
constexpr std::size_t kMostPerTake = 64;

// The parts of a listed entry's DN up to its own: the one before the first unescaped ",",
// as the rest is the container's, already known.
bool splitOwnPart(std::string_view dn, std::vector<valuetext::DnComponent>& parts) {
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] == '\\') {
            ++i;
        } else if (dn[i] == ',') {
            if (valuetext::splitDn(dn.substr(0, i), parts) && !parts.empty())
                return true;
            break; // quoted, or otherwise not where it seemed: the whole DN decides
        }
    }
    return valuetext::splitDn(dn, parts) && !parts.empty();
}
// A name component that reads back as itself after "." and a container's name: letters,
// digits, "-", "_" and inner spaces, nothing a dotted name escapes or drops.
bool plainComponent(std::string_view value) {
    if (value.empty() || value.size() > MAX_RDN_CHARS || value.front() == ' ' ||
        value.back() == ' ')
        return false;
    for (char c : value) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ' ';
        if (!plain)
            return false;
    }
    return true;
}
} // namespace

std::size_t LdapDirectory::openSearches() const {
    std::size_t n = 0;
    for (const auto& t : trees_)
        n += t->session ? t->session->openStreams() : 0;
    return n;
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
        ObjectData d = dataOf(tree, std::move(e), false);
        if (!(d.info.objectFlags & 0x01))
            tree.listedNames[names::fold(d.dn)] = d.attributes;
        out.objects.push_back(std::move(d));
    }
    return 0;
}

NWDSCCODE LdapDirectory::startListing(const ContextState& ctx, Pending& out) {
    // Values travel only for what the object information needs.
    LdapSearchStream::Request request;
    request.base = out.dn;
    request.scope = 1;
    request.filter = "(objectClass=*)";
    request.attributes = withInfo({"*"});
    request.deref = derefOf(ctx);
    request.valuesOf = withInfo({"objectClass"});
    out.stream = std::make_unique<LdapSearchStream>(*out.tree->session, std::move(request));
    if (auto rc = out.stream->start(); rc != 0) {
        lastFailure_ = out.stream->failure();
        out.stream.reset();
        return rc;
    }
    return 0;
}

void LdapDirectory::admitListed(Pending& state, LdapEntry&& e) {
    Tree& tree = *state.tree;
    std::vector<valuetext::DnComponent> parts;
    if (!splitOwnPart(e.dn, parts))
        return;
    if (!state.memo)
        state.memo = std::make_unique<ListingMemo>();
    ObjectData d = dataOf(tree, std::move(e), false, false, state.memo.get());
    // Below a canonical container: the object's DN is its own part and that.
    const auto& own = parts.front();
    d.dn = own.type + "=" + valuetext::escapeDnValue(own.value) + "," + state.dn;
    rememberNaming(tree, state.dn, own.value, own.type);
    d.ownName = names::escapeComponent(own.value);
    if (state.typed)
        d.ownName = tagOf(tree, own.type) + "=" + d.ownName;
    if (tree.listedNames.size() > 100000)
        tree.listedNames.clear();
    if (!(d.info.objectFlags & 0x01)) { // an alias is read through to its object
        tree.listedNames[names::fold(d.dn)] = d.attributes;
        // Its full name then resolves to this DN without being taken apart again.
        if (!state.containerName.empty() && !state.typed &&
            tree.listedByName.context == state.context && plainComponent(own.value) &&
            own.value.size() + 1 + state.containerName.size() <= MAX_DN_CHARS)
            tree.listedByName.dns[own.value + "." + state.containerName] = d.dn;
    }
    state.objects.push_back(std::move(d));
}

NWDSCCODE LdapDirectory::fillObjects(Pending& state, Buf_T& out, bool& done) {
    Tree& tree = *state.tree;
    beginReply(out, ReplyKind::Objects, false);
    ReplyWriter reply(out);
    std::vector<LdapEntry> arrived;
    bool full = false;
    while (!full) {
        for (; state.position < state.objects.size(); ++state.position) {
            ObjectData& o = state.objects[state.position];
            // A listed object goes by its own name, the leftmost component.
            const std::string own =
                o.ownName.empty() ? nameOfDn(tree, o.dn, state.typed) : o.ownName;
            if (!reply.addObject(own, o.info)) {
                full = true;
                break;
            }
        }
        if (full || !state.stream || state.stream->finished())
            break;
        // Handed over: what has arrived since, waiting only while the buffer holds nothing.
        state.objects.clear();
        state.position = 0;
        arrived.clear();
        if (auto rc = state.stream->take(arrived, reply.count() == 0, kMostPerTake); rc != 0) {
            lastFailure_ = state.stream->failure();
            return rc;
        }
        if (arrived.empty() && reply.count() > 0)
            break;
        for (auto& e : arrived)
            admitListed(state, std::move(e));
    }
    reply.finish();
    done = state.position >= state.objects.size() && (!state.stream || state.stream->finished());
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
    if (auto rc = pending_.claim(*iterationHandle, Pending::List, context, pending); rc != 0)
        return rc;
    Pending fresh;
    if (pending == nullptr) {
        Tree* tree = nullptr;
        if (auto rc = treeOf(*ctx, tree); rc != 0)
            return rc;
        std::string dn;
        if (auto rc = resolve(*ctx, *tree, objectName, dn); rc != 0)
            return rc;
        // A new listing in a context ends the listings it left unfinished there: their
        // searches are abandoned rather than left running on the server.
        pending_.forgetIf([context](const Pending& p) {
            return p.kind == Pending::List && p.context == context && p.stream;
        });
        fresh.kind = Pending::List;
        fresh.context = context;
        fresh.tree = tree;
        fresh.typed = (ctx->flags & DCV_TYPELESS_NAMES) == 0;
        fresh.dn = dn;
        if (!dn.empty()) {
            tree->listedByName = {context, ctx->flags, ctx->nameContext, {}};
            const std::string_view given = objectName;
            if (!given.empty() && given.front() != '.')
                fresh.containerName = given;
        }
        const NWDSCCODE rc = dn.empty() ? listRoot(*tree, fresh) : startListing(*ctx, fresh);
        if (rc != 0)
            return rc;
        pending = &fresh;
    }
    bool done = false;
    if (auto rc = fillObjects(*pending, *out, done); rc != 0) {
        // A failure met half way ends the listing; nothing of it stays behind.
        if (pending != &fresh)
            pending_.finish(*iterationHandle);
        return rc;
    }
    pending_.finishPass(done, *pending, iterationHandle);
    return 0;
}

const std::string* LdapDirectory::listedDnOf(const ContextState& ctx, NWDSContextHandle context,
                                             Tree& tree, const char* name) const {
    const Tree::ListedByName& listed = tree.listedByName;
    if (name == nullptr || listed.dns.empty() || listed.context != context ||
        listed.flags != ctx.flags || listed.nameContext != ctx.nameContext)
        return nullptr;
    auto it = listed.dns.find(name);
    return it == listed.dns.end() ? nullptr : &it->second;
}
