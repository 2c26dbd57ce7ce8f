#include "HostileAnswers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <ldap.h>
#include <memory>

namespace hostile {
namespace {

using ldapwire::Attribute;
using ldapwire::Entry;
using ldapwire::message;
using ldapwire::resultOperation;

constexpr std::size_t kNoEnd = SIZE_MAX;
constexpr int kNoSuchObject = 32;
constexpr std::size_t kHugeValue = 40u << 20;
constexpr std::size_t kAnnounced = 512u << 20;
constexpr std::size_t kLargeValue = 256u << 10;

// ---- The directory every behaviour serves ----

const std::vector<std::string> kAttributeTypes = {
    "( 2.5.4.0 NAME 'objectClass' EQUALITY objectIdentifierMatch "
    "SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
    "( 2.5.4.41 NAME 'name' EQUALITY caseIgnoreMatch SUBSTR caseIgnoreSubstringsMatch "
    "SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )",
    "( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )",
    "( 2.5.4.4 NAME ( 'sn' 'surname' ) SUP name )",
    "( 2.5.4.10 NAME ( 'o' 'organizationName' ) SUP name )",
    "( 2.5.4.11 NAME ( 'ou' 'organizationalUnitName' ) SUP name )",
    "( 2.5.4.13 NAME 'description' EQUALITY caseIgnoreMatch "
    "SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{1024} )",
    "( 2.5.4.20 NAME 'telephoneNumber' EQUALITY telephoneNumberMatch "
    "SYNTAX 1.3.6.1.4.1.1466.115.121.1.50{32} )",
};
const std::vector<std::string> kObjectClasses = {
    "( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
    "( 2.5.6.4 NAME 'organization' SUP top STRUCTURAL MUST o "
    "MAY ( description $ telephoneNumber ) )",
    "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou "
    "MAY ( description $ telephoneNumber ) )",
    "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) "
    "MAY ( description $ telephoneNumber ) )",
};
// Cut short, without an OID, unbalanced: none reads as a definition.
const std::vector<std::string> kBadAttributeTypes = {
    "( 2.5.4.3 NAME 'cn' SYNTAX",
    "not a definition at all",
    "( NAME 'sn' )",
    "( 2.5.4.10 NAME ( 'o' SUP name",
    "",
};
const std::vector<std::string> kBadObjectClasses = {
    "( 2.5.6.6 NAME 'person' MUST ( sn $ ",
    "((((",
    "( 2.5.6.5 NAME 'organizationalUnit' SUP top STRUCTURAL MUST ou MAY ( description",
};

Entry rootDse(const Options& options) {
    std::vector<std::string> controls = {LDAP_CONTROL_MANAGEDSAIT};
    if (options.pagedControl)
        controls.insert(controls.begin(), LDAP_CONTROL_PAGEDRESULTS);
    return {"",
            {{"objectClass", {"top"}},
             {"namingContexts", {std::string(kContainer)}},
             {"subschemaSubentry", {std::string(kSubschema)}},
             {"supportedLDAPVersion", {"3"}},
             {"supportedControl", controls}}};
}

Entry subschema(const Options& options) {
    const bool bad = options.behaviour == Behaviour::BadSubschema;
    return {std::string(kSubschema),
            {{"objectClass", {"top", "subentry", "subschema"}},
             {"cn", {"Subschema"}},
             {"attributeTypes", bad ? kBadAttributeTypes : kAttributeTypes},
             {"objectClasses", bad ? kBadObjectClasses : kObjectClasses}}};
}

Entry container() {
    return {
        std::string(kContainer),
        {{"objectClass", {"top", "organization"}}, {"o", {"Acme"}}, {"hasSubordinates", {"TRUE"}}}};
}

std::string below(std::string_view rdn) {
    return std::string(rdn) + "," + std::string(kContainer);
}

// A person below the container, or at `dn` when one is given.
std::string person(std::string_view cn, std::optional<std::string> dn = std::nullopt) {
    return ldapwire::entryOperation(
        {dn ? std::move(*dn) : below("cn=" + std::string(cn)),
         {{"objectClass", {"top", "person"}}, {"cn", {std::string(cn)}}, {"sn", {"Tester"}}}});
}

std::string unit(std::string_view ou) {
    return ldapwire::entryOperation({below("ou=" + std::string(ou)),
                                     {{"objectClass", {"top", "organizationalUnit"}},
                                      {"ou", {std::string(ou)}},
                                      {"hasSubordinates", {"TRUE"}}}});
}

std::string member(std::size_t i) {
    return person("Member" + std::to_string(i));
}

// The three good children listed around every bad one.
const std::array<std::string_view, 3> kGood = {"Ann Lee", "Bob Ray", "Cy Dunn"};

// Only the attributes asked for, unless all are ("*", "+" or none named).
Entry selected(Entry entry, const ldapwire::Request& request) {
    const auto& asked = request.attributes;
    if (asked.empty() || std::find(asked.begin(), asked.end(), "*") != asked.end() ||
        std::find(asked.begin(), asked.end(), "+") != asked.end())
        return entry;
    std::erase_if(entry.attributes, [&](const Attribute& a) {
        return std::none_of(asked.begin(), asked.end(), [&](const std::string& n) {
            return n.size() == a.name.size() &&
                   std::equal(n.begin(), n.end(), a.name.begin(), [](char x, char y) {
                       return std::tolower(static_cast<unsigned char>(x)) ==
                              std::tolower(static_cast<unsigned char>(y));
                   });
        });
    });
    return entry;
}

// ---- Malformed entries: each framed right, so that only the entry itself is wrong ----

std::string badDnLength() {
    // The DN claims more bytes than the whole entry holds.
    const std::string rest = ldapwire::attributeList({{"cn", {"Bad"}}, {"sn", {"Tester"}}});
    return ldapwire::element(ldapwire::kSearchEntry,
                             std::string("\x04\x7F") + "cn=Bad,o=Acme" + rest);
}

std::string badValueLength() {
    // A value runs past the set of values it is in.
    const std::string set = ldapwire::element(ldapwire::kSet, std::string("\x04\x40") + "Bad");
    const std::string attribute =
        ldapwire::element(ldapwire::kSequence, ldapwire::octets("cn") + set);
    const std::string list = ldapwire::element(
        ldapwire::kSequence,
        ldapwire::attributeItems({{"objectClass", {"top", "person"}}}) + attribute);
    return ldapwire::element(ldapwire::kSearchEntry, ldapwire::octets(below("cn=Bad")) + list);
}

std::string wrongTags() {
    // An attribute that is an octet string holding a sequence where its set of values goes.
    const std::string values = ldapwire::element(ldapwire::kSequence, ldapwire::octets("Bad"));
    const std::string attribute =
        ldapwire::element(ldapwire::kOctets, ldapwire::octets("cn") + values);
    const std::string list = ldapwire::element(
        ldapwire::kSequence,
        ldapwire::attributeItems({{"objectClass", {"top", "person"}}}) + attribute);
    return ldapwire::element(ldapwire::kSearchEntry, ldapwire::octets(below("cn=Bad")) + list);
}

std::string truncatedAttributes() {
    // The last attribute of the list claims more than the list has left.
    const std::string cut = std::string("\x30\x20") + ldapwire::octets("sn");
    const std::string list = ldapwire::element(
        ldapwire::kSequence,
        ldapwire::attributeItems({{"objectClass", {"top", "person"}}, {"cn", {"Bad"}}}) + cut);
    return ldapwire::element(ldapwire::kSearchEntry, ldapwire::octets(below("cn=Bad")) + list);
}

std::string undecodableResult() {
    // The result code claims five bytes of the three there are.
    return ldapwire::element(ldapwire::kSearchDone, std::string("\x0A\x05\x00\x04\x00", 5));
}

// The entry that follows the three good children in the listings of refused names.
std::optional<std::string> refusedEntry(Behaviour b) {
    switch (b) {
    case Behaviour::EmptyDn:
        return person("Nobody", "");
    case Behaviour::ForeignParent:
        return person("x", "cn=x,o=Other");
    case Behaviour::SemicolonDn:
        return person("x", "cn=x;o=Acme");
    case Behaviour::ContainerItself:
        return ldapwire::entryOperation(container());
    case Behaviour::DnTwice:
        return person(kGood[0]);
    case Behaviour::BadEscape:
        return person("zz", "cn=\\zz,o=Acme");
    case Behaviour::NotUtf8:
        return person("x", "cn=\xC3\x28\xFF,o=Acme");
    case Behaviour::TwoBelow:
        return person("a", "cn=a,cn=b,o=Acme");
    case Behaviour::BadDnLength:
        return badDnLength();
    case Behaviour::BadValueLength:
        return badValueLength();
    case Behaviour::WrongTags:
        return wrongTags();
    case Behaviour::TruncatedAttributes:
        return truncatedAttributes();
    default:
        return std::nullopt;
    }
}

// ---- Answers ----

std::string done(int id, const ldapwire::Request& request, std::string_view cookie) {
    return message(id, resultOperation(ldapwire::kSearchDone, 0),
                   request.paged ? ldapwire::pagedResponse(cookie) : std::string());
}

Answer fixed(int id, std::vector<std::string> messages, Step last = Step::Done) {
    auto parts = std::make_shared<std::vector<std::string>>(std::move(messages));
    return {id, [parts, last](std::string& out) {
                for (const auto& m : *parts)
                    out += m;
                return last;
            }};
}

// Entries [from, to) made one by one, then `end` (a result message, or nothing) and `last`.
Answer streamed(int id, std::size_t from, std::size_t to,
                std::function<std::string(std::size_t)> entry, std::string end,
                Step last = Step::Done, std::chrono::milliseconds pause = {}) {
    const std::size_t perPart = pause.count() > 0 ? 1 : 32;
    auto at = std::make_shared<std::size_t>(from);
    Answer a{id, [=, entry = std::move(entry), end = std::move(end)](std::string& out) {
                 for (std::size_t n = 0; n < perPart && *at < to; ++n, ++*at)
                     out += message(id, entry(*at));
                 if (*at < to)
                     return Step::More;
                 out += end;
                 return last;
             }};
    a.pause = pause;
    return a;
}

// A listing paged as asked: the cookie is where the next page starts.
Answer paged(int id, const ldapwire::Request& request, std::size_t count,
             std::function<std::string(std::size_t)> entry, std::chrono::milliseconds pause = {}) {
    std::size_t from = 0;
    const auto& c = request.cookie;
    if (std::from_chars(c.data(), c.data() + c.size(), from).ec != std::errc())
        from = 0;
    from = std::min(from, count);
    const std::size_t to =
        request.paged && request.pageSize > 0 ? std::min(count, from + request.pageSize) : count;
    return streamed(id, from, to, std::move(entry),
                    done(id, request, to < count ? std::to_string(to) : ""), Step::Done, pause);
}

// Two good entries, then the rest of the answer a part at a time.
Answer afterTwo(int id, std::function<Step(std::string&)> rest) {
    auto started = std::make_shared<bool>(false);
    return {id, [=](std::string& out) {
                if (!*started) {
                    *started = true;
                    out += message(id, person(kGood[0])) + message(id, person(kGood[1]));
                    return Step::More;
                }
                return rest(out);
            }};
}

Answer hugeValue(int id, const ldapwire::Request& request) {
    auto sent = std::make_shared<std::size_t>(0);
    const std::string tail = message(id, person(kGood[2])) + done(id, request, "");
    return afterTwo(id, [=](std::string& out) {
        if (*sent == 0)
            out += ldapwire::entryHead(id, below("cn=Huge"), "description", kHugeValue);
        const std::size_t part = std::min<std::size_t>(1u << 20, kHugeValue - *sent);
        out.append(part, 'v');
        *sent += part;
        if (*sent < kHugeValue)
            return Step::More;
        out += tail;
        return Step::Done;
    });
}

Answer lengthBeyondSent(int id) {
    return afterTwo(id, [=](std::string& out) {
        out += ldapwire::entryHead(id, below("cn=Vast"), "description", kAnnounced);
        out.append(64u << 10, 'v');
        return Step::FallSilent;
    });
}

// Pages without end: the page number is how many listings came before on the connection.
Answer endlessPage(int id, const ldapwire::Request& request, int page, Behaviour b) {
    const std::size_t size = request.pageSize > 0 ? std::size_t(request.pageSize) : 100;
    std::size_t count = size;
    if (b == Behaviour::EndlessEmptyPages)
        count = page == 0 ? 3 : 0;
    const bool sameNames = b == Behaviour::EndlessPagesSameDns;
    const std::string cookie =
        b == Behaviour::RepeatedCookie ? "again" : "page-" + std::to_string(page + 1);
    return streamed(
        id, 0, count,
        [page, sameNames](std::size_t i) {
            return person(sameNames ? "E" + std::to_string(i)
                                    : "P" + std::to_string(page) + "-" + std::to_string(i));
        },
        message(id, resultOperation(ldapwire::kSearchDone, 0), ldapwire::pagedResponse(cookie)));
}

Answer listing(const Options& options, const ldapwire::Request& request, int page) {
    const int id = request.id;
    const Behaviour b = options.behaviour;
    using std::chrono::milliseconds;
    switch (b) {
    case Behaviour::WellFormed:
    case Behaviour::BadSubschema:
        return fixed(id, {message(id, unit("Sales")), message(id, unit("Research")),
                          message(id, person(kGood[0])), message(id, person(kGood[1])),
                          done(id, request, "")});
    case Behaviour::SeveralPages:
        return paged(id, request, 250, member);
    case Behaviour::NoPagedControl:
        return streamed(id, 0, 2500, member,
                        message(id, resultOperation(ldapwire::kSearchDone, 0)));
    case Behaviour::ManyLargeEntries:
        return paged(id, request, 600, [](std::size_t i) {
            return ldapwire::entryOperation(
                {below("cn=Large" + std::to_string(i)),
                 {{"objectClass", {"top", "person"}},
                  {"cn", {"Large" + std::to_string(i)}},
                  {"sn", {"Tester"}},
                  {"description", {std::string(kLargeValue, char('a' + i % 26))}}}});
        });
    case Behaviour::EndlessEntries:
    case Behaviour::EndlessEntriesUnpaged:
        return streamed(id, 0, kNoEnd, member, "");
    case Behaviour::EndlessPagesFreshDns:
    case Behaviour::EndlessPagesSameDns:
    case Behaviour::EndlessEmptyPages:
    case Behaviour::RepeatedCookie:
        return endlessPage(id, request, page, b);
    case Behaviour::Drip:
        return paged(id, request, 200, member, milliseconds(50));
    case Behaviour::FallsSilent:
        return streamed(id, 0, 2, member, "", Step::FallSilent);
    case Behaviour::ClosesMidListing:
        return streamed(id, 0, 2, member, "", Step::Close);
    case Behaviour::HugeValue:
        return hugeValue(id, request);
    case Behaviour::LengthBeyondSent:
        return lengthBeyondSent(id);
    case Behaviour::UndecodableResult:
        return fixed(id, {message(id, person(kGood[0])), message(id, person(kGood[1])),
                          message(id, undecodableResult())});
    case Behaviour::OnlyReferences:
        return fixed(
            id,
            {message(id, ldapwire::referenceOperation({"ldap://elsewhere.invalid/cn=x,o=Acme"})),
             message(id, ldapwire::referenceOperation({"ldap://elsewhere.invalid/cn=y,o=Acme"})),
             done(id, request, "")});
    default:
        break;
    }
    std::vector<std::string> parts;
    for (auto cn : kGood)
        parts.push_back(message(id, person(cn)));
    if (auto bad = refusedEntry(b)) {
        // Malformed entries go between good ones; refused names after them.
        const bool malformed = b == Behaviour::BadDnLength || b == Behaviour::BadValueLength ||
                               b == Behaviour::WrongTags || b == Behaviour::TruncatedAttributes;
        parts.insert(malformed ? parts.begin() + 1 : parts.end(), message(id, *bad));
    }
    parts.push_back(done(id, request, ""));
    return fixed(id, std::move(parts));
}

std::optional<Answer> bindAnswer(const Options& options, const ldapwire::Request& request) {
    const int id = request.id;
    switch (options.behaviour) {
    case Behaviour::GarbageForBind: {
        std::string garbage;
        while (garbage.size() < 4096)
            garbage += "HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain\r\n\r\nNo.\r\n";
        return fixed(id, {garbage}, Step::FallSilent);
    }
    case Behaviour::BindWrongMessageId:
        return fixed(id + 7, {message(id + 7, resultOperation(ldapwire::kBindResponse, 0))});
    case Behaviour::SilentAtBind:
        return fixed(id, {}, Step::FallSilent);
    default:
        return fixed(id, {message(id, resultOperation(ldapwire::kBindResponse, options.bindResult,
                                                      options.bindResult == 0
                                                          ? ""
                                                          : "the responder refuses this bind"))});
    }
}

} // namespace

std::string_view nameOf(Behaviour b) {
    switch (b) {
#define OSTREL_BEHAVIOUR(n)                                                                        \
    case Behaviour::n:                                                                             \
        return #n;
        OSTREL_BEHAVIOUR(WellFormed)
        OSTREL_BEHAVIOUR(SeveralPages)
        OSTREL_BEHAVIOUR(NoPagedControl)
        OSTREL_BEHAVIOUR(ManyLargeEntries)
        OSTREL_BEHAVIOUR(BadSubschema)
        OSTREL_BEHAVIOUR(EndlessEntries)
        OSTREL_BEHAVIOUR(EndlessEntriesUnpaged)
        OSTREL_BEHAVIOUR(EndlessPagesFreshDns)
        OSTREL_BEHAVIOUR(EndlessPagesSameDns)
        OSTREL_BEHAVIOUR(EndlessEmptyPages)
        OSTREL_BEHAVIOUR(RepeatedCookie)
        OSTREL_BEHAVIOUR(Drip)
        OSTREL_BEHAVIOUR(FallsSilent)
        OSTREL_BEHAVIOUR(ClosesMidListing)
        OSTREL_BEHAVIOUR(HugeValue)
        OSTREL_BEHAVIOUR(LengthBeyondSent)
        OSTREL_BEHAVIOUR(BadDnLength)
        OSTREL_BEHAVIOUR(BadValueLength)
        OSTREL_BEHAVIOUR(WrongTags)
        OSTREL_BEHAVIOUR(TruncatedAttributes)
        OSTREL_BEHAVIOUR(UndecodableResult)
        OSTREL_BEHAVIOUR(GarbageForBind)
        OSTREL_BEHAVIOUR(BindWrongMessageId)
        OSTREL_BEHAVIOUR(BindRefused)
        OSTREL_BEHAVIOUR(SilentAtBind)
        OSTREL_BEHAVIOUR(EmptyDn)
        OSTREL_BEHAVIOUR(ForeignParent)
        OSTREL_BEHAVIOUR(SemicolonDn)
        OSTREL_BEHAVIOUR(ContainerItself)
        OSTREL_BEHAVIOUR(DnTwice)
        OSTREL_BEHAVIOUR(BadEscape)
        OSTREL_BEHAVIOUR(NotUtf8)
        OSTREL_BEHAVIOUR(TwoBelow)
        OSTREL_BEHAVIOUR(OnlyReferences)
#undef OSTREL_BEHAVIOUR
    }
    return "?";
}

Options optionsFor(Behaviour behaviour) {
    Options o;
    o.behaviour = behaviour;
    o.pagedControl =
        behaviour != Behaviour::NoPagedControl && behaviour != Behaviour::EndlessEntriesUnpaged;
    o.bindResult = behaviour == Behaviour::BindRefused ? LDAP_INVALID_CREDENTIALS : 0;
    return o;
}

std::optional<Answer> answerTo(const Options& options, const ldapwire::Request& request,
                               int listings) {
    const int id = request.id;
    switch (request.operation) {
    case ldapwire::kBindRequest:
        return bindAnswer(options, request);
    case ldapwire::kExtendedRequest:
        return fixed(id, {message(id, resultOperation(ldapwire::kExtendedResponse, 0))});
    case ldapwire::kSearchRequest:
        break;
    default:
        return std::nullopt;
    }
    auto one = [&](const Entry& e) {
        return fixed(id, {message(id, ldapwire::entryOperation(selected(e, request))),
                          message(id, resultOperation(ldapwire::kSearchDone, 0))});
    };
    if (request.scope == 0 && request.base.empty())
        return one(rootDse(options));
    if (request.scope == 0 && request.base == kSubschema)
        return one(subschema(options));
    if (request.scope == 0 && request.base == kContainer)
        return one(container());
    if (request.scope == 1 && request.base == kContainer)
        return listing(options, request, listings);
    return fixed(id, {message(id, resultOperation(ldapwire::kSearchDone, kNoSuchObject))});
}

std::vector<std::pair<std::string, std::string>> sampleMessages() {
    ldapwire::Request request;
    request.id = 1;
    const std::string end = done(1, request, "");
    std::vector<std::pair<std::string, std::string>> out = {
        {"entry", message(1, person(kGood[0])) + end},
        {"container", message(1, unit("Sales")) + end},
        {"subschema", message(1, ldapwire::entryOperation(subschema(Options{}))) + end},
        {"bad-dn-length", message(1, badDnLength()) + end},
        {"bad-value-length", message(1, badValueLength()) + end},
        {"wrong-tags", message(1, wrongTags()) + end},
        {"truncated-attributes", message(1, truncatedAttributes()) + end},
        {"not-utf8-dn", message(1, *refusedEntry(Behaviour::NotUtf8)) + end},
        {"reference",
         message(1, ldapwire::referenceOperation({"ldap://elsewhere.invalid/"})) + end},
        {"several-entries",
         message(1, member(7)) + message(1, member(8)) + message(1, person(kGood[2])) + end},
        {"undecodable-result", message(1, person(kGood[1])) + message(1, undecodableResult())},
        {"announced-beyond-sent",
         ldapwire::entryHead(1, below("cn=Vast"), "description", 1u << 20) + std::string(64, 'v')},
    };
    return out;
}

} // namespace hostile
