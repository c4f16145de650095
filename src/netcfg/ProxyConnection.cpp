#include "ProxyConnection.h"

#include "netcfg/SetIP.h"

std::uint32_t AppliedConnectionFlags(std::uint32_t current, const TIP& request) {
    std::uint32_t flags = ConnectionDirect;
    if (!request.Proxy.empty())
        flags |= ConnectionProxy;
    flags |= request.Options.ProxyScript.empty() ? current & ConnectionScript : ConnectionScript;
    flags |=
        request.Options.ProxyAutoDetect ? ConnectionAutoDetect : current & ConnectionAutoDetect;
    return flags;
}

bool SetConnectionFlags(IProxyConnection& connection, const TIP& request) {
    const std::optional<std::uint32_t> current = connection.Flags();
    if (!current)
        return false;
    return connection.SetFlags(AppliedConnectionFlags(*current, request));
}

std::optional<bool> AutoDetectOn(IProxyConnection& connection) {
    const std::optional<std::uint32_t> current = connection.Flags();
    if (!current)
        return std::nullopt;
    return (*current & ConnectionAutoDetect) != 0;
}

bool RestoreConnectionFlags(IProxyConnection& connection, std::uint32_t flags) {
    const std::optional<std::uint32_t> current = connection.Flags();
    return current && *current != flags && connection.SetFlags(flags);
}
