#include "TreeLoader.h"

#include "client/common/Names.h"
#include "directory/ResultCodes.h"

std::optional<std::string> LdapNames::nameFromText(std::string_view text) const {
    if (text.empty())
        return std::nullopt;
    if (text.front() == '[')
        return std::string(text);
    std::vector<valuetext::DnComponent> parts;
    if (!valuetext::splitDn(text, parts))
        return std::nullopt;
    std::vector<std::string> components;
    for (auto& p : parts)
        components.push_back(std::move(p.value));
    return names::join(components);
}

std::string LdapNames::nameToText(std::string_view name) const {
    names::ParsedName parsed;
    if (names::parse(name, parsed) != 0 || parsed.root || name.front() == '[')
        return std::string(name);
    std::string out;
    const ObjectStore& store = model_.objects();
    auto id = store.lookup(parsed.components);
    std::vector<EntryId> chain = id ? store.ancestry(*id) : std::vector<EntryId>{};
    for (std::size_t i = 0; i < parsed.components.size(); ++i) {
        std::string tag = "cn";
        if (i < chain.size()) {
            const Entry* e = store.get(chain[i]);
            if (e != nullptr && !e->namingType.empty())
                tag = names::fold(e->namingType);
        }
        if (i != 0)
            out += ',';
        out += tag + "=" + valuetext::escapeDnValue(parsed.components[i]);
    }
    return out;
}

std::optional<std::string> LdapNames::classFromText(std::string_view text) const {
    const ClassDefinition* c = model_.schema().findClassByLdapName(text);
    if (c == nullptr)
        c = model_.schema().findClass(text);
    return c == nullptr ? std::nullopt : std::optional<std::string>(c->name);
}

std::string LdapNames::classToText(std::string_view name) const {
    const ClassDefinition* c = model_.schema().findClass(name);
    return c == nullptr || c->ldapName.empty() ? std::string(name) : c->ldapName;
}

std::optional<std::string> LdapNames::attrFromText(std::string_view text) const {
    const AttributeDefinition* a = model_.schema().findAttributeByLdapName(text);
    if (a == nullptr)
        a = model_.schema().findAttribute(text);
    return a == nullptr ? std::nullopt : std::optional<std::string>(a->name);
}

std::string LdapNames::attrToText(std::string_view name) const {
    const AttributeDefinition* a = model_.schema().findAttribute(name);
    return a == nullptr || a->ldapName.empty() ? std::string(name) : a->ldapName;
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

std::string codeText(NWDSCCODE rc) {
    const auto info = describeDirectoryError(rc);
    return info.name.empty() ? std::to_string(rc) : std::string(info.name);
}

} // namespace

bool loadRecords(DirectoryModel& model, const std::vector<ldif::Record>& records,
                 std::string* error) {
    const LdapNames names(model);
    const Schema& schema = model.schema();
    for (const auto& r : records) {
        auto fail = [&](const std::string& what) {
            if (error != nullptr)
                *error = "line " + std::to_string(r.line) + " (dn: " + r.dn + "): " + what;
            return false;
        };
        std::vector<const ClassDefinition*> classes;
        std::vector<const ldif::Attribute*> values;
        for (const auto& a : r.attributes) {
            if (names::equalFolded(a.name, "objectClass")) {
                const ClassDefinition* c = schema.findClassByLdapName(a.value);
                if (c == nullptr)
                    c = schema.findClass(a.value);
                if (c == nullptr)
                    return fail("unknown class " + a.value);
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
        if (!valuetext::splitDn(r.dn, dn))
            return fail("malformed DN");
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
            if (auto rc = model.addEntry(*parent, dn[0].value, naming, *base, &id); rc != 0)
                return fail("cannot add: " + codeText(rc));
        }
        for (const ldif::Attribute* a : values) {
            const AttributeDefinition* def = attributeByText(schema, a->name);
            if (def == nullptr)
                return fail("unknown attribute " + a->name);
            std::string w;
            if (auto rc = valuetext::parse(def->syntax, a->value, names, w); rc != 0)
                return fail("bad value of " + a->name + ": " + codeText(rc));
            if (auto rc = model.addValues(id, *def, {std::move(w)}); rc != 0)
                return fail("cannot add value of " + a->name + ": " + codeText(rc));
        }
        if (dn.empty()) {
            // [Root] carries its class in Object Class like every other object.
            if (const AttributeDefinition* oc = schema.findAttribute("Object Class")) {
                std::vector<std::string> lineage;
                for (auto* c : schema.lineage(*base))
                    lineage.push_back(c->name);
                model.addValues(kRootEntry, *oc, std::move(lineage));
            }
        }
    }
    return true;
}
