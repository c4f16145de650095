#include "ReachabilityWin.h"

#include "netcfg/DnsProbe.h"
#include "support/Sockets.h"
#include "support/SystemLibrary.h"

#include <iphlpapi.h>
#include <icmpapi.h>

#include <vector>

namespace {

// A dotted quad in network order; nothing for anything else (a name is never resolved).
std::optional<IN_ADDR> DottedQuad(const std::string& address) {
    const unsigned long value = ::inet_addr(address.c_str());
    if (value == INADDR_NONE && address != "255.255.255.255")
        return std::nullopt;
    IN_ADDR in{};
    in.S_un.S_addr = value;
    return in;
}

class TIcmp {
  public:
    TIcmp() : library_(LoadSystemLibrary("iphlpapi.dll")) {
        create_ = LibraryFunction<decltype(&::IcmpCreateFile)>(library_, "IcmpCreateFile");
        send_ = LibraryFunction<decltype(&::IcmpSendEcho2)>(library_, "IcmpSendEcho2");
        close_ = LibraryFunction<decltype(&::IcmpCloseHandle)>(library_, "IcmpCloseHandle");
    }
    std::optional<unsigned> Echo(IN_ADDR to, unsigned timeoutMs) const {
        if (!create_ || !send_ || !close_)
            return std::nullopt;
        const HANDLE icmp = create_();
        if (icmp == INVALID_HANDLE_VALUE)
            return std::nullopt;
        char data[32] = "Netvane connection check";
        std::vector<unsigned char> replies(sizeof(ICMP_ECHO_REPLY) + sizeof data + 8);
        const DWORD count = send_(icmp, nullptr, nullptr, nullptr, to.S_un.S_addr, data, sizeof data,
                                  nullptr, replies.data(), static_cast<DWORD>(replies.size()),
                                  timeoutMs);
        close_(icmp);
        const auto* reply = reinterpret_cast<const ICMP_ECHO_REPLY*>(replies.data());
        if (count == 0 || reply->Status != IP_SUCCESS)
            return std::nullopt;
        return reply->RoundTripTime;
    }

  private:
    UniqueLibrary library_;
    decltype(&::IcmpCreateFile) create_ = nullptr;
    decltype(&::IcmpSendEcho2) send_ = nullptr;
    decltype(&::IcmpCloseHandle) close_ = nullptr;
};

// Waits for a datagram until the deadline; false when none came in time.
bool Readable(SOCKET s, DWORD deadline) {
    const DWORD now = ::GetTickCount();
    const long left = static_cast<long>(deadline - now);
    if (left <= 0)
        return false;
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait{left / 1000, (left % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &wait) == 1;
}


} // namespace

TSystemReachability::TSystemReachability(TRandomSource random) : random_(std::move(random)) {}

std::optional<unsigned> TSystemReachability::Echo(const std::string& address, unsigned timeoutMs) {
    const auto to = DottedQuad(address);
    if (!to)
        return std::nullopt;
    static const TIcmp icmp;
    return icmp.Echo(*to, timeoutMs);
}

bool TSystemReachability::DnsAnswers(const std::string& address, std::uint16_t port,
                                     unsigned timeoutMs) {
    const auto to = DottedQuad(address);
    const TSocketsStartup sockets;
    if (!to || !sockets.Started())
        return false;
    const UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!s)
        return false;
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = ::htons(port);
    server.sin_addr = *to;
    std::uint16_t id = 0;
    if (!random_ || !random_(&id, sizeof id))
        return false;
    const std::string query = BuildDnsQuery(id);
    if (::sendto(s.get(), query.data(), static_cast<int>(query.size()), 0,
                 reinterpret_cast<const sockaddr*>(&server), sizeof server) == SOCKET_ERROR)
        return false;
    const DWORD deadline = ::GetTickCount() + timeoutMs;
    // Datagrams from anyone else, or of another query, are not the answer.
    while (Readable(s.get(), deadline)) {
        char buffer[512];
        sockaddr_in from{};
        int fromLength = sizeof from;
        const int length = ::recvfrom(s.get(), buffer, sizeof buffer, 0,
                                      reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (length == SOCKET_ERROR)
            return false; // a refusal (ICMP port unreachable) ends it at once
        if (from.sin_addr.S_un.S_addr == to->S_un.S_addr && from.sin_port == server.sin_port &&
            AnswersDnsQuery(std::string(buffer, static_cast<size_t>(length)), id))
            return true;
    }
    return false;
}
