#pragma once
// The machine's current IPv4 address, as the resolver gives it for the host's own name.

#include <string>

// Puts the first address of the host's own name into text as a dotted quad and returns
// true. Returns false and leaves text exactly as it was when the host name cannot be
// had, does not resolve, or resolves to no address.
bool GetLocalIP(std::string& text);
