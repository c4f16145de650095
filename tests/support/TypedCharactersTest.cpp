#include "support/TypedCharacters.h"

#include <gtest/gtest.h>

#include <string>

TEST(TypedCharacters, WhatTheCodePageLacksIsRefusedAndSaidOncePerRun) {
    struct Case {
        bool utf8;
        std::u16string typed;
        std::string verdicts; // per unit: P passes, S refused and said, s refused silently
    } cases[] = {
        {false, u"Caf\u00E9 12", "PPPPPPP"},
        {false, u"\u041E\u0444\u0438\u0441 \u6771\u4EAC", "SsssPSs"}, // Cyrillic, blank, Kanji
        {false, u"\U0001F600x", "SsP"},            // a pair: one character, one word
        {false, u"\xDC00\xDC00x", "ssP"},          // stray second halves: no character to name
        {true, u"\u041E\u6771\U0001F600", "PPPP"}, // else Latin-1: nothing from U+0100 on
    };
    for (const Case& c : cases) {
        TTypedCharacters typed(c.utf8 ? nullptr
                                      : std::function([](char16_t u) { return u < 0x100; }));
        std::string verdicts;
        for (char16_t unit : c.typed)
            verdicts += "PSs"[static_cast<int>(typed.Judge(unit))];
        EXPECT_EQ(c.verdicts, verdicts);
    }
}
