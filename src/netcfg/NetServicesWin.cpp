#include "NetServicesWin.h"

#include "netcfg/LocalAddress.h"
#include "support/AccessWin.h"
#include "support/Forms.h"
#include "support/Process.h"
#include "support/SystemLibrary.h"
#include "support/WinHandles.h"

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>
#include <iphlpapi.h>

#include <vector>

#include <cstring>

namespace {

using TDhcpNotifyConfigChange = DWORD(WINAPI*)(LPWSTR serverName, LPWSTR adapterName,
                                               BOOL isNewIpAddress, DWORD ipIndex, DWORD ipAddress,
                                               DWORD subnetMask, int dhcpAction);

// Wine's own dhcpcsvc.dll exports the call as a stub that ends the process when called;
// its builtin DLLs say so at offset 0x40 of the loaded image.
bool IsWineBuiltin(HMODULE module) {
    static const char Marker[] = "Wine builtin DLL";
    return std::memcmp(reinterpret_cast<const char*>(module) + 0x40, Marker, sizeof Marker - 1) ==
           0;
}

constexpr int AdapterNameLength = 80;
constexpr BOOL NewAddress = -1; // all bits set
constexpr int LeaveDhcpStateAlone = 0;

} // namespace

TSystemNetServices::TSystemNetServices(std::function<void(const std::string&)> statusSink,
                                       std::function<void(const std::string&)> messageSink)
    : statusSink_(std::move(statusSink)), messageSink_(std::move(messageSink)) {}

std::uint32_t TSystemNetServices::NotifyDhcpClient(const TIP& request) {
    const UniqueLibrary library = dhcpLibraryPath_.empty() ? LoadSystemLibrary("dhcpcsvc.dll")
                                                           : LoadLibraryAt(dhcpLibraryPath_);
    if (!library.get()) {
        const DWORD error = ::GetLastError();
        return error != 0 ? error : ERROR_MOD_NOT_FOUND;
    }
    // Wine has no DHCP client service to tell: its stub stands for a call not implemented.
    if (IsWineBuiltin(library.get()))
        return ERROR_CALL_NOT_IMPLEMENTED;
    const auto notify = reinterpret_cast<TDhcpNotifyConfigChange>(
        reinterpret_cast<void*>(::GetProcAddress(library.get(), "DhcpNotifyConfigChange")));
    if (!notify)
        return ERROR_PROC_NOT_FOUND;
    WCHAR adapterName[AdapterNameLength] = {};
    ::MultiByteToWideChar(CP_ACP, 0, request.Adapter.c_str(), -1, adapterName, AdapterNameLength);
    adapterName[AdapterNameLength - 1] = L'\0'; // an over-long name is cut, never unterminated
    return notify(nullptr, adapterName, NewAddress, 0, ::inet_addr(request.Address.c_str()),
                  ::inet_addr(request.Submask.c_str()), LeaveDhcpStateAlone);
}

void TSystemNetServices::UseDhcpLibraryAt(std::string fullPath) {
    dhcpLibraryPath_ = std::move(fullPath);
}

int TSystemNetServices::RunSystemProgram(const std::string& commandLine, std::uint16_t showState) {
    return ::RunSystemProgram(commandLine, showState);
}

bool TSystemNetServices::GetLocalIP(std::string& text) {
    return ::GetLocalIP(text);
}

void TSystemNetServices::SetStatusText(const std::string& text) {
    if (statusSink_)
        statusSink_(text);
}

void TSystemNetServices::SetWaitCursor(bool waiting) {
    ::SetCursor(::LoadCursorA(nullptr, waiting ? IDC_WAIT : IDC_ARROW));
}

void TSystemNetServices::ShowMessage(const std::string& text) {
    if (messageSink_)
        messageSink_(text);
    else
        ::ShowMessage(text);
}

TProxyNotification NotifySystemOfProxyChange() {
    // The Internet library is loaded at the first proxy change, not with the program.
    static const UniqueLibrary internet(LoadSystemLibrary("wininet.dll"));
    const auto setOption =
        LibraryFunction<decltype(&::InternetSetOptionA)>(internet, "InternetSetOptionA");
    TProxyNotification answer;
    if (!setOption)
        return answer;
    // The change first, then the refresh that makes running programs read it again.
    answer.SettingsChanged = setOption(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    answer.Refreshed = setOption(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
    return answer;
}

bool TSystemNetServices::NotifyProxyChanged() {
    const TProxyNotification answer = NotifySystemOfProxyChange();
    return answer.SettingsChanged && answer.Refreshed;
}

bool TSystemNetServices::MayWriteUserProxy() {
    return ProxyMayBeWritten(IsElevated(), ReadDesktopAccounts);
}

int TSystemNetServices::RunNetsh(const std::string& commandLine, std::string& output) {
    return RunSystemProgramCapturing(commandLine, output);
}

bool TSystemNetServices::RenewLease(std::uint32_t interfaceIndex) {
    static const UniqueLibrary helper(LoadSystemLibrary("iphlpapi.dll"));
    const auto interfaces = LibraryFunction<decltype(&::GetInterfaceInfo)>(helper, "GetInterfaceInfo");
    const auto release = LibraryFunction<decltype(&::IpReleaseAddress)>(helper, "IpReleaseAddress");
    const auto renew = LibraryFunction<decltype(&::IpRenewAddress)>(helper, "IpRenewAddress");
    if (!interfaces || !release || !renew)
        return false;
    ULONG size = 0;
    if (interfaces(nullptr, &size) != ERROR_INSUFFICIENT_BUFFER || size == 0)
        return false;
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<IP_INTERFACE_INFO*>(buffer.data());
    if (interfaces(table, &size) != NO_ERROR)
        return false;
    for (LONG i = 0; i < table->NumAdapters; ++i) {
        IP_ADAPTER_INDEX_MAP& adapter = table->Adapter[i];
        if (adapter.Index != interfaceIndex)
            continue;
        // A failed release (no lease yet) must not stop the renew.
        release(&adapter);
        return renew(&adapter) == NO_ERROR;
    }
    return false;
}

void TSystemNetServices::Wait(unsigned milliseconds) {
    PauseRepainting(milliseconds);
}
