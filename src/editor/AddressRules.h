#pragma once
// The rules by which addresses, ports and proxy entries are accepted, and the program's
// one text-to-integer conversion. Pure functions: no state, no messages.

#include <string>

// Decimal or hexadecimal ("$", "x", "0x" prefixes) signed 32-bit integer, with leading
// blanks and one sign allowed; anything else, or an overflow, gives def.
int ParseIntDef(const std::string& text, int def);

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
