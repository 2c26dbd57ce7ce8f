// Schema definitions over LDAP: attribute and class definitions written into the server's
// configuration (LdapSchemaConfig) in the same form the seed of a private server writes them
// (StoredDefinitions), with the X-NDS-* extensions carrying what the directory needs. The
// rules are the embedded directory's (SchemaRules), asked of the schema the server gave.
// The server lets a definition go while entries or other definitions still use it, and its
// configuration may then no longer load; so the use is checked here before anything is sent.
#include "LdapSchemaWriter.h"

#include "LdapOutcome.h"
#include "LdapSchemaConfig.h"
#include "LdapTree.h"
#include "OstrelObjectClass.h"
#include "StandardSchema.h"
#include "StoredDefinitions.h"
#include "client/common/Names.h"
#include "client/common/RequestDecoding.h"
#include "client/common/SchemaRules.h"
#include "directory/ResultCodes.h"

#include <map>

namespace {

using schemastatements::Definition;

std::vector<Definition> parsedAll(const std::vector<std::string>& values, const char* keyword) {
    std::vector<Definition> out;
    for (const auto& v : values) {
        Definition d;
        if (schemastatements::parseDescription(keyword, v, d))
            out.push_back(std::move(d));
    }
    return out;
}

// Whether any of the descriptions, other than the one of `self`, names the definition (by
// LDAP name or OID) in one of `keys`.
bool namedByOthers(const std::vector<Definition>& defs, std::initializer_list<const char*> keys,
                   const std::string& ldapName, const std::string& oid) {
    for (const auto& d : defs) {
        if (d.oid == oid)
            continue;
        if (schemaconfig::refersTo(d, keys, ldapName) || schemaconfig::refersTo(d, keys, oid))
            return true;
    }
    return false;
}

// The kind keyword of a new class: structural for an effective class; otherwise what its
// super classes allow (RFC 4512: an abstract class has abstract super classes only).
const char* kindOf(std::uint32_t flags, const std::vector<const Definition*>& supers) {
    if (flags & DS_EFFECTIVE_CLASS)
        return "STRUCTURAL";
    bool structural = false, auxiliary = false;
    for (const Definition* s : supers) {
        structural = structural || (s != nullptr && (s->has("STRUCTURAL") ||
                                                     !(s->has("AUXILIARY") || s->has("ABSTRACT"))));
        auxiliary = auxiliary || (s != nullptr && s->has("AUXILIARY"));
    }
    return structural ? "STRUCTURAL" : auxiliary ? "AUXILIARY" : "ABSTRACT";
}

} // namespace

NWDSCCODE LdapSchemaWriter::readConfig(LdapTree& tree, schemaconfig::ConfigSchema& config) {
    if (auto rc = schemaconfig::read(*tree.session, tree.subschemaDn, config); rc != 0) {
        outcome_.fail(tree);
        return rc;
    }
    return 0;
}

NWDSCCODE LdapSchemaWriter::changed(LdapTree& tree, NWDSCCODE sent) {
    if (sent != 0) {
        outcome_.fail(tree);
        return sent;
    }
    return loadTreeSchema(tree, outcome_.lastFailure);
}

NWDSCCODE LdapSchemaWriter::anyEntry(LdapTree& tree, const std::string& filter, bool& found) {
    found = false;
    for (const auto& base : tree.bases) {
        if (auto rc = tree.session->anyEntry(base, filter, found); rc != 0) {
            outcome_.fail(tree);
            return rc;
        }
        if (found)
            break;
    }
    return 0;
}

