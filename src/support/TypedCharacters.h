#pragma once
// Characters typed into a program whose texts live in the ANSI code page: one the code page
// lacks would reach the text as "?" without a word, so it is refused where it is typed. The
// keyboard hands them over one UTF-16 unit at a time (a character beyond the first 65536
// as two), and the user is told once for a run of refused ones, not once per key.

#include <functional>
#include <utility>

enum class TTypedVerdict {
    Pass,           // the control takes it
    RefuseAndSay,   // dropped; the user is told why
    RefuseSilently, // dropped; the user was told already
};

class TTypedCharacters {
  public:
    // fits: whether the code page holds the character (asked only for one that is neither
    // ASCII nor half of a pair; with UTF-8 as the code page, pass nullptr: everything fits).
    explicit TTypedCharacters(std::function<bool(char16_t)> fits) : fits_(std::move(fits)) {}

    TTypedVerdict Judge(char16_t unit);

  private:
    std::function<bool(char16_t)> fits_;
    bool refusing_ = false; // the last unit judged was refused
};
