#include "LdapWire.h"

#include <ldap.h>

namespace ldapwire {

std::string lengthOf(std::size_t length) {
    if (length < 0x80)
        return std::string(1, char(length));
    std::string bytes;
    for (; length > 0; length >>= 8)
        bytes.insert(bytes.begin(), char(length & 0xFF));
    return char(0x80 | bytes.size()) + bytes;
}

std::string element(unsigned char tag, std::string_view contents) {
    std::string out(1, char(tag));
    out += lengthOf(contents.size());
    out += contents;
    return out;
}

std::string integer(long long value, unsigned char tag) {
    // Two's complement, as few bytes as keep the sign.
    std::string bytes;
    for (;;) {
        bytes.insert(bytes.begin(), char(value & 0xFF));
        const bool negative = (bytes.front() & 0x80) != 0;
        value >>= 8;
        if ((value == 0 && !negative) || (value == -1 && negative))
            break;
    }
    return element(tag, bytes);
}

std::string octets(std::string_view text) {
    return element(kOctets, text);
}

std::string message(int id, std::string_view operation, std::string_view controls) {
    std::string body = integer(id);
    body += operation;
    body += controls;
    return element(kSequence, body);
}

std::string attributeItems(const std::vector<Attribute>& attributes) {
    std::string items;
    for (const auto& a : attributes) {
        std::string values;
        for (const auto& v : a.values)
            values += octets(v);
        items += element(kSequence, octets(a.name) + element(kSet, values));
    }
    return items;
}

std::string attributeList(const std::vector<Attribute>& attributes) {
    return element(kSequence, attributeItems(attributes));
}

std::string entryOperation(const Entry& entry) {
    return element(kSearchEntry, octets(entry.dn) + attributeList(entry.attributes));
}

std::string resultOperation(unsigned char tag, int code, std::string_view diagnostic) {
    return element(tag, integer(code, kEnumerated) + octets("") + octets(diagnostic));
}

std::string referenceOperation(const std::vector<std::string>& uris) {
    std::string list;
    for (const auto& u : uris)
        list += octets(u);
    return element(kSearchReference, list);
}

std::string pagedResponse(std::string_view cookie) {
    const std::string value = element(kSequence, integer(0) + octets(cookie));
    const std::string control =
        element(kSequence, octets(LDAP_CONTROL_PAGEDRESULTS) + octets(value));
    return element(kControls, control);
}

std::string entryHead(int id, std::string_view dn, std::string_view attribute,
                      std::size_t valueSize) {
    const std::string valueHead = char(kOctets) + lengthOf(valueSize);
    const std::size_t set = valueHead.size() + valueSize;
    const std::string setHead = char(kSet) + lengthOf(set);
    const std::string name = octets(attribute);
    const std::size_t one = name.size() + setHead.size() + set;
    const std::string oneHead = char(kSequence) + lengthOf(one);
    const std::size_t list = oneHead.size() + one;
    const std::string listHead = char(kSequence) + lengthOf(list);
    const std::string dnElement = octets(dn);
    const std::size_t entry = dnElement.size() + listHead.size() + list;
    const std::string entryHead = char(kSearchEntry) + lengthOf(entry);
    const std::string idElement = integer(id);
    const std::size_t whole = idElement.size() + entryHead.size() + entry;
    return char(kSequence) + lengthOf(whole) + idElement + entryHead + dnElement + listHead +
           oneHead + name + setHead + valueHead;
}

bool nextElement(std::string_view& in, unsigned char& tag, std::string_view& contents) {
    if (in.size() < 2)
        return false;
    std::size_t length = static_cast<unsigned char>(in[1]);
    std::size_t at = 2;
    if (length & 0x80) {
        const std::size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 4 || in.size() < at + bytes)
            return false;
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i)
            length = length << 8 | static_cast<unsigned char>(in[at + i]);
        at += bytes;
    }
    if (length > in.size() - at)
        return false;
    tag = static_cast<unsigned char>(in[0]);
    contents = in.substr(at, length);
    in.remove_prefix(at + length);
    return true;
}

long long integerOf(std::string_view contents) {
    long long value = contents.empty() || (contents[0] & 0x80) == 0 ? 0 : -1;
    for (unsigned char c : contents.substr(0, 8))
        value = value * 256 + c;
    return value;
}

std::size_t wholeMessage(std::string_view in) {
    if (in.empty())
        return 0;
    if (static_cast<unsigned char>(in[0]) != kSequence)
        return std::string::npos;
    if (in.size() < 2)
        return 0;
    const std::size_t first = static_cast<unsigned char>(in[1]);
    if (first < 0x80)
        return in.size() >= 2 + first ? 2 + first : 0;
    const std::size_t bytes = first & 0x7F;
    if (bytes == 0 || bytes > 4)
        return std::string::npos;
    if (in.size() < 2 + bytes)
        return 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        length = length << 8 | static_cast<unsigned char>(in[2 + i]);
    if (length > (1u << 20)) // no request of these tests is anywhere near
        return std::string::npos;
    return in.size() >= 2 + bytes + length ? 2 + bytes + length : 0;
}

namespace {

// The paged-results control among a request's controls.
void readControls(std::string_view controls, Request& out) {
    unsigned char tag = 0;
    std::string_view control;
    while (nextElement(controls, tag, control)) {
        std::string_view oid, rest = control, value;
        if (!nextElement(rest, tag, oid) || oid != LDAP_CONTROL_PAGEDRESULTS)
            continue;
        while (nextElement(rest, tag, value) && tag != kOctets) {
        }
        if (tag != kOctets)
            continue;
        std::string_view sequence, size, cookie;
        if (nextElement(value, tag, sequence) && nextElement(sequence, tag, size) &&
            nextElement(sequence, tag, cookie)) {
            out.paged = true;
            out.pageSize = int(integerOf(size));
            out.cookie = cookie;
        }
    }
}

bool readSearch(std::string_view body, Request& out) {
    unsigned char tag = 0;
    std::string_view base, scope, skipped, attributes;
    if (!nextElement(body, tag, base) || !nextElement(body, tag, scope))
        return false;
    // deref, size limit, time limit, types only, filter
    for (int i = 0; i < 5; ++i) {
        if (!nextElement(body, tag, skipped))
            return false;
    }
    if (!nextElement(body, tag, attributes))
        return false;
    out.base = base;
    out.scope = int(integerOf(scope));
    std::string_view name;
    while (nextElement(attributes, tag, name))
        out.attributes.emplace_back(name);
    return true;
}

} // namespace

bool readRequest(std::string_view message, Request& out) {
    out = Request{};
    unsigned char tag = 0;
    std::string_view body, id, operation;
    if (!nextElement(message, tag, body) || tag != kSequence || !nextElement(body, tag, id) ||
        tag != kInteger)
        return false;
    out.id = int(integerOf(id));
    if (!nextElement(body, out.operation, operation))
        return false;
    std::string_view controls;
    if (nextElement(body, tag, controls) && tag == kControls)
        readControls(controls, out);
    switch (out.operation) {
    case kSearchRequest:
        return readSearch(operation, out);
    case kAbandonRequest:
        out.abandons = int(integerOf(operation));
        return true;
    case kBindRequest: {
        std::string_view version, name;
        if (!nextElement(operation, tag, version) || !nextElement(operation, tag, name))
            return false;
        out.bindDn = name;
        return true;
    }
    default:
        return true;
    }
}

} // namespace ldapwire
