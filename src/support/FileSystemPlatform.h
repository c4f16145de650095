#pragma once
// What the file-system helpers ask of the platform: FileSystemWin.cpp answers through
// Win32, FileSystemPosix.cpp through POSIX. Only the file-system sources include this.

#include <string>

// The folder without separators at its end; a root ("/", "C:\") stays as it is.
std::string StripTrailingSeparators(std::string folder);

// Makes one folder whose parent exists. True when it was made or is there already as a
// folder; false, with the system's reason left for LastSystemErrorText, otherwise (a file
// of that name included).
bool MakeOneDirectory(const std::string& folder);

// Throws TError naming what failed, the path and the system's last error.
[[noreturn]] void FailOnPath(const std::string& what, const std::string& path);
