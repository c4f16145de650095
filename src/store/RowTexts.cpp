#include "RowTexts.h"

#include <stdexcept>

std::string_view TRowTexts::View(std::size_t field) const {
    const std::uint32_t start = field == 0 ? 0 : ends_.at(field - 1);
    return std::string_view(buffer_).substr(start, ends_.at(field) - start);
}

std::optional<std::string> TRowTexts::Get(std::size_t field) const {
    if (!Has(field))
        return std::nullopt;
    return std::string(View(field));
}

void TRowTexts::Set(std::size_t field, std::optional<std::string> text) {
    TTexts texts;
    for (std::size_t f = 0; f < Count; ++f)
        texts[f] = Get(f);
    texts.at(field) = std::move(text);
    Assign(texts);
}

void TRowTexts::Assign(const TTexts& texts) {
    std::size_t total = 0;
    for (const auto& text : texts)
        total += text ? text->size() : 0;
    if (total > UINT32_MAX)
        throw std::length_error("the texts of a row are longer than 4 GiB");
    // Built aside and taken over at the end: on a failure the row stays as it was.
    std::string buffer;
    buffer.reserve(total);
    std::array<std::uint32_t, Count> ends{};
    std::uint8_t present = 0;
    for (std::size_t f = 0; f < Count; ++f) {
        if (texts[f]) {
            buffer += *texts[f];
            present = static_cast<std::uint8_t>(present | 1u << f);
        }
        ends[f] = static_cast<std::uint32_t>(buffer.size());
    }
    buffer_ = std::move(buffer);
    ends_ = ends;
    present_ = present;
}
