#pragma once
// The main window's size and place and its grid's column widths, as config.ini keeps them,
// and the rule for taking them back: only onto a monitor they still fit, as it is now.

#include <optional>
#include <string>
#include <vector>

// The settings of config.ini that hold them, each a value of its own beside the others.
inline constexpr char WindowPlacementSetting[] = "WindowPlacement";
inline constexpr char ColumnWidthsSetting[] = "ColumnWidths";

// A rectangle in screen pixels: left and top inside, right and bottom just outside.
struct TScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TScreenRect&) const = default;
};

// The window's outer rectangle and the DPI it was laid out for.
struct TWindowPlacement {
    TScreenRect Window;
    int Dpi = 0;
    bool operator==(const TWindowPlacement&) const = default;
};

// "left,top,right,bottom,dpi" in decimal.
std::string FormatWindowPlacement(const TWindowPlacement& placement);
// Nothing unless the text is five decimal numbers so, with a width and height of at least
// one pixel and at most MaxPlacementExtent, and a DPI from 48 to 960.
std::optional<TWindowPlacement> ParseWindowPlacement(const std::string& text);
inline constexpr int MaxPlacementExtent = 32767;

// The widths, designed at 96 DPI, comma-separated.
std::string FormatColumnWidths(const std::vector<int>& widths);
// Exactly count widths from 1 to MaxColumnWidth; empty otherwise, so that a damaged value
// leaves every column as designed rather than some.
std::vector<int> ParseColumnWidths(const std::string& text, size_t count);
inline constexpr int MaxColumnWidth = 2000;

// Whether a saved window may be put back: no smaller than the window's minimum and wholly
// on the work area of the monitor it falls on, give or take slack pixels (the invisible
// resizing border Windows puts around a window at a screen's edge).
bool PlacementFits(const TScreenRect& window, const TScreenRect& workArea, int minWidth,
                   int minHeight, int slack);