NWDSCCODE LdapSchemaWriter::defineAttribute(LdapTree& tree,
                                            const schemaconfig::ConfigSchema& config,
                                            const AttributeDefinition& def) {
    if (auto rc = schemarules::checkNewAttribute(*tree.schema, def); rc != 0)
        return rc;

    const auto& known = tree.subschemaValues.attributeTypes;
    Definition d;
    d.keyword = "attributetype";
    d.oid = schemaconfig::newOid(2, known);
    d.setQuoted("NAME", {schemaconfig::newLdapName(def.name, known)});
    d.setQuoted("X-NDS-NAME", {def.name});
    d.setQuoted("X-NDS-SYNTAX", {std::to_string(def.syntax)});
    // Single values are the server's to enforce; the other flags travel as words.
    if (def.flags & DS_SINGLE_VALUED_ATTR)
        d.setFlag("SINGLE-VALUE");
    const auto words =
        standardschema::attributeFlagWords(def.flags & ~(DS_SINGLE_VALUED_ATTR | DS_SIZED_ATTR));
    if (!words.empty())
        d.setQuoted("X-NDS-FLAGS", words);
    if (def.flags & DS_SIZED_ATTR) {
        d.setQuoted("X-NDS-LOWER-BOUND", {std::to_string(def.lower)});
        d.setQuoted("X-NDS-UPPER-BOUND", {std::to_string(def.upper)});
    }
    storeddefinitions::storeAttribute(d);
    return changed(tree,
                   schemaconfig::add(*tree.session, config, config.attributeTypes(), d.text()));
}

NWDSCCODE LdapSchemaWriter::defineClass(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                                        const ClassDefinition& def) {
    const Schema& schema = *tree.schema;
    if (auto rc = schemarules::checkNewClass(schema, def); rc != 0)
        return rc;

    const auto& known = tree.subschemaValues.objectClasses;
    const std::vector<Definition> server = parsedAll(known, "objectclass");
    std::map<std::string, const Definition*> byName; // folded LDAP names and OIDs
    for (const auto& c : server) {
        byName[names::fold(c.oid)] = &c;
        for (const auto& n : c.values("NAME"))
            byName[names::fold(n)] = &c;
    }
    auto serverClass = [&](std::string_view name) -> const Definition* {
        auto it = byName.find(names::fold(name));
        return it == byName.end() ? nullptr : it->second;
    };

    Definition d;
    d.keyword = "objectclass";
    d.oid = schemaconfig::newOid(3, known);
    const std::string ldapName = schemaconfig::newLdapName(def.name, known);
    d.setQuoted("NAME", {ldapName});
    d.setQuoted("X-NDS-NAME", {def.name});
    auto ldapClasses = [&](ClassDefinition::List list) {
        std::vector<std::string> out;
        for (const auto& n : def.lists[list]) {
            const ClassDefinition* c = schema.findClass(n);
            out.push_back(c != nullptr ? c->ldapName : ldapName); // only itself is not there yet
        }
        return out;
    };
    auto ldapAttributes = [&](ClassDefinition::List list) {
        std::vector<std::string> out;
        for (const auto& n : def.lists[list])
            out.push_back(schema.findAttribute(n)->ldapName);
        return out;
    };
    const std::vector<std::string> supers = ldapClasses(ClassDefinition::SuperClasses);
    std::vector<const Definition*> superDefs;
    superDefs.reserve(supers.size());
    for (const auto& s : supers)
        superDefs.push_back(serverClass(s));
    storeddefinitions::setList(d, "SUP", supers);
    d.setFlag(kindOf(def.flags, superDefs));
    storeddefinitions::setList(d, "MUST", ldapAttributes(ClassDefinition::Mandatory));
    storeddefinitions::setList(d, "MAY", ldapAttributes(ClassDefinition::Optional));
    if (!def.lists[ClassDefinition::Containment].empty())
        d.setQuoted("X-NDS-CONTAINMENT", ldapClasses(ClassDefinition::Containment));
    if (!def.lists[ClassDefinition::Naming].empty())
        d.setQuoted("X-NDS-NAMING", ldapAttributes(ClassDefinition::Naming));
    if (const auto words = standardschema::classFlagWords(def.flags); !words.empty())
        d.setQuoted("X-NDS-FLAGS", words);
    storeddefinitions::storeClass(d, [&](std::string_view name) -> const Definition* {
        const Definition* c = serverClass(name);
        return c != nullptr && c->has("AUXILIARY") ? c : nullptr;
    });
    return changed(tree,
                   schemaconfig::add(*tree.session, config, config.objectClasses(), d.text()));
}

