#include "ValueText.h"

#include "Names.h"
#include "ValueWire.h"
#include "Wire.h"
#include "directory/ResultCodes.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

namespace valuetext {
namespace {

// Splits on `sep` where it is not escaped; escapes stay in the pieces.
std::vector<std::string_view> split(std::string_view text, char sep) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text[i] == sep) {
            out.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(text.substr(start));
    return out;
}

// Splits into exactly `n` fields on `sep`, the last taking the rest.
bool fields(std::string_view text, char sep, std::size_t n, std::vector<std::string_view>& out) {
    out.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size() && out.size() + 1 < n; ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text[i] == sep) {
            out.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(text.substr(start));
    return out.size() == n;
}

std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size())
            ++i;
        out += s[i];
    }
    return out;
}

std::string escape(std::string_view s, std::string_view special) {
    std::string out;
    for (char c : s) {
        if (c == '\\' || special.find(c) != std::string_view::npos)
            out += '\\';
        out += c;
    }
    return out;
}

// A name inside a "#"-separated field: its own escapes stay as they are (the name parser reads
// them), a bare separator gets one.
std::string escapeSeparator(std::string_view s, char sep) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
            continue;
        }
        if (s[i] == sep || s[i] == '\\')
            out += '\\';
        out += s[i];
    }
    return out;
}

std::optional<std::uint32_t> number(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    if (s.empty())
        return std::nullopt;
    bool negative = false;
    if (s.front() == '-' || s.front() == '+') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        std::uint32_t v = 0;
        auto [p, ec] = std::from_chars(s.data() + 2, s.data() + s.size(), v, 16);
        if (ec != std::errc() || p != s.data() + s.size() || (negative && v > 0x80000000u))
            return std::nullopt;
        return negative ? std::uint32_t(0) - v : v;
    }
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    // 32 bits either way: up to 4294967295, down to -2147483648.
    if (ec != std::errc() || p != s.data() + s.size() ||
        v > (negative ? 0x80000000ull : 0xFFFFFFFFull))
        return std::nullopt;
    return negative ? std::uint32_t(0) - std::uint32_t(v) : std::uint32_t(v);
}

// A DN inside a value keeps its own escapes for the DN parser.
std::optional<std::string> nameField(std::string_view s, const NameMapping& names) {
    return names.nameFromText(s);
}

} // namespace

std::optional<std::string> fromHex(std::string_view hex) {
    if (hex.size() % 2 != 0)
        return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        unsigned v = 0;
        auto [p, ec] = std::from_chars(hex.data() + i, hex.data() + i + 2, v, 16);
        if (ec != std::errc() || p != hex.data() + i + 2)
            return std::nullopt;
        out.push_back(char(v));
    }
    return out;
}

std::string toHex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

namespace {
// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}
void civilFromDays(std::int64_t z, int& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int(std::int64_t(yoe) + era * 400 + (m <= 2));
}
} // namespace

std::optional<std::uint32_t> parseGeneralizedTime(std::string_view text) {
    if (text.size() != 15 || text.back() != 'Z')
        return std::nullopt;
    auto part = [&](std::size_t at, std::size_t n) -> std::optional<unsigned> {
        unsigned v = 0;
        auto [p, ec] = std::from_chars(text.data() + at, text.data() + at + n, v);
        if (ec != std::errc() || p != text.data() + at + n)
            return std::nullopt;
        return v;
    };
    auto y = part(0, 4), mo = part(4, 2), d = part(6, 2), h = part(8, 2), mi = part(10, 2),
         s = part(12, 2);
    if (!y || !mo || !d || !h || !mi || !s || *mo < 1 || *mo > 12 || *d < 1 || *d > 31 || *h > 23 ||
        *mi > 59 || *s > 60)
        return std::nullopt;
    const std::int64_t secs =
        daysFromCivil(*y, *mo, *d) * 86400 + std::int64_t(*h) * 3600 + *mi * 60 + *s;
    if (secs < 0 || secs > 0xFFFFFFFFll)
        return std::nullopt;
    return std::uint32_t(secs);
}

std::string formatGeneralizedTime(std::uint32_t seconds) {
    int y;
    unsigned m, d;
    civilFromDays(seconds / 86400, y, m, d);
    const unsigned rest = seconds % 86400;
    char out[32];
    std::snprintf(out, sizeof out, "%04d%02u%02u%02u%02u%02uZ", y, m, d, rest / 3600,
                  rest / 60 % 60, rest % 60);
    return out;
}

