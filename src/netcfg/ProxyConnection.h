#pragma once
// The user's connection settings as the Internet library keeps them, of which Netvane
// changes one flag, "Automatically detect settings": read and set through the library's
// documented per-connection option, never by editing its binary record. Behind a small
// interface, so that tests can stand in for the system.

#include <cstdint>
#include <optional>

struct TIP;

// The flags of the connection, as the library numbers them.
inline constexpr std::uint32_t ConnectionDirect = 0x1;
inline constexpr std::uint32_t ConnectionProxy = 0x2;
inline constexpr std::uint32_t ConnectionScript = 0x4;
inline constexpr std::uint32_t ConnectionAutoDetect = 0x8;

class IProxyConnection {
  public:
    virtual ~IProxyConnection() = default;
    // The flags of the user's LAN connection; nothing when the system cannot tell.
    virtual std::optional<std::uint32_t> Flags() = 0;
    // Replaces them; true when the system took them.
    virtual bool SetFlags(std::uint32_t flags) = 0;
};

// The flags after an apply of request over current: a direct connection always allowed,
// the proxy as the request writes ProxyEnable, the script on when it has one, detection on
// when it asks for it; what it does not carry stays as it was.
std::uint32_t AppliedConnectionFlags(std::uint32_t current, const TIP& request);

// Reads the flags and sets those of AppliedConnectionFlags; false when either call failed.
bool SetConnectionFlags(IProxyConnection& connection, const TIP& request);

// Whether detection is on now; nothing when the flags cannot be read.
std::optional<bool> AutoDetectOn(IProxyConnection& connection);

// Puts the flags back as they were, when they are not so already; true when they were set.
bool RestoreConnectionFlags(IProxyConnection& connection, std::uint32_t flags);
