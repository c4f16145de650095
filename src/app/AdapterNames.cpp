#include "AdapterNames.h"

#include "support/Strings.h"

#include <algorithm>

std::string TAdapterNames::CaptionOf(const std::string& adapterId) const {
    // The first listed, as the restriction finds the first one too. A few adapters: a
    // walk costs less than keeping an index.
    const auto found = std::find_if(captions_.begin(), captions_.end(),
                                    [&](const auto& entry) { return SameText(entry.first, adapterId); });
    return found == captions_.end() ? adapterId : found->second;
}
