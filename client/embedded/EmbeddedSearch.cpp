// Searching a tree: the objects below a base object that meet a filter, each with the
// attributes asked for, over as many passes as the results take.
#include "EmbeddedDirectory.h"
#include "FilterEvaluation.h"
#include "client/common/ReplyWriter.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <unordered_set>

// What a search keeps between its passes.
struct EmbeddedSearchState {
    search::CompiledFilter filter;
    std::vector<EntryId> candidates; // the objects in scope, in the order they are examined
    std::size_t next = 0;            // the candidate examined next
    std::uint32_t infoType = DS_ATTRIBUTE_NAMES;
    bool allAttrs = true;
    bool typedNames = false;
    std::vector<const AttributeDefinition*> wanted; // when not all attributes

    // The found object a pass ended inside: the attributes it returns and how far they got.
    bool inObject = false;
    EntryId object = kRootEntry;
    std::vector<const AttributeDefinition*> attributes;
    std::size_t attribute = 0;
    std::size_t value = 0;
};

namespace {

constexpr std::string_view kAliasedObjectName = "Aliased Object Name";

// The objects a search of `scope` from `base` examines, parents before their subordinates.
// With `derefAliases` an alias stands for the object it names (and, in a subtree search,
// that object's subtree); nothing is examined twice.
std::vector<EntryId> objectsInScope(DirectoryModel& tree, EntryId base, std::int32_t scope,
                                    bool derefAliases) {
    const ObjectStore& store = tree.objects();
    const AttributeDefinition* aliased = tree.schema().findAttribute(kAliasedObjectName);
    std::unordered_set<EntryId> seen;
    auto target = [&](EntryId id) -> std::optional<EntryId> {
        const Entry* e = store.get(id);
        if (e == nullptr || !e->live)
            return std::nullopt;
        if (!derefAliases || !tree.isAliasClass(e->baseClass))
            return id;
        const AttributeValues* v = aliased == nullptr ? nullptr : e->find(aliased);
        if (v == nullptr || v->values.empty())
            return std::nullopt;
        return tree.find(v->values.front());
    };
    auto firstVisit = [&](EntryId id) { return !derefAliases || seen.insert(id).second; };

    std::vector<EntryId> out;
    if (scope == DS_SEARCH_ENTRY) {
        out.push_back(base);
        return out;
    }
    // Depth first with an explicit stack, subordinates in the order they were added.
    std::vector<std::pair<EntryId, bool>> stack; // the object, and whether to descend
    const Entry* root = store.get(base);
    if (scope == DS_SEARCH_SUBTREE) {
        stack.emplace_back(base, true);
    } else if (root != nullptr) {
        for (auto it = root->children.rbegin(); it != root->children.rend(); ++it)
            stack.emplace_back(*it, false);
    }
    while (!stack.empty()) {
        const auto [id, descend] = stack.back();
        stack.pop_back();
        const auto found = target(id);
        if (!found || !firstVisit(*found))
            continue;
        out.push_back(*found);
        const Entry* e = descend ? store.get(*found) : nullptr;
        if (e == nullptr)
            continue;
        for (auto it = e->children.rbegin(); it != e->children.rend(); ++it)
            stack.emplace_back(*it, true);
    }
    return out;
}

} // namespace

NWDSCCODE EmbeddedDirectory::startSearch(const ContextState& ctx, const SearchRequest& asked,
                                         Pending& out) {
    Target base;
    if (auto rc = resolve(ctx, asked.baseObjectName, true, base); rc != 0)
        return rc;

    auto state = std::make_shared<EmbeddedSearchState>();
    const Schema& schema = base.tree->schema();
    if (asked.filter != nullptr) { // no filter: every object in scope
        std::vector<FilterToken> tokens;
        if (auto rc = filterRequest(asked.filter, tokens); rc != 0)
            return rc;
        if (auto rc = search::compile(tokens, schema, ctx.nameContext, state->filter); rc != 0)
            return rc;
    }
    state->infoType = asked.infoType;
    state->allAttrs = asked.allAttrs;
    state->typedNames = (ctx.flags & DCV_TYPELESS_NAMES) == 0;
    for (const auto& name : asked.wanted) {
        const AttributeDefinition* def = schema.findAttribute(name);
        if (def != nullptr &&
            std::find(state->wanted.begin(), state->wanted.end(), def) == state->wanted.end())
            state->wanted.push_back(def);
    }
    state->candidates = objectsInScope(*base.tree, base.id, asked.scope, asked.searchAliases);

    out.tree = base.tree;
    out.entry = base.id;
    out.infoType = asked.infoType;
    out.search = std::move(state);
    return 0;
}