// splitDn and escapeDnValue: DnText.cpp.

std::optional<std::string> PlainNames::nameFromText(std::string_view text) const {
    if (text.empty())
        return std::nullopt;
    if (text.front() == '[')
        return std::string(text);
    // Names of several naming values ("a+b") are no objects' names here.
    const auto oneValueEach = [](std::string_view name) {
        names::ParsedName parsed;
        return names::parse(name, parsed) == 0 &&
               std::none_of(parsed.components.begin(), parsed.components.end(),
                            [](const std::string& c) { return names::isMultiValued(c); });
    };
    if (!names::isDn(text)) {
        if (!oneValueEach(text))
            return std::nullopt;
        return std::string(text);
    }
    std::string name;
    if (names::fromDn(text, name) != 0 || !oneValueEach(name))
        return std::nullopt;
    return name;
}

bool namesNothing(std::uint32_t syntax) {
    switch (syntax) {
    case SYN_DIST_NAME:
    case SYN_PATH:
    case SYN_REPLICA_POINTER:
    case SYN_OBJECT_ACL:
    case SYN_CLASS_NAME:
    case SYN_BACK_LINK:
    case SYN_TYPED_NAME:
    case SYN_HOLD:
        return false;
    default:
        return true;
    }
}

NWDSCCODE parse(std::uint32_t syntax, std::string_view text, const NameMapping& names,
                std::string& wireValue) {
    wire::Builder b;
    std::vector<std::string_view> f;
    switch (syntax) {
    case SYN_DIST_NAME: {
        auto n = names.nameFromText(text);
        if (!n)
            return ERR_SYNTAX_VIOLATION;
        b.raw(n->data(), n->size());
        break;
    }
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
        b.raw(text.data(), text.size());
        break;
    case SYN_CLASS_NAME: {
        auto n = names.classFromText(text);
        if (!n)
            return ERR_SYNTAX_VIOLATION;
        b.raw(n->data(), n->size());
        break;
    }
    case SYN_CI_LIST:
    case SYN_PO_ADDRESS: {
        auto items = split(text, '$');
        if (syntax == SYN_PO_ADDRESS && items.size() > wire::kPostalLines)
            return ERR_SYNTAX_VIOLATION;
        // Servers write lines as "a $ b": the blanks around a "$" belong to no line.
        for (std::size_t i = 0; i < items.size(); ++i) {
            auto& item = items[i];
            if (i > 0)
                while (!item.empty() && item.front() == ' ')
                    item.remove_prefix(1);
            if (i + 1 < items.size())
                while (!item.empty() && item.back() == ' ' &&
                       !(item.size() >= 2 && item[item.size() - 2] == '\\'))
                    item.remove_suffix(1);
        }
        b.u32(std::uint32_t(items.size()));
        for (auto item : items)
            b.str(unescape(item));
        break;
    }
    case SYN_BOOLEAN:
        if (text == "TRUE" || text == "true" || text == "1")
            b.u8(1);
        else if (text == "FALSE" || text == "false" || text == "0")
            b.u8(0);
        else
            return ERR_SYNTAX_VIOLATION;
        break;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL: {
        auto v = number(text);
        if (!v)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*v);
        break;
    }
    case SYN_TIME: {
        auto v = parseGeneralizedTime(text);
        if (!v)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*v);
        break;
    }
    case SYN_FAX_NUMBER: {
        auto parts = split(text, '$');
        b.str(unescape(parts[0]));
        if (parts.size() == 1) {
            b.u32(0);
            b.str("");
        } else if (parts.size() == 3) {
            auto bits = number(parts[1]);
            auto bytes = fromHex(parts[2]);
            if (!bits || !bytes || bytes->size() * 8 < *bits)
                return ERR_SYNTAX_VIOLATION;
            b.u32(*bits);
            b.str(*bytes);
        } else {
            return ERR_SYNTAX_VIOLATION;
        }
        break;
    }
    case SYN_NET_ADDRESS: {
        if (!fields(text, '#', 2, f))
            return ERR_SYNTAX_VIOLATION;
        auto type = number(f[0]);
        auto bytes = fromHex(f[1]);
        if (!type || !bytes)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*type);
        b.str(*bytes);
        break;
    }
    case SYN_OCTET_LIST: {
        auto items = split(text, '$');
        b.u32(std::uint32_t(items.size()));
        for (auto item : items) {
            auto bytes = fromHex(item);
            if (!bytes)
                return ERR_SYNTAX_VIOLATION;
            b.str(*bytes);
        }
        break;
    }
    case SYN_EMAIL_ADDRESS: {
        if (!fields(text, '#', 2, f))
            return ERR_SYNTAX_VIOLATION;
        auto type = number(f[0]);
        if (!type)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*type);
        b.str(f[1]);
        break;
    }
    case SYN_PATH: {
        if (!fields(text, '#', 3, f))
            return ERR_SYNTAX_VIOLATION;
        auto ns = number(f[0]);
        auto volume = nameField(f[1], names);
        if (!ns || !volume)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*ns);
        b.str(*volume);
        b.str(f[2]);
        break;
    }
    case SYN_REPLICA_POINTER: {
        auto parts = split(text, '#');
        if (parts.size() < 3 || parts.size() - 3 > wire::kMaxReplicaAddresses)
            return ERR_SYNTAX_VIOLATION;
        auto server = nameField(parts[0], names);
        auto type = number(parts[1]);
        auto num = number(parts[2]);
        if (!server || !type || !num)
            return ERR_SYNTAX_VIOLATION;
        b.str(*server);
        b.u32(*type);
        b.u32(*num);
        b.u32(std::uint32_t(parts.size() - 3));
        for (std::size_t i = 3; i < parts.size(); ++i) {
            std::vector<std::string_view> a;
            if (!fields(parts[i], ':', 2, a))
                return ERR_SYNTAX_VIOLATION;
            auto at = number(a[0]);
            auto bytes = fromHex(a[1]);
            if (!at || !bytes)
                return ERR_SYNTAX_VIOLATION;
            b.u32(*at);
            b.str(*bytes);
        }
        break;
    }
    case SYN_OBJECT_ACL: {
        if (!fields(text, '#', 4, f))
            return ERR_SYNTAX_VIOLATION;
        auto privileges = number(f[0]);
        if (!privileges || (f[1] != "entry" && f[1] != "subtree"))
            return ERR_SYNTAX_VIOLATION;
        auto subject = nameField(f[2], names);
        const std::string protText(f[3]);
        auto prot = protText.starts_with("[") ? std::optional<std::string>(protText)
                                              : names.attrFromText(protText);
        if (!subject || !prot)
            return ERR_SYNTAX_VIOLATION;
        b.str(*prot);
        b.str(*subject);
        b.u32(*privileges);
        break;
    }
    case SYN_TIMESTAMP: {
        if (!fields(text, '#', 2, f))
            return ERR_SYNTAX_VIOLATION;
        auto secs = parseGeneralizedTime(f[0]);
        auto event = number(f[1]);
        if (!secs || !event)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*secs);
        b.u32(*event);
        break;
    }
    case SYN_STREAM:
        b.raw(text.data(), text.size());
        break;
    case SYN_BACK_LINK: {
        if (!fields(text, '#', 2, f))
            return ERR_SYNTAX_VIOLATION;
        auto id = number(f[0]);
        auto name = nameField(f[1], names);
        if (!id || !name)
            return ERR_SYNTAX_VIOLATION;
        b.u32(*id);
        b.str(*name);
        break;
    }
    case SYN_TYPED_NAME: {
        if (!fields(text, '#', 3, f))
            return ERR_SYNTAX_VIOLATION;
        auto level = number(f[0]);
        auto interval = number(f[1]);
        auto name = nameField(f[2], names);
        if (!level || !interval || !name)
            return ERR_SYNTAX_VIOLATION;
        b.str(*name);
        b.u32(*level);
        b.u32(*interval);
        break;
    }
    case SYN_HOLD: {
        if (!fields(text, '#', 2, f))
            return ERR_SYNTAX_VIOLATION;
        auto amount = number(f[0]);
        auto name = nameField(f[1], names);
        if (!amount || !name)
            return ERR_SYNTAX_VIOLATION;
        b.str(*name);
        b.u32(*amount);
        break;
    }
    case SYN_UNKNOWN:
        return ERR_BAD_SYNTAX;
    case SYN_OCTET_STRING:
    default:
        b.raw(text.data(), text.size());
        break;
    }
    wireValue = b.take();
    if (syntax != SYN_STREAM && !wire::isWellFormed(syntax, wireValue))
        return ERR_SYNTAX_VIOLATION;
    return 0;
}

