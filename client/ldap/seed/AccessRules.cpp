#include "AccessRules.h"

#include "client/common/EffectiveRights.h"
#include "client/common/Names.h"
#include "client/common/ValueText.h"
#include "directory/Codes.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace accessrules {
namespace {

using effectiverights::kAllAttributeRights;
using effectiverights::widenAttribute;
using effectiverights::widenEntry;

// slapd's privileges, as bits.
enum Privilege : unsigned {
    kAdd = 1,
    kDelete = 2,
    kRead = 4,
    kSearch = 8,
    kCompare = 16,
    kDisclose = 32,
};

std::string privilegeText(unsigned p) {
    std::string out;
    if ((p & kAdd) && (p & kDelete))
        out += 'w';
    else if (p & kAdd)
        out += 'a';
    else if (p & kDelete)
        out += 'z';
    if (p & kRead)
        out += 'r';
    if (p & kSearch)
        out += 's';
    if (p & kCompare)
        out += 'c';
    if (p & kDisclose)
        out += 'd';
    return out.empty() ? "0" : out;
}

// Which attributes a rule protects, each with what entry rights add to them.
enum class Group { Entry, Naming, ObjectClass, Info, Other };

unsigned attributePrivileges(std::uint32_t attr) {
    unsigned p = 0;
    if (attr & DS_ATTR_COMPARE)
        p |= kCompare | kSearch;
    if (attr & DS_ATTR_READ)
        p |= kRead | kSearch | kCompare;
    if (attr & DS_ATTR_WRITE)
        p |= kAdd | kDelete;
    return p;
}

unsigned privilegesOf(Group group, std::uint32_t entry, std::uint32_t attr) {
    const bool browse = entry & DS_ENTRY_BROWSE;
    switch (group) {
    case Group::Entry: {
        unsigned p = browse ? kRead | kSearch | kCompare | kDisclose : 0;
        if (entry & DS_ENTRY_ADD)
            p |= kAdd;
        if (entry & DS_ENTRY_DELETE)
            p |= kDelete;
        if (entry & DS_ENTRY_RENAME)
            p |= kAdd | kDelete;
        return p;
    }
    case Group::Naming:
        return attributePrivileges(attr) | (browse ? unsigned(kSearch) : 0u) |
               ((entry & DS_ENTRY_RENAME) ? unsigned(kAdd | kDelete) : 0u);
    case Group::ObjectClass:
        return attributePrivileges(attr) | (browse ? unsigned(kSearch) : 0u);
    case Group::Info:
        return browse ? unsigned(kRead | kSearch) : 0u;
    case Group::Other:
        return attributePrivileges(attr);
    }
    return 0;
}

constexpr const char* kInfoAttributes = "structuralObjectClass,hasSubordinates,modifyTimestamp";

// A DN's components, folded: the key objects and trustees are compared by.
std::optional<std::vector<std::string>> componentsOf(std::string_view dn) {
    std::vector<valuetext::DnComponent> parts;
    if (dn.empty())
        return std::vector<std::string>{};
    if (!valuetext::splitDn(dn, parts) || parts.empty())
        return std::nullopt;
    std::vector<std::string> out;
    for (const auto& p : parts)
        out.push_back(names::fold(p.type) + "=" + names::fold(p.value));
    return out;
}

std::string keyOf(const std::vector<std::string>& components) {
    std::string key;
    for (const auto& c : components)
        key += c + ",";
    return key;
}

// Whether `inner` lies at or below `outer`.
bool within(const std::vector<std::string>& inner, const std::vector<std::string>& outer) {
    return inner.size() >= outer.size() && std::equal(outer.rbegin(), outer.rend(), inner.rbegin());
}

std::string quoted(std::string_view dn) {
    std::string out = "\"";
    for (char c : dn) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

struct Acl {
    std::uint32_t privileges = 0;
    std::string trustee;       // its key: folded components, or "[public]" / "[root]"
    std::string protectedAttr; // "[entry rights]", "[all attributes rights]" or an LDAP name
};

// An ACL value as the directory reads it: privileges, entry or subtree, trustee, and the
// protected attribute taking the rest.
std::optional<Acl> parseAcl(std::string_view text, const Attributes& attributes,
                            std::map<std::string, std::string>& trusteeNames) {
    std::vector<std::string_view> f;
    for (int i = 0; i < 3; ++i) {
        const auto hash = text.find('#');
        if (hash == std::string_view::npos)
            return std::nullopt;
        f.push_back(text.substr(0, hash));
        text.remove_prefix(hash + 1);
    }
    f.push_back(text);
    if (f[0].empty() || f[0].find_first_not_of("0123456789") != std::string_view::npos ||
        f[0].size() > 10 || (f[1] != "entry" && f[1] != "subtree"))
        return std::nullopt;
    Acl acl;
    acl.privileges = std::uint32_t(std::stoull(std::string(f[0])));
    if (f[2].starts_with("[")) {
        acl.trustee = names::fold(f[2]);
    } else {
        auto components = componentsOf(f[2]);
        if (!components || components->empty())
            return std::nullopt;
        acl.trustee = keyOf(*components);
    }
    trusteeNames.emplace(acl.trustee, std::string(f[2]));
    if (f[3].starts_with("[")) {
        acl.protectedAttr = names::fold(f[3]);
    } else {
        auto it = attributes.ldapNames.find(names::fold(f[3]));
        if (it == attributes.ldapNames.end())
            return std::nullopt; // an attribute the server does not hold protects nothing
        acl.protectedAttr = it->second;
    }
    return acl;
}

struct Grant {
    std::uint32_t entry = 0;
    std::uint32_t allAttributes = 0;
};
using Grants = std::map<std::string, Grant>; // by trustee

struct Node {
    std::vector<std::string> components;
    std::string dn;
    std::vector<Acl> acl;
    std::vector<std::string> aclText; // the values as written
    bool inherits = false;            // holds entry or all-attributes values, which flow down
};

// A filter value with the characters RFC 4515 reserves escaped, and those that would end the
// word in slapd's configuration.
std::string filterValue(std::string_view v) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : v) {
        if (c == '*' || c == '(' || c == ')' || c == '\\' || c <= ' ' || c == '"') {
            out += '\\';
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

class Generator {
public:
    Generator(const std::vector<Object>& tree, const Attributes& attributes)
        : attributes_(attributes) {
        for (const auto& o : tree) {
            auto components = componentsOf(o.dn);
            if (!components)
                continue;
            Node n{*components, o.dn, {}, o.acl, false};
            for (const auto& value : o.acl) {
                auto acl = parseAcl(value, attributes, trusteeNames_);
                if (!acl)
                    continue;
                n.inherits = n.inherits || acl->protectedAttr == "[entry rights]" ||
                             acl->protectedAttr == "[all attributes rights]";
                n.acl.push_back(std::move(*acl));
            }
            for (const auto& eq : o.securityEquals) {
                if (auto c = componentsOf(eq); c && !c->empty())
                    equivalents_[keyOf(*c)].push_back(o.dn);
            }
            nodes_.push_back(std::move(n));
        }
    }

    std::vector<std::string> rules(std::string_view suffix) {
        std::vector<std::string> out = {
            "to attrs=userPassword by anonymous auth by * none",
            "to attrs=children by * +az stop",
        };
        auto top = componentsOf(suffix);
        if (!top || top->empty()) {
            if (!attributes_.publicRead.empty())
                out.push_back("to attrs=" + joined(attributes_.publicRead) + " by * +rsc break");
            return out;
        }
        const std::vector<const Node*> regions = regionsBelow(*top, suffix);
        // Whether an object is seen at all: its region's entry rule, which ends every check.
        for (const Node* region : regions)
            out.push_back(regionRule(*region, "entry", Group::Entry));
        // Whoever sees an object sees the names of all its attributes, as the directory shows
        // them: slapd asks for an attribute's read right without a value when it sends the
        // name, and with each value when it sends that. Read is granted to the first and
        // taken back from the second; the rules below give each value what the ACLs give.
        out.push_back("to attrs=@extensibleObject by * +r break");
        out.push_back("to attrs=@extensibleObject val.regex=\".*\" by * -r break");
        if (!attributes_.publicRead.empty())
            out.push_back("to attrs=" + joined(attributes_.publicRead) + " by * +rsc break");

        // Values naming one attribute: on their own object only.
        for (const auto& n : nodes_) {
            if (!within(n.components, *top))
                continue;
            std::vector<std::string> named;
            for (const auto& a : n.acl) {
                if (!a.protectedAttr.starts_with("[") &&
                    !names::equalFolded(a.protectedAttr, "userPassword") &&
                    std::none_of(named.begin(), named.end(), [&](const std::string& x) {
                        return names::equalFolded(x, a.protectedAttr);
                    }))
                    named.push_back(a.protectedAttr);
            }
            if (named.empty())
                continue;
            const Grants grants = grantsAt(n.components);
            for (const auto& attr : named)
                out.push_back(namedRule(n, grants, attr));
        }

        for (const Node* region : regions) {
            if (region->components.size() > top->size())
                renamedRule(*region, out);
        }
        for (const Node* region : regions) {
            if (!attributes_.naming.empty())
                out.push_back(regionRule(*region, joined(attributes_.naming), Group::Naming));
            out.push_back(regionRule(*region, "objectClass", Group::ObjectClass));
            out.push_back(regionRule(*region, kInfoAttributes, Group::Info));
            out.push_back(regionRule(*region, "", Group::Other));
        }
        return out;
    }

private:
    // Regions: the top object and every object below it whose values flow down, the deepest
    // first, so that the first region a name falls in is its nearest.
    std::vector<const Node*> regionsBelow(const std::vector<std::string>& top,
                                          std::string_view suffix) {
        std::vector<const Node*> regions;
        for (const auto& n : nodes_) {
            if (within(n.components, top) && (n.inherits || n.components == top))
                regions.push_back(&n);
        }
        if (std::none_of(regions.begin(), regions.end(),
                         [&](const Node* n) { return n->components == top; })) {
            topNode_ = Node{top, std::string(suffix), {}, {}, false};
            regions.push_back(&topNode_);
        }
        std::stable_sort(regions.begin(), regions.end(), [](const Node* a, const Node* b) {
            return a->components.size() > b->components.size();
        });
        return regions;
    }

    // One region's rule for a group of attributes (all others when `attrs` is empty).
    std::string regionRule(const Node& region, const std::string& attrs, Group group) const {
        std::string r =
            "to dn.subtree=" + quoted(region.dn) + (attrs.empty() ? "" : " attrs=" + attrs);
        for (const auto& [trustee, g] : grantsAt(region.components))
            r += by(trustee, privilegesOf(group, widenEntry(g.entry), attributeRights(g, nullptr)));
        return r + " by * +0 stop";
    }

    static std::string joined(const std::vector<std::string>& names) {
        std::string out;
        for (const auto& n : names)
            out += (out.empty() ? "" : ",") + n;
        return out;
    }

    // A rename is checked where the object goes: its new naming value is written into its
    // container's region. An object whose own values give Rename is found there by those
    // values, which it takes along; what the rule grants adds to what that region does.
    void renamedRule(const Node& n, std::vector<std::string>& out) const {
        if (n.aclText.empty() || attributes_.naming.empty())
            return;
        auto acl = attributes_.ldapNames.find("acl");
        const std::string aclName = acl == attributes_.ldapNames.end() ? "ACL" : acl->second;
        std::string r = "to dn.onelevel=" + quoted(parentDn(n.dn)) + " filter=(&";
        for (const auto& v : n.aclText)
            r += "(" + aclName + "=" + filterValue(v) + ")";
        r += ") attrs=" + joined(attributes_.naming);
        bool any = false;
        for (const auto& [trustee, g] : grantsAt(n.components)) {
            if (widenEntry(g.entry) & DS_ENTRY_RENAME) {
                r += by(trustee, kAdd | kDelete);
                any = true;
            }
        }
        if (any)
            out.push_back(r + " by * +0 break");
    }

    static std::string parentDn(const std::string& dn) {
        std::vector<valuetext::DnComponent> parts;
        if (!valuetext::splitDn(dn, parts) || parts.size() < 2)
            return {};
        std::string out;
        for (std::size_t i = 1; i < parts.size(); ++i)
            out += (i > 1 ? "," : "") + valuetext::rdnText(parts[i].type, parts[i].value);
        return out;
    }

    // What reaches an object: every object at or above it, from [Root] down, replaces the
    // grants of the trustees it names.
    Grants grantsAt(const std::vector<std::string>& components) const {
        std::vector<const Node*> chain;
        for (const auto& n : nodes_) {
            if (n.inherits && within(components, n.components))
                chain.push_back(&n);
        }
        std::stable_sort(chain.begin(), chain.end(), [](const Node* a, const Node* b) {
            return a->components.size() < b->components.size();
        });
        Grants grants;
        for (const Node* n : chain) {
            Grants here;
            std::map<std::string, int> set; // bit 1 entry, bit 2 all attributes
            for (const auto& a : n->acl) {
                if (a.protectedAttr == "[entry rights]") {
                    here[a.trustee].entry |= a.privileges;
                    set[a.trustee] |= 1;
                } else if (a.protectedAttr == "[all attributes rights]") {
                    here[a.trustee].allAttributes |= a.privileges;
                    set[a.trustee] |= 2;
                }
            }
            for (const auto& [trustee, bits] : set) {
                if (bits & 1)
                    grants[trustee].entry = here[trustee].entry;
                if (bits & 2)
                    grants[trustee].allAttributes = here[trustee].allAttributes;
            }
        }
        return grants;
    }

    // A trustee's rights to attributes; `named` replaces the all-attributes ones.
    static std::uint32_t attributeRights(const Grant& g, const std::uint32_t* named) {
        if (widenEntry(g.entry) & DS_ENTRY_SUPERVISOR)
            return kAllAttributeRights;
        return widenAttribute(named != nullptr ? *named : g.allAttributes);
    }

    Group groupOf(std::string_view attr) const {
        if (names::equalFolded(attr, "objectClass"))
            return Group::ObjectClass;
        for (const auto& n : attributes_.naming) {
            if (names::equalFolded(n, attr))
                return Group::Naming;
        }
        return Group::Other;
    }

    std::string namedRule(const Node& n, const Grants& inherited, const std::string& attr) {
        std::map<std::string, std::uint32_t> named;
        for (const auto& a : n.acl) {
            if (names::equalFolded(a.protectedAttr, attr))
                named[a.trustee] |= a.privileges;
        }
        Grants grants = inherited;
        for (const auto& [trustee, privileges] : named)
            grants.try_emplace(trustee);
        std::string r = "to dn.base=" + quoted(n.dn) + " attrs=" + attr;
        const Group group = groupOf(attr);
        for (const auto& [trustee, g] : grants) {
            auto it = named.find(trustee);
            const std::uint32_t rights =
                attributeRights(g, it == named.end() ? nullptr : &it->second);
            r += by(trustee, privilegesOf(group, widenEntry(g.entry), rights));
        }
        return r + " by * +0 stop";
    }

    // The by clauses of one trustee: everyone it stands for.
    std::string by(const std::string& trustee, unsigned privileges) const {
        if (privileges == 0)
            return {};
        const std::string grant = " +" + privilegeText(privileges) + " continue";
        if (trustee == "[public]")
            return " by *" + grant;
        if (trustee == "[root]")
            return " by users" + grant;
        auto name = trusteeNames_.find(trustee);
        if (name == trusteeNames_.end())
            return {};
        std::string out = " by dn.subtree=" + quoted(name->second) + grant;
        if (auto eq = equivalents_.find(trustee); eq != equivalents_.end()) {
            for (const auto& dn : eq->second)
                out += " by dn.exact=" + quoted(dn) + grant;
        }
        return out;
    }

    const Attributes& attributes_;
    std::vector<Node> nodes_;
    Node topNode_;
    std::map<std::string, std::string> trusteeNames_;             // key to the name written
    std::map<std::string, std::vector<std::string>> equivalents_; // trustee to DNs equal to it
};

} // namespace

std::vector<std::string> databaseRules(const std::vector<Object>& tree, std::string_view suffix,
                                       const Attributes& attributes) {
    return Generator(tree, attributes).rules(suffix);
}

std::vector<std::string> frontendRules() {
    return {"to dn.base=\"\" by * read", "to dn.base=\"cn=Subschema\" by * read"};
}

} // namespace accessrules
