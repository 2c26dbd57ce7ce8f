#include "ServerReason.h"

std::string serverSaid(const DirectoryClient& client, NWDSCCODE code) {
    constexpr std::size_t kMostShown = 300;
    if (std::string own = client.clientReason(code); !own.empty())
        return "\n" + own;
    std::string reason = client.serverReason(code);
    if (reason.empty())
        return {};
    if (reason.size() > kMostShown)
        reason = reason.substr(0, kMostShown) + "...";
    for (char& c : reason) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            c = ' ';
    }
    return "\nThe server said: " + reason;
}
