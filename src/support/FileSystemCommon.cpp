#include "FileSystem.h"

std::string ExtractFilePath(const std::string& path) {
    const size_t last = path.find_last_of("\\/:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}
