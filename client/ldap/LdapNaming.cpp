// Names over LDAP: dotted names and DNs both ways, and what the client learns of a tree's
// names.
#include "LdapNaming.h"

#include "FilterText.h"
#include "LdapOutcome.h"
#include "LdapTree.h"
#include "LdapValueNames.h"
#include "client/common/Names.h"
#include "client/common/ValueText.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <memory>

namespace ldapnames {

std::string canonicalDn(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts))
        return std::string(dn);
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += ',';
        out += valuetext::rdnText(p.type, p.value);
    }
    return out;
}

std::string parentDn(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.size() < 2)
        return {};
    std::string out;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (!out.empty())
            out += ',';
        out += valuetext::rdnText(parts[i].type, parts[i].value);
    }
    return out;
}

} // namespace ldapnames

namespace {

// The key of Tree::childType, written into `key` (room reused from call to call).
const std::string& childKey(std::string& key, std::string_view parent, std::string_view value) {
    key.assign(parent).append(1, '\n').append(value);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return key;
}

} // namespace

void LdapNaming::rememberNaming(LdapTree& tree, std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return;
    rememberNaming(tree, ldapnames::parentDn(dn), parts.front().value, parts.front().type);
}

void LdapNaming::rememberNaming(LdapTree& tree, std::string_view parentDn, std::string_view value,
                                std::string_view type) {
    std::string key;
    rememberNaming(tree, parentDn, value, type, key);
}

void LdapNaming::rememberNaming(LdapTree& tree, std::string_view parentDn, std::string_view value,
                                std::string_view type, std::string& key) {
    auto it = tree.childType.find(childKey(key, parentDn, value));
    if (it == tree.childType.end())
        tree.childType.emplace(key, type);
    else if (it->second != type)
        it->second = type;
}

void LdapNaming::hintNaming(LdapTree& tree, std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts))
        return;
    std::string parent, key;
    for (std::size_t i = parts.size(); i-- > 0;) {
        childKey(key, parent, parts[i].value);
        if (!tree.childType.count(key))
            tree.hintedType.emplace(key, parts[i].type);
        const std::string rdn = valuetext::rdnText(parts[i].type, parts[i].value);
        parent = parent.empty() ? rdn : rdn + "," + parent;
    }
}

NWDSCCODE LdapNaming::dnOfComponents(LdapTree& tree, const std::vector<std::string>& components,
                                     std::string& dn, bool hinted) {
    const std::size_t n = components.size();
    std::size_t best = tree.bases.size(), covered = 0;
    // A top object by its one component ("example\.com"), or written out RDN by RDN
    // ("example.com"), the longest match first.
    for (const auto* forms : {&tree.baseValues, &tree.baseRdnValues}) {
        for (std::size_t b = 0; b < tree.bases.size() && best == tree.bases.size(); ++b) {
            const auto& values = (*forms)[b];
            const std::size_t k = values.size();
            if (k == 0 || k > n || k <= covered)
                continue;
            bool match = true;
            for (std::size_t i = 0; i < k && match; ++i)
                match = names::equalFolded(components[n - k + i], values[i]);
            if (match) {
                best = b;
                covered = k;
            }
        }
    }
    if (best == tree.bases.size())
        return ERR_NO_SUCH_ENTRY;
    dn = tree.bases[best];
    std::string key;
    for (std::size_t i = n - covered; i-- > 0;) {
        const std::string& value = components[i];
        auto it = tree.childType.find(childKey(key, dn, value));
        const std::string* type = it == tree.childType.end() ? nullptr : &it->second;
        if (type == nullptr) {
            // Not seen yet: ask the server which of the naming attributes names it (any
            // value of a multi-valued one; its whole RDN is remembered from the answer).
            std::string filter = "(|";
            for (const auto& v : names::valuesOf(value)) {
                for (const auto& naming : tree.namingTypes)
                    filter += "(" + naming + "=" + ldapfilter::escapeValue(v) + ")";
            }
            filter += ")";
            NWDSCCODE rc = tree.session->search(dn, 1, filter, {"1.1"}, true,
                                                LdapSession::Deref::Never, [&](LdapEntry&& e) {
                                                    rememberNaming(tree, e.dn);
                                                    return true;
                                                });
            if (rc != 0 && !(hinted && rc == ERR_NO_SUCH_ENTRY)) {
                outcome_.fail(tree);
                return rc;
            }
            it = tree.childType.find(childKey(key, dn, value));
            if (it != tree.childType.end()) {
                type = &it->second;
            } else if (hinted) {
                auto hint = tree.hintedType.find(key);
                if (hint != tree.hintedType.end())
                    type = &hint->second;
            }
            if (type == nullptr)
                return ERR_NO_SUCH_ENTRY;
        }
        dn.insert(0, valuetext::rdnText(*type, value) + ",");
    }
    return 0;
}

