#include "NetworkFactsWin.h"

#include "support/IntegerText.h"
#include "support/SystemLibrary.h"
#include "support/WinHandles.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <wlanapi.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const UniqueLibrary& IpHelper() {
    static const UniqueLibrary library(LoadSystemLibrary("iphlpapi.dll"));
    return library;
}

// Absent where the WLAN service is not installed (Server editions without the feature).
const UniqueLibrary& Wlan() {
    static const UniqueLibrary library(LoadSystemLibrary("wlanapi.dll"));
    return library;
}

void FreeMibTableCall(void* table) {
    using TFree = decltype(&::FreeMibTable);
    static const TFree free = LibraryFunction<TFree>(IpHelper(), "FreeMibTable");
    if (free)
        free(table);
}

void CloseWlan(HANDLE handle) {
    using TClose = decltype(&::WlanCloseHandle);
    static const TClose close = LibraryFunction<TClose>(Wlan(), "WlanCloseHandle");
    if (close)
        close(handle, nullptr);
}

void FreeWlanMemory(void* memory) {
    using TFree = decltype(&::WlanFreeMemory);
    static const TFree free = LibraryFunction<TFree>(Wlan(), "WlanFreeMemory");
    if (free)
        free(memory);
}

void* NoMemory() {
    return nullptr;
}
HANDLE NoWlanHandle() {
    return nullptr;
}

using UniqueMibTable = TUniqueWinHandle<void*, FreeMibTableCall, NoMemory>;
using UniqueWlanHandle = TUniqueWinHandle<HANDLE, CloseWlan, NoWlanHandle>;
using UniqueWlanMemory = TUniqueWinHandle<void*, FreeWlanMemory, NoMemory>;

std::string QuadText(const unsigned char* b) {
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

std::string HardwareText(const unsigned char* bytes, ULONG length) {
    std::string text;
    for (ULONG i = 0; i < length; ++i) {
        char part[4];
        std::snprintf(part, sizeof part, i ? "-%02X" : "%02X", bytes[i]);
        text += part;
    }
    return text;
}

// What the neighbour cache holds for the adapter's gateways; an entry still being resolved
// or found unreachable has no address worth the name.
std::vector<std::string> GatewayMacs(const TLiveState& state) {
    using TGetTable = decltype(&::GetIpNetTable2);
    const TGetTable getTable = LibraryFunction<TGetTable>(IpHelper(), "GetIpNetTable2");
    std::vector<std::string> macs;
    MIB_IPNET_TABLE2* table = nullptr;
    if (!getTable || state.Gateways.empty() || getTable(AF_INET, &table) != NO_ERROR)
        return macs;
    const UniqueMibTable owner(table);
    for (ULONG i = 0; i < table->NumEntries; ++i) {
        const MIB_IPNET_ROW2& row = table->Table[i];
        if (row.InterfaceIndex != state.InterfaceIndex || row.PhysicalAddressLength != 6 ||
            row.State == NlnsUnreachable || row.State == NlnsIncomplete ||
            row.Address.si_family != AF_INET)
            continue;
        const std::string address =
            QuadText(reinterpret_cast<const unsigned char*>(&row.Address.Ipv4.sin_addr));
        if (std::find(state.Gateways.begin(), state.Gateways.end(), address) ==
            state.Gateways.end())
            continue;
        const std::string mac = HardwareText(row.PhysicalAddress, row.PhysicalAddressLength);
        if (mac != "00-00-00-00-00-00" && std::find(macs.begin(), macs.end(), mac) == macs.end())
            macs.push_back(mac);
    }
    return macs;
}

struct TLease {
    std::string DhcpServer; // "" for a static adapter
    bool Wireless = false;  // an 802.11 adapter, whose SSID the WLAN service knows
};

// The server that gave the adapter its lease, and whether the adapter is a Wi-Fi one.
TLease LeaseOf(const std::string& adapterId) {
    using TGetInfo = decltype(&::GetAdaptersInfo);
    const TGetInfo getInfo = LibraryFunction<TGetInfo>(IpHelper(), "GetAdaptersInfo");
    if (!getInfo)
        return {};
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG error = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && error == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        error = getInfo(reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()), &size);
    }
    if (error != NO_ERROR)
        return {};
    for (auto* a = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data()); a; a = a->Next) {
        if (::lstrcmpiA(a->AdapterName, adapterId.c_str()) != 0)
            continue;
        const std::string server = a->DhcpServer.IpAddress.String;
        TLease lease;
        if (a->DhcpEnabled && server != "0.0.0.0" && server != "255.255.255.255")
            lease.DhcpServer = server;
        lease.Wireless = a->Type == IF_TYPE_IEEE80211;
        return lease;
    }
    return {};
}

