// A stand-in for the DHCP client library: records the arguments of each notification in
// the file named by NETVANE_DHCP_RECORD and answers with NETVANE_DHCP_RESULT (default 0).

#include <windows.h>

#include <cstdio>
#include <cstdlib>

extern "C" __declspec(dllexport) DWORD WINAPI
    DhcpNotifyConfigChange(LPWSTR serverName, LPWSTR adapterName, BOOL isNewIpAddress,
                           DWORD ipIndex, DWORD ipAddress, DWORD subnetMask, int dhcpAction) {
    if (const char* path = std::getenv("NETVANE_DHCP_RECORD")) {
        if (FILE* record = std::fopen(path, "ab")) {
            char adapter[256] = {};
            if (adapterName)
                ::WideCharToMultiByte(CP_ACP, 0, adapterName, -1, adapter, sizeof adapter, nullptr,
                                      nullptr);
            std::fprintf(record, "%s|%s|%ld|%lu|%08lx|%08lx|%d\n", serverName ? "server" : "null",
                         adapter, static_cast<long>(isNewIpAddress),
                         static_cast<unsigned long>(ipIndex), static_cast<unsigned long>(ipAddress),
                         static_cast<unsigned long>(subnetMask), dhcpAction);
            std::fclose(record);
        }
    }
    const char* result = std::getenv("NETVANE_DHCP_RESULT");
    return result ? static_cast<DWORD>(std::atoi(result)) : 0;
}
