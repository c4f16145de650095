#pragma once
// The one error type of the program: a failure that carries the text the user sees.

#include <stdexcept>
#include <string>

class TError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The list error raised when a position does not index an entry of a list.
TError ListIndexError(int index);