NWDSCCODE LdapNaming::resolve(const ContextState& ctx, LdapTree& tree, const char* name,
                              std::string& dn, std::vector<std::string>* from) {
    names::ParsedName parsed;
    if (auto rc = names::parse(name, parsed); rc != 0)
        return rc;
    if (parsed.root) {
        dn.clear();
        return 0;
    }
    const bool canonicalize = (ctx.flags & DCV_CANONICALIZE_NAMES) != 0;
    // The name with the name context after it, when the name is relative to one; only made
    // when it is tried (every object of a listing is resolved once for its names read).
    std::vector<std::string> withContext;
    auto relativeTry = [&]() -> const std::vector<std::string>* {
        names::ParsedName context;
        if (parsed.leadingDot || ctx.nameContext.empty() || ctx.nameContext == ROOT_NAME ||
            names::parse(ctx.nameContext, context) != 0 || context.root)
            return nullptr;
        withContext.reserve(parsed.components.size() + context.components.size());
        withContext = parsed.components;
        withContext.insert(withContext.end(), context.components.begin(), context.components.end());
        return &withContext;
    };
    auto named = [&](const std::vector<std::string>& components) {
        const NWDSCCODE rc = dnOfComponents(tree, components, dn);
        if (rc == 0 && from != nullptr)
            *from = components;
        return rc;
    };
    if (!canonicalize) {
        NWDSCCODE rc = named(parsed.components);
        if (rc != ERR_NO_SUCH_ENTRY)
            return rc;
        const auto* relative = relativeTry();
        return relative != nullptr ? named(*relative) : rc;
    }
    if (const auto* relative = relativeTry()) {
        NWDSCCODE rc = named(*relative);
        if (rc != ERR_NO_SUCH_ENTRY)
            return rc;
    }
    return named(parsed.components);
}

std::size_t LdapNaming::baseOf(const LdapTree& tree,
                               const std::vector<valuetext::DnComponent>& parts) const {
    std::size_t best = tree.bases.size(), covered = 0;
    for (std::size_t b = 0; b < tree.baseParts.size(); ++b) {
        const auto& base = tree.baseParts[b];
        const std::size_t k = base.size();
        if (k == 0 || k > parts.size() || k <= covered)
            continue;
        bool match = true;
        for (std::size_t i = 0; i < k && match; ++i) {
            const auto& p = parts[parts.size() - k + i];
            match = names::equalFolded(p.type, base[i].type) &&
                    names::equalFolded(p.value, base[i].value);
        }
        if (match) {
            best = b;
            covered = k;
        }
    }
    return best;
}

std::string LdapNaming::nameOfDn(const LdapTree& tree, std::string_view dn, bool typed) const {
    std::vector<valuetext::DnComponent> parts;
    if (dn.empty())
        return ROOT_NAME;
    if (!valuetext::splitDn(dn, parts))
        return std::string(dn);
    // Below a top object of several RDNs, that object is one component.
    const std::size_t base = baseOf(tree, parts);
    if (base < tree.bases.size() && tree.baseParts[base].size() > 1) {
        const std::size_t k = tree.baseParts[base].size();
        parts.resize(parts.size() - k);
        parts.push_back({tree.baseParts[base].front().type, tree.baseValues[base].front()});
    }
    if (!typed) {
        std::vector<std::string> values;
        values.reserve(parts.size());
        for (auto& p : parts)
            values.push_back(std::move(p.value));
        return names::join(values);
    }
    std::string out;
    for (const auto& p : parts) {
        if (!out.empty())
            out += '.';
        out += typedComponent(tree, p.type, p.value);
    }
    return out;
}

