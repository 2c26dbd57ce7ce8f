// A tree's schema, read from its server's subschema entry at connection and again after
// every schema change.
#include "LdapSchemaConfig.h"
#include "LdapTree.h"
#include "ServerSchema.h"
#include "client/common/Names.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cstdio>

namespace {

const std::vector<std::string> kStandardNamingTypes = {"cn", "ou", "o",  "l",
                                                       "st", "c",  "dc", "uid"};

} // namespace

NWDSCCODE loadTreeSchema(LdapTree& tree, LdapFailure& failure, std::string* message) {
    LdapEntry schemaEntry;
    NWDSCCODE rc = tree.session->readEntry(tree.subschemaDn,
                                           {"ldapSyntaxes", "attributeTypes", "objectClasses"},
                                           false, LdapSession::Deref::Never, schemaEntry);
    if (rc != 0) {
        failure = tree.session->lastFailure();
        if (message != nullptr)
            *message = tree.setting.uri + ": the schema cannot be read (" + failure.text + ")";
        return rc;
    }
    serverschema::SubschemaValues values;
    if (auto* v = schemaEntry.find("ldapSyntaxes"))
        values.ldapSyntaxes = *v;
    if (auto* v = schemaEntry.find("attributeTypes"))
        values.attributeTypes = *v;
    if (auto* v = schemaEntry.find("objectClasses"))
        values.objectClasses = *v;
    auto schema = std::make_unique<Schema>();
    std::string why;
    std::vector<std::string> unreadable;
    if (!serverschema::build(values, tree.hints, *schema, &why, &unreadable)) {
        if (message != nullptr)
            *message = tree.setting.uri + ": the server's schema cannot be read: " + why;
        return ERR_INVALID_SERVER_RESPONSE;
    }
    if (!unreadable.empty()) {
        // Without what every object holds (its classes, the top class) no page can show an
        // object; without anything else the pages go on, and the user is told what is missing.
        const std::string note = tree.setting.uri + ": " + serverschema::unreadableNote(unreadable);
        if (schema->findAttributeByLdapName("objectClass") == nullptr ||
            schema->findClassByLdapName("top") == nullptr) {
            if (message != nullptr)
                *message = note + "; the definitions every object needs are among them";
            return ERR_INVALID_SERVER_RESPONSE;
        }
        std::fprintf(stderr, "%s; the rest of the schema is used\n", note.c_str());
    }
    // Definitions made at run time may be removed again; the others are the tree's base.
    for (const auto& a : schema->attributes())
        a->base = !schemaconfig::isRunTimeOid(a->oid);
    for (const auto& c : schema->classes())
        c->base = !schemaconfig::isRunTimeOid(c->oid);
    // Reads under way may still point into the schema they began with.
    if (tree.schema)
        tree.retiredSchemas.push_back(std::move(tree.schema));
    tree.listedNames.clear();
    tree.listedByName.objects.clear();
    tree.knownClasses.clear();
    tree.schema = std::move(schema);
    tree.subschemaValues = std::move(values);
    tree.namingTypes = kStandardNamingTypes;
    for (const auto& c : tree.schema->classes()) {
        for (const auto& a : c->lists[ClassDefinition::Naming]) {
            const AttributeDefinition* def = tree.schema->findAttribute(a);
            if (def == nullptr)
                continue;
            const bool known = std::any_of(
                tree.namingTypes.begin(), tree.namingTypes.end(),
                [&](const std::string& t) { return names::equalFolded(t, def->ldapName); });
            if (!known)
                tree.namingTypes.push_back(def->ldapName);
        }
    }
    return 0;
}
