// The LDAP client's reading of search entries, over whatever a server may send: the input is
// the server's side of a connection, which libldap reads as the answer to one search. Every
// entry that comes out decodes to views lying inside its message, and the copies agree with
// the views; the client's own BER reading never runs past what it is given.
//
// libldap writes into a message as it reads its DN (a terminating NUL after it), so reading
// one message twice need not give the same answer; each way of decoding gets the input on a
// connection of its own, as the client decodes each message once. libldap 2.5 also loses a
// request's memory when a malformed answer ends its connection, so the leak check is off for
// this target (scripts/fuzz.sh); instead every decoding must give back all it allocated.
#include "FuzzCheck.h"
#include "client/ldap/LdapEntryDecoding.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <ldap.h>
#include <openldap.h> // ldap_init_fd
#include <sanitizer/allocator_interface.h>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Inputs fit a socket's buffer whole, and no message may claim more than a fuzz input holds.
constexpr std::size_t kLargestInput = 64 * 1024;
constexpr ber_len_t kLargestMessage = 1 << 20;

using Attributes = std::vector<std::pair<std::string, std::vector<std::string>>>;
struct Decoded {
    bool whole = false;
    std::string dn;
    Attributes attributes;
};

// Elements one after another, and one level into each: what is read lies inside, and a
// refused element leaves the input as it was.
void checkElements(std::string_view in, int depth) {
    const char* begin = in.data();
    const char* end = in.data() + in.size();
    std::string_view contents;
    while (!in.empty()) {
        const std::string_view before = in;
        if (!ldapber::nextElement(in, contents)) {
            FUZZ_CHECK(in.data() == before.data() && in.size() == before.size());
            return;
        }
        FUZZ_CHECK(contents.data() >= begin && contents.data() + contents.size() <= end);
        FUZZ_CHECK(in.size() < before.size());
        FUZZ_CHECK(in.data() == contents.data() + contents.size());
        if (depth > 0)
            checkElements(contents, depth - 1);
    }
}

// The input as the answer to one search (message id 1) on a connection of its own; `each`
// gets every entry that comes out.
void eachEntry(std::string_view input, const std::function<void(LDAP*, LDAPMessage*)>& each) {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, fds) != 0)
        return;
    const int buffer = int(2 * kLargestInput);
    setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    const bool written =
        input.empty() || write(fds[1], input.data(), input.size()) == ssize_t(input.size());
    shutdown(fds[1], SHUT_WR);
    LDAP* ld = nullptr;
    if (!written || ldap_init_fd(fds[0], LDAP_PROTO_TCP, "ldap://fuzz", &ld) != LDAP_SUCCESS) {
        close(fds[0]);
        close(fds[1]);
        return;
    }
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    ldap_set_option(ld, LDAP_OPT_REFERRALS, LDAP_OPT_OFF);
    Sockbuf* sb = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_SOCKBUF, &sb) == LDAP_OPT_SUCCESS && sb != nullptr) {
        ber_len_t most = kLargestMessage;
        ber_sockbuf_ctrl(sb, LBER_SB_OPT_SET_MAX_INCOMING, &most);
    }
    int id = 0;
    if (ldap_search_ext(ld, "o=Fuzz", LDAP_SCOPE_ONELEVEL, "(objectClass=*)", nullptr, 0, nullptr,
                        nullptr, nullptr, LDAP_NO_LIMIT, &id) == LDAP_SUCCESS) {
        for (int n = 0; n < 4096; ++n) {
            timeval zero{0, 0};
            LDAPMessage* msg = nullptr;
            const int rc = ldap_result(ld, LDAP_RES_ANY, LDAP_MSG_ONE, &zero, &msg);
            if (rc == LDAP_RES_SEARCH_ENTRY)
                each(ld, msg);
            if (msg != nullptr)
                ldap_msgfree(msg);
            if (rc <= 0)
                break;
        }
    }
    ldap_unbind_ext_s(ld, nullptr, nullptr);
    close(fds[1]);
}

// The views of an entry, checked and copied out. A message is a part of the input, so what
// lies beyond the DN by more than the input's size lies outside it.
Decoded viewOf(LDAP* ld, LDAPMessage* msg, std::size_t inputSize) {
    LdapEntryView view;
    Decoded out;
    out.whole = ldapber::decodeEntry(ld, msg, view);
    if (view.dn.data() == nullptr) {
        FUZZ_CHECK(!out.whole && view.attributes.empty());
        return out;
    }
    const char* begin = view.dn.data() + view.dn.size();
    const char* end = view.dn.data() + inputSize;
    auto inside = [&](std::string_view v) {
        return v.data() >= begin && v.data() <= end && v.size() <= std::size_t(end - v.data());
    };
    out.dn = view.dn; // every byte read: the sanitizer sees any view past its memory
    std::size_t next = 0;
    for (const auto& a : view.attributes) {
        FUZZ_CHECK(!a.name.empty() && inside(a.name));
        FUZZ_CHECK(a.first == next && a.first + a.count <= view.values.size());
        next += a.count;
        std::vector<std::string> values;
        for (auto v : view.valuesOf(a)) {
            FUZZ_CHECK(inside(v));
            values.emplace_back(v);
        }
        out.attributes.emplace_back(std::string(a.name), std::move(values));
    }
    FUZZ_CHECK(next == view.values.size());
    return out;
}

const std::vector<std::string> onlyCn = {"CN"};

// A copy made by collectEntry against the views of the same entry.
enum class Copy { All, TypesOnly, OnlyCn };
void compare(const Decoded& view, LDAP* ld, LDAPMessage* msg, Copy copy) {
    LdapEntry e;
    const bool whole = ldapber::collectEntry(ld, msg, copy == Copy::TypesOnly,
                                             copy == Copy::OnlyCn ? &onlyCn : nullptr, e);
    FUZZ_CHECK(whole == view.whole);
    if (!whole)
        return;
    FUZZ_CHECK(e.dn == view.dn);
    FUZZ_CHECK(e.attributes.size() == view.attributes.size());
    for (std::size_t i = 0; i < e.attributes.size(); ++i) {
        const auto& [name, values] = view.attributes[i];
        FUZZ_CHECK(e.attributes[i].first == name);
        bool kept = copy == Copy::All;
        // Compared as a C string, so a name with a NUL is taken up to it.
        if (copy == Copy::OnlyCn && name.find('\0') == std::string::npos)
            kept = strcasecmp(name.c_str(), "cn") == 0;
        else if (copy == Copy::OnlyCn)
            continue;
        FUZZ_CHECK(e.attributes[i].second == (kept ? values : std::vector<std::string>()));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > kLargestInput)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    checkElements(input, 3);
    std::vector<Decoded> views;
    eachEntry(input, [&](LDAP* ld, LDAPMessage* msg) { views.push_back(viewOf(ld, msg, size)); });
    for (Copy copy : {Copy::All, Copy::TypesOnly, Copy::OnlyCn}) {
        std::size_t at = 0;
        eachEntry(input, [&](LDAP* ld, LDAPMessage* msg) {
            FUZZ_CHECK(at < views.size()); // the same entries come out every time
            // collectEntry decodes as decodeEntry does: together they keep nothing.
            const std::size_t before = __sanitizer_get_current_allocated_bytes();
            compare(views[at++], ld, msg, copy);
            FUZZ_CHECK(__sanitizer_get_current_allocated_bytes() == before);
        });
        FUZZ_CHECK(at == views.size());
    }
    return 0;
}
