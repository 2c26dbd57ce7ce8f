#pragma once

#include "client/common/LdapSchemaNames.h"
#include "client/common/Schema.h"
#include "client/common/ValueText.h"

#include <functional>

// Names inside values as an LDAP server writes them: DNs for objects, LDAP names for classes
// and attributes; the directory's dotted names and schema names on the client's side.
class LdapValueNames : public LdapSchemaNames {
public:
    // dnOf turns a dotted name into a DN, or nothing when the server holds no such object.
    // Pseudo attributes ("[Entry Rights]") and names the schema does not hold stay as written.
    LdapValueNames(const Schema& schema,
                   std::function<std::optional<std::string>(std::string_view)> dnOf)
        : LdapSchemaNames(schema, true), dnOf_(std::move(dnOf)) {}
    std::optional<std::string> nameFromText(std::string_view text) const override;
    std::string nameToText(std::string_view name) const override;

private:
    std::function<std::optional<std::string>(std::string_view)> dnOf_;
};
