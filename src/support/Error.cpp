#include "Error.h"

TError ListIndexError(int index) {
    return TError("List index out of bounds (" + std::to_string(index) + ")");
}
