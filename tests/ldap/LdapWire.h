#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// LDAPv3 messages in BER as the tests' own responder writes and reads them: definite lengths,
// single-byte tags, nothing taken from libldap, so that a fault of the client's decoding is
// not hidden by the same fault on the other side.
namespace ldapwire {

// Universal and LDAP application tags.
constexpr unsigned char kBoolean = 0x01;
constexpr unsigned char kInteger = 0x02;
constexpr unsigned char kOctets = 0x04;
constexpr unsigned char kEnumerated = 0x0A;
constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kSet = 0x31;
constexpr unsigned char kBindRequest = 0x60;
constexpr unsigned char kBindResponse = 0x61;
constexpr unsigned char kUnbindRequest = 0x42;
constexpr unsigned char kSearchRequest = 0x63;
constexpr unsigned char kSearchEntry = 0x64;
constexpr unsigned char kSearchDone = 0x65;
constexpr unsigned char kAbandonRequest = 0x50;
constexpr unsigned char kSearchReference = 0x73;
constexpr unsigned char kExtendedRequest = 0x77;
constexpr unsigned char kExtendedResponse = 0x78;
constexpr unsigned char kControls = 0xA0;

// ---- Writing ----
std::string lengthOf(std::size_t length);
std::string element(unsigned char tag, std::string_view contents);
std::string integer(long long value, unsigned char tag = kInteger);
std::string octets(std::string_view text);

struct Attribute {
    std::string name;
    std::vector<std::string> values;
};
struct Entry {
    std::string dn;
    std::vector<Attribute> attributes;
};

// A whole LDAPMessage: its id, its protocol operation and (already wrapped) controls.
std::string message(int id, std::string_view operation, std::string_view controls = {});
// Protocol operations.
std::string entryOperation(const Entry& entry);
std::string attributeList(const std::vector<Attribute>& attributes);
// The list's contents without its own tag and length, to build lists that go wrong.
std::string attributeItems(const std::vector<Attribute>& attributes);
std::string resultOperation(unsigned char tag, int code, std::string_view diagnostic = {});
std::string referenceOperation(const std::vector<std::string>& uris);
// The controls of a search result with a paged-results response carrying `cookie`.
std::string pagedResponse(std::string_view cookie);

// The start of a search entry message holding one value of `valueSize` bytes, all lengths
// counted: what follows it on the wire is the value's bytes (and nothing more).
std::string entryHead(int id, std::string_view dn, std::string_view attribute,
                      std::size_t valueSize);

// ---- Reading ----
// One element off the front of `in`: its tag and contents. false when `in` does not start
// with a whole element (in is then left as it was).
bool nextElement(std::string_view& in, unsigned char& tag, std::string_view& contents);
long long integerOf(std::string_view contents);

// A request as the responder needs it.
struct Request {
    int id = -1;
    unsigned char operation = 0;
    // Search
    std::string base;
    int scope = -1;
    std::vector<std::string> attributes;
    bool paged = false; // a paged-results control came with it
    int pageSize = 0;
    std::string cookie;
    // Abandon: the message id it abandons
    int abandons = -1;
    // Bind
    std::string bindDn;
};

// How much of `in` makes the first whole message: 0 while it is not all there, and
// std::string::npos when what is there can never be one.
std::size_t wholeMessage(std::string_view in);
// false when the message does not read as a request.
bool readRequest(std::string_view message, Request& out);

} // namespace ldapwire
