#pragma once
// The rules by which addresses, masks, ports and proxy entries are accepted. Pure
// functions: no state, no messages.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The longest texts a network setting holds: its adapter's identifier and its proxy entry.
constexpr std::size_t MaxAdapterIdLength = 80;
constexpr std::size_t MaxProxyLength = 100;

// A dotted quad: at most 15 characters, four groups each converting to 0..255.
bool IsValidIP(const std::string& text);

// The 32 bits of a dotted quad (IsValidIP), first group highest; nothing for anything else.
std::optional<std::uint32_t> AddressBits(const std::string& text);

// The address IsValidIP reads in text, as plain decimal groups: 010.001.000.001 gives
// 10.1.0.1, $FF.0.0.1 gives 255.0.0.1, 1. 2.3.4 gives 1.2.3.4. Windows reads a group with a
// leading zero as octal and knows no "$", so only this form may reach it. A text that is
// no dotted quad comes back as it is.
std::string CanonicalIP(const std::string& text);

// A dotted quad (IsValidIP) whose bits, read from the left, are all ones and then all
// zeros: 255.255.255.0 is a mask, 255.0.255.0 is not; 0.0.0.0 and 255.255.255.255 are.
bool IsSubnetMask(const std::string& text);

// The prefix length of a contiguous mask (IsSubnetMask): 24 for 255.255.255.0; -1 for
// anything else.
int PrefixLengthOf(const std::string& mask);

// The mask of a prefix length, 0 to 32 (outside, the nearest): 20 gives 255.255.240.0.
std::string MaskOfPrefix(int prefixLength);

// A mask typed as its prefix length, "/24" (blanks around it aside, 0 to 32): that mask,
// 255.255.255.0; "" for any other text.
std::string MaskOfPrefixText(const std::string& text);

// ParseIntDef(text, 0) > 0.
bool IsPositiveInt(const std::string& text);

// The highest TCP port.
constexpr int MaxPort = 65535;

enum class TProxyCheck {
    Empty,    // nothing but blanks: no proxy, accepted
    NoPort,   // no ":" at all
    NoHost,   // ":" is the first character
    BadPort,  // what follows ":" is not a number above zero
    PortOutOfRange, // a number above MaxPort, which no port can be
    Accepted, // host, ":" and a port
};

// Judges a proxy entry as typed (untrimmed): host, ":" and port.
TProxyCheck CheckProxy(const std::string& typed);

// Whether two dotted quads lie in the same subnet of a contiguous mask; false when any of
// the three is not valid.
bool InSameSubnet(const std::string& a, const std::string& b, const std::string& mask);
