// The address, port and proxy rules on arbitrary text: no crash, and the relations between
// the rules hold whatever the text.

#include "FuzzInput.h"

#include "support/AddressRules.h"
#include "support/IntegerText.h"

#include <cstdint>
#include <string>

namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

void CheckIntegerConversion(const std::string& text) {
    // The default comes back only when the text holds no number: never a mix of the two.
    const int withSeven = ParseIntDef(text, 7);
    const int withMinusNine = ParseIntDef(text, -9);
    if (withSeven != 7 && withMinusNine != -9)
        FUZZ_EXPECT(withSeven == withMinusNine, "the default leaked into a conversion: " + text);
    FUZZ_EXPECT(IsPositiveInt(text) == (ParseIntDef(text, 0) > 0), "IsPositiveInt: " + text);
}

void CheckRoundTrip(TFuzzInput& in) {
    // Any 32-bit integer written in decimal converts back to itself.
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits = bits << 8 | in.Byte();
    const auto value = static_cast<std::int32_t>(bits);
    FUZZ_EXPECT(ParseIntDef(std::to_string(value), value == 1 ? 2 : 1) == value,
                "decimal round trip of " + std::to_string(value));
}

void CheckAddress(const std::string& text) {
    if (IsSubnetMask(text))
        FUZZ_EXPECT(IsValidIP(text), "a mask that is no address: " + text);
    if (!IsValidIP(text))
        return;
    std::size_t dots = 0;
    for (char c : text)
        dots += c == '.';
    FUZZ_EXPECT(text.size() <= 15 && dots == 3, "accepted as an address: " + text);
}

std::string DottedQuad(std::uint32_t bits) {
    return std::to_string(bits >> 24) + "." + std::to_string(bits >> 16 & 255) + "." +
           std::to_string(bits >> 8 & 255) + "." + std::to_string(bits & 255);
}

void CheckMasks(TFuzzInput& in) {
    // Every prefix length gives a mask; flipping one of its bits gives a mask only when the
    // flip just moves the border between ones and zeros.
    const unsigned length = in.Below(33);
    const std::uint32_t mask = length == 0 ? 0 : ~std::uint32_t{0} << (32 - length);
    FUZZ_EXPECT(IsSubnetMask(DottedQuad(mask)), "prefix mask refused: " + DottedQuad(mask));
    const unsigned bit = in.Below(32);
    const std::uint32_t flipped = mask ^ (std::uint32_t{1} << bit);
    const bool movesBorder = bit == 32 - length || bit + 1 == 32 - length;
    FUZZ_EXPECT(IsSubnetMask(DottedQuad(flipped)) == movesBorder,
                "mask verdict of " + DottedQuad(flipped));
}

void CheckProxyRule(const std::string& text) {
    const TProxyCheck verdict = CheckProxy(text);
    bool blank = true;
    for (char c : text)
        blank = blank && IsBlank(c);
    FUZZ_EXPECT((verdict == TProxyCheck::Empty) == blank, "empty proxy verdict: " + text);
    if (verdict == TProxyCheck::Accepted)
        FUZZ_EXPECT(text.find(':') != std::string::npos && text.find(':') > 0,
                    "proxy accepted without host and port: " + text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    CheckRoundTrip(in);
    CheckMasks(in);
    const std::string text = in.Rest();
    CheckIntegerConversion(text);
    CheckAddress(text);
    CheckProxyRule(text);
    return 0;
}
