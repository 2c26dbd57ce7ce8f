// Listing a container over LDAP: one paged one-level search that also brings the attribute
// names of every listed object, handed to the caller buffer by buffer as the entries arrive,
// so that the caller works on the first objects while the server still sends the rest.
#include "LdapListing.h"

#include "LdapNaming.h"
#include "LdapOutcome.h"
#include "LdapPending.h"
#include "LdapTree.h"
#include "client/common/BufferedClient.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "client/common/ValueText.h"
#include "directory/ResultCodes.h"

using ldapreads::derefOf;
using ldapreads::withInfo;

namespace {
// Names the listing had already, one after another, that end it: a server going round in a
// circle, giving the same pages again.
constexpr std::size_t kMostRepeatsInRow = 10000;

// Entries taken from the connection at a time: about what one reply buffer holds, so that
// each pass hands over what has arrived rather than reading on while more keeps coming.
constexpr std::size_t kMostPerTake = 64;

// The parts of a listed entry's DN up to its own: the one before the first unescaped ",",
// as the rest is the container's, already known. A part plainly "type=value" (letters, digits
// and "-", "_" in the value) is taken as it stands (`simple`); any other is read by the DN rules.
bool splitOwnPart(std::string_view dn, std::vector<valuetext::DnComponent>& parts, bool& simple) {
    simple = false;
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t equals = 0;
    while (equals < dn.size() && (letter(dn[equals]) || digit(dn[equals]) || dn[equals] == '-'))
        ++equals;
    if (equals > 0 && letter(dn[0]) && equals < dn.size() && dn[equals] == '=') {
        std::size_t end = equals + 1;
        while (end < dn.size() &&
               (letter(dn[end]) || digit(dn[end]) || dn[end] == '-' || dn[end] == '_'))
            ++end;
        if (end > equals + 1 && end < dn.size() && dn[end] == ',') {
            parts.resize(1);
            parts[0].type.assign(dn.substr(0, equals));
            parts[0].value.assign(dn.substr(equals + 1, end - equals - 1));
            simple = true;
            return true;
        }
    }
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
// Whether an own name alone, read relative to the name context, names the listed object:
// the name context names the container as the listing's name did (`from`, its components),
// and no top object is named by an own name and those components, which would be taken first.
bool ownNamesAloneFor(const ContextState& ctx, const std::vector<std::vector<std::string>>& bases,
                      const std::vector<std::string>& from) {
    names::ParsedName context;
    if (from.empty() || ctx.nameContext.empty() || ctx.nameContext == ROOT_NAME ||
        names::parse(ctx.nameContext, context) != 0 || context.root ||
        !std::equal(
            context.components.begin(), context.components.end(), from.begin(), from.end(),
            [](const std::string& a, const std::string& b) { return names::equalFolded(a, b); }))
        return false;
    return std::none_of(bases.begin(), bases.end(), [&](const std::vector<std::string>& values) {
        return values.size() == from.size() + 1;
    });
}
// Where an entry's own part of its DN ends: at the first "," outside quotes and escapes;
// npos when the DN has no more than its own part.
std::size_t ownPartEnd(std::string_view dn) {
    bool quoted = false;
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (dn[i] == '\\')
            ++i;
        else if (dn[i] == '"')
            quoted = !quoted;
        else if (dn[i] == ',' && !quoted)
            return i;
    }
    return std::string_view::npos;
}

bool sameParts(const std::vector<valuetext::DnComponent>& a,
               const std::vector<valuetext::DnComponent>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto& x, const auto& y) {
        return names::equalFolded(x.type, y.type) && names::equalFolded(x.value, y.value);
    });
}

// A name's key among those of one listing: its type and value, letters of ASCII folded.
std::uint64_t nameKey(std::string_view type, std::string_view value) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](std::string_view text) {
        for (unsigned char c : text) {
            h ^= (c >= 'A' && c <= 'Z') ? c + 32 : c;
            h *= 1099511628211ull;
        }
    };
    mix(type);
    h ^= '=';
    h *= 1099511628211ull;
    mix(value);
    return h;
}
} // namespace

