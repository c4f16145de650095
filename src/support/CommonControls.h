#pragma once
// comctl32 bound by hand, at the first call of each function the program uses
// (InitCommonControlsEx, ImageList_Create, ImageList_AddMasked, ImageList_Destroy,
// SetWindowSubclass, RemoveWindowSubclass, DefSubclassProc). An import of comctl32 would
// have Windows load it, and uxtheme.dll, which it loads, before WinMain limits library loads
// to the system folder: uxtheme.dll is no KnownDLL, and one beside the program would run with
// its rights. This unit defines those functions under their own names, so callers keep the
// usual calls, and the program imports nothing from comctl32.
//
// A program that links comctl32's import library as well must name this unit's library
// before it, so that these seven come from here.

#include <windows.h>

// The comctl32 the calls go to, loaded at the first call of any: by its bare name, which the
// activation context of the program's manifest sends to the side-by-side version 6, from the
// system folder alone. Null when it could not be loaded; the calls then fail (the value each
// function gives for failure, ERROR_PROC_NOT_FOUND in GetLastError).
HMODULE CommonControlsLibrary();
