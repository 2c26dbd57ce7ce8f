#include "TreeLoader.h"

#include "client/common/Names.h"
#include "client/common/ValueRules.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <unordered_set>

std::optional<std::string> LdapNames::nameFromText(std::string_view text) const {
    if (text.empty())
        return std::nullopt;
    if (text.front() == '[')
        return std::string(text);
    std::string name;
    names::ParsedName parsed;
    if (names::fromDn(text, name) != 0 || names::parse(name, parsed) != 0)
        return std::nullopt;
    // Objects here have one naming value.
    for (const auto& c : parsed.components) {
        if (names::isMultiValued(c))
            return std::nullopt;
    }
    return name;
}

std::string LdapNames::nameToText(std::string_view name) const {
    names::ParsedName parsed;
    if (names::parse(name, parsed) != 0 || parsed.root || name.front() == '[')
        return std::string(name);
    const ObjectStore& store = model_.objects();
    auto id = store.lookup(parsed.components);
    std::vector<EntryId> chain = id ? store.ancestry(*id) : std::vector<EntryId>{};
    std::vector<std::string> types(parsed.components.size(), "cn");
    for (std::size_t i = 0; i < parsed.components.size() && i < chain.size(); ++i) {
        const Entry* e = store.get(chain[i]);
        if (e != nullptr && !e->namingType.empty())
            types[i] = names::fold(e->namingType);
    }
    return names::toDn(parsed.components, types);
}

namespace {

const AttributeDefinition* attributeByText(const Schema& schema, std::string_view name) {
    const AttributeDefinition* a = schema.findAttributeByLdapName(name);
    return a != nullptr ? a : schema.findAttribute(name);
}

// The most specific of the listed classes: the one no other listed class descends from.
const ClassDefinition* baseClassOf(const Schema& schema,
                                   const std::vector<const ClassDefinition*>& listed) {
    for (auto* candidate : listed) {
        bool isAncestor = false;
        for (auto* other : listed) {
            if (other != candidate && schema.isA(*other, candidate->name))
                isAncestor = true;
        }
        if (!isAncestor)
            return candidate;
    }
    return nullptr;
}

// Whether a DN holds the byte 0xFF, as it stands or escaped ("\FF"): no UTF-8 text does, and
// splitDn refuses it, as it joins the values of a multi-valued RDN.
bool holdsByteFF(std::string_view dn) {
    for (std::size_t i = 0; i < dn.size(); ++i) {
        if (static_cast<unsigned char>(dn[i]) == 0xFF)
            return true;
        if (dn[i] == '\\' && i + 2 < dn.size() && (dn[i + 1] == 'F' || dn[i + 1] == 'f') &&
            (dn[i + 2] == 'F' || dn[i + 2] == 'f'))
            return true;
        if (dn[i] == '\\')
            ++i;
    }
    return false;
}

std::string syntaxName(const Schema& schema, std::uint32_t id) {
    const SyntaxDefinition* s = schema.findSyntax(id);
    return s == nullptr ? "syntax " + std::to_string(id) : s->name;
}

// Why an object of this DN cannot be named here, or "" when it can.
std::string nameProblem(const std::vector<valuetext::DnComponent>& dn) {
    std::vector<std::string> components;
    for (const auto& c : dn) {
        if (names::isMultiValued(c.value))
            return "the name has several naming values (\"+\"), which names here do not";
        if (c.value.find('\0') != std::string::npos)
            return "the name holds a NUL byte, which no name can carry";
        if (!names::isUtf8(c.value))
            return "the name is not UTF-8 text";
        if (c.value == ROOT_NAME)
            return "the name [Root] is kept for the top of the tree";
        if (c.value.size() > MAX_RDN_CHARS)
            return "the name " + names::escapeComponent(c.value) + " is longer than " +
                   std::to_string(MAX_RDN_CHARS) + " characters";
        components.push_back(c.value);
    }
    const std::string full = names::join(components);
    if (full.size() > MAX_DN_CHARS)
        return "the full name " + full + " is longer than " + std::to_string(MAX_DN_CHARS) +
               " characters";
    return {};
}

// Why a value is outside its attribute's bounds, or "" when it is within them.
std::string boundsProblem(const AttributeDefinition& def, std::string_view wire) {
    std::int64_t measure = 0;
    if ((def.flags & DS_SIZED_ATTR) == 0 || !valuerules::boundedMeasure(def.syntax, wire, measure))
        return {};
    const bool number =
        def.syntax == SYN_INTEGER || def.syntax == SYN_COUNTER || def.syntax == SYN_INTERVAL;
    const std::string what = number
                                 ? "is " + std::to_string(measure)
                                 : "has " + std::to_string(measure) +
                                       (def.syntax == SYN_OCTET_STRING ? " octets" : " characters");
    if (measure < std::int64_t(def.lower))
        return what + ", below its lower bound " + std::to_string(def.lower);
    if (def.upper != 0xFFFFFFFFu && measure > std::int64_t(def.upper))
        return what + ", above its upper bound " + std::to_string(def.upper);
    return {};
}

constexpr std::string_view kAliasedObjectName = "Aliased Object Name";

// The aliases met going from `start` to the object its aliased object names, and on from
// alias to alias, up to and including the first one met a second time; empty when the way
// ends at an object that is no alias, or at none.
std::vector<EntryId> aliasLoopFrom(const DirectoryModel& model, EntryId start) {
    const AttributeDefinition* aliased = model.schema().findAttribute(kAliasedObjectName);
    std::vector<EntryId> path;
    std::unordered_set<EntryId> passed;
    for (std::optional<EntryId> at = start; at;) {
        const Entry* e = model.objects().get(*at);
        if (e == nullptr || !e->live || !model.isAliasClass(e->baseClass))
            return {};
        if (!passed.insert(*at).second) {
            path.erase(path.begin(), std::find(path.begin(), path.end(), *at));
            path.push_back(*at);
            return path;
        }
        path.push_back(*at);
        const AttributeValues* v = aliased == nullptr ? nullptr : e->find(aliased);
        if (v == nullptr || v->values.empty())
            return {};
        at = model.find(v->values.front());
    }
    return {};
}

std::string codeText(NWDSCCODE rc) {
    const auto info = describeDirectoryError(rc);
    return info.name.empty() ? std::to_string(rc) : std::string(info.name);
}

} // namespace

