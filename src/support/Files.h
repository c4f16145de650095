#pragma once
// Whole-file helpers for texts.

#include <string>

// Size in bytes of the entry at path (on Windows the first one matching it, wildcards
// allowed), as a signed 32-bit number from its low 32 bits; 0 when nothing is found.
int FileSizeOf(const std::string& path);

// The byte at which a text file read by ReadFileText ends.
inline constexpr char TextEndOfFile = 26;

// The file's content up to its end or up to the first byte 26 (text-mode end of file),
// line ends unchanged; empty when no file exists at path.
std::string ReadFileText(const std::string& path);

// Writes text followed by CR LF, creating missing folders. The file is replaced
// atomically, so a failure leaves any previous file whole.
void WriteFileText(const std::string& path, const std::string& text);
