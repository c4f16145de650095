#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

void FuzzFailure(const std::string& what) {
    std::fprintf(stderr, "fuzz expectation broken: %s\n", what.c_str());
    std::abort();
}