RecordLoader::RecordLoader(DirectoryModel& model, std::string fileName)
    : model_(model), names_(model), fileName_(std::move(fileName)) {}

bool RecordLoader::load(const ldif::Record& r, std::string* error) {
    DirectoryModel& model = model_;
    const LdapNames& names = names_;
    const std::string& fileName = fileName_;
    const Schema& schema = model.schema();
    auto failAt = [&](int line, const std::string& what) {
        if (error != nullptr)
            error->assign(fileName).append(":").append(std::to_string(line)).append(": ").append(
                what);
        return false;
    };
    auto fail = [&](const std::string& what) {
        return failAt(r.line, "dn: " + names::printable(r.dn) + ": " + what);
    };
    std::vector<const ClassDefinition*> classes;
    std::vector<const ldif::Attribute*> values;
    for (const auto& a : r.attributes) {
        if (names::equalFolded(a.name, "objectClass")) {
            const ClassDefinition* c = schema.findClassByLdapName(a.value);
            if (c == nullptr)
                c = schema.findClass(a.value);
            if (c == nullptr)
                return failAt(a.line, "unknown class " + a.value);
            classes.push_back(c);
        } else {
            values.push_back(&a);
        }
    }
    const ClassDefinition* base = baseClassOf(schema, classes);
    if (base == nullptr)
        return fail("no objectClass");

    EntryId id = kRootEntry;
    std::vector<valuetext::DnComponent> dn;
    if (r.dn.find('\0') != std::string::npos)
        return fail("the name holds a NUL byte, which no name can carry");
    if (!valuetext::splitDn(r.dn, dn))
        return fail(holdsByteFF(r.dn) ? "the name is not UTF-8 text" : "malformed DN");
    if (auto why = nameProblem(dn); !why.empty())
        return fail(why);
    if (dn.empty()) {
        model.objects().root().baseClass = base;
    } else {
        std::vector<std::string> parentComponents;
        for (std::size_t i = 1; i < dn.size(); ++i)
            parentComponents.push_back(dn[i].value);
        auto parent = model.objects().lookup(parentComponents);
        if (!parent)
            return fail("its container is not loaded (yet)");
        const AttributeDefinition* naming = attributeByText(schema, dn[0].type);
        if (naming == nullptr)
            return fail("unknown naming attribute " + dn[0].type);
        std::string namingValue;
        if (valuetext::parse(naming->syntax, dn[0].value, names, namingValue) != 0)
            return fail("the name is not a valid value of " + naming->name);
        if (auto why = boundsProblem(*naming, namingValue); !why.empty())
            return fail("the name as its " + naming->name + " value " + why);
        if (auto rc = model.addEntry(*parent, dn[0].value, naming, *base, &id); rc != 0)
            return fail("cannot add: " + codeText(rc));
    }
    for (const ldif::Attribute* a : values) {
        const AttributeDefinition* def = attributeByText(schema, a->name);
        if (def == nullptr)
            return failAt(a->line, "unknown attribute " + a->name);
        std::string w;
        if (valuetext::parse(def->syntax, a->value, names, w) != 0)
            return failAt(a->line, "the value of " + a->name + " is not a valid " +
                                       syntaxName(schema, def->syntax) + " value");
        if (auto why = boundsProblem(*def, w); !why.empty())
            return failAt(a->line, "the value of " + a->name + " " + why);
        if (auto rc = model.addValues(id, *def, {std::move(w)}); rc != 0)
            return failAt(a->line, "cannot add the value of " + a->name + ": " + codeText(rc));
    }
    // An alias closes a loop when it is added; checked then, every loop is found at the
    // alias that closes it.
    if (!dn.empty() && model.isAliasClass(base)) {
        if (auto loop = aliasLoopFrom(model, id); !loop.empty()) {
            int line = r.line;
            for (const ldif::Attribute* a : values) {
                const AttributeDefinition* def = attributeByText(schema, a->name);
                if (def != nullptr && def->name == kAliasedObjectName)
                    line = a->line;
            }
            std::string through;
            for (EntryId each : loop)
                through += (through.empty() ? "" : ", ") +
                           names.nameToText(model.objects().fullName(each));
            return failAt(line, "following aliases from " +
                                    names.nameToText(model.objects().fullName(loop.front())) +
                                    " comes back to it: " + through);
        }
    }
    if (dn.empty()) {
        // [Root] carries its class in Object Class like every other object.
        if (const AttributeDefinition* oc = schema.findAttribute("Object Class")) {
            std::vector<std::string> lineage;
            for (auto* c : schema.lineage(*base))
                lineage.push_back(c->name);
            model.addValues(kRootEntry, *oc, lineage);
        }
    }
    return true;
}

bool loadRecords(DirectoryModel& model, const std::vector<ldif::Record>& records,
                 const std::string& fileName, std::string* error) {
    RecordLoader loader(model, fileName);
    for (const auto& r : records) {
        if (!loader.load(r, error))
            return false;
    }
    return true;
}