std::string LdapNaming::typedComponent(const LdapTree& tree, std::string_view type,
                                       std::string_view value) const {
    if (!names::isMultiValued(value))
        return tagOf(tree, type) + "=" + names::escapeComponent(value);
    const auto types = names::valuesOf(type);
    const auto values = names::valuesOf(value);
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i != 0)
            out += '+';
        out += tagOf(tree, i < types.size() ? types[i] : "cn") + "=" +
               names::escapeComponent(values[i]);
    }
    return out;
}

std::string LdapNaming::tagOf(const LdapTree& tree, std::string_view ldapType) const {
    const AttributeDefinition* a =
        tree.schema ? tree.schema->findAttributeByLdapName(ldapType) : nullptr;
    std::string tag = a != nullptr ? a->name : std::string(ldapType);
    std::transform(tag.begin(), tag.end(), tag.begin(),
                   [](unsigned char c) { return char(std::toupper(c)); });
    return tag;
}

std::function<std::optional<std::string>(std::string_view)> LdapNaming::dnOfName(LdapTree& tree) {
    return [this, &tree](std::string_view name) -> std::optional<std::string> {
        for (const auto& [replied, dn] : tree.lastReplyNames) {
            if (replied == name)
                return dn;
        }
        names::ParsedName parsed;
        std::string dn;
        if (names::parse(std::string(name).c_str(), parsed) != 0 || parsed.root ||
            dnOfComponents(tree, parsed.components, dn, true) != 0)
            return std::nullopt;
        return dn;
    };
}

std::function<std::string(std::string_view)> LdapNaming::holderIn(LdapTree& tree,
                                                                  const std::string& dn) const {
    // The entry is read once, when a value first asks for its attribute.
    auto entry = std::make_shared<std::optional<LdapEntry>>();
    return [&tree, dn, entry](std::string_view value) -> std::string {
        if (!*entry) {
            entry->emplace();
            if (tree.session->readEntry(dn, {"*"}, false, LdapSession::Deref::Never, **entry) != 0)
                (*entry)->attributes.clear();
        }
        for (const auto& [type, values] : (*entry)->attributes) {
            for (const auto& v : values) {
                if (names::equalFolded(v, value))
                    return type;
            }
        }
        return {};
    };
}

void LdapNaming::forgetNaming(LdapTree& tree, const std::string& dn) {
    tree.lastContainer = {};
    tree.lastReplyNames.clear();
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return;
    const std::string parent = ldapnames::parentDn(dn);
    tree.childType.erase(names::fold(parent) + "\n" + names::fold(parts.front().value));
    tree.listedNames.erase(names::fold(ldapnames::canonicalDn(dn)));
    // The names of the last listing may lie below it.
    tree.listedByName.objects.clear();
}

NWDSCCODE LdapNaming::withTextNames(LdapTree& tree, const TextNamesUse& use) {
    // DNs read in a text form name the objects they point at, held by the server or not yet.
    class Learning : public LdapValueNames {
    public:
        Learning(LdapNaming& naming, LdapTree& t)
            : LdapValueNames(*t.schema, naming.dnOfName(t)), naming_(naming), tree_(t) {}
        std::optional<std::string> nameFromText(std::string_view text) const override {
            auto name = LdapValueNames::nameFromText(text);
            if (name)
                naming_.hintNaming(tree_, text);
            return name;
        }

    private:
        LdapNaming& naming_;
        LdapTree& tree_;
    };
    return use(Learning(*this, tree));
}
