#include "ProxyConnectionWin.h"

#include "support/SystemLibrary.h"

#include <windows.h>
#include <wininet.h>

static_assert(ConnectionDirect == PROXY_TYPE_DIRECT && ConnectionProxy == PROXY_TYPE_PROXY &&
              ConnectionScript == PROXY_TYPE_AUTO_PROXY_URL &&
              ConnectionAutoDetect == PROXY_TYPE_AUTO_DETECT);

namespace {

const UniqueLibrary& InternetLibrary() {
    static const UniqueLibrary internet(LoadSystemLibrary("wininet.dll"));
    return internet;
}

// One option of the LAN connection (no connection name).
struct TFlagsOption {
    INTERNET_PER_CONN_OPTIONA Option{};
    INTERNET_PER_CONN_OPTION_LISTA List{};
    TFlagsOption() {
        Option.dwOption = INTERNET_PER_CONN_FLAGS;
        List.dwSize = sizeof List;
        List.pszConnection = nullptr;
        List.dwOptionCount = 1;
        List.pOptions = &Option;
    }
    TFlagsOption(const TFlagsOption&) = delete; // the list points into it
    TFlagsOption& operator=(const TFlagsOption&) = delete;
};

} // namespace

std::optional<std::uint32_t> TSystemProxyConnection::Flags() {
    const auto query = LibraryFunction<decltype(&::InternetQueryOptionA)>(InternetLibrary(),
                                                                          "InternetQueryOptionA");
    if (!query)
        return std::nullopt;
    TFlagsOption flags;
    DWORD size = sizeof flags.List;
    if (!query(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &flags.List, &size))
        return std::nullopt;
    return flags.Option.Value.dwValue;
}

bool TSystemProxyConnection::SetFlags(std::uint32_t value) {
    const auto set =
        LibraryFunction<decltype(&::InternetSetOptionA)>(InternetLibrary(), "InternetSetOptionA");
    if (!set)
        return false;
    TFlagsOption flags;
    flags.Option.Value.dwValue = value;
    return set(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &flags.List, sizeof flags.List) !=
           FALSE;
}
