// GetLocalIP over Windows Sockets.
#include "LocalAddress.h"

#include "IPv4Text.h"

#include <winsock2.h>

namespace {

constexpr WORD SocketsVersion = MAKEWORD(2, 0);
constexpr int HostNameBufferSize = 64;

// Owns one use of the sockets layer: a successful start-up is ended exactly once, on every
// path out. A failed start-up is not ended, as that would end another user's start-up.
class TSocketsStartup {
  public:
    TSocketsStartup() {
        WSADATA data{};
        started_ = ::WSAStartup(SocketsVersion, &data) == 0;
    }
    ~TSocketsStartup() {
        if (started_)
            ::WSACleanup();
    }
    TSocketsStartup(const TSocketsStartup&) = delete;
    TSocketsStartup& operator=(const TSocketsStartup&) = delete;

    bool Started() const { return started_; }

  private:
    bool started_ = false;
};

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
