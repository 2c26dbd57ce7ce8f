// Reading search entries out of the server's messages.
#include "LdapEntryDecoding.h"

#include <cstring>
#include <ldap.h>

namespace ldapber {

bool nextElement(std::string_view& in, std::string_view& contents) {
    if (in.size() < 2 || (static_cast<unsigned char>(in[0]) & 0x1F) == 0x1F)
        return false;
    std::size_t length = static_cast<unsigned char>(in[1]);
    std::size_t at = 2;
    if (length & 0x80) {
        const std::size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 4 || in.size() - at < bytes)
            return false;
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            length = (length << 8) | static_cast<unsigned char>(in[at + i]);
        at += bytes;
    }
    if (length > in.size() - at)
        return false;
    contents = in.substr(at, length);
    in.remove_prefix(at + length);
    return true;
}

bool decodeEntry(LDAP* ld, LDAPMessage* msg, LdapEntryView& out) {
    out.dn = {};
    out.attributes.clear();
    out.values.clear();
    BerElement* ber = nullptr;
    berval dn{0, nullptr};
    if (ldap_get_dn_ber(ld, msg, &ber, &dn) != LDAP_SUCCESS) {
        if (ber != nullptr)
            ber_free(ber, 0);
        return false;
    }
    if (dn.bv_val != nullptr)
        out.dn = std::string_view(dn.bv_val, dn.bv_len);
    // Each attribute is a sequence of its name (an octet string) and the set of its values
    // (octet strings). The attribute list ends the message, but for the entry's controls.
    constexpr unsigned char kOctetString = 0x04, kSequence = 0x30, kSet = 0x31;
    constexpr ber_tag_t kControls = 0xA0;
    auto tagged = [](std::string_view in, unsigned char tag) {
        return !in.empty() && static_cast<unsigned char>(in.front()) == tag;
    };
    bool whole = true;
    berval element{0, nullptr};
    for (;;) {
        ber_len_t left = 0;
        ber_get_option(ber, LBER_OPT_REMAINING_BYTES, &left);
        if (left == 0)
            break;
        ber_len_t length = 0;
        if (ber_peek_tag(ber, &length) == kControls)
            break;
        if (ber_skip_element(ber, &element) != kSequence) {
            whole = false;
            break;
        }
        std::string_view rest(element.bv_val != nullptr ? element.bv_val : "", element.bv_len);
        std::string_view name, set, value; // the element is the sequence's contents
        if (!tagged(rest, kOctetString) || !nextElement(rest, name) || name.empty() ||
            !tagged(rest, kSet) || !nextElement(rest, set) || !rest.empty()) {
            whole = false;
            break;
        }
        LdapEntryView::Attribute a{name, out.values.size(), 0};
        while (!set.empty() && tagged(set, kOctetString) && nextElement(set, value)) {
            out.values.push_back(value);
            ++a.count;
        }
        if (!set.empty()) {
            out.values.resize(a.first);
            whole = false;
            break;
        }
        out.attributes.push_back(a);
    }
    ber_free(ber, 0);
    return whole;
}

std::size_t messageBytes(LDAP* ld, LDAPMessage* msg) {
    BerElement* ber = nullptr;
    berval dn{0, nullptr};
    if (ldap_get_dn_ber(ld, msg, &ber, &dn) != LDAP_SUCCESS) {
        if (ber != nullptr)
            ber_free(ber, 0);
        return 0;
    }
    ber_len_t total = 0;
    ber_get_option(ber, LBER_OPT_BER_TOTAL_BYTES, &total);
    ber_free(ber, 0);
    return total;
}

bool collectEntry(LDAP* ld, LDAPMessage* msg, bool typesOnly,
                  const std::vector<std::string>* valuesOf, LdapEntry& out) {
    LdapEntryView view;
    if (!decodeEntry(ld, msg, view))
        return false;
    out.dn.assign(view.dn);
    out.attributes.clear();
    out.attributes.reserve(view.attributes.size());
    for (const auto& a : view.attributes) {
        std::string attribute(a.name);
        std::vector<std::string> values;
        bool wanted = !typesOnly;
        if (wanted && valuesOf != nullptr) {
            wanted = false;
            for (const auto& v : *valuesOf)
                wanted = wanted || strcasecmp(v.c_str(), attribute.c_str()) == 0;
        }
        if (wanted) {
            values.reserve(a.count);
            for (auto v : view.valuesOf(a))
                values.emplace_back(v);
        }
        out.attributes.emplace_back(std::move(attribute), std::move(values));
    }
    return true;
}

} // namespace ldapber
