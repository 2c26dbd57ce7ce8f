// Searching over LDAP: the filter tokens as an RFC 4515 filter, one (paged) search of the
// scope asked for, and the objects found with their attributes over as many passes as the
// replies take.
#include "LdapSearcher.h"

#include "FilterText.h"
#include "LdapNaming.h"
#include "LdapObjects.h"
#include "LdapOutcome.h"
#include "LdapPending.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/ReplyWriter.h"
#include "client/common/ValueWire.h"
#include "client/common/Wire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

const std::vector<std::string> kInfoAttributes = {"objectClass", "structuralObjectClass",
                                                  "modifyTimestamp", "hasSubordinates"};

} // namespace

NWDSCCODE LdapSearcher::filterText(const ContextState& ctx, LdapTree& tree,
                                   const std::vector<FilterToken>& tokens, std::string& text) {
    const Schema& schema = *tree.schema;
    LdapValueNames valueNames(schema, [&](std::string_view dotted) -> std::optional<std::string> {
        std::string dn;
        const std::string name(dotted);
        if (naming_.resolve(ctx, tree, name.c_str(), dn) != 0)
            return std::nullopt;
        return dn;
    });
    ldapfilter::Directory directory;
    directory.attributeName = [&](std::string_view a) -> std::optional<std::string> {
        const AttributeDefinition* def = schema.findAttribute(a);
        return def == nullptr ? std::nullopt : std::optional<std::string>(def->ldapName);
    };
    directory.baseClassFilter = [&](std::string_view c) {
        const ClassDefinition* cls = schema.findClass(c);
        if (cls == nullptr)
            return ldapfilter::baseClassFilter(c, {});
        std::vector<std::string> below;
        for (const auto& other : schema.classes()) {
            if (other.get() != cls && schema.isA(*other, cls->name))
                below.push_back(other->ldapName);
        }
        return ldapfilter::baseClassFilter(cls->ldapName, below);
    };
    directory.valueText = [&](std::uint32_t syntax, std::string_view wireValue,
                              std::string& value) {
        return valuetext::format(syntax, wireValue, valueNames, value);
    };
    directory.namingTypes = tree.namingTypes;
    return ldapfilter::translate(tokens, directory, text);
}

NWDSCCODE LdapSearcher::start(const ContextState& ctx, LdapTree& tree, const std::string& base,
                              const std::vector<FilterToken>* filter, const SearchRequest& asked,
                              LdapPending& out) {
    const Schema& schema = *tree.schema;
    std::string text = "(objectClass=*)";
    if (filter != nullptr) {
        if (auto rc = filterText(ctx, tree, *filter, text); rc != 0)
            return rc;
    }

    std::vector<std::string> attributes = kInfoAttributes;
    std::vector<const AttributeDefinition*> wanted;
    if (asked.allAttrs) {
        for (auto& a : ldapreads::allAttributes())
            attributes.push_back(std::move(a));
    } else {
        for (const auto& n : asked.wanted) {
            const AttributeDefinition* def = schema.findAttribute(n);
            if (def != nullptr && std::find(wanted.begin(), wanted.end(), def) == wanted.end()) {
                wanted.push_back(def);
                attributes.push_back(def->ldapName);
            }
        }
    }
    const LdapSession::Deref deref = asked.searchAliases               ? LdapSession::Deref::Always
                                     : (ctx.flags & DCV_DEREF_ALIASES) ? LdapSession::Deref::Finding
                                                                       : LdapSession::Deref::Never;
    const bool values = asked.infoType == DS_ATTRIBUTE_VALUES;
    // The search under way: its base in parts and its scope, for the entries it returns.
    std::vector<valuetext::DnComponent> searchBase, parts;
    int searchScope = 0;
    std::unordered_set<std::uint64_t> seen;
    std::string parent, key;
    std::vector<valuetext::DnComponent> parentParts;
    auto collect = [&](LdapEntry&& e) {
        if (!acceptFound(e.dn, searchBase, searchScope, parts, seen))
            return true;
        // Each object found can be named by its DN without asking the server (an export
        // writes every one). Entries come container by container: each container's DN is
        // written once.
        const bool sameContainer = parts.size() == parentParts.size() + 1 &&
                                   std::equal(parentParts.begin(), parentParts.end(),
                                              parts.begin() + 1, [](const auto& a, const auto& b) {
                                                  return a.type == b.type && a.value == b.value;
                                              });
        if (!sameContainer) {
            parentParts.assign(parts.begin() + 1, parts.end());
            parent.clear();
            for (std::size_t i = 1; i < parts.size(); ++i)
                parent.append(i > 1 ? "," : "")
                    .append(valuetext::rdnText(parts[i].type, parts[i].value));
        }
        naming_.rememberNaming(tree, parent, parts.front().value, parts.front().type, key);
        LdapObjectData d = ldapobjects::dataOf(tree, std::move(e), true);
        LdapObjectData kept;
        kept.dn = d.dn;
        kept.info = d.info;
        for (std::size_t i = 0; i < d.attributes.size(); ++i) {
            const bool returned = asked.allAttrs || std::find(wanted.begin(), wanted.end(),
                                                              d.attributes[i]) != wanted.end();
            if (!returned || d.values[i].empty())
                continue;
            kept.attributes.push_back(d.attributes[i]);
            kept.values.push_back(values ? std::move(d.values[i]) : std::vector<std::string>{});
        }
        if (!asked.allAttrs) { // in the order asked for
            LdapObjectData ordered;
            ordered.dn = kept.dn;
            ordered.info = kept.info;
            for (auto* def : wanted) {
                for (std::size_t i = 0; i < kept.attributes.size(); ++i) {
                    if (kept.attributes[i] == def) {
                        ordered.attributes.push_back(def);
                        ordered.values.push_back(std::move(kept.values[i]));
                    }
                }
            }
            kept = std::move(ordered);
        }
        out.objects.push_back(std::move(kept));
        return true;
    };
    // [Root] is no entry of the server: its subordinates are the bases.
    std::vector<std::pair<std::string, int>> searches;
    if (!base.empty())
        searches.emplace_back(base, asked.scope);
    else if (asked.scope != DS_SEARCH_ENTRY)
        for (const auto& b : tree.bases)
            searches.emplace_back(b, asked.scope == DS_SEARCH_SUBTREE ? 2 : 0);
    outcome_.refused.clear();
    out.kind = LdapPending::Search;
    for (const auto& [dn, s] : searches) {
        // Aliases read through during the search bring their objects from anywhere.
        searchScope = deref == LdapSession::Deref::Always ? -1 : s;
        if (!valuetext::splitDn(dn, searchBase))
            searchBase.clear();
        NWDSCCODE rc = tree.session->search(dn, s, text, attributes, false, deref, collect);
        outcome_.refused.add(RefusedAnswers::Undecodable,
                             tree.session->lastSearchSkipped().undecodable);
        outcome_.refused.add(RefusedAnswers::Reference,
                             tree.session->lastSearchSkipped().references);
        if (rc == ERR_NO_SUCH_ENTRY && base.empty())
            continue;
        if (rc != 0) {
            outcome_.fail(tree);
            if (out.objects.empty())
                return rc;
            // What arrived goes out first; the pass after it tells the failure.
            out.ended = rc;
            out.endedBecause = outcome_.lastFailure;
            break;
        }
    }
    out.tree = &tree;
    out.infoType = asked.infoType;
    out.typed = (ctx.flags & DCV_TYPELESS_NAMES) == 0;
    return 0;
}

