#pragma once
// The floor of the window benchmarks: the screen Netvane shows at start on the bench data,
// drawn by the least program that can draw it (plain Win32, common controls 6, the rows
// from memory, no database).

#include <windows.h>

// The window, shown and painted, listing the first adapter's settings.
HWND CreateSameScreen(HINSTANCE instance, int showState);
// Swaps the list to another adapter's settings, as the selector's pick does in Netvane.
void ShowSameScreenAdapter(HWND window, int adapter);
