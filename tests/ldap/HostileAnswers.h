#pragma once

#include "LdapWire.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the tests' hostile responder answers, behaviour by behaviour. Every behaviour serves
// the same small directory (a root DSE, a subschema entry, the container o=Acme) and differs
// in how it binds or in what a listing of o=Acme brings.
namespace hostile {

enum class Behaviour {
    // Well-formed
    WellFormed,       // four children
    SeveralPages,     // 250 children, paged as asked
    NoPagedControl,   // the root DSE lists no paging; 2500 children in one answer
    ManyLargeEntries, // 600 children of 256 KiB each
    BadSubschema,     // definitions that do not parse
    // Endless
    EndlessEntries,        // one page that never ends
    EndlessEntriesUnpaged, // the same from a server that lists no paging
    EndlessPagesFreshDns,  // every page ends with a new cookie, new names on each
    EndlessPagesSameDns,   // the same names on every page
    EndlessEmptyPages,     // three entries, then pages of none, each with a cookie
    RepeatedCookie,        // new names on every page, always the same cookie
    // Slow
    Drip,             // an entry every 50 ms, 200 in all
    FallsSilent,      // two entries, then not a word
    ClosesMidListing, // two entries, then the connection closes
    // Oversized
    HugeValue,        // two entries, then one with a value of 40 MiB
    LengthBeyondSent, // two entries, then one announcing 512 MiB that never comes
    // Malformed entries among good ones, and answers that do not decode
    BadDnLength,
    BadValueLength,
    WrongTags,
    TruncatedAttributes,
    UndecodableResult,
    // Binding
    GarbageForBind,
    BindWrongMessageId,
    BindRefused,
    SilentAtBind,
    // Names a listing of o=Acme must refuse, after three good children
    EmptyDn,
    ForeignParent,
    SemicolonDn,
    ContainerItself,
    DnTwice,
    BadEscape,
    NotUtf8,
    TwoBelow,
    OnlyReferences,
};

std::string_view nameOf(Behaviour behaviour);

struct Options {
    Behaviour behaviour = Behaviour::WellFormed;
    // Whether the root DSE lists the paged-results control.
    bool pagedControl = true;
    // The result code of every bind.
    int bindResult = 0;
    // How long a connection is answered at all: endless answers end in silence after it, so
    // that a client without limits of its own still meets its time limit for a wait.
    std::chrono::seconds answerFor{10};
};
// The options a behaviour is meant to run with.
Options optionsFor(Behaviour behaviour);

constexpr std::string_view kContainer = "o=Acme";
constexpr std::string_view kSubschema = "cn=Subschema";

// An answer is written a part at a time, so that endless and huge answers never sit whole in
// memory; the responder asks for the next part once the last has mostly gone out.
enum class Step { More, Done, FallSilent, Close };
struct Answer {
    int id = 0;
    std::function<Step(std::string& out)> next;
    std::chrono::milliseconds pause{0}; // between parts
};

// The answer to one request; nothing for requests that get none (abandon, unbind). `listings`
// counts the listings of o=Acme asked for on the connection before this one.
std::optional<Answer> answerTo(const Options& options, const ldapwire::Request& request,
                               int listings);

// Single messages of the behaviours (message id 1), for seeding the entry decoding's fuzzing.
std::vector<std::pair<std::string, std::string>> sampleMessages();

} // namespace hostile
