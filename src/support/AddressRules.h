#pragma once
// The rules by which addresses, masks, ports and proxy entries are accepted. Pure
// functions: no state, no messages.

#include <string>

// A dotted quad: at most 15 characters, four groups each converting to 0..255.
bool IsValidIP(const std::string& text);

// A dotted quad (IsValidIP) whose bits, read from the left, are all ones and then all
// zeros: 255.255.255.0 is a mask, 255.0.255.0 is not; 0.0.0.0 and 255.255.255.255 are.
bool IsSubnetMask(const std::string& text);

// ParseIntDef(text, 0) > 0.
bool IsPositiveInt(const std::string& text);

enum class TProxyCheck {
    Empty,    // nothing but blanks: no proxy, accepted
    NoPort,   // no ":" at all
    NoHost,   // ":" is the first character
    BadPort,  // what follows ":" is not a number above zero
    Accepted, // host, ":" and a port
};

// Judges a proxy entry as typed (untrimmed): host, ":" and port.
TProxyCheck CheckProxy(const std::string& typed);
