#include "LdapSchemaNames.h"

std::optional<std::string> LdapSchemaNames::classFromText(std::string_view text) const {
    const ClassDefinition* c = schema_.findClassByLdapName(text);
    if (c == nullptr)
        c = schema_.findClass(text);
    return c == nullptr ? std::nullopt : std::optional<std::string>(c->name);
}

std::string LdapSchemaNames::classToText(std::string_view name) const {
    const ClassDefinition* c = schema_.findClass(name);
    return c == nullptr || c->ldapName.empty() ? std::string(name) : c->ldapName;
}

std::optional<std::string> LdapSchemaNames::attrFromText(std::string_view text) const {
    const AttributeDefinition* a = schema_.findAttributeByLdapName(text);
    if (a == nullptr)
        a = schema_.findAttribute(text);
    if (a == nullptr)
        return keepUnknownAttributes_ ? std::optional<std::string>(text) : std::nullopt;
    return a->name;
}

std::string LdapSchemaNames::attrToText(std::string_view name) const {
    const AttributeDefinition* a = schema_.findAttribute(name);
    return a == nullptr || a->ldapName.empty() ? std::string(name) : a->ldapName;
}
