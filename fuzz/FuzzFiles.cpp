#include "FuzzFiles.h"

#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

TScratchFolder::TScratchFolder(const std::string& purpose) {
    path_ = std::filesystem::temp_directory_path() /
            ("netvane-fuzz-" + purpose + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TScratchFolder::~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::optional<std::string> FileBytes(const std::string& path) {
    if (!std::filesystem::exists(path))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
