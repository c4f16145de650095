#include "support/TypedCharacters.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A code page like Windows-1252's first half and Latin-1: nothing from U+0100 on.
bool Latin1(char16_t unit) {
    return unit < 0x100;
}

// One letter per unit: P pass, S refused and said, s refused silently.
std::string Verdicts(TTypedCharacters& typed, const std::u16string& units) {
    std::string verdicts;
    for (char16_t unit : units)
        switch (typed.Judge(unit)) {
        case TTypedVerdict::Pass:
            verdicts += 'P';
            break;
        case TTypedVerdict::RefuseAndSay:
            verdicts += 'S';
            break;
        case TTypedVerdict::RefuseSilently:
            verdicts += 's';
            break;
        }
    return verdicts;
}

} // namespace

TEST(TypedCharacters, WhatTheCodePageLacksIsRefusedAndSaidOncePerRun) {
    struct Case {
        std::u16string typed;
        std::string verdicts;
    } cases[] = {
        {u"Office 12", "PPPPPPPPP"},
        {u"Caf\u00E9", "PPPP"},
        {u"\u041E\u0444\u0438\u0441 \u6771\u4EAC", "SsssPSs"}, // Cyrillic, blank, Kanji
        {u"a\u6771b\u4EAC", "PSPS"},
        {u"\U0001F600x", "SsP"},     // a pair: one character, one word
        {u"\xDC00\xDC00x", "ssP"},   // stray second halves: no character to name
        {u"\xD83D" "a", "SP"},       // a first half without its second
    };
    for (const Case& c : cases) {
        TTypedCharacters typed(Latin1);
        EXPECT_EQ(c.verdicts, Verdicts(typed, c.typed)) << c.verdicts;
    }
}

TEST(TypedCharacters, WithUtf8AsTheCodePageEverythingPasses) {
    TTypedCharacters typed(nullptr);
    EXPECT_EQ("PPPPP", Verdicts(typed, u"\u041E\u6771\U0001F600a"));
}
