#include "ServerSchema.h"

#include "OstrelObjectClass.h"
#include "SchemaStatements.h"
#include "StandardSchema.h"
#include "client/common/Names.h"
#include "client/common/SchemaFile.h"
#include "directory/Codes.h"

#include <algorithm>
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

void parseAll(const std::vector<std::string>& values, const char* keyword, Index& out) {
    for (const auto& v : values) {
        Definition d;
        // The class that lets entries hold what the directory allows is never shown.
        if (schemastatements::parseDescription(keyword, v, d) && !d.first("NAME").empty() &&
            !ostrelobject::isThisClass(d.oid))
            out.add(std::move(d));
    }
}

// The attribute's syntax OID, inherited through SUP when it has none of its own.
std::string syntaxOf(const Index& attrs, const Definition& d) {
    const Definition* at = &d;
    for (int depth = 0; at != nullptr && depth < 16; ++depth) {
        if (at->has("SYNTAX"))
            return at->first("SYNTAX");
        at = at->has("SUP") ? attrs.find(at->first("SUP")) : nullptr;
    }
    return {};
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
        auto words = standardschema::attributeFlagWords(
            hint->flags & ~(DS_SIZED_ATTR | DS_SINGLE_VALUED_ATTR | DS_READ_ONLY_ATTR));
        if (!words.empty())
            d.setQuoted("X-NDS-FLAGS", words);
        if (hint->flags & DS_SIZED_ATTR) {
            d.setQuoted("X-NDS-LOWER-BOUND", {std::to_string(hint->lower)});
            d.setQuoted("X-NDS-UPPER-BOUND", {std::to_string(hint->upper)});
        }
        return;
    }
    const std::string oid = syntaxOf(attrs, d);
    auto own = directorySyntaxes.find(oid.substr(0, oid.find('{')));
    const std::uint32_t id =
        own != directorySyntaxes.end() ? own->second : standardschema::syntaxIdOf(oid);
    d.setQuoted("X-NDS-SYNTAX", {std::to_string(id)});
    if (standardschema::isStringSyntax(id))
        d.setQuoted("X-NDS-FLAGS", {"STRING"});
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
        return;
    }
    std::uint32_t flags = 0;
    if (d.has("STRUCTURAL") || !(d.has("AUXILIARY") || d.has("ABSTRACT")))
        flags |= DS_EFFECTIVE_CLASS;
    if (standardschema::isContainerClass(d.first("NAME")))
        flags |= DS_CONTAINER_CLASS;
    auto words = standardschema::classFlagWords(flags);
    if (!words.empty())
        d.setQuoted("X-NDS-FLAGS", words);
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

std::string directoryStatements(const SubschemaValues& values, const Schema* hints) {
    Index syntaxes, attrs, classes;
    parseAll(values.attributeTypes, "attributetype", attrs);
    parseAll(values.objectClasses, "objectclass", classes);
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
        for (const auto& [id, s] : hints->syntaxes()) {
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

    // Complete, then drop what cannot carry a directory name.
    for (std::size_t i = 0; i < attrs.defs.size(); ++i) {
        if (!takeAttr[i])
            continue;
        completeAttribute(attrs.defs[i], attrs, directorySyntaxes, hints);
        if (directoryName(attrs.defs[i]).size() > MAX_SCHEMA_NAME_CHARS)
            takeAttr[i] = false;
    }
    std::set<std::string> directoryNames;
    for (std::size_t i = 0; i < classes.defs.size(); ++i) {
        if (!takeClass[i])
            continue;
        completeClass(classes.defs[i], hints);
        const std::string name = directoryName(classes.defs[i]);
        takeClass[i] =
            name.size() <= MAX_SCHEMA_NAME_CHARS && directoryNames.insert(names::fold(name)).second;
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
        text += schemastatements::statementText(d) + "\n\n";
    }
    return text;
}

bool build(const SubschemaValues& values, const Schema* hints, Schema& out, std::string* error) {
    return schemafile::load(directoryStatements(values, hints), "subschema", out, error);
}

} // namespace serverschema
