#include "Files.h"

#include "FileSystem.h"

#include <algorithm>
#include <cstdint>

int FileSizeOf(const std::string& path) {
    const auto size = FindEntrySize(path);
    return size ? static_cast<int>(static_cast<std::uint32_t>(*size)) : 0;
}

std::string ReadFileText(const std::string& path) {
    if (!FileExists(path))
        return {};
    const int measured = std::max(FileSizeOf(path), 0);
    // Only the bytes actually read: a file that grew after it was measured is cut at
    // the measured size, one that shrank is not padded.
    std::string text = ReadFileBytes(path, static_cast<std::uint64_t>(measured)).Bytes;
    const size_t end = text.find(TextEndOfFile);
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
    const std::string folder = ExtractFilePath(path);
    if (!folder.empty() && !DirectoryExists(folder))
        ForceDirectories(folder);
    ReplaceFileContent(path, text + "\r\n");
}
