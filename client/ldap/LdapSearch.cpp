// Searching over LDAP: the filter tokens as an RFC 4515 filter, one (paged) search of the
// scope asked for, and the objects found with their attributes over as many passes as the
// replies take.
#include "FilterText.h"
#include "LdapDirectory.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/ValueWire.h"
#include "client/common/Wire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>

namespace {

const std::vector<std::string> kInfoAttributes = {"objectClass", "structuralObjectClass",
                                                  "modifyTimestamp", "hasSubordinates"};

// Objects replies whose objects carry attributes: each add writes a whole item or leaves the
// buffer as it was.
class ObjectReply {
public:
    explicit ObjectReply(Buf_T& b) : b_(b), out_(b.data.data(), b.capacity, b.length) {}
    bool beginObject(std::string_view name, const Object_Info_T& info) {
        objectStart_ = out_.used();
        out_.str(name);
        out_.u32(info.objectFlags);
        out_.u32(info.subordinateCount);
        out_.u32(info.modificationTime);
        out_.str(std::string_view(info.baseClass, strnlen(info.baseClass, sizeof info.baseClass)));
        attrCountAt_ = out_.used();
        out_.u32(0);
        attrs_ = 0;
        if (!out_.ok()) {
            out_.rollback(objectStart_);
            return false;
        }
        ++count_;
        return true;
    }
    bool beginAttribute(std::string_view name, std::uint32_t syntax) {
        attrStart_ = out_.used();
        out_.str(name);
        out_.u32(syntax);
        valueCountAt_ = out_.used();
        out_.u32(0);
        values_ = 0;
        if (!out_.ok()) {
            out_.rollback(attrStart_);
            return false;
        }
        out_.patchU32(attrCountAt_, ++attrs_);
        return true;
    }
    bool addValue(std::string_view v) {
        const std::size_t mark = out_.used();
        out_.str(v);
        if (!out_.ok()) {
            out_.rollback(mark);
            return false;
        }
        out_.patchU32(valueCountAt_, ++values_);
        return true;
    }
    void dropAttribute() {
        out_.rollback(attrStart_);
        out_.patchU32(attrCountAt_, --attrs_);
        values_ = 0;
    }
    void dropObject() {
        out_.rollback(objectStart_);
        --count_;
    }
    std::uint32_t count() const { return count_; }
    std::uint32_t attributes() const { return attrs_; }
    std::uint32_t values() const { return values_; }
    void finish() {
        out_.patchU32(0, count_);
        b_.length = std::uint32_t(out_.used());
    }

private:
    Buf_T& b_;
    wire::Writer out_;
    std::uint32_t count_ = 0, attrs_ = 0, values_ = 0;
    std::size_t objectStart_ = 0, attrStart_ = 0, attrCountAt_ = 0, valueCountAt_ = 0;
};

} // namespace

