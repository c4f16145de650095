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
    std::string text = ReadAllBytes(path);
    // Only the bytes actually read: a file that grew after it was measured is cut at
    // the measured size, one that shrank is not padded.
    if (text.size() > static_cast<size_t>(measured))
        text.resize(static_cast<size_t>(measured));
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
