#include "AddressRules.h"

#include "support/IntegerText.h"
#include "support/Strings.h"

#include <cstdint>
#include <string>
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

// The dotted quad of 32 bits, in plain decimal groups.
std::string QuadText(std::uint32_t bits) {
    std::string text = std::to_string(bits >> 24);
    for (int shift = 16; shift >= 0; shift -= 8) {
        text += '.';
        text += std::to_string((bits >> shift) & 0xFF);
    }
    return text;
}

} // namespace

std::optional<std::uint32_t> AddressBits(const std::string& text) {
    return DottedQuadBits(text);
}

bool IsValidIP(const std::string& text) {
    return DottedQuadBits(text).has_value();
}

std::string CanonicalIP(const std::string& text) {
    const auto bits = DottedQuadBits(text);
    return bits ? QuadText(*bits) : text;
}

int PrefixLengthOf(const std::string& mask) {
    if (!IsSubnetMask(mask))
        return -1;
    int length = 0;
    for (std::uint32_t bits = *DottedQuadBits(mask); bits & 0x80000000u; bits <<= 1)
        ++length;
    return length;
}

std::string MaskOfPrefix(int prefixLength) {
    if (prefixLength <= 0)
        return QuadText(0);
    return QuadText(~std::uint32_t{0} << (32 - (prefixLength > 32 ? 32 : prefixLength)));
}

std::string MaskOfPrefixText(const std::string& text) {
    const std::string trimmed = Trim(text);
    if (trimmed.size() < 2 || trimmed.size() > 3 || trimmed[0] != '/' ||
        trimmed.find_first_not_of("0123456789", 1) != std::string::npos)
        return {};
    const int length = std::stoi(trimmed.substr(1));
    return length <= 32 ? MaskOfPrefix(length) : std::string();
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
    const std::string port = CopyFrom(typed, colon + 1);
    if (!IsPositiveInt(port))
        return TProxyCheck::BadPort;
    return ParseIntDef(port, 0) > MaxPort ? TProxyCheck::PortOutOfRange : TProxyCheck::Accepted;
}

bool InSameSubnet(const std::string& a, const std::string& b, const std::string& mask) {
    const auto first = DottedQuadBits(a), second = DottedQuadBits(b), bits = DottedQuadBits(mask);
    if (!first || !second || !IsSubnetMask(mask))
        return false;
    return (*first & *bits) == (*second & *bits);
}
