#pragma once

#include "client/common/Schema.h"
#include "client/common/ValueText.h"

#include <functional>

// Names inside values as an LDAP server writes them: DNs for objects, LDAP names for classes
// and attributes; the directory's dotted names and schema names on the client's side.
class LdapValueNames : public valuetext::NameMapping {
public:
    // dnOf turns a dotted name into a DN, or nothing when the server holds no such object.
    LdapValueNames(const Schema& schema,
                   std::function<std::optional<std::string>(std::string_view)> dnOf)
        : schema_(schema), dnOf_(std::move(dnOf)) {}
    std::optional<std::string> nameFromText(std::string_view text) const override;
    std::string nameToText(std::string_view name) const override;
    std::optional<std::string> classFromText(std::string_view text) const override;
    std::string classToText(std::string_view name) const override;
    std::optional<std::string> attrFromText(std::string_view text) const override;
    std::string attrToText(std::string_view name) const override;

private:
    const Schema& schema_;
    std::function<std::optional<std::string>(std::string_view)> dnOf_;
};
