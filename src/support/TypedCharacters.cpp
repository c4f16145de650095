#include "TypedCharacters.h"

namespace {

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

TTypedVerdict TTypedCharacters::Judge(char16_t unit) {
    // No single-byte or double-byte code page holds a character beyond the first 65536; its
    // second half follows the first, refused already.
    const bool fits = !fits_ || unit < 0x80 ||
                      (!IsHighSurrogate(unit) && !IsLowSurrogate(unit) && fits_(unit));
    if (fits) {
        refusing_ = false;
        return TTypedVerdict::Pass;
    }
    const bool said = refusing_ || IsLowSurrogate(unit);
    refusing_ = true;
    return said ? TTypedVerdict::RefuseSilently : TTypedVerdict::RefuseAndSay;
}
