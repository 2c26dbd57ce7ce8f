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
