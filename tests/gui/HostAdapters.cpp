#include "HostAdapters.h"

#include "support/AddressRules.h"

#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

namespace {

std::string Quad(const SOCKET_ADDRESS& address) {
    const auto* b = reinterpret_cast<const unsigned char*>(
        &reinterpret_cast<const sockaddr_in*>(address.lpSockaddr)->sin_addr);
    std::string text = std::to_string(b[0]);
    for (int i = 1; i < 4; ++i) {
        text += '.';
        text += std::to_string(b[i]);
    }
    return text;
}

} // namespace

std::optional<THostAdapter> HostAdapter(bool up) {
    ULONG size = 64 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (::GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_GATEWAYS, nullptr, first, &size) != NO_ERROR)
        return std::nullopt;
    for (auto* a = first; a; a = a->Next) {
        if ((a->OperStatus == IfOperStatusUp) != up || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        if (!up)
            return THostAdapter{a->AdapterName, "", "", "", {}, a->IfIndex};
        if (!a->FirstUnicastAddress || !a->FirstGatewayAddress)
            continue;
        THostAdapter host{a->AdapterName, Quad(a->FirstUnicastAddress->Address),
                          MaskOfPrefix(a->FirstUnicastAddress->OnLinkPrefixLength),
                          Quad(a->FirstGatewayAddress->Address), {}, a->IfIndex};
        for (auto* dns = a->FirstDnsServerAddress; dns; dns = dns->Next)
            if (dns->Address.lpSockaddr->sa_family == AF_INET)
                host.DnsServers.push_back(Quad(dns->Address));
        return host;
    }
    return std::nullopt;
}
