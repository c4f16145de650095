#pragma once
// Dotted-quad text of IPv4 addresses, kept apart from the sockets calls so it can be
// tested anywhere.

#include <string>

// The four bytes in stored (network) order as "%d.%d.%d.%d": 192 168 0 5 gives 192.168.0.5.
std::string FormatIPv4(const unsigned char bytes[4]);

// Formats the first address of a resolver's null-terminated list of 4-byte addresses
// into text and returns true; with no list or an empty one, returns false and leaves
// text as it was.
bool FormatFirstIPv4(const char* const* addresses, std::string& text);