NWDSCCODE format(std::uint32_t syntax, std::string_view wireValue, const NameMapping& names,
                 std::string& text) {
    if (syntax == SYN_UNKNOWN)
        return ERR_BAD_SYNTAX;
    if (syntax != SYN_STREAM && !wire::isWellFormed(syntax, wireValue))
        return ERR_SYNTAX_VIOLATION;
    wire::Reader r(wireValue);
    std::string out;
    auto dn = [&](std::string_view n) { return escapeSeparator(names.nameToText(n), '#'); };
    switch (syntax) {
    case SYN_DIST_NAME:
        out = names.nameToText(wireValue);
        break;
    case SYN_CLASS_NAME:
        out = names.classToText(wireValue);
        break;
    case SYN_CI_LIST:
    case SYN_PO_ADDRESS: {
        const std::uint32_t n = r.u32();
        for (std::uint32_t i = 0; i < n; ++i)
            out += (i ? "$" : "") + escape(r.str(), "$");
        break;
    }
    case SYN_BOOLEAN:
        out = r.u8() ? "TRUE" : "FALSE";
        break;
    case SYN_INTEGER:
        out = std::to_string(std::int32_t(r.u32()));
        break;
    case SYN_COUNTER:
    case SYN_INTERVAL:
        out = std::to_string(r.u32());
        break;
    case SYN_TIME:
        out = formatGeneralizedTime(r.u32());
        break;
    case SYN_FAX_NUMBER: {
        out = escape(r.str(), "$");
        const std::uint32_t bits = r.u32();
        const auto bytes = r.str();
        if (bits != 0 || !bytes.empty())
            out += "$" + std::to_string(bits) + "$" + toHex(bytes);
        break;
    }
    case SYN_NET_ADDRESS: {
        const std::uint32_t type = r.u32();
        out = std::to_string(type) + "#" + toHex(r.str());
        break;
    }
    case SYN_OCTET_LIST: {
        const std::uint32_t n = r.u32();
        for (std::uint32_t i = 0; i < n; ++i)
            out += (i ? "$" : "") + toHex(r.str());
        break;
    }
    case SYN_EMAIL_ADDRESS: {
        const std::uint32_t type = r.u32();
        out = std::to_string(type) + "#" + std::string(r.str());
        break;
    }
    case SYN_PATH: {
        const std::uint32_t ns = r.u32();
        const auto volume = r.str();
        out = std::to_string(ns) + "#" + dn(volume) + "#" + std::string(r.str());
        break;
    }
    case SYN_REPLICA_POINTER: {
        const auto server = r.str();
        const std::uint32_t type = r.u32();
        const std::uint32_t num = r.u32();
        out = dn(server) + "#" + std::to_string(type) + "#" + std::to_string(num);
        const std::uint32_t n = r.u32();
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint32_t at = r.u32();
            out += "#" + std::to_string(at) + ":" + toHex(r.str());
        }
        break;
    }
    case SYN_OBJECT_ACL: {
        const auto prot = r.str();
        const auto subject = r.str();
        const std::uint32_t privileges = r.u32();
        const std::string protText =
            prot.starts_with("[") ? std::string(prot) : names.attrToText(prot);
        out = std::to_string(privileges) + "#subtree#" +
              (subject.starts_with("[") ? std::string(subject) : dn(subject)) + "#" + protText;
        break;
    }
    case SYN_TIMESTAMP: {
        const std::uint32_t secs = r.u32();
        out = formatGeneralizedTime(secs) + "#" + std::to_string(r.u32());
        break;
    }
    case SYN_BACK_LINK: {
        const std::uint32_t id = r.u32();
        out = std::to_string(id) + "#" + names.nameToText(r.str());
        break;
    }
    case SYN_TYPED_NAME: {
        const auto name = r.str();
        const std::uint32_t level = r.u32();
        out = std::to_string(level) + "#" + std::to_string(r.u32()) + "#" + names.nameToText(name);
        break;
    }
    case SYN_HOLD: {
        const auto name = r.str();
        out = std::to_string(r.u32()) + "#" + names.nameToText(name);
        break;
    }
    default: // the text syntaxes, octet strings, streams and undecoded syntaxes
        out.assign(wireValue);
        break;
    }
    text = std::move(out);
    return 0;
}

} // namespace valuetext
