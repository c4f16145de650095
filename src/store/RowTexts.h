#pragma once
// The eight field texts of a stored row, packed into one block of memory: each of the
// many rows the view keeps costs one allocation, not eight string objects. A field holds
// no value (NULL) or a text, and the two stay apart, as they are in the database.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TRowTexts {
  public:
    static constexpr std::size_t Count = 8;
    using TTexts = std::array<std::optional<std::string>, Count>;

    bool Has(std::size_t field) const { return (present_ >> field & 1u) != 0; }
    // The field's text; "" for no value. Valid until the row changes.
    std::string_view View(std::size_t field) const;
    std::optional<std::string> Get(std::size_t field) const;
    void Set(std::size_t field, std::optional<std::string> text);
    // Every field at once.
    void Assign(const TTexts& texts);

  private:
    std::string buffer_;                      // the texts one after another
    std::array<std::uint32_t, Count> ends_{}; // where each field's text ends in buffer_
    std::uint8_t present_ = 0;                // bit i: field i has a value
};
