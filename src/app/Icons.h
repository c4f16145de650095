#pragma once
// The command icons, drawn in code so that every picture has its source here, at whatever
// size the display scale asks for (32 x 32 at 96 DPI).

#include <windows.h>

#include "support/WinHandles.h"

// Positions in the image list, as the commands and buttons refer to them.
enum TIconIndex : int {
    iconDelete = 0,
    iconApply = 1,
    iconAdd = 3,
    iconDhcp = 4,
    iconEdit = 5,
    iconHelp = 6,
    iconAbout = 8,
    iconCount = 9
};

// A new image list holding the nine icons (positions 2 and 7 are empty), size x size pixels
// each.
UniqueImageList CreateCommandImages(int size);