NWDSCCODE LdapSchemaWriter::addOptional(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                                        const char* className,
                                        const std::vector<std::string>& attributes) {
    const Schema& schema = *tree.schema;
    if (auto rc = schemarules::checkOptionalAdditions(schema, className, attributes); rc != 0)
        return rc;
    const ClassDefinition* cls = schema.findClass(className);
    std::vector<std::string> ldapNames;
    ldapNames.reserve(attributes.size());
    for (const auto& n : attributes)
        ldapNames.push_back(schema.findAttribute(n)->ldapName);
    if (names::equalFolded(cls->ldapName, "top")) {
        // The server's own Top takes no change; the project's class on every entry does.
        const auto* own = config.find(config.objectClasses(), ostrelobject::kOid);
        if (own == nullptr)
            return ERR_NOT_SUPPORTED;
        Definition d = own->parsed;
        ostrelobject::addToTop(d, ldapNames);
        return changed(tree, schemaconfig::replace(*tree.session, *own, d.text()));
    }
    const schemaconfig::StoredDefinition* stored = config.find(config.objectClasses(), cls->oid);
    // One the server holds itself (listed in the schema root, not in a schema entry below it)
    // takes no change.
    if (stored == nullptr ||
        (!config.subschema && names::equalFolded(stored->entryDn, config.schemaDn)))
        return ERR_NOT_SUPPORTED;
    Definition d = stored->parsed;
    std::vector<std::string> may = d.values("MAY");
    may.insert(may.end(), ldapNames.begin(), ldapNames.end());
    storeddefinitions::setList(d, "MAY", may);
    return changed(tree, schemaconfig::replace(*tree.session, *stored, d.text()));
}

NWDSCCODE LdapSchemaWriter::removeAttribute(LdapTree& tree,
                                            const schemaconfig::ConfigSchema& config,
                                            const char* attrName) {
    const Schema& schema = *tree.schema;
    const AttributeDefinition* def = schema.findAttribute(attrName);
    if (def == nullptr)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (auto rc = schemarules::checkRemovable(*def); rc != 0)
        return rc;
    // Classes that list it, the server's own included, and attributes derived from it.
    if (!schemarules::classesUsingAttribute(schema, *def).empty() ||
        namedByOthers(parsedAll(tree.subschemaValues.objectClasses, "objectclass"),
                      {"MUST", "MAY", "X-NDS-NAMING"}, def->ldapName, def->oid) ||
        namedByOthers(parsedAll(tree.subschemaValues.attributeTypes, "attributetype"), {"SUP"},
                      def->ldapName, def->oid))
        return ERR_SCHEMA_IS_IN_USE;
    bool held = false;
    if (auto rc = anyEntry(tree, "(" + def->ldapName + "=*)", held); rc != 0)
        return rc;
    if (held)
        return ERR_SCHEMA_IS_IN_USE;
    const schemaconfig::StoredDefinition* stored = config.find(config.attributeTypes(), def->oid);
    if (stored == nullptr)
        return ERR_SCHEMA_IS_NONREMOVABLE;
    return changed(tree, schemaconfig::remove(*tree.session, *stored));
}

NWDSCCODE LdapSchemaWriter::removeClass(LdapTree& tree, const schemaconfig::ConfigSchema& config,
                                        const char* className) {
    const Schema& schema = *tree.schema;
    const ClassDefinition* def = schema.findClass(className);
    if (def == nullptr)
        return ERR_NO_SUCH_CLASS;
    if (auto rc = schemarules::checkRemovable(*def); rc != 0)
        return rc;
    // Classes derived from it or placed in it, the server's own and folded ones included.
    if (!schemarules::classesUsingClass(schema, *def).empty() ||
        namedByOthers(parsedAll(tree.subschemaValues.objectClasses, "objectclass"),
                      {"SUP", storeddefinitions::kSuperiorsExtension, "X-NDS-CONTAINMENT"},
                      def->ldapName, def->oid))
        return ERR_SCHEMA_IS_IN_USE;
    bool held = false;
    if (auto rc = anyEntry(tree, "(objectClass=" + def->ldapName + ")", held); rc != 0)
        return rc;
    if (held)
        return ERR_SCHEMA_IS_IN_USE;
    const schemaconfig::StoredDefinition* stored = config.find(config.objectClasses(), def->oid);
    if (stored == nullptr)
        return ERR_SCHEMA_IS_NONREMOVABLE;
    return changed(tree, schemaconfig::remove(*tree.session, *stored));
}
