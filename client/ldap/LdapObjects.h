#pragma once

#include "client/common/Schema.h"
#include "directory/Records.h"

#include <memory>
#include <string>
#include <vector>

// The attributes an object shows, shared by the listed objects that show the same.
using LdapAttributeList = std::vector<const AttributeDefinition*>;

// An object as listed or read: its DN, what the object information record says, and its
// attributes (directory definitions) with their values when values were read.
struct LdapObjectData {
    std::string dn;
    std::string ownName; // a listed object's own name as the listing gives it
    Object_Info_T info{};
    std::vector<const AttributeDefinition*> attributes;
    std::vector<std::vector<std::string>> values; // text forms, parallel to attributes
    // What a listing brought, shared, in place of `attributes` (names only).
    std::shared_ptr<const LdapAttributeList> shown;
    const LdapAttributeList& attributeList() const { return shown ? *shown : attributes; }
};

class ReplyWriter;
namespace valuetext {
class NameMapping;
}

namespace ldapobjects {
// The values of an attribute as the server gave them (text forms), from `next` on, into the
// reply in their wire forms while they fit; false when it filled up. A text that is no value
// of the attribute's syntax is left out rather than shown wrongly. `wireValue` is room reused
// from call to call.
bool addTextValues(ReplyWriter& reply, const AttributeDefinition& def,
                   const std::vector<std::string>& texts, std::size_t& next,
                   const valuetext::NameMapping& names, std::string& wireValue);
} // namespace ldapobjects
