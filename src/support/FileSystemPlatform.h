#pragma once
// What the file-system helpers ask of the platform: FileSystemWin.cpp answers through
// Win32, FileSystemPosix.cpp through POSIX. Only the file-system sources include this.

#include "FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The folder without separators at its end; a root ("/", "C:\") stays as it is.
std::string StripTrailingSeparators(std::string folder);

// Makes one folder whose parent exists. True when it was made or is there already as a
// folder; false, with the system's reason left for LastSystemErrorText, otherwise (a file
// of that name included).
bool MakeOneDirectory(const std::string& folder);

// How many bytes ReadFileBytes asks for next, holding have of them already: never more than
// the buffer holds, and one beyond maxBytes, which tells a larger file from one of exactly
// maxBytes.
size_t NextReadSize(size_t have, std::uint64_t maxBytes, size_t bufferSize);
// The bytes read, cut to maxBytes with Truncated set when there were more.
TFileBytes CappedBytes(std::string bytes, std::uint64_t maxBytes);

// Why AppendToFile refuses what it opened at path: a link, or no plain file.
std::string NotAPlainFileMessage(const std::string& path);

// Throws TError naming what failed, the path and the system's last error.
[[noreturn]] void FailOnPath(const std::string& what, const std::string& path);
