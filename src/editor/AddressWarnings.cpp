#include "AddressWarnings.h"

#include "support/AddressRules.h"
#include "support/Strings.h"

#include <cstdint>
#include <optional>

namespace {

constexpr std::uint32_t AllOnes = 0xFFFFFFFFu;

std::string Warning(const char* field, const std::string& value, const char* why) {
    std::string text = "[";
    text += field;
    text += "] ";
    text += value;
    text += why;
    return text;
}

// Why Windows refuses bits as an adapter's own address; nullptr when it takes them.
const char* AddressFault(std::uint32_t address, std::optional<std::uint32_t> mask) {
    if (address == 0)
        return " is no address of a computer";
    if (address >> 24 == 127)
        return " is a loopback address, which belongs to every computer itself";
    if (address >> 28 == 0xE)
        return " is a multicast address, which no adapter can have as its own";
    // A /31 or /32 has no network or broadcast address of its own.
    if (!mask || *mask == 0 || (~*mask & AllOnes) < 3)
        return nullptr;
    if ((address & ~*mask) == 0)
        return " is the network address of its subnet, which no computer can have";
    if ((address & ~*mask) == (~*mask & AllOnes))
        return " is the broadcast address of its subnet, which no computer can have";
    return nullptr;
}

// Appends the warning for a mask or DNS server that is all zeros or all ones.
void WarnOfEdgeValue(std::vector<std::string>& warnings, const char* field,
                     const std::string& value, const char* why) {
    const auto bits = AddressBits(value);
    if (bits && (*bits == 0 || *bits == AllOnes))
        warnings.push_back(Warning(field, value, why));
}

} // namespace

std::vector<std::string> AddressWarnings(const TAddressFields& fields) {
    const std::string address = Trim(fields.Address);
    const std::string mask = Trim(fields.Submask);
    const std::string gateway = Trim(fields.Gateway);
    const auto addressBits = AddressBits(address);
    const auto maskBits = IsSubnetMask(mask) ? AddressBits(mask) : std::nullopt;
    std::vector<std::string> warnings;
    if (addressBits)
        if (const char* fault = AddressFault(*addressBits, maskBits))
            warnings.push_back(Warning("Address", address, fault));
    // A mask without an address is nothing Windows would use.
    if (addressBits)
        WarnOfEdgeValue(warnings, "Submask", mask, " leaves no room for a subnet of computers");
    const auto gatewayBits = AddressBits(gateway);
    if (addressBits && maskBits && *maskBits != 0 && *maskBits != AllOnes && gatewayBits &&
        (*gatewayBits & *maskBits) != (*addressBits & *maskBits))
        warnings.push_back(Warning("Gateway", gateway,
                                   " is not in the subnet of the address and mask, so the "
                                   "adapter cannot reach it"));
    WarnOfEdgeValue(warnings, "DNS1", Trim(fields.DNS1), " is no DNS server's address");
    WarnOfEdgeValue(warnings, "DNS2", Trim(fields.DNS2), " is no DNS server's address");
    return warnings;
}

std::string StoreAnywayQuestion(const std::vector<std::string>& warnings) {
    std::string question = "Windows refuses this setting:";
    for (const std::string& warning : warnings) {
        question += "\r\n";
        question += warning;
        question += '.';
    }
    question += "\r\n\r\nStore it anyway?";
    return question;
}
