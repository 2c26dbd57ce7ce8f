#pragma once

#include "client/common/Names.h"
#include "client/common/Schema.h"
#include "directory/Records.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class ReplyWriter;
struct LdapEntry;
struct LdapTree;
namespace valuetext {
class NameMapping;
}

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

// The objects the LDAP client shows, made from the entries the server gives.
namespace ldapobjects {

// What the classes an entry lists come to, found once for the entries that list the same.
struct KnownClasses {
    std::string structural;
    std::vector<std::string> classes; // as the entry lists them
    const ClassDefinition* base = nullptr;
    bool alias = false;
    std::vector<std::string> lineage; // the objectClass values the directory shows
};

// The object information record of an entry read with its classes, modification time and
// whether it holds objects (ldapreads::withInfo).
Object_Info_T infoOf(LdapTree& tree, const LdapEntry& e);
// The object of an entry, with the values of its attributes when `withValues`; its DN is
// written back from its parts.
LdapObjectData dataOf(LdapTree& tree, LdapEntry&& e, bool withValues);

// The values of an attribute as the server gave them (text forms), from `next` on, into the
// reply in their wire forms while they fit; false when it filled up. A text that is no value
// of the attribute's syntax is left out rather than shown wrongly. `wireValue` is room reused
// from call to call.
bool addTextValues(ReplyWriter& reply, const AttributeDefinition& def,
                   const std::vector<std::string>& texts, std::size_t& next,
                   const valuetext::NameMapping& names, std::string& wireValue);

// ---- The pieces of an object's information, for entries read whole or seen in place ----
struct BaseClass {
    const ClassDefinition* cls = nullptr;
    bool alias = false;
};

// The class follows from the structural class and the listed classes alone: the structural
// one, or else the most specific of the listed ones.
template <class Text>
BaseClass baseClassOf(const Schema& schema, std::span<const Text> structural,
                      std::span<const Text> classes) {
    BaseClass out;
    if (!structural.empty())
        out.cls = schema.findClassByLdapName(structural.front());
    if (out.cls == nullptr) {
        for (const auto& name : classes) {
            const ClassDefinition* c = schema.findClassByLdapName(name);
            if (c != nullptr && (out.cls == nullptr || schema.isA(*c, out.cls->name)))
                out.cls = c;
        }
    }
    out.alias = out.cls != nullptr && schema.isA(*out.cls, "Alias");
    return out;
}

// "YYYYMMDDHHMMSSZ", with fractions of a second on some servers; 0 when it is no time.
std::uint32_t secondsOf(std::string_view stamp);

template <class Text> Object_Info_T infoWith(BaseClass base, std::span<const Text> subordinates) {
    Object_Info_T info{};
    if (base.cls != nullptr) {
        if (base.cls->flags & DS_CONTAINER_CLASS)
            info.objectFlags |= DS_CONTAINER_ENTRY;
        if (base.alias)
            info.objectFlags |= 0x01; // an alias entry
        std::memcpy(info.baseClass, base.cls->name.data(),
                    std::min(base.cls->name.size(), MAX_SCHEMA_NAME_CHARS));
    }
    if (!subordinates.empty())
        info.subordinateCount = names::equalFolded(subordinates.front(), "TRUE") ? 1 : 0;
    // Whatever holds objects can be entered, whatever its class says.
    if (info.subordinateCount > 0)
        info.objectFlags |= DS_CONTAINER_ENTRY;
    return info;
}

// An attribute shown once in a list of shown attributes: known, not hidden, not there yet.
bool addShown(std::vector<const AttributeDefinition*>& shown, const AttributeDefinition* def);

} // namespace ldapobjects
