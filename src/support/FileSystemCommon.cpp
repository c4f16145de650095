#include "FileSystem.h"

#include "Error.h"
#include "FileSystemPlatform.h"

#include <algorithm>
#include <atomic>
#include <utility>

std::string ExtractFilePath(const std::string& path) {
    const size_t last = path.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

std::string TemporaryFileName(const std::string& path, unsigned long processId) {
    // A serial of the whole process, so that two threads never try the same name either.
    static std::atomic<unsigned long> serial{0};
    return path + ".~" + std::to_string(processId) + "." + std::to_string(++serial) + ".tmp";
}

size_t NextReadSize(size_t have, std::uint64_t maxBytes, size_t bufferSize) {
    if (have > maxBytes)
        return 0;
    const std::uint64_t wanted = maxBytes - have + 1; // 0 only when maxBytes is the largest
    return wanted == 0 ? bufferSize
                       : static_cast<size_t>(std::min<std::uint64_t>(bufferSize, wanted));
}

TFileBytes CappedBytes(std::string bytes, std::uint64_t maxBytes) {
    if (bytes.size() <= maxBytes)
        return {std::move(bytes), false};
    bytes.resize(static_cast<size_t>(maxBytes));
    return {std::move(bytes), true};
}

std::string NotAPlainFileMessage(const std::string& path) {
    return "Cannot append to \"" + path + "\": it is a link to another file, or no plain file";
}

void FailOnPath(const std::string& what, const std::string& path) {
    throw TError(what + " \"" + path + "\": " + LastSystemErrorText());
}

void ForceDirectories(const std::string& folder) {
    const std::string dir = StripTrailingSeparators(folder);
    if (dir.empty())
        throw TError("Cannot create a folder without a name");
    if (DirectoryExists(dir))
        return;
    const std::string parent = ExtractFilePath(dir);
    if (!parent.empty() && StripTrailingSeparators(parent) != dir)
        ForceDirectories(parent);
    if (!MakeOneDirectory(dir))
        FailOnPath("Cannot create folder", dir);
}
