#include "IntegerText.h"

#include <cstdint>
#include <optional>

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

namespace {

// Hexadecimal digits from pos to the end, as 32 bits; nothing when empty, not all digits
// or too large.
std::optional<std::uint32_t> ParseHexDigits(const std::string& s, size_t pos) {
    if (pos >= s.size())
        return std::nullopt;
    std::uint32_t value = 0;
    for (; pos < s.size(); ++pos) {
        const int digit = HexDigitValue(s[pos]);
        if (digit < 0 || value > 0x0FFFFFFFu)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

// Decimal digits from pos to the end, at most limit; nothing otherwise.
std::optional<std::int64_t> ParseDecimalDigits(const std::string& s, size_t pos,
                                               std::int64_t limit) {
    if (pos >= s.size())
        return std::nullopt;
    std::int64_t value = 0;
    for (; pos < s.size(); ++pos) {
        const char c = s[pos];
        if (c < '0' || c > '9' || value > 214748364)
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > limit)
        return std::nullopt;
    return value;
}

} // namespace

int ParseIntDef(const std::string& text, int def) {
    size_t pos = text.find_first_not_of(' ');
    if (pos == std::string::npos)
        return def;
    bool negative = false;
    if (text[pos] == '-' || text[pos] == '+') {
        negative = text[pos] == '-';
        ++pos;
    }
    const bool hexadecimal =
        pos < text.size() && (text[pos] == '$' || text[pos] == 'x' || text[pos] == 'X' ||
                              (text[pos] == '0' && pos + 1 < text.size() &&
                               (text[pos + 1] == 'x' || text[pos + 1] == 'X')));
    if (hexadecimal) {
        const size_t digits = pos + (text[pos] == '0' ? 2 : 1);
        const auto bits = ParseHexDigits(text, digits);
        if (!bits)
            return def;
        // Two's complement: $FFFFFFFF is -1. Negating in unsigned arithmetic cannot overflow.
        const std::uint32_t result = negative ? 0u - *bits : *bits;
        return static_cast<int>(result);
    }
    const auto value = ParseDecimalDigits(text, pos, negative ? 2147483648LL : 2147483647LL);
    if (!value)
        return def;
    return static_cast<int>(negative ? -*value : *value);
}
