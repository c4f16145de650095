#include "LiveStateWin.h"

#include "support/SystemLibrary.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

using TGetAdaptersAddresses = decltype(&::GetAdaptersAddresses);

TGetAdaptersAddresses GetAdaptersAddressesCall() {
    static const UniqueLibrary library(LoadSystemLibrary("iphlpapi.dll"));
    return LibraryFunction<TGetAdaptersAddresses>(library, "GetAdaptersAddresses");
}

std::string Ipv4Text(const SOCKET_ADDRESS& address) {
    if (!address.lpSockaddr || address.lpSockaddr->sa_family != AF_INET)
        return {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
    const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

std::string MacText(const IP_ADAPTER_ADDRESSES& adapter) {
    std::string mac;
    for (ULONG i = 0; i < adapter.PhysicalAddressLength && i < MAX_ADAPTER_ADDRESS_LENGTH; ++i) {
        char part[4];
        std::snprintf(part, sizeof part, i ? "-%02X" : "%02X", adapter.PhysicalAddress[i]);
        mac += part;
    }
    return mac;
}

std::string Narrow(const wchar_t* text) {
    if (!text)
        return {};
    const int size = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string narrow(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
    narrow.pop_back();
    return narrow;
}

TLiveState StateOf(const IP_ADAPTER_ADDRESSES& adapter) {
    TLiveState state;
    state.Present = true;
    state.Up = adapter.OperStatus == IfOperStatusUp;
    state.Dhcp = (adapter.Flags & IP_ADAPTER_DHCP_ENABLED) != 0;
    for (auto* a = adapter.FirstUnicastAddress; a; a = a->Next) {
        const std::string text = Ipv4Text(a->Address);
        if (text.empty())
            continue;
        state.Addresses.push_back({text, a->OnLinkPrefixLength, a->DadState == IpDadStatePreferred,
                                   a->DadState == IpDadStateDuplicate});
    }
    for (auto* g = adapter.FirstGatewayAddress; g; g = g->Next)
        if (std::string text = Ipv4Text(g->Address); !text.empty())
            state.Gateways.push_back(text);
    for (auto* d = adapter.FirstDnsServerAddress; d; d = d->Next)
        if (std::string text = Ipv4Text(d->Address); !text.empty())
            state.DnsServers.push_back(text);
    state.Mac = MacText(adapter);
    state.LinkSpeed = adapter.TransmitLinkSpeed == ~0ULL ? 0 : adapter.TransmitLinkSpeed;
    state.InterfaceIndex = adapter.IfIndex;
    state.Description = Narrow(adapter.Description);
    state.DnsSuffix = Narrow(adapter.DnsSuffix);
    return state;
}

} // namespace

TLiveState TSystemLiveStateReader::Read(const std::string& adapterId) {
    const TGetAdaptersAddresses getAddresses = GetAdaptersAddressesCall();
    if (!getAddresses)
        return {};
    const ULONG flags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST |
                        GAA_FLAG_SKIP_MULTICAST;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG error = ERROR_BUFFER_OVERFLOW;
    // The list can grow between the two calls: a few tries.
    for (int attempt = 0; attempt < 4 && error == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        error = getAddresses(AF_INET, flags, nullptr,
                             reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (error != NO_ERROR)
        return {};
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next)
        if (a->AdapterName && ::lstrcmpiA(a->AdapterName, adapterId.c_str()) == 0)
            return StateOf(*a);
    return {};
}
