#pragma once
// The clipboard, for text the user copies out of the program (Windows only).

#include <windows.h>

#include <string>

// Puts text on the clipboard in place of what was there (CF_TEXT, the ANSI code page), with
// owner as the window that opens it. TError when the clipboard cannot be had.
void PutClipboardText(HWND owner, const std::string& text);