NWDSCCODE LdapDirectory::startSearch(const ContextState& ctx, const SearchRequest& asked,
                                     Pending& out) {
    Tree* tree = nullptr;
    if (auto rc = treeOf(ctx, tree); rc != 0)
        return rc;
    std::string base;
    if (auto rc = resolve(ctx, *tree, asked.baseObjectName, base); rc != 0)
        return rc;
    const Schema& schema = *tree->schema;

    std::string text = "(objectClass=*)";
    if (asked.filter != nullptr) {
        Buf_T* filter = nullptr;
        if (auto rc = findBuffer(asked.filter, filter); rc != 0)
            return rc;
        std::vector<FilterToken> tokens;
        if (auto rc = ldapfilter::decode(*filter, tokens); rc != 0)
            return rc;
        LdapValueNames valueNames(schema,
                                  [&](std::string_view dotted) -> std::optional<std::string> {
                                      std::string dn;
                                      const std::string name(dotted);
                                      if (resolve(ctx, *tree, name.c_str(), dn) != 0)
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
        directory.namingTypes = tree->namingTypes;
        if (auto rc = ldapfilter::translate(tokens, directory, text); rc != 0)
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
    auto collect = [&](LdapEntry&& e) {
        if (!acceptFound(e.dn, searchBase, searchScope, parts, seen))
            return true;
        ObjectData d = dataOf(*tree, std::move(e), true);
        ObjectData kept;
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
            ObjectData ordered;
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
        for (const auto& b : tree->bases)
            searches.emplace_back(b, asked.scope == DS_SEARCH_SUBTREE ? 2 : 0);
    refused_.clear();
    out.kind = Pending::Search;
    for (const auto& [dn, s] : searches) {
        // Aliases read through during the search bring their objects from anywhere.
        searchScope = deref == LdapSession::Deref::Always ? -1 : s;
        if (!valuetext::splitDn(dn, searchBase))
            searchBase.clear();
        NWDSCCODE rc = tree->session->search(dn, s, text, attributes, false, deref, collect);
        refused_.add(RefusedAnswers::Undecodable, tree->session->lastSearchSkipped().undecodable);
        refused_.add(RefusedAnswers::Reference, tree->session->lastSearchSkipped().references);
        if (rc == ERR_NO_SUCH_ENTRY && base.empty())
            continue;
        if (rc != 0) {
            fail(*tree);
            if (out.objects.empty())
                return rc;
            // What arrived goes out first; the pass after it tells the failure.
            out.ended = rc;
            out.endedBecause = lastFailure_;
            break;
        }
    }
    out.tree = tree;
    out.infoType = asked.infoType;
    out.typed = (ctx.flags & DCV_TYPELESS_NAMES) == 0;
    return 0;
}

NWDSCCODE LdapDirectory::fillSearch(Pending& s, Buf_T& out, std::int32_t countObjectsToSearch,
                                    std::int32_t& searched, bool& done) {
    Tree& tree = *s.tree;
    if (s.ended != 0 && s.position >= s.objects.size()) {
        lastFailure_ = s.endedBecause;
        return s.ended;
    }
    const bool values = s.infoType == DS_ATTRIBUTE_VALUES;
    beginReply(out, ReplyKind::Objects, values);
    ObjectReply reply(out);
    LdapValueNames valueNames(*tree.schema, nullptr);
    std::string wireValue;
    searched = 0;
    for (; s.position < s.objects.size(); ++s.position) {
        if (countObjectsToSearch > 0 && searched >= countObjectsToSearch && s.attrPosition == 0)
            break;
        const ObjectData& o = s.objects[s.position];
        const bool first = reply.count() == 0;
        if (!reply.beginObject(nameOfDn(tree, o.dn, s.typed), o.info)) {
            if (first)
                return ERR_INSUFFICIENT_BUFFER;
            break;
        }
        if (s.attrPosition == 0 && s.valuePosition == 0)
            ++searched;
        bool full = false;
        for (; s.attrPosition < o.attributes.size() && !full; ++s.attrPosition) {
            const AttributeDefinition& def = *o.attributes[s.attrPosition];
            const std::size_t firstValue = s.valuePosition;
            if (!reply.beginAttribute(def.name, def.syntax)) {
                full = true;
                break;
            }
            if (!values)
                continue;
            const auto& texts = o.values[s.attrPosition];
            for (; s.valuePosition < texts.size(); ++s.valuePosition) {
                if (valuetext::parse(def.syntax, texts[s.valuePosition], valueNames, wireValue) !=
                    0)
                    continue;
                if (def.syntax == SYN_STREAM)
                    wireValue = wire::u32Value(std::uint32_t(wireValue.size()));
                if (!reply.addValue(wireValue)) {
                    full = true;
                    break;
                }
            }
            if (!full) {
                if (reply.values() == 0)
                    reply.dropAttribute();
                s.valuePosition = 0;
                continue;
            }
            if (reply.values() == 0 || reply.attributes() > 1) {
                reply.dropAttribute();
                s.valuePosition = firstValue;
            }
            break;
        }
        if (!full) {
            s.attrPosition = 0;
            continue;
        }
        // Full inside this object: the first object of a reply keeps what fitted and goes on
        // in the next pass; any other goes whole into the next pass.
        if (!first) {
            reply.dropObject();
            s.attrPosition = s.valuePosition = 0;
        } else if (reply.attributes() == 0) {
            return ERR_INSUFFICIENT_BUFFER;
        }
        break;
    }
    reply.finish();
    done = s.position >= s.objects.size() && s.ended == 0;
    return 0;
}

bool LdapDirectory::acceptFound(std::string_view dn,
                                const std::vector<valuetext::DnComponent>& base, int scope,
                                std::vector<valuetext::DnComponent>& parts,
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
        else if (!seen.insert(std::hash<std::string>{}(names::fold(dn))).second)
            why = RefusedAnswers::Twice;
    }
    if (why == Reason::kReasons)
        return true;
    refused_.refuse(why, dn);
    return false;
}
