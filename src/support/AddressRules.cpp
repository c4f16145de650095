#include "AddressRules.h"

#include "support/IntegerText.h"
#include "support/Strings.h"

#include <cstdint>
#include <optional>

namespace {

// The 32 bits of a dotted quad, first group highest; nothing when IsValidIP rejects it.
std::optional<std::uint32_t> DottedQuadBits(const std::string& text) {
    if (text.size() > 15)
        return std::nullopt;
    std::string rest = text + ".";
    std::uint32_t bits = 0;
    for (int group = 0; group < 4; ++group) {
        const int dot = CharPosFrom('.', rest, 1);
        if (dot == 0)
            return std::nullopt;
        const int value = ParseIntDef(rest.substr(0, static_cast<size_t>(dot - 1)), -1);
        if (value < 0 || value > 255)
            return std::nullopt;
        bits = bits << 8 | static_cast<std::uint32_t>(value);
        rest.erase(0, static_cast<size_t>(dot));
    }
    if (!rest.empty())
        return std::nullopt;
    return bits;
}

} // namespace

bool IsValidIP(const std::string& text) {
    return DottedQuadBits(text).has_value();
}

std::string CanonicalIP(const std::string& text) {
    const auto bits = DottedQuadBits(text);
    if (!bits)
        return text;
    std::string canonical = std::to_string(*bits >> 24);
    for (int shift = 16; shift >= 0; shift -= 8) {
        canonical += '.';
        canonical += std::to_string((*bits >> shift) & 0xFF);
    }
    return canonical;
}

bool IsSubnetMask(const std::string& text) {
    const auto bits = DottedQuadBits(text);
    if (!bits)
        return false;
    // The zeros after the ones, plus one, is a power of two (or 0 for no zeros).
    const std::uint32_t hostBits = ~*bits;
    return (hostBits & (hostBits + 1)) == 0;
}

bool IsPositiveInt(const std::string& text) {
    return ParseIntDef(text, 0) > 0;
}

TProxyCheck CheckProxy(const std::string& typed) {
    if (Trim(typed).empty())
        return TProxyCheck::Empty;
    const int colon = CharPosFrom(':', typed, 1);
    if (colon == 0)
        return TProxyCheck::NoPort;
    if (colon == 1)
        return TProxyCheck::NoHost;
    return IsPositiveInt(CopyFrom(typed, colon + 1)) ? TProxyCheck::Accepted : TProxyCheck::BadPort;
}
