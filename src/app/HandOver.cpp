#include "HandOver.h"

THandOver ChooseHandOver(const TPublishedWindow& published, bool timedOut) {
    if (published.Exists)
        return published.OfThisProgram && published.OfThisAccount ? THandOver::ToFirst
                                                                  : THandOver::StartNormally;
    return timedOut ? THandOver::StartNormally : THandOver::Wait;
}
