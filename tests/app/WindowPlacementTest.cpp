#include "app/WindowPlacement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, ReadsBackWhatItWritesAndIgnoresEverythingElse) {
    const TWindowPlacement saved{{-1900, 40, -1100, 640}, 144};
    EXPECT_EQ(saved, ParseWindowPlacement(FormatWindowPlacement(saved)));
    EXPECT_EQ("-1900,40,-1100,640,144", FormatWindowPlacement(saved));
    for (const char* bad : {"", "1,2,3", "10,10,700,500", "10,10,700,500,96,1", "10,10,700,500,",
                            ",10,10,700,500", "10, 10,700,500,96", "10,10,700,500,96x",
                            "0x10,10,700,500,96", "10,10,10,500,96", "700,10,10,500,96",
                            "10,10,700,500,0", "10,10,700,500,2000", "-40000,0,10,10,96",
                            "0,0,40000,10,96", "99999999999,0,10,10,96", "10,10,--700,500,96"})
        EXPECT_EQ(std::nullopt, ParseWindowPlacement(bad)) << bad;
}

TEST(WindowPlacement, ColumnWidthsComeBackAllOrNone) {
    const std::vector<int> widths{96, 88, 88, 88, 88, 88, 140};
    EXPECT_EQ(widths, ParseColumnWidths(FormatColumnWidths(widths), 7));
    struct Case {
        const char* text;
        size_t count;
    } bad[] = {{"96,88,88,88,88,88", 7}, {"96,88,88,88,88,88,140,5", 7}, {"96,88,0,88,88,88,140", 7},
               {"96,88,-5,88,88,88,140", 7}, {"96,88,2001,88,88,88,140", 7},
               {"96,88,a,88,88,88,140", 7}, {"", 7}, {"96,,88,88,88,88,140", 7}};
    for (const Case& c : bad)
        EXPECT_TRUE(ParseColumnWidths(c.text, c.count).empty()) << c.text;
}

TEST(WindowPlacement, FitsOnlyWhollyOnTheWorkAreaAndNoSmallerThanTheMinimum) {
    const TScreenRect work{0, 0, 1920, 1040}; // a taskbar below
    struct Case {
        TScreenRect window;
        bool fits;
    } cases[] = {
        {{100, 100, 776, 580}, true},
        {{-7, 0, 669, 480}, true},        // snapped to the left edge: the invisible border
        {{-20, 0, 656, 480}, false},      // partly off the screen
        {{1300, 700, 1976, 1180}, false}, // over the taskbar and beyond
        {{3000, 100, 3676, 580}, false},  // a monitor that is gone
        {{100, 100, 500, 580}, false},    // narrower than the minimum
        {{100, 100, 776, 300}, false},    // lower than the minimum
        {{0, 0, 1920, 1040}, true},
        {{-8, -8, 1928, 1048}, true},
        {{-9, 0, 1920, 1040}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.fits, PlacementFits(c.window, work, 560, 300, 8))
            << c.window.Left << "," << c.window.Top << "," << c.window.Right << ","
            << c.window.Bottom;
}
