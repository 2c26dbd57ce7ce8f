#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// What the client would not take of one operation's answers, by reason, with the first DN of
// each: said once when the operation is over, never one message per entry.
class RefusedAnswers {
public:
    enum Reason {
        NoName,         // an empty DN
        NotUtf8,        // a DN that is not UTF-8
        BadName,        // a DN that does not parse
        NotInContainer, // not directly below the listed container
        OutsideBase,    // outside the searched subtree
        Twice,          // a name the listing had already
        Undecodable,    // an entry that does not decode
        Reference,      // a search reference, not followed
        kReasons
    };

    void refuse(Reason why, std::string_view dn = {});
    void add(Reason why, std::size_t count);
    std::size_t total() const;
    // "3 entries from the server could not be shown: 2 not directly below the container
    // (first: cn=x,o=Other), 1 that does not decode." and a newline; "" when none.
    std::string note() const;
    void clear() { *this = RefusedAnswers(); }

private:
    std::array<std::size_t, kReasons> counts_{};
    std::array<std::string, kReasons> first_;
};
