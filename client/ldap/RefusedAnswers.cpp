#include "RefusedAnswers.h"

#include "client/common/Names.h"

namespace {
constexpr std::size_t kMostShownBytes = 120;

const char* reasonText(RefusedAnswers::Reason why) {
    switch (why) {
    case RefusedAnswers::NoName:
        return "without a name";
    case RefusedAnswers::NotUtf8:
        return "with a name that is not UTF-8";
    case RefusedAnswers::BadName:
        return "with a name that does not parse";
    case RefusedAnswers::NotInContainer:
        return "not directly below the container";
    case RefusedAnswers::OutsideBase:
        return "outside the searched part of the tree";
    case RefusedAnswers::Twice:
        return "listed twice";
    case RefusedAnswers::Undecodable:
        return "that does not decode";
    case RefusedAnswers::Reference:
        return "that refer to another server (search references, not followed)";
    case RefusedAnswers::kReasons:
        break;
    }
    return "";
}
} // namespace

void RefusedAnswers::refuse(Reason why, std::string_view dn) {
    if (counts_[why]++ == 0 && !dn.empty()) {
        std::string shown = names::printable(dn.substr(0, kMostShownBytes));
        if (dn.size() > kMostShownBytes)
            shown += "...";
        first_[why] = std::move(shown);
    }
}

void RefusedAnswers::add(Reason why, std::size_t count) {
    counts_[why] += count;
}

std::size_t RefusedAnswers::total() const {
    std::size_t n = 0;
    for (auto c : counts_)
        n += c;
    return n;
}

std::string RefusedAnswers::note() const {
    const std::size_t n = total();
    if (n == 0)
        return {};
    std::string out = std::to_string(n) + (n == 1 ? " entry" : " entries") +
                      " from the server could not be shown:";
    const char* separator = " ";
    for (std::size_t i = 0; i < kReasons; ++i) {
        if (counts_[i] == 0)
            continue;
        out += separator;
        out += std::to_string(counts_[i]) + " " + reasonText(Reason(i));
        if (!first_[i].empty())
            out += " (" + std::string(counts_[i] == 1 ? "" : "first: ") + first_[i] + ")";
        separator = ", ";
    }
    return out + ".\n";
}
