#include "ServerSchema.h"

#include "OstrelObjectClass.h"
#include "SchemaStatements.h"
#include "StandardNames.h"
#include "StandardSchema.h"
#include "client/common/Names.h"
#include "client/common/SchemaFile.h"
#include "client/common/ValueText.h"
#include "directory/Codes.h"
#include "directory/SyntaxNames.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

namespace serverschema {
namespace {

using schemastatements::Definition;

bool hasExtensions(const Definition& d) {
    for (const auto& f : d.fields) {
        if (f.key.rfind("X-NDS-", 0) == 0)
            return true;
    }
    return false;
}

bool isUserAttribute(const Definition& d) {
    const std::string usage = d.first("USAGE");
    return usage.empty() || names::equalFolded(usage, "userApplications");
}

struct Index {
    std::vector<Definition> defs;
    std::unordered_map<std::string, std::size_t> byName; // every NAME (folded) and the OID

    void add(Definition d) {
        const std::size_t at = defs.size();
        byName.emplace(names::fold(d.oid), at);
        for (const auto& n : d.values("NAME"))
            byName.emplace(names::fold(n), at);
        defs.push_back(std::move(d));
    }
    const Definition* find(std::string_view name) const {
        auto it = byName.find(names::fold(name));
        return it == byName.end() ? nullptr : &defs[it->second];
    }
    std::size_t indexOf(std::string_view name) const {
        auto it = byName.find(names::fold(name));
        return it == byName.end() ? defs.size() : it->second;
    }
};

void parseAll(const std::vector<std::string>& values, const char* keyword, Index& out,
              std::vector<std::string>* unreadable) {
    for (const auto& v : values) {
        Definition d;
        if (!schemastatements::parseDescription(keyword, v, d)) {
            if (unreadable != nullptr)
                unreadable->push_back(v);
            continue;
        }
        // The class that lets entries hold what the directory allows is never shown.
        if (!d.first("NAME").empty() && !ostrelobject::isThisClass(d.oid))
            out.add(std::move(d));
    }
}

std::string ldapNameOfAttr(const Schema& s, std::string_view name) {
    const AttributeDefinition* a = s.findAttribute(name);
    return a == nullptr ? std::string(name) : a->ldapName;
}
std::string ldapNameOfClass(const Schema& s, std::string_view name) {
    const ClassDefinition* c = s.findClass(name);
    return c == nullptr ? std::string(name) : c->ldapName;
}

template <class Def>
const Def* byOid(const std::vector<std::unique_ptr<Def>>& defs, std::string_view oid) {
    for (const auto& d : defs) {
        if (d->oid == oid)
            return d.get();
    }
    return nullptr;
}

// A field of an attribute, inherited through SUP when it has none of its own.
std::string inheritedField(const Index& attrs, const Definition& d, std::string_view key) {
    const Definition* at = &d;
    for (int depth = 0; at != nullptr && depth < 16; ++depth) {
        if (at->has(key))
            return at->first(key);
        at = at->has("SUP") ? attrs.find(at->first("SUP")) : nullptr;
    }
    return {};
}

// The directory's syntax for a server's attribute: its own syntax definitions first, then the
// standard syntaxes, a case-exact equality making a string case exact.
std::uint32_t syntaxIdOf(const Index& attrs, const Definition& d,
                         const std::map<std::string, std::uint32_t>& directorySyntaxes) {
    const std::string oid = inheritedField(attrs, d, "SYNTAX");
    auto own = directorySyntaxes.find(oid.substr(0, oid.find('{')));
    if (own != directorySyntaxes.end())
        return own->second;
    const std::uint32_t id = standardschema::syntaxIdOf(oid);
    const std::string equality = names::fold(inheritedField(attrs, d, "EQUALITY"));
    if (id == SYN_CI_STRING && equality.rfind("caseexact", 0) == 0)
        return SYN_CE_STRING;
    return id;
}

void setAttributeFlags(Definition& d, std::uint32_t flags, std::uint32_t lower,
                       std::uint32_t upper) {
    auto words = standardschema::attributeFlagWords(flags);
    if (!words.empty())
        d.setQuoted("X-NDS-FLAGS", words);
    if (upper != 0) {
        d.setQuoted("X-NDS-LOWER-BOUND", {std::to_string(lower)});
        d.setQuoted("X-NDS-UPPER-BOUND", {std::to_string(upper)});
    }
}

void completeAttribute(Definition& d, const Index& attrs,
                       const std::map<std::string, std::uint32_t>& directorySyntaxes,
                       const Schema* hints) {
    if (d.has("X-NDS-SYNTAX"))
        return;
    const AttributeDefinition* hint = hints ? byOid(hints->attributes(), d.oid) : nullptr;
    if (hint != nullptr) {
        d.setQuoted("X-NDS-NAME", {hint->name});
        d.setQuoted("X-NDS-SYNTAX", {std::to_string(hint->syntax)});
        // Single-valued and read-only come from the server's own keywords.
        setAttributeFlags(
            d, hint->flags & ~(DS_SIZED_ATTR | DS_SINGLE_VALUED_ATTR | DS_READ_ONLY_ATTR),
            hint->lower, (hint->flags & DS_SIZED_ATTR) ? hint->upper : 0);
        return;
    }
    const std::uint32_t id = syntaxIdOf(attrs, d, directorySyntaxes);
    d.setQuoted("X-NDS-SYNTAX", {std::to_string(id)});
    std::uint32_t flags = standardschema::isStringSyntax(id) ? std::uint32_t(DS_STRING_ATTR) : 0u;
    const standardnames::Attribute* known = nullptr;
    for (const auto& n : d.values("NAME")) {
        if ((known = standardnames::attribute(n)) != nullptr)
            break;
    }
    if (known == nullptr) {
        setAttributeFlags(d, flags, 0, 0);
        return;
    }
    d.setQuoted("X-NDS-NAME", {std::string(known->name)});
    setAttributeFlags(d, flags | known->flags, known->lower, known->upper);
}

std::vector<std::string> wordsOf(std::string_view list) {
    std::vector<std::string> out;
    for (std::size_t at = 0; at < list.size();) {
        const std::size_t end = std::min(list.find(' ', at), list.size());
        if (end > at)
            out.emplace_back(list.substr(at, end - at));
        at = end + 1;
    }
    return out;
}

// Naming where a class says nothing: the first of its mandatory attributes that commonly
// names objects.
std::vector<std::string> namingOfMandatory(const Definition& d) {
    for (auto type : standardnames::kNamingTypes) {
        for (const auto& a : d.values("MUST")) {
            if (names::equalFolded(a, type))
                return {a};
        }
    }
    return {};
}

void completeClass(Definition& d, const Schema* hints) {
    if (hasExtensions(d))
        return;
    const ClassDefinition* hint = hints ? byOid(hints->classes(), d.oid) : nullptr;
    if (hint != nullptr) {
        d.setQuoted("X-NDS-NAME", {hint->name});
        auto words = standardschema::classFlagWords(hint->flags);
        if (!words.empty())
            d.setQuoted("X-NDS-FLAGS", words);
        std::vector<std::string> containment, naming;
        for (const auto& c : hint->lists[ClassDefinition::Containment])
            containment.push_back(ldapNameOfClass(*hints, c));
        for (const auto& a : hint->lists[ClassDefinition::Naming])
            naming.push_back(ldapNameOfAttr(*hints, a));
        // The directory's attribute lists where the server's built-in class is narrower.
        for (auto [key, list] : {std::pair{"MUST", ClassDefinition::Mandatory},
                                 std::pair{"MAY", ClassDefinition::Optional}}) {
            std::vector<std::string> items = d.values(key);
            for (const auto& a : hint->lists[list]) {
                const std::string ldap = ldapNameOfAttr(*hints, a);
                if (std::none_of(items.begin(), items.end(),
                                 [&](const std::string& n) { return names::equalFolded(n, ldap); }))
                    items.push_back(ldap);
            }
            d.remove(key);
            if (!items.empty())
                d.fields.push_back(schemastatements::Field{key, items, {}});
        }
        if (!containment.empty())
            d.setQuoted("X-NDS-CONTAINMENT", containment);
        if (!naming.empty())
            d.setQuoted("X-NDS-NAMING", naming);
        d.setFlag("X-NDS-HINTED");
        return;
    }
    std::uint32_t flags = 0;
    if (d.has("STRUCTURAL") || !(d.has("AUXILIARY") || d.has("ABSTRACT")))
        flags |= DS_EFFECTIVE_CLASS;
    const standardnames::Class* known = nullptr;
    for (const auto& n : d.values("NAME")) {
        if ((known = standardnames::objectClass(n)) != nullptr)
            break;
    }
    std::vector<std::string> containment, naming;
    if (known != nullptr) {
        flags |= known->flags;
        d.setQuoted("X-NDS-NAME", {std::string(known->name)});
        containment = wordsOf(known->containment);
        naming = wordsOf(known->naming);
    } else {
        if (standardschema::isContainerClass(d.first("NAME")))
            flags |= DS_CONTAINER_CLASS;
        naming = namingOfMandatory(d);
    }
    auto words = standardschema::classFlagWords(flags);
    if (!words.empty())
        d.setQuoted("X-NDS-FLAGS", words);
    if (!containment.empty())
        d.setQuoted("X-NDS-CONTAINMENT", containment);
    if (!naming.empty())
        d.setQuoted("X-NDS-NAMING", naming);
}

// The attributes the super classes of a class list (MUST, MAY), every level above it.
void inheritedAttributes(const Definition& d, const Index& classes, const Index& attrs,
                         std::set<std::size_t>& must, std::set<std::size_t>& may) {
    std::vector<const Definition*> toVisit{&d};
    std::set<const Definition*> seen;
    while (!toVisit.empty()) {
        const Definition* c = toVisit.back();
        toVisit.pop_back();
        for (const auto& sup : c->values("SUP")) {
            const Definition* s = classes.find(sup);
            if (s == nullptr || !seen.insert(s).second)
                continue;
            for (const auto& a : s->values("MUST"))
                must.insert(attrs.indexOf(a));
            for (const auto& a : s->values("MAY"))
                may.insert(attrs.indexOf(a));
            toVisit.push_back(s);
        }
    }
}

// A server's class lists what a super class lists already ("telephoneNumber" in person and
// in organizationalPerson); the directory lists each attribute once in a chain.
void listOnce(Definition& d, const Index& classes, const Index& attrs) {
    std::set<std::size_t> must, may;
    inheritedAttributes(d, classes, attrs, must, may);
    for (const char* key : {"MUST", "MAY"}) {
        const bool optional = key[1] == 'A';
        const schemastatements::Field* f = d.find(key);
        if (f == nullptr)
            continue;
        std::vector<std::string> kept;
        for (const auto& a : f->values) {
            const std::size_t at = attrs.indexOf(a);
            if (!must.count(at) && !(optional && may.count(at)))
                kept.push_back(a);
        }
        if (kept.size() == f->values.size())
            continue;
        d.remove(key);
        if (!kept.empty())
            d.fields.push_back(schemastatements::Field{key, kept, {}});
    }
}

// Drops the items of a containment or naming list the server does not define (or that are not
// taken); a hints file that named them hears of it on standard error.
void keepKnownItems(Definition& d, std::string_view key, const Index& index,
                    const std::vector<bool>& taken) {
    const schemastatements::Field* f = d.find(key);
    if (f == nullptr)
        return;
    std::vector<std::string> kept;
    for (const auto& v : f->values) {
        const std::size_t at = index.indexOf(v);
        if (at < index.defs.size() && taken[at]) {
            kept.push_back(index.defs[at].first("NAME"));
        } else if (d.has("X-NDS-HINTED")) {
            std::fprintf(stderr,
                         "ostrel: schema hint for %s: %s names %s, which the server "
                         "does not define; left out\n",
                         d.first("NAME").c_str(), std::string(key).c_str(), v.c_str());
        }
    }
    const std::string k(key);
    if (kept.size() == f->values.size())
        return;
    d.remove(k);
    if (!kept.empty())
        d.setQuoted(k, kept);
}

// The directory name a completed definition will have.
std::string directoryName(const Definition& d) {
    return d.has("X-NDS-NAME") ? d.first("X-NDS-NAME") : d.first("NAME");
}

// Rewrites a list field to the first NAME of each item, dropping items not taken.
void canonicalList(Definition& d, std::string_view key, const Index& index,
                   const std::vector<bool>& taken) {
    const schemastatements::Field* f = d.find(key);
    if (f == nullptr)
        return;
    std::vector<std::string> names;
    for (const auto& v : f->values) {
        const std::size_t at = index.indexOf(v);
        if (at < index.defs.size() && taken[at])
            names.push_back(index.defs[at].first("NAME"));
    }
    std::string text = "(";
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i ? " $ " : " ") + names[i];
    text += " )";
    const std::string k(key);
    d.remove(k);
    if (!names.empty())
        d.fields.push_back(schemastatements::Field{k, names, text});
}

} // namespace

