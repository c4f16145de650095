#pragma once
// What a later start of one folder's program does about the start that holds the folder's
// name: the name alone proves nothing, since any program of the session can take it first.

enum class THandOver {
    ToFirst,       // bring the first start's window forward and end
    Wait,          // a first start still making its window: look again shortly
    StartNormally, // no first start of this program answers: run as if alone
};

struct TPublishedWindow {
    bool Exists = false;        // the record names a window that is there
    bool OfThisProgram = false; // its process runs this same executable
    bool OfThisAccount = false; // as the same user, at the same integrity level
};

// Hands over only to a window of this same program of this same account; waits for one
// until timedOut.
THandOver ChooseHandOver(const TPublishedWindow& published, bool timedOut);