NWDSCCODE LdapSearcher::fill(LdapPending& s, Buf_T& out, std::int32_t countObjectsToSearch,
                             std::int32_t& searched, bool& done) {
    LdapTree& tree = *s.tree;
    if (s.ended != 0 && s.position >= s.objects.size()) {
        outcome_.lastFailure = s.endedBecause;
        return s.ended;
    }
    const bool values = s.infoType == DS_ATTRIBUTE_VALUES;
    BufferedClient::beginReply(out, ReplyKind::Objects, values);
    ReplyWriter reply(out);
    LdapValueNames valueNames(*tree.schema, nullptr);
    std::string wireValue;
    searched = 0;
    tree.lastReplyNames.clear();
    for (; s.position < s.objects.size(); ++s.position) {
        if (countObjectsToSearch > 0 && searched >= countObjectsToSearch && s.attrPosition == 0)
            break;
        const LdapObjectData& o = s.objects[s.position];
        const bool first = reply.count() == 0;
        std::string name = naming_.nameOfDn(tree, o.dn, s.typed);
        if (!reply.beginObject(name, o.info)) {
            if (first)
                return ERR_INSUFFICIENT_BUFFER;
            break;
        }
        if (s.attrPosition == 0 && s.valuePosition == 0)
            ++searched;
        tree.lastReplyNames.emplace_back(std::move(name), o.dn);
        // An attribute none of whose values the client can show is dropped again.
        const auto fit = reply.addObjectAttributes(
            first, values, o.attributes.size(), s.attrPosition, s.valuePosition,
            [&](std::size_t i) { return o.attributes[i]; },
            [&](std::size_t i, const AttributeDefinition& def, std::size_t& next) {
                if (!ldapobjects::addTextValues(reply, def, o.values[i], next, valueNames,
                                                wireValue))
                    return false;
                if (reply.valuesInAttribute() == 0)
                    reply.dropObjectAttribute();
                return true;
            });
        if (fit == ReplyWriter::ObjectFit::Whole) {
            s.attrPosition = 0;
            continue;
        }
        if (fit == ReplyWriter::ObjectFit::TooLarge)
            return ERR_INSUFFICIENT_BUFFER;
        break;
    }
    reply.finish();
    done = s.position >= s.objects.size() && s.ended == 0;
    return 0;
}

bool LdapSearcher::acceptFound(std::string_view dn, const std::vector<valuetext::DnComponent>& base,
                               int scope, std::vector<valuetext::DnComponent>& parts,
                               std::unordered_set<std::uint64_t>& seen) {
    using Reason = RefusedAnswers::Reason;
    Reason why = Reason::kReasons;
    if (dn.empty())
        why = RefusedAnswers::NoName;
    else if (!names::isUtf8(dn))
        why = RefusedAnswers::NotUtf8;
    else if (!valuetext::splitDn(dn, parts) || !valuetext::wellEscapedDn(dn))
        why = RefusedAnswers::BadName;
    else {
        const bool deepEnough = scope < 0    ? parts.size() >= base.size()
                                : scope == 0 ? parts.size() == base.size()
                                : scope == 1 ? parts.size() == base.size() + 1
                                             : parts.size() >= base.size();
        const bool below =
            scope < 0 || (deepEnough && std::equal(base.begin(), base.end(),
                                                   parts.end() - std::ptrdiff_t(base.size()),
                                                   [](const auto& x, const auto& y) {
                                                       return names::equalFolded(x.type, y.type) &&
                                                              names::equalFolded(x.value, y.value);
                                                   }));
        if (!below)
            why = RefusedAnswers::OutsideBase;
        else if (!seen.insert(ldapnames::FoldedHash{}(dn)).second)
            why = RefusedAnswers::Twice;
    }
    if (why == Reason::kReasons)
        return true;
    outcome_.refused.refuse(why, dn);
    return false;
}
