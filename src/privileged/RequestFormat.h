#pragma once
// How a request and its reply cross between the user's process and the one with the rights:
// a small binary format of our own. A message starts with its kind ("NVRQ", "NVRP") and the
// format's version; numbers are 32-bit little-endian, a text is its length and its bytes, a
// list its count and its items. Every length and count has a limit, a message is at most
// MaxMessageBytes long, and a reader takes a message whole or not at all: nothing is
// guessed, nothing is left over.

#include "netcfg/AdapterSwitch.h"

#include <cstddef>
#include <optional>
#include <string>

inline constexpr std::size_t MaxMessageBytes = 64 * 1024;
inline constexpr unsigned char RequestFormatVersion = 1;

// The bytes of a request; TError when it would not fit the format's limits. The proxy and
// its further parts do not cross; the DNS suffix, an adapter value, does.
std::string EncodeRequest(const TAdapterRequest& request);
// The request, or nothing when the bytes are no whole request of this version.
std::optional<TAdapterRequest> DecodeRequest(const std::string& bytes);

std::string EncodeReply(const TAdapterReply& reply);
std::optional<TAdapterReply> DecodeReply(const std::string& bytes);