NWDSCCODE EmbeddedDirectory::fillSearch(Pending& pending, Buf_T& out,
                                        std::int32_t countObjectsToSearch, std::int32_t& searched,
                                        bool& done) {
    EmbeddedSearchState& s = *pending.search;
    DirectoryModel& tree = *pending.tree;
    const ObjectStore& store = tree.objects();
    const Schema& schema = tree.schema();
    const bool values = s.infoType == DS_ATTRIBUTE_VALUES;
    const search::CompareAccess mayCompare = [&](EntryId id, const AttributeDefinition& def) {
        if (def.flags & DS_PUBLIC_READ)
            return true;
        return (tree.rights().attributeRights(identitySubject(tree), id, def.name) &
                DS_ATTR_COMPARE) != 0;
    };
    // The attributes a found object returns: those asked for that it holds, without hidden
    // ones, and, when values are returned, only those the caller may read.
    auto attributesOf = [&](const Entry& e) {
        std::vector<const AttributeDefinition*> list;
        auto consider = [&](const AttributeDefinition* def) {
            const AttributeValues* a = e.find(def);
            if (a == nullptr || a->values.empty() || (def->flags & DS_HIDDEN_ATTR))
                return;
            if (values && !canRead(tree, e.id, *def))
                return;
            list.push_back(def);
        };
        if (s.allAttrs) {
            for (const auto& a : e.attributes)
                consider(a.def);
        } else {
            for (const AttributeDefinition* def : s.wanted)
                consider(def);
        }
        return list;
    };

    beginReply(out, ReplyKind::Objects, values);
    ReplyWriter reply(out);
    searched = 0;
    for (;;) {
        if (!s.inObject) {
            if (s.next >= s.candidates.size())
                break;
            if (countObjectsToSearch > 0 && searched >= countObjectsToSearch)
                break;
            const EntryId id = s.candidates[s.next++];
            ++searched;
            const Entry* e = store.get(id);
            if (e == nullptr || !e->live || !canBrowse(tree, id) ||
                !search::matches(s.filter, schema, *e, mayCompare))
                continue;
            s.inObject = true;
            s.object = id;
            s.attributes = attributesOf(*e);
            s.attribute = s.value = 0;
        }
        const Entry* e = store.get(s.object);
        if (e == nullptr || !e->live) { // removed between two passes
            s.inObject = false;
            continue;
        }
        const bool firstInReply = reply.count() == 0;
        if (!reply.beginObject(store.fullName(e->id, s.typedNames), objectInfoOf(tree, *e))) {
            if (firstInReply)
                return ERR_INSUFFICIENT_BUFFER;
            break;
        }
        // An attribute removed between two passes is passed over.
        const auto held = [&](std::size_t i) -> const AttributeDefinition* {
            const AttributeValues* a = e->find(s.attributes[i]);
            return a == nullptr || a->values.empty() ? nullptr : s.attributes[i];
        };
        const auto fit = reply.addObjectAttributes(
            firstInReply, values, s.attributes.size(), s.attribute, s.value, held,
            [&](std::size_t, const AttributeDefinition& def, std::size_t& next) {
                return reply.addValues(def.syntax, e->find(&def)->values, next);
            });
        if (fit == ReplyWriter::ObjectFit::Whole) {
            s.inObject = false;
            continue;
        }
        if (fit == ReplyWriter::ObjectFit::TooLarge)
            return ERR_INSUFFICIENT_BUFFER;
        break;
    }
    reply.finish();
    done = !s.inObject && s.next >= s.candidates.size();
    return 0;
}
