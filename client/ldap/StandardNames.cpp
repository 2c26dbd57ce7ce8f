#include "StandardNames.h"

#include "client/common/Names.h"
#include "directory/Records.h"

#include <array>

namespace standardnames {
namespace {

constexpr std::uint32_t kKept = DS_NONREMOVABLE_ATTR | DS_SYNC_IMMEDIATE;

// The demo schema's names for the standard attributes it shares, with its bounds.
constexpr std::array kAttributes = {
    Attribute{"objectClass", "Object Class", kKept},
    Attribute{"aliasedObjectName", "Aliased Object Name", DS_NONREMOVABLE_ATTR},
    Attribute{"cn", "CN", kKept, 1, 64},
    Attribute{"commonName", "CN", kKept, 1, 64},
    Attribute{"sn", "Surname", 0, 1, 64},
    Attribute{"surname", "Surname", 0, 1, 64},
    Attribute{"serialNumber", "Serial Number", 0, 1, 64},
    Attribute{"c", "C", DS_NONREMOVABLE_ATTR, 2, 2},
    Attribute{"countryName", "C", DS_NONREMOVABLE_ATTR, 2, 2},
    Attribute{"l", "L", 0, 1, 128},
    Attribute{"localityName", "L", 0, 1, 128},
    Attribute{"st", "S", 0, 1, 128},
    Attribute{"stateOrProvinceName", "S", 0, 1, 128},
    Attribute{"street", "SA", 0, 1, 128},
    Attribute{"streetAddress", "SA", 0, 1, 128},
    Attribute{"o", "O", kKept, 1, 64},
    Attribute{"organizationName", "O", kKept, 1, 64},
    Attribute{"ou", "OU", kKept, 1, 64},
    Attribute{"organizationalUnitName", "OU", kKept, 1, 64},
    Attribute{"title", "Title", 0, 1, 64},
    Attribute{"description", "Description", 0, 1, 1024},
    Attribute{"postalAddress", "Postal Address"},
    Attribute{"postalCode", "Postal Code", 0, 0, 40},
    Attribute{"postOfficeBox", "Postal Office Box", 0, 0, 40},
    Attribute{"physicalDeliveryOfficeName", "Physical Delivery Office Name", 0, 1, 128},
    Attribute{"telephoneNumber", "Telephone Number", 0, 1, 32},
    Attribute{"facsimileTelephoneNumber", "Facsimile Telephone Number"},
    Attribute{"fax", "Facsimile Telephone Number"},
    Attribute{"member", "Member"},
    Attribute{"owner", "Owner"},
    Attribute{"roleOccupant", "Role Occupant"},
    Attribute{"seeAlso", "See Also"},
    Attribute{"givenName", "Given Name", 0, 1, 32},
    Attribute{"gn", "Given Name", 0, 1, 32},
    Attribute{"initials", "Initials", 0, 1, 8},
    Attribute{"generationQualifier", "Generational Qualifier", 0, 1, 8},
    Attribute{"mail", "Internet EMail Address"},
    Attribute{"rfc822Mailbox", "Internet EMail Address"},
    Attribute{"uid", "Unique ID"},
    Attribute{"userid", "Unique ID"},
};

constexpr std::uint32_t kContainer = DS_CONTAINER_CLASS | DS_NONREMOVABLE_CLASS;
constexpr std::string_view kAnyContainer =
    "country locality organization organizationalUnit domain dcObject nsContainer";
constexpr std::string_view kOrganizational = "organization organizationalUnit domain dcObject "
                                             "locality nsContainer";

// Containment: the demo schema's, with the domain classes a dc= tree is built of. Classes
// the table does not hold may go anywhere the server lets them.
constexpr std::array kClasses = {
    Class{"top", "Top", DS_NONREMOVABLE_CLASS},
    Class{"country", "Country", kContainer, "", "c"},
    Class{"locality", "Locality", kContainer | DS_AMBIGUOUS_NAMING,
          "country organization organizationalUnit locality domain dcObject", "l st"},
    Class{"organization", "Organization", kContainer, "country locality domain dcObject", "o"},
    Class{"organizationalUnit", "Organizational Unit", kContainer, kOrganizational, "ou"},
    Class{"domain", "domain", kContainer, "", "dc"},
    Class{"dcObject", "dcObject", kContainer, "", "dc"},
    Class{"nsContainer", "nsContainer", kContainer, "", "cn"},
    Class{"person", "Person", DS_NONREMOVABLE_CLASS, kOrganizational, "cn"},
    Class{"organizationalPerson", "Organizational Person", DS_NONREMOVABLE_CLASS, kOrganizational,
          "cn"},
    Class{"inetOrgPerson", "User", DS_NONREMOVABLE_CLASS, kOrganizational, "cn uid"},
    Class{"groupOfNames", "Group", DS_NONREMOVABLE_CLASS, kOrganizational, "cn"},
    Class{"device", "Device", DS_NONREMOVABLE_CLASS, kOrganizational, "cn"},
    Class{"organizationalRole", "Organizational Role", DS_NONREMOVABLE_CLASS, kOrganizational,
          "cn"},
    Class{"alias", "Alias", DS_NONREMOVABLE_CLASS | DS_AMBIGUOUS_NAMING | DS_AMBIGUOUS_CONTAINMENT,
          kAnyContainer, "cn ou o l c dc"},
    Class{"account", "account", 0, kOrganizational, "uid"},
    Class{"groupOfUniqueNames", "groupOfUniqueNames", 0, kOrganizational, "cn"},
    Class{"posixGroup", "posixGroup", 0, kOrganizational, "cn"},
};

template <class Entry, std::size_t N>
const Entry* byLdapName(const std::array<Entry, N>& table, std::string_view name) {
    for (const auto& e : table) {
        if (names::equalFolded(e.ldapName, name))
            return &e;
    }
    return nullptr;
}

} // namespace

const Attribute* attribute(std::string_view ldapName) {
    return byLdapName(kAttributes, ldapName);
}
const Class* objectClass(std::string_view ldapName) {
    return byLdapName(kClasses, ldapName);
}

std::size_t attributeCount() {
    return kAttributes.size();
}
const Attribute& attributeAt(std::size_t i) {
    return kAttributes.at(i);
}
std::size_t classCount() {
    return kClasses.size();
}
const Class& classAt(std::size_t i) {
    return kClasses.at(i);
}

} // namespace standardnames