NWDSCCODE LdapListing::start(const ContextState& ctx, NWDSContextHandle context, LdapTree& tree,
                             const char* objectName, const std::string& dn,
                             const std::vector<std::string>& from, LdapPending& fresh) {
    outcome_.refused.clear();
    fresh.kind = LdapPending::List;
    fresh.context = context;
    fresh.tree = &tree;
    fresh.typed = (ctx.flags & DCV_TYPELESS_NAMES) == 0;
    fresh.dn = dn;
    if (!dn.empty()) {
        const std::string_view given = objectName;
        if (!given.empty() && given.front() != '.')
            fresh.containerName = given;
        LdapTree::ListedByName& listed = tree.listedByName;
        listed.context = context;
        listed.flags = ctx.flags;
        listed.nameContext = ctx.nameContext;
        listed.containerName = fresh.containerName;
        listed.containerDn = dn;
        listed.relative = ownNamesAloneFor(ctx, tree.baseValues, from);
        listed.objects.clear();
    }
    return dn.empty() ? listRoot(tree, fresh) : startStream(ctx, fresh);
}

NWDSCCODE LdapListing::listRoot(LdapTree& tree, LdapPending& out) {
    for (const auto& base : tree.bases) {
        LdapEntry e;
        NWDSCCODE rc = tree.session->readEntry(base, withInfo(ldapreads::allAttributes()), false,
                                               LdapSession::Deref::Never, e);
        if (rc == ERR_NO_SUCH_ENTRY)
            continue; // a naming context without its top entry
        if (rc != 0) {
            outcome_.fail(tree);
            return rc;
        }
        LdapObjectData d = ldapobjects::dataOf(tree, std::move(e), false);
        if (!(d.info.objectFlags & 0x01))
            tree.listedNames[d.dn] =
                std::make_shared<const LdapAttributeList>(std::move(d.attributes));
        out.objects.push_back(std::move(d));
    }
    return 0;
}

NWDSCCODE LdapListing::startStream(const ContextState& ctx, LdapPending& out) {
    // Values travel only for what the object information needs.
    LdapSearchStream::Request request;
    request.base = out.dn;
    request.scope = 1;
    request.filter = "(objectClass=*)";
    request.attributes = withInfo({"objectClass"});
    request.deref = derefOf(ctx);
    out.stream = std::make_unique<LdapSearchStream>(*out.tree->session, std::move(request));
    if (auto rc = out.stream->start(); rc != 0) {
        outcome_.lastFailure = out.stream->failure();
        out.stream.reset();
        return rc;
    }
    return 0;
}

void LdapListing::admit(LdapPending& state, const LdapEntryView& e) {
    LdapTree& tree = *state.tree;
    if (!state.memo)
        state.memo = std::make_unique<Memo>();
    Memo& memo = *state.memo;
    bool simple = false;
    if (e.dn.empty()) {
        outcome_.refused.refuse(RefusedAnswers::NoName);
        return;
    }
    if (!names::isUtf8(e.dn)) {
        outcome_.refused.refuse(RefusedAnswers::NotUtf8, e.dn);
        return;
    }
    if (!splitOwnPart(e.dn, memo.parts, simple) || !valuetext::wellEscapedDn(e.dn)) {
        outcome_.refused.refuse(RefusedAnswers::BadName, e.dn);
        return;
    }
    if (!accept(state, e.dn))
        return;
    LdapObjectData d;
    d.info = infoOf(tree, e, memo);
    const auto& own = memo.parts.front();
    // A plain value reads the same escaped for a DN and for a dotted name.
    const bool plain = simple ? own.value.size() <= MAX_RDN_CHARS : plainComponent(own.value);
    d.ownName = plain ? own.value : names::escapeComponent(own.value);
    if (state.typed && names::isMultiValued(own.value)) {
        d.ownName = naming_.typedComponent(tree, own.type, own.value);
    } else if (state.typed) {
        if (memo.type != own.type) {
            memo.type = own.type;
            memo.tag = naming_.tagOf(tree, own.type);
        }
        d.ownName.insert(0, memo.tag + "=");
    }
    naming_.rememberNaming(tree, state.dn, own.value, own.type, memo.key);
    if (!(d.info.objectFlags & 0x01)) { // an alias is read through to its object
        // Its name as read next gives the object's DN without a request.
        LdapTree::ListedByName& listed = tree.listedByName;
        if (!state.containerName.empty() && !state.typed && listed.context == state.context &&
            plain && own.value.size() + 1 + state.containerName.size() <= MAX_DN_CHARS) {
            if (auto it = listed.objects.find(own.value); it == listed.objects.end())
                listed.objects.emplace(own.value, LdapTree::ListedByName::Listed{own.type});
            else if (it->second.type != own.type)
                it->second.type = own.type;
        }
    }
    state.objects.push_back(std::move(d));
}

