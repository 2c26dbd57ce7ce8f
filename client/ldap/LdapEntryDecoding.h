#pragma once

#include "LdapSession.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

struct ldap; // libldap's connection and message, kept out of this header
struct ldapmsg;

// An entry as it lies in the server's message: its DN, attribute names and values point into
// the message and hold only while the entry is being handed over. Decoding one copies nothing.
struct LdapEntryView {
    struct Attribute {
        std::string_view name;
        std::size_t first = 0; // its values: values[first, first + count)
        std::size_t count = 0;
    };
    std::string_view dn;
    std::vector<Attribute> attributes;
    std::vector<std::string_view> values;

    std::span<const std::string_view> valuesOf(const Attribute& a) const {
        return {values.data() + a.first, a.count};
    }
};

namespace ldapber {
// One BER element off the front of `in`: its contents, and `in` left after it. LDAP sends
// single-byte tags and definite lengths only; anything else (or an element running past the
// end) is refused, leaving `in` as it was.
bool nextElement(std::string_view& in, std::string_view& contents);

// One pass over a search entry message, copying nothing. false when the entry does not
// decode whole: no DN, or an attribute that is not a name and a set of values.
bool decodeEntry(ldap* ld, ldapmsg* msg, LdapEntryView& out);

// The same entry copied out; only the attributes of `valuesOf` (when given) keep their values,
// and none with `typesOnly`. false as decodeEntry.
bool collectEntry(ldap* ld, ldapmsg* msg, bool typesOnly, const std::vector<std::string>* valuesOf,
                  LdapEntry& out);
// The bytes of a message as it travelled; 0 when it cannot be told.
std::size_t messageBytes(ldap* ld, ldapmsg* msg);
} // namespace ldapber
