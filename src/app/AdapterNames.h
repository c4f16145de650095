#pragma once
// The adapters' captions as the Adapter selector lists them, by identifier: what the grid
// shows in its Adapter column while it lists every adapter's settings, so that which
// adapter a row belongs to (and NETVANE changes) is never a guess.

#include <string>
#include <utility>
#include <vector>

class TAdapterNames {
  public:
    void Clear() { captions_.clear(); }
    void Add(const std::string& adapterId, const std::string& caption) {
        captions_.emplace_back(adapterId, caption);
    }
    // The caption of the adapter (its identifier compared without regard to letter case,
    // as the restriction compares it); the identifier itself for one not listed, such as
    // an adapter taken out of the machine.
    std::string CaptionOf(const std::string& adapterId) const;

  private:
    std::vector<std::pair<std::string, std::string>> captions_; // identifier, caption
};