bool LdapListing::accept(LdapPending& state, std::string_view dn) {
    Memo& memo = *state.memo;
    const std::size_t end = ownPartEnd(dn);
    if (end == std::string_view::npos) {
        outcome_.refused.refuse(RefusedAnswers::NotInContainer, dn);
        return false;
    }
    // Servers give the container as it was asked for; any other spelling is read and compared.
    const std::string_view rest = dn.substr(end + 1);
    if (rest != state.dn) {
        if (memo.container.empty() && !valuetext::splitDn(state.dn, memo.container))
            memo.container.clear();
        if (!valuetext::splitDn(rest, memo.rest)) {
            outcome_.refused.refuse(RefusedAnswers::BadName, dn);
            return false;
        }
        if (memo.container.empty() || !sameParts(memo.rest, memo.container)) {
            outcome_.refused.refuse(RefusedAnswers::NotInContainer, dn);
            return false;
        }
    }
    const auto& own = memo.parts.front();
    if (!memo.seen.insert(nameKey(own.type, own.value)).second) {
        outcome_.refused.refuse(RefusedAnswers::Twice, dn);
        ++memo.repeatsInRow;
        return false;
    }
    memo.repeatsInRow = 0;
    return true;
}

void LdapListing::countPassedOver(LdapPending& state) {
    if (!state.stream)
        return;
    outcome_.refused.add(RefusedAnswers::Undecodable,
                         state.stream->undecodable() - state.undecodableSeen);
    outcome_.refused.add(RefusedAnswers::Reference,
                         state.stream->references() - state.referencesSeen);
    state.undecodableSeen = state.stream->undecodable();
    state.referencesSeen = state.stream->references();
}

NWDSCCODE LdapListing::fill(LdapPending& state, Buf_T& out, bool& done) {
    LdapTree& tree = *state.tree;
    // A search that failed half way: what arrived before the failure goes out first, and the
    // pass after it tells the failure.
    auto endedNow = [&]() {
        outcome_.lastFailure = state.endedBecause;
        return state.ended;
    };
    if (state.ended != 0 && state.position >= state.objects.size())
        return endedNow();
    BufferedClient::beginReply(out, ReplyKind::Objects, false);
    ReplyWriter reply(out);
    const auto arrived = [&](const LdapEntryView& e) { admit(state, e); };
    bool full = false;
    while (!full) {
        for (; state.position < state.objects.size(); ++state.position) {
            LdapObjectData& o = state.objects[state.position];
            // A listed object goes by its own name, the leftmost component.
            const std::string own =
                o.ownName.empty() ? naming_.nameOfDn(tree, o.dn, state.typed) : o.ownName;
            if (!reply.addObject(own, o.info)) {
                full = true;
                break;
            }
        }
        if (full || state.ended != 0 || !state.stream || state.stream->finished())
            break;
        // Handed over: what has arrived since, waiting only while the buffer holds nothing.
        state.objects.clear();
        state.position = 0;
        std::size_t taken = 0;
        const NWDSCCODE rc = state.stream->take(arrived, reply.count() == 0, kMostPerTake, taken);
        countPassedOver(state);
        if (rc == 0 && state.memo && state.memo->repeatsInRow >= kMostRepeatsInRow) {
            state.stream.reset(); // abandoned on the server
            state.ended = ERR_MAXIMUM_ENTRIES_EXIST;
            state.endedBecause = {};
            state.endedBecause.limit = {ERR_MAXIMUM_ENTRIES_EXIST,
                                        "the server sent " + std::to_string(kMostRepeatsInRow) +
                                            " entries in a row that the listing had already"};
            continue;
        }
        if (rc != 0) {
            state.ended = rc;
            state.endedBecause = state.stream->failure();
            continue; // the entries taken before it still go out
        }
        if (taken == 0 && reply.count() > 0)
            break;
    }
    if (state.ended != 0 && reply.count() == 0 && state.position >= state.objects.size())
        return endedNow();
    reply.finish();
    done = state.ended == 0 && state.position >= state.objects.size() &&
           (!state.stream || state.stream->finished());
    if (!done && reply.count() == 0)
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}
