#pragma once
// The few file-system operations the program needs, over Win32 on Windows and POSIX
// elsewhere. Paths are ANSI texts; failures raise TError with the path and the system's
// own reason.

#include <cstdint>
#include <optional>
#include <string>

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Creates the folder and every missing parent; an empty path is an error.
void ForceDirectories(const std::string& folder);

// Folder part of a path: everything up to and including the last "\", "/" or ":".
std::string ExtractFilePath(const std::string& path);

// Size of the entry at path, or nothing. On Windows the first entry matching path counts
// (wildcards allowed); elsewhere the path names the entry exactly, since "[", "]" and "\"
// are ordinary characters of a file name there.
std::optional<std::uint64_t> FindEntrySize(const std::string& path);

// A file's bytes, at most as many as the reader asked for.
struct TFileBytes {
    std::string Bytes;
    bool Truncated = false; // the file holds more: Bytes are its first maxBytes only
};

// Up to maxBytes of the file, read through one open handle: the size that counts is what
// the read finds, not an earlier look at the folder, so a file that grows in between is
// caught as well. A file that cannot be opened or read raises TError.
TFileBytes ReadFileBytes(const std::string& path, std::uint64_t maxBytes);

// Replaces the file's content atomically: the bytes go to a temporary file in the same
// folder, are flushed to disk, and only then take the old file's place. Every write has a
// temporary file of its own, so writers in several threads or processes never mix their
// bytes. On any failure the old file is left exactly as it was and the temporary file is
// removed.
void ReplaceFileContent(const std::string& path, const std::string& bytes);

// Appends the bytes at the file's end in one write, creating the file when it is missing; the
// system places each such write at the end as it stands then, so that writers in several
// processes never overwrite each other's lines. The file's size afterwards; TError on failure.
// Never through a link placed where the file should be: a symbolic link (or other reparse
// point), a file of more than one name (a hard link) or anything but a plain file is
// refused with TError, unwritten.
std::uint64_t AppendToFile(const std::string& path, const std::string& bytes);

// A name for ReplaceFileContent's next temporary file beside path: path + ".~" + the
// process's id + "." + a number never given out before in this process + ".tmp".
std::string TemporaryFileName(const std::string& path, unsigned long processId);

// Text of a system error code (a Windows error code, or errno elsewhere), for messages.
std::string SystemErrorText(int code);
// Text of the last system error, for messages.
std::string LastSystemErrorText();
