// Attributes with options: an entry may hold "userCertificate;binary" or
// "description;lang-de", which no schema defines by that name. Each is shown and read under
// its full name with the definition of the attribute before the options.
#include "LdapNaming.h"
#include "LdapTree.h"

namespace {

const AttributeDefinition* withOptions(std::deque<AttributeDefinition>& made,
                                       const AttributeDefinition& base, std::string_view options) {
    const std::string name = base.name + std::string(options);
    for (const auto& known : made) {
        if (names::equalFolded(known.name, name))
            return &known;
    }
    // Bounded: a server that sends a new option with every entry cannot grow this for ever.
    if (made.size() >= 4096)
        return nullptr;
    AttributeDefinition def = base;
    def.name = name;
    def.ldapName = base.ldapName + std::string(options);
    def.base = true;
    if (def.name.size() > MAX_SCHEMA_NAME_CHARS)
        return nullptr;
    made.push_back(std::move(def));
    return &made.back();
}

} // namespace

const AttributeDefinition* LdapNaming::ldapAttribute(LdapTree& tree, std::string_view ldapName) {
    if (const AttributeDefinition* def = tree.schema->findAttributeByLdapName(ldapName))
        return def;
    const std::size_t semicolon = ldapName.find(';');
    if (semicolon == std::string_view::npos || semicolon == 0)
        return nullptr;
    const AttributeDefinition* base =
        tree.schema->findAttributeByLdapName(ldapName.substr(0, semicolon));
    return base != nullptr ? withOptions(tree.withOptions, *base, ldapName.substr(semicolon))
                           : nullptr;
}

const AttributeDefinition* LdapNaming::directoryAttribute(LdapTree& tree, std::string_view name) {
    if (const AttributeDefinition* def = tree.schema->findAttribute(name))
        return def;
    const std::size_t semicolon = name.find(';');
    if (semicolon == std::string_view::npos || semicolon == 0)
        return nullptr;
    const AttributeDefinition* base = tree.schema->findAttribute(name.substr(0, semicolon));
    return base != nullptr ? withOptions(tree.withOptions, *base, name.substr(semicolon)) : nullptr;
}
