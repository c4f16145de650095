#pragma once
// Windows' own libraries and programs, taken from the system folder and nowhere else
// (Windows only). Netvane runs from folders such as Downloads, where anything may lie
// beside it, and with administrator rights where it is started elevated: a library or
// program found by the usual search (the program's folder first, then the current one)
// would run with its rights.

#include "WinHandles.h"

#include <windows.h>

#include <string>

// Makes the system folder the only place the process loads libraries from by name, for its
// own loads and for those the system's libraries make later. The first call of WinMain.
// On a Windows without the call (Vista, Windows 7 without KB2533623) the current folder
// is at least taken out of the search.
void RestrictLibrarySearchToSystemFolder();

// Loads, for the rest of the run, the libraries that Windows' own libraries load later by
// their bare name (ws2_32 loads iphlpapi.dll when it first resolves a name). Under Wine such
// a delayed load still looks beside the program first; a library already loaded is taken as
// it is, from the system folder. Called right after RestrictLibrarySearchToSystemFolder.
void LoadLibrariesLoadedLaterBySystem();

// The system folder ("C:\Windows\system32"), without a trailing backslash.
std::string SystemFolder();

// The full path of a file of the system folder: SystemFolder() + "\" + name.
std::string SystemFilePath(const char* name);

// Loads a library of the system folder by its file name ("iphlpapi.dll"); null, with the
// system's error code in GetLastError, when it is not there. Every library the program
// loads at run time comes through here.
UniqueLibrary LoadSystemLibrary(const char* name);

// Loads the library at a full path. Only tests hand the program a library of their own,
// and they name it by its full path, never by a search.
UniqueLibrary LoadLibraryAt(const std::string& fullPath);
