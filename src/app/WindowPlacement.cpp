#include "WindowPlacement.h"

#include "support/IntegerText.h"


namespace {

// Decimal digits with an optional minus sign, nothing else: what Format writes.
std::optional<int> DecimalNumber(const std::string& text) {
    const size_t digits = text.rfind('-', 0) == 0 ? 1 : 0;
    if (text.size() == digits || text.size() > digits + 9)
        return std::nullopt;
    for (size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
    return ParseIntDef(text, 0);
}

std::optional<std::vector<int>> DecimalList(const std::string& text) {
    std::vector<int> numbers;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        const std::optional<int> number = DecimalNumber(text.substr(start, comma - start));
        if (!number)
            return std::nullopt;
        numbers.push_back(*number);
        if (comma == std::string::npos)
            return numbers;
        start = comma + 1;
    }
}

std::string JoinNumbers(const std::vector<int>& numbers) {
    std::string text;
    for (const int number : numbers) {
        if (!text.empty())
            text += ',';
        text += std::to_string(number);
    }
    return text;
}

bool InRange(int value, int low, int high) {
    return value >= low && value <= high;
}

} // namespace

std::string FormatWindowPlacement(const TWindowPlacement& placement) {
    const TScreenRect& r = placement.Window;
    return JoinNumbers({r.Left, r.Top, r.Right, r.Bottom, placement.Dpi});
}

std::optional<TWindowPlacement> ParseWindowPlacement(const std::string& text) {
    const auto numbers = DecimalList(text);
    if (!numbers || numbers->size() != 5)
        return std::nullopt;
    const std::vector<int>& n = *numbers;
    TWindowPlacement placement{{n[0], n[1], n[2], n[3]}, n[4]};
    const TScreenRect& r = placement.Window;
    // The corners themselves stay within what a window's coordinates can be.
    for (const int corner : {r.Left, r.Top, r.Right, r.Bottom})
        if (!InRange(corner, -MaxPlacementExtent, MaxPlacementExtent))
            return std::nullopt;
    if (!InRange(r.Width(), 1, MaxPlacementExtent) || !InRange(r.Height(), 1, MaxPlacementExtent) ||
        !InRange(placement.Dpi, 48, 960))
        return std::nullopt;
    return placement;
}

std::string FormatColumnWidths(const std::vector<int>& widths) {
    return JoinNumbers(widths);
}

std::vector<int> ParseColumnWidths(const std::string& text, size_t count) {
    const auto numbers = DecimalList(text);
    if (!numbers || numbers->size() != count)
        return {};
    for (const int width : *numbers)
        if (!InRange(width, 1, MaxColumnWidth))
            return {};
    return *numbers;
}

bool PlacementFits(const TScreenRect& window, const TScreenRect& workArea, int minWidth,
                   int minHeight, int slack) {
    return window.Width() >= minWidth && window.Height() >= minHeight &&
           window.Left >= workArea.Left - slack && window.Top >= workArea.Top - slack &&
           window.Right <= workArea.Right + slack && window.Bottom <= workArea.Bottom + slack;
}
