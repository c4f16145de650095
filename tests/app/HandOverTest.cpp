#include "app/HandOver.h"

#include <gtest/gtest.h>

// A window of another program or account is never brought forward, however early it is
// there; the start waits only while no window is published at all.
TEST(HandOver, OnlyToAWindowOfThisSameProgram) {
    struct TCase {
        bool Exists, OfThisProgram, TimedOut;
        THandOver Expected;
        bool OfThisAccount = true;
    };
    const TCase cases[] = {
        {true, true, false, THandOver::ToFirst},
        {true, true, true, THandOver::ToFirst},
        {true, false, false, THandOver::StartNormally},
        {true, false, true, THandOver::StartNormally},
        {false, false, false, THandOver::Wait},
        {false, false, true, THandOver::StartNormally},
        {true, true, false, THandOver::StartNormally, false},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(c.Expected,
                  ChooseHandOver({c.Exists, c.OfThisProgram, c.OfThisAccount}, c.TimedOut))
            << c.Exists << c.OfThisProgram << c.TimedOut << c.OfThisAccount;
}
