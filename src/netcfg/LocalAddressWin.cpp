// GetLocalIP over Windows Sockets.
#include "LocalAddress.h"

#include "IPv4Text.h"

#include "support/Sockets.h"

namespace {

constexpr int HostNameBufferSize = 64;

} // namespace

bool GetLocalIP(std::string& text) {
    TSocketsStartup sockets;
    if (!sockets.Started())
        return false;
    char hostName[HostNameBufferSize] = {};
    if (::gethostname(hostName, sizeof hostName) != 0)
        return false;
    const hostent* host = ::gethostbyname(hostName);
    if (host == nullptr || host->h_addrtype != AF_INET || host->h_length != 4)
        return false;
    return FormatFirstIPv4(host->h_addr_list, text);
}