// "{D0000000-0000-0000-0000-000000000001}" as a GUID; false for anything else.
bool ParseGuid(const std::string& text, GUID& guid) {
    constexpr std::size_t Length = sizeof "{00000000-0000-0000-0000-000000000000}" - 1;
    if (text.size() != Length || text.front() != '{' || text.back() != '}')
        return false;
    unsigned char bytes[16];
    std::size_t n = 0;
    for (std::size_t i = 1; i + 1 < text.size();) {
        if (text[i] == '-') {
            ++i;
            continue;
        }
        const int high = HexDigitValue(text[i]);
        const int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0 || n == 16)
            return false;
        bytes[n++] = static_cast<unsigned char>(high * 16 + low);
        i += 2;
    }
    if (n != 16)
        return false;
    guid.Data1 =
        (DWORD(bytes[0]) << 24) | (DWORD(bytes[1]) << 16) | (DWORD(bytes[2]) << 8) | bytes[3];
    guid.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    std::copy(bytes + 8, bytes + 16, guid.Data4);
    return true;
}

std::string SsidText(const DOT11_SSID& ssid) {
    const ULONG length = std::min<ULONG>(ssid.uSSIDLength, DOT11_SSID_MAX_LENGTH);
    const std::string bytes(reinterpret_cast<const char*>(ssid.ucSSID), length);
    // Most networks name themselves in UTF-8; the program's texts are ANSI.
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                 static_cast<int>(bytes.size()), nullptr, 0);
    if (wideLength <= 0)
        return bytes;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                          wideLength);
    const int size =
        ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, ansi.data(), size, nullptr, nullptr);
    return ansi;
}

void ReadSsid(const std::string& adapterId, TNetworkFacts& facts) {
    using TOpen = decltype(&::WlanOpenHandle);
    using TQuery = decltype(&::WlanQueryInterface);
    const TOpen open = LibraryFunction<TOpen>(Wlan(), "WlanOpenHandle");
    const TQuery query = LibraryFunction<TQuery>(Wlan(), "WlanQueryInterface");
    facts.SsidState = TSsidState::NoWlanService;
    if (!open || !query)
        return;
    GUID guid{};
    if (!ParseGuid(adapterId, guid)) {
        facts.SsidState = TSsidState::NotWireless;
        return;
    }
    DWORD version = 0;
    HANDLE handle = nullptr;
    const DWORD opened = open(2, nullptr, &version, &handle);
    const UniqueWlanHandle client(handle);
    if (opened != ERROR_SUCCESS) {
        facts.SsidState =
            opened == ERROR_SERVICE_NOT_ACTIVE ? TSsidState::NoWlanService : TSsidState::Failed;
        return;
    }
    DWORD size = 0;
    void* data = nullptr;
    const DWORD asked = query(client.get(), &guid, wlan_intf_opcode_current_connection, nullptr,
                              &size, &data, nullptr);
    const UniqueWlanMemory answer(data);
    switch (asked) {
    case ERROR_SUCCESS:
        break;
    case ERROR_ACCESS_DENIED: // the location consent, refused or not given
        facts.SsidState = TSsidState::Refused;
        return;
    case ERROR_NOT_FOUND:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_STATE: // a Wi-Fi adapter that is not connected
        facts.SsidState = asked == ERROR_INVALID_STATE ? TSsidState::Read : TSsidState::NotWireless;
        return;
    default:
        facts.SsidState = TSsidState::Failed;
        return;
    }
    facts.SsidState = TSsidState::Read;
    if (!data || size < sizeof(WLAN_CONNECTION_ATTRIBUTES))
        return;
    const auto* connection = static_cast<const WLAN_CONNECTION_ATTRIBUTES*>(data);
    if (connection->isState == wlan_interface_state_connected)
        facts.Ssid = SsidText(connection->wlanAssociationAttributes.dot11Ssid);
}

} // namespace

TNetworkFacts TSystemNetworkFactsReader::Read(const std::string& adapterId,
                                              const TLiveState& state) {
    TNetworkFacts facts;
    facts.State = state;
    if (!state.Present)
        return facts;
    facts.GatewayMacs = GatewayMacs(state);
    const TLease lease = LeaseOf(adapterId);
    facts.DhcpServer = lease.DhcpServer;
    // A wired adapter has no SSID to ask for: the WLAN service is left alone.
    if (lease.Wireless)
        ReadSsid(adapterId, facts);
    else
        facts.SsidState = TSsidState::NotWireless;
    return facts;
}
