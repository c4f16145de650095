#pragma once
// What the store needs of the platform: texts and paths converted between the program's
// ANSI code page and SQLite's UTF-8 (on Windows through CP_ACP; natively the identity, the
// host's texts being UTF-8 already), and the file operations for creating the database.

#include <string>

std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(std::string utf8);

namespace StoreFiles {

// Moves the file to a name that must not exist yet; false (and the system's reason in
// `reason`) when it exists or the move fails. Never replaces a file.
bool MoveNoReplace(const std::string& from, const std::string& to, std::string& reason);
// Removes the file if it is there; quiet.
void RemoveQuietly(const std::string& path);
// Whether a new file can be made in the folder: tries one and removes it. False with the
// system's reason otherwise.
bool FolderIsWritable(const std::string& folder, std::string& reason);

} // namespace StoreFiles