std::string directoryStatements(const SubschemaValues& values, const Schema* hints,
                                std::vector<std::string>* unreadable) {
    Index syntaxes, attrs, classes;
    parseAll(values.attributeTypes, "attributetype", attrs, unreadable);
    parseAll(values.objectClasses, "objectclass", classes, unreadable);
    // Optional attributes added to the server's own Top, kept by the project's class.
    if (const auto added = ostrelobject::addedToTop(values.objectClasses); !added.empty()) {
        const std::size_t at = classes.indexOf("top");
        if (at < classes.defs.size()) {
            std::vector<std::string> may = classes.defs[at].values("MAY");
            may.insert(may.end(), added.begin(), added.end());
            classes.defs[at].remove("MAY");
            classes.defs[at].fields.push_back(schemastatements::Field{"MAY", may, {}});
        }
    }
    for (const auto& v : values.ldapSyntaxes) {
        Definition d;
        if (schemastatements::parseDescription("ldapsyntax", v, d) && d.has("X-NDS-ID"))
            syntaxes.add(std::move(d));
    }

    // A class whose super classes the server could not take whole keeps them aside: the
    // directory's list comes back, and the attributes folded in for them go again.
    for (auto& d : classes.defs) {
        const std::vector<std::string> kept = d.values("X-NDS-SUPERIORS");
        if (kept.empty())
            continue;
        std::set<std::string> inherited;
        for (const auto& sup : kept) {
            const Definition* s = classes.find(sup);
            if (s == nullptr ||
                d.values("SUP").end() !=
                    std::find_if(d.values("SUP").begin(), d.values("SUP").end(),
                                 [&](const std::string& n) { return names::equalFolded(n, sup); }))
                continue;
            for (const char* key : {"MUST", "MAY"}) {
                for (const auto& a : s->values(key))
                    inherited.insert(names::fold(a));
            }
        }
        std::vector<std::string> may;
        for (const auto& a : d.values("MAY")) {
            if (!inherited.count(names::fold(a)))
                may.push_back(a);
        }
        d.remove("X-NDS-SUPERIORS");
        d.remove("SUP");
        d.remove("MAY");
        d.fields.push_back(schemastatements::Field{"SUP", kept, {}});
        if (!may.empty())
            d.fields.push_back(schemastatements::Field{"MAY", may, {}});
    }

    std::string text;
    std::map<std::string, std::uint32_t> directorySyntaxes; // syntax OID -> id
    if (!syntaxes.defs.empty()) {
        for (const auto& d : syntaxes.defs) {
            directorySyntaxes[d.oid] = std::uint32_t(std::stoul("0" + d.first("X-NDS-ID")));
            text += schemastatements::statementText(d) + "\n\n";
        }
    } else if (hints != nullptr && !hints->syntaxes().empty()) {
        // The hints' syntaxes, and the directory's own for the ids they leave out.
        std::map<std::uint32_t, SyntaxDefinition> all;
        for (std::uint32_t id = 0; id < SYNTAX_COUNT; ++id)
            all[id] = SyntaxDefinition{
                id, std::string(SyntaxNames[id]), {}, standardschema::defaultSyntaxFlags(id)};
        for (const auto& [id, s] : hints->syntaxes())
            all[id] = s;
        for (const auto& [id, s] : all) {
            Definition d;
            d.keyword = "ldapsyntax";
            d.oid = "ostrel.syntax." + std::to_string(id);
            d.setQuoted("DESC", {s.name});
            d.setQuoted("X-NDS-ID", {std::to_string(id)});
            auto words = standardschema::syntaxFlagWords(s.flags);
            if (!words.empty())
                d.setQuoted("X-NDS-FLAGS", words);
            text += schemastatements::statementText(d) + "\n\n";
        }
    } else {
        for (const auto& s : standardschema::defaultSyntaxStatements())
            text += s + "\n\n";
    }

    // What to take: the directory's own definitions and those the hints name, or, on a
    // server without any, its whole user schema.
    auto hinted = [&](const Definition& d, bool cls) {
        for (const auto& n : d.values("NAME")) {
            if (cls ? standardnames::objectClass(n) != nullptr
                    : standardnames::attribute(n) != nullptr)
                return true;
        }
        if (hints == nullptr)
            return false;
        return cls ? byOid(hints->classes(), d.oid) != nullptr
                   : byOid(hints->attributes(), d.oid) != nullptr;
    };
    std::vector<bool> takeAttr(attrs.defs.size()), takeClass(classes.defs.size());
    bool any = false;
    for (std::size_t i = 0; i < attrs.defs.size(); ++i) {
        takeAttr[i] = hasExtensions(attrs.defs[i]);
        any = any || takeAttr[i];
    }
    for (std::size_t i = 0; i < classes.defs.size(); ++i) {
        takeClass[i] = hasExtensions(classes.defs[i]);
        any = any || takeClass[i];
    }
    for (std::size_t i = 0; i < attrs.defs.size(); ++i)
        takeAttr[i] =
            any ? takeAttr[i] || hinted(attrs.defs[i], false) : isUserAttribute(attrs.defs[i]);
    for (std::size_t i = 0; i < classes.defs.size(); ++i)
        takeClass[i] = !any || takeClass[i] || hinted(classes.defs[i], true);

    // And everything they refer to: super classes, mandatory and optional attributes.
    for (bool grew = true; grew;) {
        grew = false;
        for (std::size_t i = 0; i < classes.defs.size(); ++i) {
            if (!takeClass[i])
                continue;
            for (const auto& sup : classes.defs[i].values("SUP")) {
                const std::size_t at = classes.indexOf(sup);
                if (at < takeClass.size() && !takeClass[at])
                    takeClass[at] = grew = true;
            }
            for (const char* key : {"MUST", "MAY"}) {
                for (const auto& a : classes.defs[i].values(key)) {
                    const std::size_t at = attrs.indexOf(a);
                    if (at < takeAttr.size() && !takeAttr[at])
                        takeAttr[at] = true;
                }
            }
        }
    }

    // Complete, then drop what cannot carry a directory name, or one already given: a name
    // taken falls back to the LDAP name.
    auto uniqueName = [](Definition& d, std::set<std::string>& taken) {
        std::string name = directoryName(d);
        if (taken.count(names::fold(name)) && d.has("X-NDS-NAME") &&
            !names::equalFolded(name, d.first("NAME"))) {
            d.remove("X-NDS-NAME");
            name = d.first("NAME");
        }
        return name.size() <= MAX_SCHEMA_NAME_CHARS && taken.insert(names::fold(name)).second;
    };
    std::set<std::string> attributeNames;
    for (std::size_t i = 0; i < attrs.defs.size(); ++i) {
        if (!takeAttr[i])
            continue;
        completeAttribute(attrs.defs[i], attrs, directorySyntaxes, hints);
        takeAttr[i] = uniqueName(attrs.defs[i], attributeNames);
    }
    std::set<std::string> directoryNames;
    for (std::size_t i = 0; i < classes.defs.size(); ++i) {
        if (!takeClass[i])
            continue;
        if (!hasExtensions(classes.defs[i]))
            listOnce(classes.defs[i], classes, attrs);
        completeClass(classes.defs[i], hints);
        takeClass[i] = uniqueName(classes.defs[i], directoryNames);
    }
    for (std::size_t i = 0; i < attrs.defs.size(); ++i) {
        if (!takeAttr[i])
            continue;
        attrs.defs[i].remove("SUP"); // the syntax is settled; the chain is not needed
        text += schemastatements::statementText(attrs.defs[i]) + "\n\n";
    }
    for (std::size_t i = 0; i < classes.defs.size(); ++i) {
        if (!takeClass[i])
            continue;
        Definition& d = classes.defs[i];
        canonicalList(d, "SUP", classes, takeClass);
        canonicalList(d, "MUST", attrs, takeAttr);
        canonicalList(d, "MAY", attrs, takeAttr);
        keepKnownItems(d, "X-NDS-CONTAINMENT", classes, takeClass);
        keepKnownItems(d, "X-NDS-NAMING", attrs, takeAttr);
        d.remove("X-NDS-HINTED");
        text += schemastatements::statementText(d) + "\n\n";
    }
    return text;
}

bool build(const SubschemaValues& values, const Schema* hints, Schema& out, std::string* error,
           std::vector<std::string>* unreadable) {
    return schemafile::load(directoryStatements(values, hints, unreadable), "subschema", out,
                            error);
}

std::string unreadableNote(const std::vector<std::string>& unreadable) {
    constexpr std::size_t kShown = 3, kMostBytes = 100;
    std::string out = std::to_string(unreadable.size()) +
                      (unreadable.size() == 1 ? " definition" : " definitions") +
                      " of the server's schema do not parse";
    for (std::size_t i = 0; i < unreadable.size() && i < kShown; ++i) {
        std::string shown = names::printable(std::string_view(unreadable[i]).substr(0, kMostBytes));
        if (unreadable[i].size() > kMostBytes)
            shown += "...";
        out += (i == 0 ? ": " : "; ") + shown;
    }
    if (unreadable.size() > kShown)
        out += "; and " + std::to_string(unreadable.size() - kShown) + " more";
    return out;
}

} // namespace serverschema
