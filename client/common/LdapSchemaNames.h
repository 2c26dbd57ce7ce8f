#pragma once

#include "Schema.h"
#include "ValueText.h"

#include <optional>
#include <string>
#include <string_view>

// Names inside values as LDIF and LDAP write them, as far as a schema decides them: classes
// and attributes by their LDAP names (the directory's own names read too). How objects are
// named is left to the directory that derives from it.
class LdapSchemaNames : public valuetext::NameMapping {
public:
    std::optional<std::string> classFromText(std::string_view text) const override;
    std::string classToText(std::string_view name) const override;
    std::optional<std::string> attrFromText(std::string_view text) const override;
    std::string attrToText(std::string_view name) const override;

protected:
    // With `keepUnknownAttributes`, an attribute name the schema does not hold (a pseudo
    // attribute such as "[Entry Rights]") reads as written; otherwise it does not read.
    LdapSchemaNames(const Schema& schema, bool keepUnknownAttributes)
        : schema_(schema), keepUnknownAttributes_(keepUnknownAttributes) {}

private:
    const Schema& schema_;
    bool keepUnknownAttributes_;
};
