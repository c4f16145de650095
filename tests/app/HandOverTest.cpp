#include "app/HandOver.h"

#include <gtest/gtest.h>

// A window of another program, or of this program running as another user or at another
// integrity level, is never brought forward, however early it is there; the start waits
// only while no window is published at all.
TEST(HandOver, OnlyToAWindowOfThisSameProgram) {
    struct TCase {
        bool Exists, OfThisProgram, OfThisAccount, TimedOut;
        THandOver Expected;
    };
    const TCase cases[] = {
        {true, true, true, false, THandOver::ToFirst},
        {true, true, true, true, THandOver::ToFirst},
        {true, true, false, false, THandOver::StartNormally},
        {true, true, false, true, THandOver::StartNormally},
        {true, false, false, false, THandOver::StartNormally},
        {true, false, true, true, THandOver::StartNormally},
        {false, false, false, false, THandOver::Wait},
        {false, false, false, true, THandOver::StartNormally},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Expected,
                  ChooseHandOver({c.Exists, c.OfThisProgram, c.OfThisAccount}, c.TimedOut))
            << c.Exists << c.OfThisProgram << c.OfThisAccount << c.TimedOut;
}
